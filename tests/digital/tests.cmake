zn_add_tests(test_digital
  tests/digital/DigitalCodecTest.cpp
  tests/digital/DigitalIoWindowsTest.cpp
  tests/digital/CombinationWindowsTest.cpp
  LIBS zn_digital)
