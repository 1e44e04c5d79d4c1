#!/usr/bin/env bash
# Packs the build folder with `cpack -G DEB` into a temporary folder and checks the package of the
# fingerprint service's readers with dpkg-deb: its name and version against its own changelog and
# the main package's, the architecture, its relations (GLib through dpkg-shlibdeps, velmora-capture
# of the same version, fprintd recommended but not required, no libfprint), no conffile, the exact
# list of files, and the files themselves.
#   fprintd_package.sh BUILD_DIR PROJECT_VERSION
source "$(dirname "$0")/lib.sh"
build=$1 version=$2
pack_build "$build"
open_beside_main velmora-plugin-fprintd "$version"

depends=$(dpkg-deb -f "$deb" Depends)
has_relation "$depends" "libglib2.0-0 (>= *)" || fail "Depends lacks a versioned libglib2.0-0: $depends"
has_relation "$depends" "velmora-capture (= $deb_version)" ||
  fail "Depends lacks velmora-capture (= $deb_version): $depends"
! grep -qE 'fprint|libgtk' <<<"$depends" || fail "Depends reaches beyond GLib and the program: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = fprintd ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ ! -e "$tmp/control/conffiles" ] || fail "conffiles: $(cat "$tmp/control/conffiles")"

check_plugin_files fprintd

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
