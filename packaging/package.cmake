# Installation (cmake --install) and the Debian package (cpack, tools/package.sh): the program and
# the simulator on the PATH, the desktop entry with the window icon, the shipped settings that a
# user's first start copies (see base/SettingsHome.h).
include(GNUInstallDirs)
# Installing (and packaging) takes what is built; it does not build every test program first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# The desktop menu takes a PNG; the icon is drawn once, as sys/kv.ic.
add_executable(zn_icon_png packaging/IconToPng.cpp)
target_link_libraries(zn_icon_png PRIVATE Qt6::Gui)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/zntool.png
  COMMAND zn_icon_png ${CMAKE_SOURCE_DIR}/sys/kv.ic ${CMAKE_BINARY_DIR}/zntool.png
  DEPENDS zn_icon_png ${CMAKE_SOURCE_DIR}/sys/kv.ic
  COMMENT "Converting sys/kv.ic to zntool.png")
add_custom_target(zn_icon ALL DEPENDS ${CMAKE_BINARY_DIR}/zntool.png)

install(TARGETS zntool znsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES sys/set.rc sys/set2.rc sys/tm.rc sys/kv.ic
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zntool/sys)
install(FILES packaging/zntool.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Debian ships manual pages and the changelog compressed, made byte for byte the same each time
# (gzip -n leaves out the name and time). The package is built from its own source (a native
# package, version without a Debian revision), so its changelog is changelog.gz.
set(zn_gzipped "")
foreach(name zntool.1 znsim.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/${name} > ${CMAKE_BINARY_DIR}/packaging/${name}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${name}
    COMMENT "Compressing packaging/${name}")
  list(APPEND zn_gzipped ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
endforeach()
add_custom_target(zn_package_files ALL DEPENDS ${zn_gzipped})

# The manual pages and the command line's completion in bash.
install(FILES ${CMAKE_BINARY_DIR}/packaging/zntool.1.gz ${CMAKE_BINARY_DIR}/packaging/znsim.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/zntool.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zntool)
# The watcher as a service, one instance per line file in /etc/zntool.
install(FILES packaging/zntool-watch@.service DESTINATION /lib/systemd/system)
install(FILES ${CMAKE_BINARY_DIR}/zntool.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zntool)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zntool)
set(CPACK_PACKAGE_VERSION 1.42.0)
set(CPACK_PACKAGE_VENDOR "ORMELIX")
set(CPACK_PACKAGE_CONTACT "ZN tool maintainers <maintainers@zntool.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "ZN module debugging tool: commission and test RS485 / Modbus RTU I/O modules")
# Debian's lines of the long description are at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [=[
Finds a module's baud rate and parity, reads and changes its address and line
settings, reads and writes registers and opens a function-test window per
model, showing the frames sent and received. Chinese and English.
Includes znsim, a simulator of a bus of modules on a pseudo-terminal.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Qt's libraries come from what the programs link; the Chinese texts need a CJK font, and Qt's
# own dialogs their catalogue.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
