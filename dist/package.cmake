# The Debian package: one package, zelkora, holding everything the install
# rules put in place. Its run-time dependencies come from dpkg-shlibdeps
# (Qt 6 Widgets, the C and C++ run-time; the JSON library is header-only),
# plus hwdata for the PCI names and Qt's platform plugins for the window.
# The project publishes no contact address: the package names the project
# only; whoever publishes a build may name themselves here.
set(ZELKORA_PACKAGE_CONTACT "The Zelkora developers"
    CACHE STRING "Maintainer of the Debian package")

install(FILES debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zelkora)
install(FILES debian/zelkora.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME zelkora)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog)
configure_file(debian/changelog ${changelog} COPYONLY)
add_custom_command(OUTPUT ${changelog}.gz COMMAND gzip -9nkf ${changelog} DEPENDS ${changelog}
                   VERBATIM)
add_custom_target(zelkora-changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zelkora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelkora)
set(CPACK_PACKAGE_VENDOR "Zelkora developers")
set(CPACK_PACKAGE_CONTACT "${ZELKORA_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hardware information for PC motherboards")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelkora shows the computer and its operating system, memory, the processor, the\n"
    "motherboard and its BIOS, the drives on the four IDE positions, every PCI\n"
    "function and the logical devices of the Super-I/O chip, and edits PCI and\n"
    "Super-I/O configuration registers in a hexadecimal grid.\n"
    "\n"
    "The package holds the Qt program zelkora, the command zelkora-cli, the\n"
    "library libzelkora-sysinfo with its C header, pkg-config file and CMake\n"
    "package, the port driver it binds and the private library that the library\n"
    "and the programs share.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hwdata, qt6-qpa-plugins")
# The ldconfig trigger that Debian asks of a package with shared libraries
# (CPack's own maintainer scripts also call ldconfig, which lintian warns of).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
