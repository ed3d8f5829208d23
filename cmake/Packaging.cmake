# The Debian package of the editor and quillet-gxt: `cpack -G DEB` in the build folder, or the
# `package` target. It holds what the install rules install (the two programs, the desktop
# entry, the icon, the file types and the AppStream metainfo) under /usr, and nothing that
# only the build uses: the tests, benchmarks and fuzzers have no install rules.
set(QUILLET_PACKAGE_MAINTAINER "Quillet maintainers <maintainers@users.noreply.c-seed-51996890.example>"
  CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR Brindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILLET_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the GXT text tables of a game series")
# Without it CPack would describe the package with its own placeholder text. Debian's tools
# want the lines of a description short.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Quillet edits GXT files, the text tables from which a game draws every line of"
  "text it shows: find an entry, change its text (colour codes included) and save"
  "a file the game reads. It reads and writes the flat, tabled and hashed GXT"
  "layouts and GXT2 in either byte order, and keeps every glyph of a file as it was."
  "quillet-gxt exports tables to text, CSV or JSON, imports them back, and checks"
  "and compares files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLET_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
# quillet_1.3.0_amd64.deb, the name apt and dpkg expect.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(QUILLET_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUILLET_DPKG_SHLIBDEPS)
  # The dependencies, with their versions, from the libraries the binaries really link.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  # What the two binaries link (objdump -p: Qt Core, Gui and Widgets, the C and C++ runtimes),
  # as Debian 12 names the packages; the xcb platform plugin comes with libqt6gui6.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libc6, libstdc++6, libgcc-s1")
endif()

include(CPack)
