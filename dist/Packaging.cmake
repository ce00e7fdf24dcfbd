# The Debian package, built by CPack from the install rules ("scripts/package" builds and
# checks it). The shared libraries' dependencies come from dpkg-shlibdeps; what the programs
# only start or load at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KESTRIN_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.kestrin.example/)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins are loaded, not linked; the window needs them to open at all. The help
# window reads the help collection through Qt's SQLite driver, also a plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
# Japanese text in the window, scheduled checks, addresses opened in the browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, systemd | cron, xdg-utils")
# The sound played when a check found something.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pipewire-bin | pulseaudio-utils | alsa-utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tells you when software on the Internet has been updated")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kestrin 2001 checks programs that registered themselves and their author (it
downloads each author's update information file and compares builds) and web
pages you define (judged updated by their date, size or a checksum of their
text, by a new archive link on a download page, or by the date of one archive
file). It sets the clock by SNTP, works through an HTTP proxy with Basic
authentication, and runs checks on a schedule with desktop notifications.

The package holds the desktop program kestrin and kestrin-cli for scripts,
timers and supporting programs.")
include(CPack)
