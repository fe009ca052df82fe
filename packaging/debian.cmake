# The Debian package (make deb): the install rules above with the prefix /usr.
# The program folder is /usr/lib/varnel-zize (a package's private programs and
# their data) and the launcher /usr/bin/Varnel_Zize. Not /opt: Debian keeps
# /opt for the local administrator, and lintian rejects packages that install
# there. The program folder is read-only for the user, so the program writes
# into the user's data folder and leaves its updates to the package manager.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel-zize)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Varnel)
set(CPACK_PACKAGE_CONTACT "Varnel <info@varnelzize.se>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "folder groups in every Open and Save dialog")
# CPack puts the summary first and indents the rest, one paragraph per blank line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Varnel Zize keeps your favourite folders one click away. Define named
groups of five folders, pick one as the active group, and the Open and
Save dialogs of your programs offer those five folders among their places.

It lives in the notification area and can be driven from the command line;
whatever it wrote is removed again when it ends.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.varnelzize.se)
# Debian's own Qt 6 and SQLite libraries, with the versions this build linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_IGNORE_FILES /build/ /\\.git/)

# What every Debian package carries in its documentation folder.
set(VARNEL_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${VARNEL_CHANGELOG}
  COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/changelog > ${VARNEL_CHANGELOG}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/changelog
  VERBATIM)
add_custom_target(varnel_changelog ALL DEPENDS ${VARNEL_CHANGELOG})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/copyright ${VARNEL_CHANGELOG} DESTINATION share/doc/varnel-zize)

set(VARNEL_MANPAGE ${CMAKE_CURRENT_BINARY_DIR}/Varnel_Zize.1.gz)
add_custom_command(OUTPUT ${VARNEL_MANPAGE}
  COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/Varnel_Zize.1 > ${VARNEL_MANPAGE}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/Varnel_Zize.1
  VERBATIM)
add_custom_target(varnel_manpage ALL DEPENDS ${VARNEL_MANPAGE})
install(FILES ${VARNEL_MANPAGE} DESTINATION share/man/man1)

include(CPack)
