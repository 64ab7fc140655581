# Publishing to a broker: the publisher's logic behind a recording broker, then the watcher
# against Debian's mosquitto with mosquitto_sub as the subscriber.
add_executable(test_publish tests/core/HeadlessMain.cpp tests/publish/WatchPublisherTest.cpp
                            tests/publish/BrokerTest.cpp tests/support/Mosquitto.cpp
                            tests/support/Ser2net.cpp)
target_link_libraries(test_publish PRIVATE zn_cli zn_test_core zn_core zn_base)
add_dependencies(test_publish znsim zntool)
# The watcher is run as a program of its own, found beside the test, so it can be killed.
set(zn_beside_test_publish zntool)
gtest_discover_tests(test_publish DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 180)
