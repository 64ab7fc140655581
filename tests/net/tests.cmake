# Network lines: their names and codecs, and the port over real peers on 127.0.0.1 (ser2net in
# front of the simulator, sockets that misbehave). Headless: the core alone.
add_executable(test_net tests/core/HeadlessMain.cpp tests/net/NetCodecTest.cpp
                        tests/net/NetLineTest.cpp tests/support/Ser2net.cpp)
target_link_libraries(test_net PRIVATE zn_test_core zn_core zn_base)
add_dependencies(test_net znsim)
gtest_discover_tests(test_net DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=" TIMEOUT 180)
target_compile_definitions(test_net PRIVATE
  PYMODBUS_TCP_SERVER="${CMAKE_SOURCE_DIR}/tests/net/pymodbus_tcp_server.py")

# Work windows on network lines.
zn_add_tests(test_net_windows tests/net/NetWindowsTest.cpp tests/support/Ser2net.cpp LIBS zn_app)
