zn_add_tests(test_trend
  tests/trend/TrendRingTest.cpp
  tests/trend/TrendChartRulesTest.cpp
  tests/trend/TrendChartTest.cpp
  tests/trend/TrendRecordTest.cpp
  LIBS zn_digital
)
