zn_add_tests(test_setting
  tests/setting/ParameterCodesTest.cpp
  tests/setting/SetFrmSearchTest.cpp
  tests/setting/SetFrmChangeTest.cpp
  tests/setting/SetFrmSimulatorTest.cpp
  LIBS zn_setting)
