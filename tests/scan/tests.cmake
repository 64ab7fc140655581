zn_add_tests(test_scan
  tests/scan/ScanLogicTest.cpp
  tests/scan/ScanSimTest.cpp
  tests/scan/ScanMainWindowTest.cpp
  LIBS zn_app
)
