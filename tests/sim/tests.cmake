zn_add_tests(test_sim
  tests/sim/SimModuleTest.cpp
  tests/sim/SimBusTest.cpp
  tests/sim/CommandLineTest.cpp
  LIBS zn_sim)
