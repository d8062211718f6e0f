# The Debian package (cpack -G DEB in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr; scripts/package.sh does both): one package,
# zumbrik, with the game, the tool, their manual pages, the desktop entry and
# icon, and the player library with its development files. Its Depends are
# computed from the binaries by dpkg-shlibdeps. Its only maintainer scripts
# are CPack's generated ldconfig calls for the library.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zumbrik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zumbrik developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game for the text console, with tracker music")
set(CPACK_PACKAGE_DESCRIPTION "Zumbrik is played in a terminal of 80 x 30 cells, with its own XM module \
player for the music. The package also holds zumbrik-xm, a tool that shows, renders and plays XM modules, and \
the player as a library for C and C++ programs (header, pkg-config file, CMake package).")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs and the library open ALSA when music first plays (dlopen), so
# dpkg-shlibdeps does not see it. Recommended, so apt installs it with the
# game: without it everything runs, silently, and offline rendering needs
# nothing of it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2 | libasound2t64")
# The library's shlibs entry, for packages built against it.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
