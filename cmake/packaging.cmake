# One Debian package with both programs, both command-line tools, their manual pages and bash
# completions, the desktop entries, the MIME types, the icons, the help and the sample record:
# everything `cmake --install` puts under the prefix, under /usr. Build it with
#   cpack --config build/CPackConfig.cmake -B build/package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tavrel developers")
set(CPACK_PACKAGE_CONTACT "Tavrel developers <tavrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Shogi game records: viewer and editor, database, command-line tools")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrel shows and edits one shogi game record (KIF, KI2, CSA, BOD, JSON kifu), plays and \
analyses with USI engines, prints and exports. Dalmir keeps a database over folders of record \
files, with position, sequence and header search, statistics and duplicate detection. \
tavrel-cli and dalmir-cli do the same work from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(TAVREL_GUI)
    # Qt finds the desktop's display through its platform plugins, a package of their own; the
    # vector icons are drawn by the SVG icon engine plugin, loaded at run time (no link to see).
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
endif()
# Qt's own dialogs and buttons in Japanese come from its translation package.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-ipaexfont-gothic | fonts-noto-cjk, qt6-translations-l10n")
# The libraries the programs link become the package's dependencies.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    message(STATUS "dpkg-shlibdeps not found: the Debian package will list no dependencies")
endif()
include(CPack)
