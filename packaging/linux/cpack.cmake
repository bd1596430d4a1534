# The Debian package: `cpack -G DEB` in a build folder. Its dependencies are read from the
# libraries the binaries link (dpkg-shlibdeps), so they follow whatever the build linked.
set(CPACK_PACKAGE_NAME zorvik)
set(CPACK_PACKAGE_VENDOR Ovra)
set(CPACK_PACKAGE_CONTACT "Ovra Zorvik developers <zorvik@ovra.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "motion analysis in video")
# Lines of the long description stay within the width Debian's tools show.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Zorvik opens several videos side by side and plays them together from 0.1x to\n"
    "3x speed or frame by frame, ties them together at synchronisation points, marks\n"
    "keyframes, ranges and stopwatches, draws and measures on the picture, and\n"
    "writes derived videos (blend, split screen, stroboscopic picture). The work is\n"
    "kept in .zorvik analysis files.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY zorvik)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)
