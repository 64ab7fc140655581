#pragma once
// The commands, each run on its own line and reporting its exit code; only the dispatcher
// (cli/CommandLine) calls them, and none calls another.
#include "cli/CliRun.h"

int RunSearch(const CliRun& run);
int RunScan(const CliRun& run);
int RunRead(const CliRun& run);
int RunWrite(const CliRun& run);
int RunPoll(const CliRun& run);
int RunPorts(const CliRun& run);
int RunSet(const CliRun& run);
int RunCommission(const CliRun& run);
int RunMonitor(const CliRun& run);
int RunWatch(const CliRun& run);
