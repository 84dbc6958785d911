# What "cmake --install" puts under the prefix: the shared library, the
# header, the tools built and their manual pages, the udev rule, talvor.pc,
# the CMake package (target talvor::talvor) and the bindings' sources; the
# top-level project also describes its Debian package (cmake/pacote.cmake).

install(TARGETS talvor EXPORT talvorTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/talvor/ecf.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/talvor)
if(talvor_programas)
  install(TARGETS ${talvor_programas} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/doc/talvor.1 ${PROJECT_SOURCE_DIR}/doc/talvor-sim.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
# The udev rule that opens the printer's and scanner's hidraw nodes to the
# user at the seat and the group dialout; udev reads lib/udev/rules.d below
# the prefixes /usr and /usr/local.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/udev/60-talvor.rules DESTINATION lib/udev/rules.d)
endif()

install(EXPORT talvorTargets NAMESPACE talvor:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/talvor)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/talvorConfig.cmake.in
  ${PROJECT_BINARY_DIR}/talvorConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/talvor)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/talvorConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/talvorConfig.cmake ${PROJECT_BINARY_DIR}/talvorConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/talvor)
# talvor.pc finds the prefix from its own place, so that a package may move it.
file(RELATIVE_PATH TALVOR_PC_PREFIXO /x/${CMAKE_INSTALL_LIBDIR}/pkgconfig /x)
string(REGEX REPLACE "/$" "" TALVOR_PC_PREFIXO "${TALVOR_PC_PREFIXO}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/talvor.pc.in ${PROJECT_BINARY_DIR}/talvor.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/talvor.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/bindings/ DESTINATION ${CMAKE_INSTALL_DATADIR}/talvor
  PATTERN __pycache__ EXCLUDE
  PATTERN "*.egg-info" EXCLUDE
  PATTERN build EXCLUDE)

# CPack describes the package of the whole build tree: only talvor's own.
if(PROJECT_IS_TOP_LEVEL)
  include(${PROJECT_SOURCE_DIR}/cmake/pacote.cmake)
endif()
