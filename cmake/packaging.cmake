# Debian packaging: `cpack -G DEB` in the build folder packs the whole install into one package,
# velmora-capture.
#
# The simulated reader is in the package, but inert: its catalogue entry is installed only as an
# example under /usr/share/velmora/examples, never into /etc/Velmora, so a machine captures
# simulated samples only after someone copies that entry in by hand.

set(VELMORA_PACKAGE_NAME velmora-capture)
set(VELMORA_DEB_RELEASE 1)
set(velmora_docdir ${CMAKE_INSTALL_DATADIR}/doc/${VELMORA_PACKAGE_NAME})
set(velmora_debian ${CMAKE_CURRENT_LIST_DIR}/debian)

# Debian wants a copyright file and a changelog compressed without a timestamp (reproducible).
configure_file(${velmora_debian}/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/changelog.Debian COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${velmora_debian}/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
        DESTINATION ${velmora_docdir})

# Lintian tags that the design asks for, each with its reason in the file.
install(FILES ${velmora_debian}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${VELMORA_PACKAGE_NAME})

# Manual pages for the three programs, with the version filled in, compressed the same way.
foreach(page velmora-capture velmora-capture-host velmora-units)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/debian/man/${page}.1 @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/man/${page}.1 COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_BINARY_DIR}/debian/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The package holds the default install component only: the libfprint readers' plug-in is installed
# as the component "fprint" (plugins/fprint) and is not part of it.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")

set(CPACK_PACKAGE_NAME ${VELMORA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora developers")
set(CPACK_PACKAGE_CONTACT "Velmora developers <dev@velmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fingerprint capture window for Linux desktops")
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
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${velmora_debian}/conffiles)
# CPack puts the summary first as the synopsis; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "velmora-capture is started by a program that manages enrolled
fingerprints. It shows a picture of two hands with a button on each enrolled
finger, captures one sample on the first fingerprint reader found through the
plug-ins listed in /etc/Velmora, and hands sample and finger back through
shared memory.
.
The package also holds velmora-capture-host, a stand-in for that parent
program; velmora-units, which lists the readers that the installed plug-ins
report; the plug-in header for reader vendors; and a simulated reader that
stays disabled until its example catalogue entry is copied into /etc/Velmora.")

include(CPack)
