# The Debian package, unpacked into a temporary root; its program started under Xvfb from a home
# folder with no settings. Screenshot in build/package-test/.
add_test(NAME package_install_start
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/install_start.sh ${CMAKE_CPACK_COMMAND}
          ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/package-test)
set_tests_properties(package_install_start PROPERTIES TIMEOUT 600)
