# Port lists by name, plain open errors, and where an installed program keeps its settings.
zn_add_tests(test_ports
  tests/ports/PortListTest.cpp
  tests/ports/PortErrorsTest.cpp
  tests/ports/SettingsHomeTest.cpp
  LIBS zn_app)

# A permission refusal is only seen by an ordinary user: as root, run the program again as nobody.
execute_process(COMMAND id -u OUTPUT_VARIABLE zn_ports_uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(zn_ports_uid STREQUAL "0")
  add_test(NAME nobody:test_ports
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/support/run_as_nobody.sh $<TARGET_FILE:test_ports>
            $<TARGET_FILE:znsim> ${CMAKE_SOURCE_DIR}/tests/sim/pymodbus_server.py)
  set_tests_properties(nobody:test_ports PROPERTIES TIMEOUT 300)
endif()

# The installable program: package, unpack, start.
include(tests/package/tests.cmake)
