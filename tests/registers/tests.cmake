zn_add_tests(test_registers
  tests/registers/RegisterLogicTest.cpp
  tests/registers/SysFrmTest.cpp
  tests/registers/SysFrmSimTest.cpp
  LIBS zn_registers)
