# The line overview's logic, headless: line files and alarms.
add_executable(test_overview tests/core/HeadlessMain.cpp tests/overview/LineFileTest.cpp
                             tests/overview/PollSchedulerTest.cpp)
target_link_libraries(test_overview PRIVATE zn_test_core zn_core zn_base)
gtest_discover_tests(test_overview DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 120)
