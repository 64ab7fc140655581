find_package(GTest REQUIRED)
include(GoogleTest)

# Helpers for every test: a pseudo-terminal peer and the simulator, on the core alone.
add_library(zn_test_core STATIC
  tests/support/PtyPeer.cpp
  tests/support/SimProcess.cpp
)
target_link_libraries(zn_test_core PUBLIC zn_core GTest::gtest)
# Tests and their helpers name each other from the top of the tree.
target_include_directories(zn_test_core PUBLIC ${CMAKE_SOURCE_DIR})
# Tests that run the module simulator find it here (or where ZN_ZNSIM_PATH says); it is built
# before them.
target_compile_definitions(zn_test_core PUBLIC ZNSIM_BUILT="$<TARGET_FILE:znsim>"
                                               "ZNSIM_PATH=ZnsimPath()")
add_dependencies(zn_test_core znsim)

# The widget tests' main, with an application that can show windows offscreen.
add_library(zn_test_support STATIC tests/support/TestMain.cpp)
target_link_libraries(zn_test_support PUBLIC zn_test_core Qt6::Widgets)

# zn_add_tests(name sources... LIBS libs...): one test program, its cases listed in CTest.
function(zn_add_tests name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE zn_test_support ${ARG_LIBS})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()

zn_add_tests(test_foundation
  tests/TextTableTest.cpp
  tests/SettingsFilesTest.cpp
  tests/ModbusTest.cpp
  tests/SerialPortTest.cpp
  tests/ExchangeTest.cpp
  tests/MainWindowTest.cpp
  tests/CachedFrameStyleTest.cpp
  tests/ReopenFailureTest.cpp
  LIBS zn_app)

include(tests/setting/tests.cmake)
include(tests/registers/tests.cmake)
include(tests/analog/tests.cmake)
include(tests/digital/tests.cmake)
include(tests/sim/tests.cmake)
include(tests/ports/tests.cmake)
include(tests/traffic/tests.cmake)
include(tests/trend/tests.cmake)
include(tests/scan/tests.cmake)
include(tests/core/tests.cmake)
include(tests/dialogs/tests.cmake)
include(tests/net/tests.cmake)
include(tests/cli/tests.cmake)
include(tests/record/tests.cmake)
include(tests/listen/tests.cmake)
include(tests/overview/tests.cmake)
include(tests/publish/tests.cmake)

# Root ignores exclusive mode and file permissions, so when the suite is set up by root (as CI
# runs it) each test program that opens pseudo-terminals runs once more, whole, as the user nobody.
# An ordinary user's run is that check already, and cannot switch users: nothing is added then.
execute_process(COMMAND id -u OUTPUT_VARIABLE zn_configuring_uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(zn_configuring_uid STREQUAL "0")
  foreach(name test_foundation test_setting test_registers test_analog test_digital test_sim
               test_traffic test_trend test_scan test_core test_net test_net_windows test_listen test_listen_window
               test_cli test_record test_overview test_overview_window test_publish)
    # Programs the test starts from its own folder (zn_beside_<test>) go with its copy.
    set(beside "")
    foreach(target IN LISTS zn_beside_${name})
      list(APPEND beside --beside $<TARGET_FILE:${target}>)
    endforeach()
    add_test(NAME nobody:${name}
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/support/run_as_nobody.sh ${beside}
              $<TARGET_FILE:${name}> $<TARGET_FILE:znsim>
              ${CMAKE_SOURCE_DIR}/tests/sim/pymodbus_server.py)
    set_tests_properties(nobody:${name} PROPERTIES TIMEOUT 900)
  endforeach()
endif()
