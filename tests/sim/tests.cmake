zn_add_tests(test_sim
  tests/sim/SimModuleTest.cpp
  tests/sim/SimBusTest.cpp
  tests/sim/CommandLineTest.cpp
  tests/sim/SimProcess.cpp
  tests/sim/SimProgramTest.cpp
  tests/sim/MbpollPeerTest.cpp
  tests/sim/PymodbusPeerTest.cpp
  LIBS zn_sim)
target_compile_definitions(test_sim PRIVATE
  ZNSIM_PATH="$<TARGET_FILE:znsim>"
  PYMODBUS_SERVER="${CMAKE_SOURCE_DIR}/tests/sim/pymodbus_server.py")
add_dependencies(test_sim znsim)
