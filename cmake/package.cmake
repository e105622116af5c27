# `make package`: the Debian package of this build (CPack's DEB generator):
# the programs in /usr/bin, the library in its folder under the architecture's
# library folder, the plugins, manual pages, completion, and under
# /usr/share/doc/drwa the copyright, changelog and the mail-server examples.
# Library dependencies come from the binaries (dpkg-shlibdeps); the plugins'
# Perl and its modules are named here, as no binary shows them.
set(DRWA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/drwa)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/debian/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${DRWA_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/mail-server
        DESTINATION ${DRWA_DOC_DIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME drwa)
set(CPACK_PACKAGE_VENDOR "drwa plugin developers")
set(CPACK_PACKAGE_CONTACT
    "drwa plugin developers <maintainers@users.noreply.c-seed-1291c6f3.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese web bulletin boards read and written as mail")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A plugin library for mail clients and the stand-in host drwa-host that
makes any Maildir, IMAP or sendmail mail client a board reader: each board
is a group, its new posts arrive as threaded ISO-2022-JP mails, and answers
sent by mail are posted to the board. Plugins for 2ch-compatible boards,
5ch, open2ch, Shitaraba and Machi BBS are included.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "perl, libwww-perl, liburi-perl, libhttp-message-perl, libhttp-date-perl, liblwp-protocol-https-perl")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mutt, dovecot-imapd, postfix")
include(CPack)
