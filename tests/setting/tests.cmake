zn_add_tests(test_setting
  tests/setting/ParameterCodesTest.cpp
  LIBS zn_setting)
