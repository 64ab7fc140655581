# The core without widgets, run as a headless program: QCoreApplication, no platform plugin, no
# display. It links the core's rooms and base/ and the test helpers that stand on them, nothing
# that draws.
add_executable(test_core tests/core/HeadlessMain.cpp tests/core/HeadlessCoreTest.cpp
                         tests/core/LinesTest.cpp)
target_link_libraries(test_core PRIVATE zn_test_core zn_core zn_base)
add_dependencies(test_core znsim)
gtest_discover_tests(test_core DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 120)

# The floor holds: a widget include does not compile with what the core and base/ see. The probe is
# built only by this test, which passes when the compiler cannot find the header.
add_library(zn_core_widget_probe STATIC EXCLUDE_FROM_ALL tests/core/WidgetProbe.cpp)
target_link_libraries(zn_core_widget_probe PRIVATE zn_core zn_base)
set_target_properties(zn_core_widget_probe PROPERTIES AUTOMOC OFF)
add_test(NAME core_has_no_widgets
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target zn_core_widget_probe)
set_tests_properties(core_has_no_widgets PROPERTIES
  PASS_REGULAR_EXPRESSION "QWidget: No such file or directory" TIMEOUT 120)

# The rooms hold too: a room sees only the rooms it links. The probe stands in the line's room and
# names the scan's, which stands on the line; it is built only by this test, which passes when the
# compiler cannot find the header.
add_library(zn_core_upward_probe STATIC EXCLUDE_FROM_ALL tests/core/UpwardProbe.cpp)
target_link_libraries(zn_core_upward_probe PRIVATE zn_line)
set_target_properties(zn_core_upward_probe PROPERTIES AUTOMOC OFF)
add_test(NAME core_rooms_point_down
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target zn_core_upward_probe)
set_tests_properties(core_rooms_point_down PROPERTIES
  PASS_REGULAR_EXPRESSION "core/scan/BusScan.h: No such file or directory" TIMEOUT 120)
