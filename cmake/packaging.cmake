# The Debian package: after the build, `cpack -G DEB` in the build folder
# writes kktview_<version>_<arch>.deb. Only what the install rules name goes
# in: the program, its desktop entry, icons and AppStream metainfo; no test
# or benchmark program has an install rule.
set(CPACK_PACKAGE_NAME kktview)
set(CPACK_PACKAGE_VENDOR "kktview")
set(CPACK_PACKAGE_CONTACT "kktview maintainers <maintainers@kktview.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of cash register binary files and cliche codes")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop tool for service engineers of Russian cash registers (KKT).
It opens any file as raw bytes and shows them side by side: a hex dump under
a column ruler, the bytes as code page 866 and code page 1251 text, and the
Russian names of the control characters. It turns a cliche text (the header a
register prints on every receipt) into the code listing for the cp866 or the
cp1251 group of registers, and edits and saves files byte for byte.
`kktview --print VIEW FILE...` writes the same views for scripts.
The interface is in Russian.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binary's own needs; Qt's Russian texts (help,
# dialogs and buttons) are no library, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# The SVG icon (PNGs stand in without it) and the faces that stand in for
# the Windows fonts the panes ask for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, fonts-dejavu-core, fonts-liberation2")

include(CPack)
