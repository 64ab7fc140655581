set(ZN_REGISTER_TESTS
  tests/registers/RegisterLogicTest.cpp
  tests/registers/SysFrmTest.cpp)
if(TARGET znsim)
  list(APPEND ZN_REGISTER_TESTS tests/registers/SysFrmSimTest.cpp)
endif()
zn_add_tests(test_registers ${ZN_REGISTER_TESTS} LIBS zn_registers)
if(TARGET znsim)
  add_dependencies(test_registers znsim)
  target_compile_definitions(test_registers PRIVATE ZNSIM_PATH="$<TARGET_FILE:znsim>")
endif()
