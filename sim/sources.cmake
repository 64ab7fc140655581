# The module simulator: its logic in a library the tests link, and the znsim program.
add_library(zn_sim STATIC
  sim/ModelTable.cpp
  sim/LineCode.cpp
  sim/SimModule.cpp
  sim/Faults.cpp
  sim/SimBus.cpp
  sim/RequestFramer.cpp
  sim/CommandLine.cpp
  sim/PtyLine.cpp
  sim/NetListener.cpp
  sim/ModbusTcp.cpp
  sim/SimLoop.cpp
)
zn_room(zn_sim sim)
target_link_libraries(zn_sim PUBLIC zn_line zn_protocol zn_base)

add_executable(znsim sim/main.cpp)
target_link_libraries(znsim PRIVATE zn_sim)

include(tools/bench/bench.cmake)
