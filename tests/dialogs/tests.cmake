zn_add_tests(test_dialogs
  tests/dialogs/FileDialogsTest.cpp
  LIBS zn_app
)
