# The Debian package: "cpack -G DEB" in a build directory packages whatever
# the build installs (library with its SONAME link, tools, emulator, header,
# talvor.pc, CMake package, manual pages, bindings) under /usr, with the
# dependencies dpkg-shlibdeps finds.

set(TALVOR_MANTENEDOR "Equipe talvor <talvor@localhost>" CACHE STRING
  "Maintainer written into the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvor)
set(CPACK_PACKAGE_CONTACT "${TALVOR_MANTENEDOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "library and tools for the Talvor fiscal printers (7720-QX3, 7720-RP5)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
 The library opens a Talvor fiscal printer (ECF) over a serial port or USB
 HID, makes it print its reports, downloads its memories into signed files
 and converts them into the LMF mirror, the detail-tape mirror and the Ato
 COTEPE/ICMS 17/04 type-E records.  The package holds the library, its C
 header, pkg-config and CMake files, the command-line tool talvor, the
 printer emulator talvor-sim, and the Pascal, C# and Python bindings'
 sources under /usr/share/talvor.")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
