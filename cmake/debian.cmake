# What the Linux build installs besides the program: the manual page, and the copyright file
# (from LICENSE, in Debian's machine-readable layout) and changelog that a Debian package needs.
find_program(STAMPIX_GZIP gzip REQUIRED)
configure_file(doc/stampix.1.in stampix.1 @ONLY)

# Debian's layout: the licence text one blank in, a "." for each empty line.
file(READ LICENSE STAMPIX_LICENSE)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" STAMPIX_COPYRIGHT "${STAMPIX_LICENSE}")
set(STAMPIX_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${STAMPIX_LICENSE}" "Permission" STAMPIX_LICENSE_START)
string(SUBSTRING "${STAMPIX_LICENSE}" ${STAMPIX_LICENSE_START} -1 STAMPIX_LICENSE_TEXT)
string(STRIP "${STAMPIX_LICENSE_TEXT}" STAMPIX_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" STAMPIX_LICENSE_TEXT "${STAMPIX_LICENSE_TEXT}")
string(REPLACE "\n" "\n " STAMPIX_LICENSE_TEXT " ${STAMPIX_LICENSE_TEXT}")
file(CONFIGURE OUTPUT copyright @ONLY CONTENT [[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: stampix
Upstream-Contact: @STAMPIX_MAINTAINER@

Files: *
Copyright: @STAMPIX_COPYRIGHT@
License: Expat
@STAMPIX_LICENSE_TEXT@
]])

# A native package's changelog: one entry, dated by the version.
execute_process(COMMAND env LC_ALL=C date -R -u -d "${STAMPIX_DATE} 12:00"
                OUTPUT_VARIABLE STAMPIX_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
file(CONFIGURE OUTPUT changelog @ONLY CONTENT [[
stampix (@PROJECT_VERSION@) unstable; urgency=medium

  * Release @PROJECT_VERSION@.

 -- @STAMPIX_MAINTAINER@  @STAMPIX_RELEASE_TIME@
]])

foreach(file stampix.1 changelog)
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND ${STAMPIX_GZIP} -9 -n -c ${file} > ${file}.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/${file})
endforeach()
add_custom_target(package_docs ALL DEPENDS stampix.1.gz changelog.gz)
install(TARGETS stampix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/stampix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
