#pragma once

enum class FloorChange { None, Fills, Boxes };

// Shows a bare window where, at a poll cycle's two moments, two boxes change their text, two
// widgets fill themselves with another colour, or nothing changes but the timer's tick; runs
// `cycles` cycles and prints the CPU time per cycle.
int Floor(int cycles, FloorChange change);
