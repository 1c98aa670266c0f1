# A Debian package of the program: `cpack -G DEB` (or the `package` target) in
# a build configured with QZ_BUILD_UI=ON and Debian's build flags
# (scripts/check-package does both). It holds what `cmake --install` installs
# below /usr: the program, the batch command, the report page, the desktop
# entry, the icons, the demo data script, the manual pages, the copyright
# file and the changelog. The shared libraries' packages are found by
# dpkg-shlibdeps; xdg-utils opens the report page.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qz8840-reporter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Norvale")
set(CPACK_PACKAGE_CONTACT "Norvale production tools <tools@norvale.invalid>")
# Debian: a synopsis under 80 characters, and the extended description in
# lines under 80 too (CPack indents them).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "production report of OK and NG chip writes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Counts the passed and failed chip writes of the production line's record
files per setting file and per write-board ID over a date range, and writes
the scripts of a report page. qz8840-report runs the same jobs without a
display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")

include(CPack)

# What Debian asks of a package besides the programs: a copyright file, a
# changelog and a manual page per program, compressed as dpkg does. The batch
# command's page is made from its --help, so it is built where it can run.
if(UNIX AND NOT CMAKE_CROSSCOMPILING)
    set(qz_doc_dir ${CMAKE_BINARY_DIR}/debian-docs)
    set(VERSION ${PROJECT_VERSION})
    configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog ${qz_doc_dir}/changelog @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/qz8840-reporter.1
                   ${qz_doc_dir}/qz8840-reporter.1 @ONLY)
    add_custom_command(
        OUTPUT ${qz_doc_dir}/qz8840-report.1.gz
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:qz8840-report>
                -DVERSION=${PROJECT_VERSION} -DOUT=${qz_doc_dir}/qz8840-report.1
                -P ${CMAKE_SOURCE_DIR}/cmake/HelpToMan.cmake
        COMMAND gzip -9nf ${qz_doc_dir}/qz8840-report.1
        DEPENDS qz8840-report ${CMAKE_SOURCE_DIR}/cmake/HelpToMan.cmake
        VERBATIM)
    foreach(file changelog qz8840-reporter.1)
        add_custom_command(
            OUTPUT ${qz_doc_dir}/${file}.gz
            COMMAND gzip -9nkf ${qz_doc_dir}/${file}
            DEPENDS ${qz_doc_dir}/${file}
            VERBATIM)
    endforeach()
    add_custom_target(qz_debian_docs ALL
        DEPENDS ${qz_doc_dir}/qz8840-report.1.gz ${qz_doc_dir}/qz8840-reporter.1.gz
                ${qz_doc_dir}/changelog.gz)
    install(FILES ${qz_doc_dir}/qz8840-report.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    if(TARGET qz8840-reporter)
        install(FILES ${qz_doc_dir}/qz8840-reporter.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${qz_doc_dir}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qz8840-reporter)
endif()
