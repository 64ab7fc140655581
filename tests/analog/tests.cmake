zn_add_tests(test_analog
  tests/analog/AnalogCodecTest.cpp
  tests/analog/AnalogInputWindowTest.cpp
  tests/analog/AnalogOutputWindowTest.cpp
  tests/analog/CalibrationPanelTest.cpp
  tests/analog/ReadoutTest.cpp
  LIBS zn_app)
