# The Debian package of the Linux program: `cpack -G DEB` in the native build
# folder (scripts/make-deb.sh does it all) makes sorvane_<version>_amd64.deb
# with the program in /usr/libexec/xscreensaver, its settings for
# XScreenSaver's settings window in /usr/share/xscreensaver/config and its
# manual page in /usr/share/man/man6. The library dependencies come from
# dpkg-shlibdeps; XScreenSaver itself, which runs the module and picks
# random photographs, is a dependency too.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo screen saver for XScreenSaver")
set(CPACK_PACKAGE_DESCRIPTION "Fifty tinted squares, each carrying one photograph, circle a common centre,
spin and drift inwards, blended so that their overlaps glow, while the plane
of their orbits slowly tilts back and forth. The photograph is a BMP or JPEG
file of your choice, a random one from XScreenSaver's image folder, or one of
two built-in photographs. Choose Sorvane in xscreensaver-settings.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sorvane authors")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xscreensaver, xscreensaver-data, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver-gl")
# Only what the install rules name goes into the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
