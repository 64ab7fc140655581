# The command line: the windows' work run headless for scripts. It stands on the core and base/
# alone, so a command starts without loading anything that draws.
# Ctrl-C: POSIX signals or a Windows console handler.
if(WIN32)
  set(ZN_CLI_SYSTEM cli/CliInterruptWin.cpp)
else()
  set(ZN_CLI_SYSTEM cli/CliInterruptPosix.cpp)
endif()
add_library(zn_cli STATIC
  cli/CommandLine.cpp
  cli/CliRun.cpp
  cli/CliOptions.cpp
  cli/CliTexts.cpp
  cli/CliOutput.cpp
  cli/SearchScanCommands.cpp
  cli/RegisterCommands.cpp
  cli/PollCommand.cpp
  cli/WatchCommand.cpp
  cli/PortsCommand.cpp
  cli/SetCommand.cpp
  cli/CommissionCommand.cpp
  cli/MonitorCommand.cpp
  ${ZN_CLI_SYSTEM}
)
zn_room(zn_cli cli)
target_link_libraries(zn_cli PUBLIC zn_core Qt6::Core)
