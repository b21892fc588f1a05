# The Debian package: after the build, `cpack -G DEB` in the build folder
# writes kktview_<version>-<revision>_<arch>.deb. Only what the install rules
# name goes in: the program, its manual pages, desktop entry, icons and
# AppStream metainfo, and the package's copyright, changelog and lintian
# overrides from cmake/debian/; no test or benchmark program has an install
# rule.
set(CPACK_PACKAGE_NAME kktview)
set(CPACK_PACKAGE_VENDOR "kktview")
set(CPACK_PACKAGE_CONTACT "kktview maintainers <maintainers@kktview.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of cash register binary files and cliche codes")
# Plain text: apt and software centres show it as it stands.
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop tool for service engineers of Russian cash registers (KKT).
It opens any file as raw bytes and shows them side by side: a hex dump under
a column ruler, the bytes as code page 866 and code page 1251 text, and the
Russian names of the control characters. It turns a cliche text (the header
a register prints on every receipt) into the code listing for the cp866 or
the cp1251 group of registers, checks it for a register model, and edits
and saves files byte for byte. Its command line writes the same views and
the check's findings for scripts. The interface is in Russian.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_PACKAGE_RELEASE ${KKTVIEW_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binary's own needs. The rest is recommended:
# Qt's Russian texts (without them Qt's buttons and dialogs stay English),
# the SVG icon engine (PNGs stand in without it) and the faces that stand in
# for the Windows fonts the panes ask for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, libqt6svg6, fonts-dejavu-core, fonts-liberation2")

# What Debian asks of every package: the copyright in machine-readable form
# and the changelog compressed without a time stamp, both in its doc folder.
set(debian_dir ${CMAKE_CURRENT_LIST_DIR}/debian)
set(changelog_gz ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${changelog_gz}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/debian
                   COMMAND ${CMAKE_COMMAND} -E copy ${debian_dir}/changelog
                           ${PROJECT_BINARY_DIR}/debian/changelog.Debian
                   COMMAND ${GZIP} -9 --no-name --force ${PROJECT_BINARY_DIR}/debian/changelog.Debian
                   DEPENDS ${debian_dir}/changelog VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${debian_dir}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${debian_dir}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME kktview)

include(CPack)
