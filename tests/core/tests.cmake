# The core without widgets, run as a headless program: QCoreApplication, no platform plugin, no
# display. It links link/ and base/ and the test helpers that stand on them, nothing that draws.
add_executable(test_core tests/core/HeadlessMain.cpp tests/core/HeadlessCoreTest.cpp)
target_link_libraries(test_core PRIVATE zn_test_core zn_link zn_base)
add_dependencies(test_core znsim)
gtest_discover_tests(test_core DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 120)

# The floor holds: a widget include does not compile with what link/ and base/ see. The probe is
# built only by this test, which passes when the compiler cannot find the header.
add_library(zn_core_widget_probe STATIC EXCLUDE_FROM_ALL tests/core/WidgetProbe.cpp)
target_link_libraries(zn_core_widget_probe PRIVATE zn_link zn_base)
set_target_properties(zn_core_widget_probe PROPERTIES AUTOMOC OFF)
add_test(NAME core_has_no_widgets
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target zn_core_widget_probe)
set_tests_properties(core_has_no_widgets PROPERTIES
  PASS_REGULAR_EXPRESSION "QWidget: No such file or directory" TIMEOUT 120)
