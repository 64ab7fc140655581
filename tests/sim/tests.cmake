zn_add_tests(test_sim
  tests/sim/SimModuleTest.cpp
  tests/sim/SimBusTest.cpp
  tests/sim/CommandLineTest.cpp
  tests/sim/SimProcess.cpp
  tests/sim/MbpollPeerTest.cpp
  LIBS zn_sim)
target_compile_definitions(test_sim PRIVATE ZNSIM_PATH="$<TARGET_FILE:znsim>")
add_dependencies(test_sim znsim)
