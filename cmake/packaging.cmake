# Installation and packages: a .deb of the Linux build (program and manual page) and a .zip of
# the Windows build (STAMPIX.EXE and a plain-text README with CR LF line ends). The version is
# the project's, the one the usage text shows.
include(GNUInstallDirs)
string(REGEX REPLACE "^(....)(..)(..)$" "\\1-\\2-\\3" STAMPIX_DATE ${PROJECT_VERSION_MAJOR})

if(WIN32)
  configure_file(doc/README.TXT README.TXT @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS stampix RUNTIME DESTINATION .)
  install(FILES ${CMAKE_BINARY_DIR}/README.TXT DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  configure_file(doc/stampix.1.in stampix.1 @ONLY)
  find_program(STAMPIX_GZIP gzip REQUIRED)
  add_custom_command(OUTPUT stampix.1.gz
                     COMMAND ${STAMPIX_GZIP} -9 -n -c stampix.1 > stampix.1.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/stampix.1)
  add_custom_target(manual ALL DEPENDS stampix.1.gz)
  install(TARGETS stampix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_BINARY_DIR}/stampix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "STAMPIX developers <dev@stampix.invalid>")
endif()

set(CPACK_PACKAGE_NAME stampix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "adds the last-write date to file and folder names")
set(CPACK_PACKAGE_DESCRIPTION
    "Renames a file or folder, or every entry that a wildcard selects in one folder, so that its name holds its last-write date as (YYYYMMDD) before the last dot.")
set(CPACK_PACKAGE_VENDOR "STAMPIX")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
include(CPack)
