# The listen-only mode: cutting, pairing, judging and tallying heard frames, and listening to the
# simulator's tap while mbpoll drives its bus (pseudo-terminals, and ser2net on 127.0.0.1).
add_executable(test_listen tests/core/HeadlessMain.cpp tests/listen/ListenLogicTest.cpp
                           tests/listen/ListenBusTest.cpp tests/support/Ser2net.cpp)
target_link_libraries(test_listen PRIVATE zn_test_core zn_core zn_base)
add_dependencies(test_listen znsim)
gtest_discover_tests(test_listen DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 300)

# The window, from the main window's button.
zn_add_tests(test_listen_window tests/listen/ListenWindowTest.cpp LIBS zn_app)
