# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, made by `cpack -G DEB` in a build folder configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh builds, checks and tries it).
#
# It holds the install component "lmx" (the program, its launcher, icons,
# AppStream description and manual page) and the component "debian" (the
# copyright and changelog files Debian keeps in usr/share/doc/<package>/, left
# out of a plain `cmake --install`). The tools and tests are not installed.

# Named after the product rather than the command: "lmx" alone is too short to
# tell anyone in a package list what it is, and too likely to be taken.
set(LMX_PACKAGE_NAME spectrometer-lmx)

# Debian's documentation files; the changelog names the version being built.
set(LMX_DEBIAN ${PROJECT_SOURCE_DIR}/resources/debian)
set(LMX_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog)
configure_file(${LMX_DEBIAN}/changelog.in ${LMX_CHANGELOG} @ONLY)
add_custom_command(OUTPUT ${LMX_CHANGELOG}.gz
  COMMAND gzip -9nkf ${LMX_CHANGELOG}
  DEPENDS ${LMX_CHANGELOG}
  COMMENT "Compressing the Debian changelog")
add_custom_target(lmx_debian_changelog ALL DEPENDS ${LMX_CHANGELOG}.gz)
install(FILES ${LMX_DEBIAN}/copyright ${LMX_CHANGELOG}.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${LMX_PACKAGE_NAME}
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${LMX_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "The LMX developers")
set(CPACK_PACKAGE_CONTACT "The LMX developers <lmx-author@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "record optical spectra through the sound card's input")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# One package with only these two components, whatever else gets install rules.
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};lmx;/"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # <package>_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lmx.example.org/")
# The long description; CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Spectrometer LMX turns a computer's sound card into the measuring input of an
optical spectrometer: the detector output is wired to the sound card's input.
It shows the live detector signal like an oscilloscope while the instrument
is set up, records a 750-point spectrum while the spectrometer sweeps from
the initial to the final wavelength, lists the numbers, and keeps spectra as
bitmap pictures that can be opened again and overlaid for comparison.")
# The libraries the program links come from dpkg-shlibdeps. What it loads at
# run time is named here: Qt's SVG image format and icon engine plug-ins for
# its icons (libqt6svg6; the X platform plug-in comes with libqt6gui6), the
# ALSA "pulse" device that reaches a sound server when no card takes the
# input format directly, and the Wine faces "MS Sans Serif" and "Tahoma" that
# the windows are drawn with when they are there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins, fonts-wine")

include(CPack)
