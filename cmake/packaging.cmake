# Installation and packages: a .deb of the Linux build (program, manual page, copyright file and
# changelog, as lintian wants them) and a .zip of the Windows build (STAMPIX.EXE, the
# DELTREE.EXE its folder merges run, and a plain-text README and licence with CR LF line ends).
# The version is the project's, the one the usage text shows.
include(GNUInstallDirs)
string(REGEX REPLACE "^(....)(..)(..)$" "\\1-\\2-\\3" STAMPIX_DATE ${PROJECT_VERSION_MAJOR})
set(STAMPIX_MAINTAINER "STAMPIX developers <dev@stampix.invalid>")

if(WIN32)
  configure_file(doc/README.TXT README.TXT @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.TXT @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS stampix deltree RUNTIME DESTINATION .)
  install(FILES ${CMAKE_BINARY_DIR}/README.TXT ${CMAKE_BINARY_DIR}/LICENSE.TXT DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(cmake/debian.cmake)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${STAMPIX_MAINTAINER})
endif()

set(CPACK_PACKAGE_NAME stampix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "adds the last-write date to file and folder names")
# Lines within 80 columns: the .deb takes them as its extended description.
set(CPACK_PACKAGE_DESCRIPTION [[
Renames a file or folder, or every entry that a wildcard selects in one
folder, so that its name holds its last-write date as (YYYYMMDD) before the
last dot. A name that already holds such a date is left alone.]])
set(CPACK_PACKAGE_VENDOR "STAMPIX")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
include(CPack)
