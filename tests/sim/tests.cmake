zn_add_tests(test_sim
  tests/sim/SimModuleTest.cpp
  tests/sim/SimBusTest.cpp
  tests/sim/CommandLineTest.cpp
  tests/sim/SimBenchTest.cpp
  tests/sim/SimProgramTest.cpp
  tests/sim/MbpollPeerTest.cpp
  tests/sim/PymodbusPeerTest.cpp
  tests/sim/SimNetworkTest.cpp
  tests/sim/SimTapTest.cpp
  tests/sim/WireEnds.cpp
  LIBS zn_sim zn_workwindow)
target_compile_definitions(test_sim PRIVATE
  PYMODBUS_SERVER="${CMAKE_SOURCE_DIR}/tests/sim/pymodbus_server.py")

# The real program in a real X server with the demo simulator; screenshots in build/smoke/.
add_test(NAME sim_smoke_xvfb
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/sim/smoke_xvfb.sh $<TARGET_FILE:zntool>
          $<TARGET_FILE:znsim> ${CMAKE_SOURCE_DIR}/sys ${CMAKE_BINARY_DIR}/smoke)
set_tests_properties(sim_smoke_xvfb PROPERTIES TIMEOUT 300)
