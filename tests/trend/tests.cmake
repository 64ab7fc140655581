zn_add_tests(test_trend
  tests/trend/TrendRingTest.cpp
  tests/trend/TrendRecordTest.cpp
  LIBS zn_digital
)
