# The Debian package: `cpack -G DEB` in a build folder packs what
# `cmake --install` puts under /usr, with the dependencies that
# dpkg-shlibdeps reads from the binaries and the engine libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "The Tarnwick developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TARNWICK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "archive manager for ZIP files")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tarnwick is a single-window archive manager for ZIP files. Open or create"
  "one archive at a time, see its entries in a seven-column list, and add,"
  "update, extract, remove, view, test and repair entries; set the archive"
  "date, edit its comment, copy, rename or delete the archive, work with"
  "archives spanning several disks and browse a folder of archives with"
  "their comments."
  ""
  "The package also holds tarnwick-cli, which does the same archive work"
  "for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARNWICK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# View, Read Me and the launchers of Create Group open files with xdg-open,
# which no library dependency brings along.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
# The engine libraries are the program's own, loaded at run time from
# /usr/lib/tarnwick; other packages never link them.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
