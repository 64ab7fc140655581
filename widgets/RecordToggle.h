#pragma once
// A checkable Record button whose checked state always means "recording", however it is pressed:
// a click, the keyboard, or an accessibility tool's toggle, which flips the state without a click.
#include <functional>

class QAbstractButton;

// Checking `button` calls `start` (which may ask for a file and start nothing) once the event
// loop turns, the press having returned; unchecking it calls `stop` at once. The button is
// checked only while `recording()`, whatever came of it. The owner may set the button to
// `recording()` at any time (a recording that failed, a closed window) without starting or
// stopping anything.
void FollowRecording(QAbstractButton* button, std::function<bool()> recording,
                     std::function<void()> start, std::function<void()> stop);
