# A small program that records traffic until it is killed, for the test that kills it.
add_executable(zn_record_child tests/record/RecordChild.cpp)
target_link_libraries(zn_record_child PRIVATE zn_core)
target_include_directories(zn_record_child PRIVATE ${CMAKE_SOURCE_DIR})

zn_add_tests(test_record
  tests/record/RotationTest.cpp
)
# The child is found beside the test program, so a copy of the two (the run as nobody) works.
target_compile_definitions(test_record PRIVATE
  "RECORD_CHILD=QFileInfo(QStringLiteral(\"/proc/self/exe\")).canonicalPath()+QStringLiteral(\"/$<TARGET_FILE_NAME:zn_record_child>\")")
add_dependencies(test_record zn_record_child)
set(zn_beside_test_record zn_record_child)
