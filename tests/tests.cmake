find_package(GTest REQUIRED)
include(GoogleTest)

add_library(zn_test_support STATIC
  tests/support/TestMain.cpp
  tests/support/PtyPeer.cpp
  tests/support/SimProcess.cpp
)
target_link_libraries(zn_test_support PUBLIC zn_link GTest::gtest)
# Tests that run the module simulator find it here; it is built before them.
target_compile_definitions(zn_test_support PUBLIC ZNSIM_PATH="$<TARGET_FILE:znsim>")
add_dependencies(zn_test_support znsim)

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
  LIBS zn_app)

include(tests/setting/tests.cmake)
include(tests/registers/tests.cmake)
include(tests/analog/tests.cmake)
include(tests/digital/tests.cmake)
include(tests/sim/tests.cmake)
