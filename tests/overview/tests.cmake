# The line overview's logic, headless: line files, alarms, the poll order, and modules of a
# simulated line polled.
add_executable(test_overview tests/core/HeadlessMain.cpp tests/overview/LineFileTest.cpp
                             tests/overview/PollSchedulerTest.cpp
                             tests/overview/ModulePollerTest.cpp
                             tests/overview/ScanLinesTest.cpp
                             tests/overview/DemoLinesTest.cpp
                             tests/overview/LineWorkerTest.cpp)
target_link_libraries(test_overview PRIVATE zn_test_core zn_core zn_base)
add_dependencies(test_overview znsim)
gtest_discover_tests(test_overview DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 120)
# The demo's line file, checked against the simulator; built in, as a run as nobody may not
# reach the source tree.
qt_add_resources(test_overview demo_lines PREFIX / BASE ${CMAKE_SOURCE_DIR}
                 FILES ${CMAKE_SOURCE_DIR}/tools/demo-lines.json)
target_link_libraries(test_overview PRIVATE zn_sim)

# The window, from the main window's button.
zn_add_tests(test_overview_window tests/overview/LineOverviewWindowTest.cpp
             tests/overview/OverviewPublishTest.cpp tests/support/Mosquitto.cpp
             tests/support/Ser2net.cpp LIBS zn_app)
add_dependencies(test_overview_window znsim)
