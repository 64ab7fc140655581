set(ZN_SETTING_TESTS
  tests/setting/ParameterCodesTest.cpp
  tests/setting/SetFrmSearchTest.cpp
  tests/setting/SetFrmChangeTest.cpp)
# The end-to-end test runs the module simulator's program when it is part of the build.
if(TARGET znsim)
  list(APPEND ZN_SETTING_TESTS tests/setting/SetFrmSimulatorTest.cpp)
endif()
zn_add_tests(test_setting ${ZN_SETTING_TESTS} LIBS zn_setting)
if(TARGET znsim)
  add_dependencies(test_setting znsim)
  target_compile_definitions(test_setting PRIVATE ZNSIM_PATH="$<TARGET_FILE:znsim>")
endif()
