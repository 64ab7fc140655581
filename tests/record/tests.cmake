# A small program that records traffic until it is killed, for the test that kills it.
add_executable(zn_record_child tests/record/RecordChild.cpp)
target_link_libraries(zn_record_child PRIVATE zn_core)
target_include_directories(zn_record_child PRIVATE ${CMAKE_SOURCE_DIR})

zn_add_tests(test_record
  tests/record/RotationTest.cpp
)
target_compile_definitions(test_record PRIVATE RECORD_CHILD="$<TARGET_FILE:zn_record_child>")
add_dependencies(test_record zn_record_child)
