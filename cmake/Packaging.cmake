# A Debian package of the program: `cpack -G DEB` (or the `package` target) in
# a build configured with QZ_BUILD_UI=ON. It holds what `cmake --install`
# installs below /usr: the program, the batch command, the report page, the
# desktop entry, the icons and the demo data script. The shared libraries'
# packages are found by dpkg-shlibdeps; xdg-utils opens the report page.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qz8840-reporter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Norvale")
set(CPACK_PACKAGE_CONTACT "Norvale production tools <tools@norvale.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Production report of OK and NG chip writes, with a command-line companion")
set(CPACK_PACKAGE_DESCRIPTION
    "Counts the passed and failed chip writes of the production line's record files per \
setting file and per write-board ID over a date range, and writes the scripts of a report \
page. qz8840-report runs the same jobs without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")

include(CPack)
