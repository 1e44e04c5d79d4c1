# Debian packaging: `cpack -G DEB` in the build folder packs the install into four packages, one
# per install component: the default component into velmora-capture, the component "fprint" (the
# libfprint readers, plugins/fprint) into velmora-plugin-fprint, the component "fprintd" (the
# readers of the system's fingerprint service, plugins/fprintd) into velmora-plugin-fprintd, and the
# component "dev" (what a reader vendor builds and checks a plug-in with) into velmora-fpx-dev.
# Only velmora-plugin-fprint pulls libfprint in, and only velmora-capture pulls GTK+ in.
#
# The simulated reader is in the package, but inert: its catalogue entry is installed only as an
# example under /usr/share/velmora/examples, never into /etc/Velmora, so a machine captures
# simulated samples only after someone copies that entry in by hand.

set(VELMORA_PACKAGE_NAME velmora-capture)
set(VELMORA_FPRINT_PACKAGE_NAME velmora-plugin-fprint)
set(VELMORA_FPRINTD_PACKAGE_NAME velmora-plugin-fprintd)
set(VELMORA_DEV_PACKAGE_NAME velmora-fpx-dev)
set(VELMORA_DEB_RELEASE 4)
set(velmora_debian ${CMAKE_CURRENT_LIST_DIR}/debian)

# Debian wants in each package a copyright file and a changelog compressed without a timestamp
# (reproducible), and the lintian tags that the design asks for, each with its reason in the file.
#   velmora_package_files(PACKAGE COMPONENT CHANGELOG_TEMPLATE [LINTIAN_OVERRIDES])
function(velmora_package_files package component changelog)
  set(VELMORA_PACKAGE_NAME ${package})
  configure_file(${changelog} ${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${velmora_debian}/copyright ${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  if(ARGC GREATER 3)
    install(FILES ${ARGV3} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${package}
            COMPONENT ${component})
  endif()
endfunction()
velmora_package_files(${VELMORA_PACKAGE_NAME} Unspecified ${velmora_debian}/changelog.in
                      ${velmora_debian}/lintian-overrides)
velmora_package_files(${VELMORA_FPRINT_PACKAGE_NAME} fprint ${velmora_debian}/fprint/changelog.in)
velmora_package_files(${VELMORA_FPRINTD_PACKAGE_NAME} fprintd ${velmora_debian}/fprintd/changelog.in)
velmora_package_files(${VELMORA_DEV_PACKAGE_NAME} dev ${velmora_debian}/dev/changelog.in
                      ${velmora_debian}/dev/lintian-overrides)

# Manual pages, with the version filled in, compressed the same way, each in its program's package.
#   velmora_man_page(PROGRAM COMPONENT)
function(velmora_man_page page component)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/debian/man/${page}.1 @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/man/${page}.1 COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_BINARY_DIR}/debian/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${component})
endfunction()
foreach(page velmora-capture velmora-capture-host velmora-units)
  velmora_man_page(${page} Unspecified)
endforeach()
velmora_man_page(velmora-plugin-check dev)

# One package per component; the default component keeps the name velmora-capture (CPack would
# call it velmora-capture-unspecified).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified dev)
if(VELMORA_WITH_FPRINT)
  list(APPEND CPACK_COMPONENTS_ALL fprint)
endif()
if(VELMORA_WITH_FPRINTD)
  list(APPEND CPACK_COMPONENTS_ALL fprintd)
endif()
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME ${VELMORA_PACKAGE_NAME})
set(CPACK_DEBIAN_FPRINT_PACKAGE_NAME ${VELMORA_FPRINT_PACKAGE_NAME})
set(CPACK_DEBIAN_FPRINTD_PACKAGE_NAME ${VELMORA_FPRINTD_PACKAGE_NAME})
set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${VELMORA_DEV_PACKAGE_NAME})

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
report; and a simulated reader that stays disabled until its example
catalogue entry is copied into /etc/Velmora. Reader vendors find the plug-in
interface in velmora-fpx-dev.")

# The libfprint readers: the plug-in needs the capture program of the same build, and libfprint and
# libgusb (a reader's USB ids), which dpkg-shlibdeps finds from the library.
set(CPACK_DEBIAN_FPRINT_PACKAGE_DEPENDS "${VELMORA_PACKAGE_NAME} (= ${PROJECT_VERSION}-${VELMORA_DEB_RELEASE})")
set(CPACK_DEBIAN_FPRINT_DESCRIPTION "fingerprint readers through libfprint for velmora-capture
A plug-in of velmora-capture over libfprint 2: every image reader that
libfprint supports becomes a reader of the capture program, and each capture
hands back the path and checksum of the fingerprint image, written as a PGM
file.
.
The plug-in stays disabled until its example catalogue entry,
/usr/share/velmora/examples/fprint, is copied into /etc/Velmora.")

# The readers of the system's fingerprint service: the plug-in needs the capture program of the same
# build and GLib (dpkg-shlibdeps finds it from the library); fprintd itself is only recommended, as
# the plug-in talks to it over the system bus, perhaps on another installation's terms, and says so
# when it is absent.
set(CPACK_DEBIAN_FPRINTD_PACKAGE_DEPENDS "${VELMORA_PACKAGE_NAME} (= ${PROJECT_VERSION}-${VELMORA_DEB_RELEASE})")
set(CPACK_DEBIAN_FPRINTD_PACKAGE_RECOMMENDS "fprintd")
set(CPACK_DEBIAN_FPRINTD_DESCRIPTION "fingerprint readers through fprintd for velmora-capture
A plug-in of velmora-capture over the system's fingerprint service, fprintd:
every reader that fprintd serves, including the match-on-chip readers of
recent laptops, becomes a reader of the capture program. A capture verifies
the finger against the user's fingers enrolled in fprintd, and only a match
hands back a sample.
.
The plug-in stays disabled until its example catalogue entry,
/usr/share/velmora/examples/fprintd, is copied into /etc/Velmora.")

# The vendor's kit. It needs no capture program: a plug-in is built and checked on a machine
# without GTK+ or a reader, and the interface does not change with the program's version (a change
# would break every plug-in), so the package depends only on what dpkg-shlibdeps finds for the
# checker. The header and the pkg-config file were in velmora-capture before 1.0.0-2, hence Breaks
# and Replaces: an upgrade may unpack this package before the new velmora-capture.
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_BREAKS "${VELMORA_PACKAGE_NAME} (<< 1.0.0-2)")
set(CPACK_DEBIAN_DEV_PACKAGE_REPLACES "${VELMORA_PACKAGE_NAME} (<< 1.0.0-2)")
set(CPACK_DEBIAN_DEV_DESCRIPTION "plug-in interface of velmora-capture, for reader vendors
What a fingerprint reader vendor needs to write a plug-in for the Velmora
capture program: the C header of the plug-in interface with its pkg-config
file (velmora-fpx), the source of a template plug-in to copy, and
velmora-plugin-check, which loads a plug-in as the capture program does and
checks that it keeps the interface's rules.
.
The package does not need velmora-capture: plug-ins can be built and checked
on a machine without it.")

include(CPack)
