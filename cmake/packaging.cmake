# Debian packaging: `cpack -G DEB` in the build folder packs the install into two packages, one per
# install component: the default component into velmora-capture, the component "fprint" (the
# libfprint readers, plugins/fprint) into velmora-plugin-fprint. Only the second one pulls libfprint
# in.
#
# The simulated reader is in the package, but inert: its catalogue entry is installed only as an
# example under /usr/share/velmora/examples, never into /etc/Velmora, so a machine captures
# simulated samples only after someone copies that entry in by hand.

set(VELMORA_PACKAGE_NAME velmora-capture)
set(VELMORA_FPRINT_PACKAGE_NAME velmora-plugin-fprint)
set(VELMORA_DEB_RELEASE 1)
set(velmora_debian ${CMAKE_CURRENT_LIST_DIR}/debian)

# Debian wants in each package a copyright file and a changelog compressed without a timestamp
# (reproducible), and the lintian tags that the design asks for, each with its reason in the file.
#   velmora_package_files(PACKAGE COMPONENT CHANGELOG_TEMPLATE LINTIAN_OVERRIDES)
function(velmora_package_files package component changelog overrides)
  set(VELMORA_PACKAGE_NAME ${package})
  configure_file(${changelog} ${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${velmora_debian}/copyright ${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  install(FILES ${overrides} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${package}
          COMPONENT ${component})
endfunction()
velmora_package_files(${VELMORA_PACKAGE_NAME} Unspecified ${velmora_debian}/changelog.in
                      ${velmora_debian}/lintian-overrides)
velmora_package_files(${VELMORA_FPRINT_PACKAGE_NAME} fprint ${velmora_debian}/fprint/changelog.in
                      ${velmora_debian}/fprint/lintian-overrides)

# Manual pages for the three programs, with the version filled in, compressed the same way.
foreach(page velmora-capture velmora-capture-host velmora-units)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/debian/man/${page}.1 @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/man/${page}.1 COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_BINARY_DIR}/debian/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# One package per component; the default component keeps the name velmora-capture (CPack would
# call it velmora-capture-unspecified).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified fprint)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME ${VELMORA_PACKAGE_NAME})
set(CPACK_DEBIAN_FPRINT_PACKAGE_NAME ${VELMORA_FPRINT_PACKAGE_NAME})

set(CPACK_PACKAGE_NAME ${VELMORA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora developers")
set(CPACK_PACKAGE_CONTACT "Velmora developers <dev@velmora.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# Strip leaves the compiler's .comment and .note sections; Debian's own packages drop them.
set(CPACK_PRE_BUILD_SCRIPTS ${velmora_debian}/drop_sections.cmake)
set(CPACK_VELMORA_OBJCOPY ${CMAKE_OBJCOPY})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora developers <dev@velmora.invalid>")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELMORA_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmora.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Control files keep the modes Debian expects (conffiles 0644), whatever the umask of the build.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The conffile is the main package's own; the plug-in's package has none.
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_CONTROL_EXTRA ${velmora_debian}/conffiles)
# CPack would put one summary, CPACK_PACKAGE_DESCRIPTION_SUMMARY, first in every package; each
# description therefore opens with its own synopsis line instead.
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION "fingerprint capture window for Linux desktops
velmora-capture is started by a program that manages enrolled
fingerprints. It shows a picture of two hands with a button on each enrolled
finger, captures one sample on the first fingerprint reader found through the
plug-ins listed in /etc/Velmora, and hands sample and finger back through
shared memory.
.
The package also holds velmora-capture-host, a stand-in for that parent
program; velmora-units, which lists the readers that the installed plug-ins
report; the plug-in header for reader vendors; and a simulated reader that
stays disabled until its example catalogue entry is copied into /etc/Velmora.")

# The libfprint readers: the plug-in needs the capture program of the same build, and libfprint,
# which dpkg-shlibdeps finds from the library.
set(CPACK_DEBIAN_FPRINT_PACKAGE_DEPENDS "${VELMORA_PACKAGE_NAME} (= ${PROJECT_VERSION}-${VELMORA_DEB_RELEASE})")
set(CPACK_DEBIAN_FPRINT_DESCRIPTION "fingerprint readers through libfprint for velmora-capture
A plug-in of velmora-capture over libfprint 2: every image reader that
libfprint supports becomes a reader of the capture program, and each capture
hands back the path and checksum of the fingerprint image, written as a PGM
file.
.
The plug-in stays disabled until its example catalogue entry,
/usr/share/velmora/examples/fprint, is copied into /etc/Velmora.")

include(CPack)
