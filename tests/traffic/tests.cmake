zn_add_tests(test_traffic
  tests/traffic/FrameDecoderTest.cpp
  tests/traffic/ReplyVerdictTest.cpp
  tests/traffic/TrafficExchangeTest.cpp
  tests/traffic/TrafficCauseTest.cpp
  tests/traffic/TrafficTableTest.cpp
  tests/traffic/TrafficOutcomeTest.cpp
  tests/traffic/TrafficColumnsTest.cpp
  LIBS zn_app
)
