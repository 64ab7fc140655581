# The command line, run in-process on the core alone against the simulator.
add_executable(test_cli tests/core/HeadlessMain.cpp tests/cli/CommandLineTest.cpp)
target_link_libraries(test_cli PRIVATE zn_cli zn_test_core zn_core zn_base)
add_dependencies(test_cli znsim)
gtest_discover_tests(test_cli DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 120)
# The manual page and the completion, built in: every command must be in them.
qt_add_resources(test_cli packaging_texts PREFIX / BASE ${CMAKE_SOURCE_DIR}
                 FILES ${CMAKE_SOURCE_DIR}/packaging/zntool.1
                       ${CMAKE_SOURCE_DIR}/packaging/zntool.bash-completion)
