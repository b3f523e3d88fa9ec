# The Debian package (scripts/package): everything `cmake --install` puts in place, under
# /usr, with the run-time dependencies that dpkg-shlibdeps finds in the two programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME serivox)
set(CPACK_PACKAGE_VERSION ${SERIVOX_VERSION_TEXT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${SERIVOX_COPYRIGHT} <developers@serivox.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt draws the tool bar's icons through its SVG plugin, which no program links. (The Telnet
# library of network ports, libtelnet2, is linked: shlibdeps names it.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[serial terminal for configuring and testing radio modules
Serivox talks to Bluetooth modules with iWRAP firmware and Wi-Fi modules with
AT firmware over a UART or a USB serial adapter. It shows every byte the module
sends as text, hexadecimal or codes, sends what you type and one-click module
commands, speaks the iWRAP multiplexing mode, captures to a file, sends text
files line by line, and reopens a lost port by itself.
.
serivox-module, a simulated module on a pseudo-terminal, lets you try it
without hardware.]=])
include(CPack)

# The package's changelog, as Debian keeps it for a package made by the program's own
# developers.
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in changelog @ONLY)
add_custom_command(OUTPUT changelog.gz
  COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/serivox)
