#pragma once
// The simulator's event loop: reads requests from every line, lets the bus answer and writes each
// reply when its wire time has passed.
#include <signal.h>

#include <ostream>

#include "sim/CommandLine.h"

// Makes the lines and runs until `stop` turns non-zero; signals are taken only while waiting
// (`waitMask` is the mask in force then). Returns the process exit code.
int RunSimulator(const SimConfig& config, std::ostream& out, std::ostream& err,
                 const volatile sig_atomic_t* stop, const sigset_t* waitMask);

// "07:51:02.123": the time of day with milliseconds, for the verbose log.
std::string TimeStamp();
