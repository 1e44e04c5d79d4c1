#!/usr/bin/env bash
# Packs the build folder with `cpack -G DEB` into a temporary folder and checks the package of the
# libfprint readers with dpkg-deb: its name and version against its own changelog, the
# architecture, its dependencies (libfprint through dpkg-shlibdeps, and velmora-capture of the same
# version), no conffile, the exact list of files, and the files themselves. The main package of the
# same run must not depend on libfprint.
#   plugin_package.sh BUILD_DIR PROJECT_VERSION
source "$(dirname "$0")/lib.sh"
build=$1 version=$2
pack_build "$build"
made=$(cd "$tmp/out" && ls ./*.deb | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$(wc -w <<<"$made")" -eq 4 ] || fail "cpack made $made"
open_beside_main velmora-plugin-fprint "$version"

# libfprint with the minimum version that its symbols file gives, and exactly this build's program.
depends=$(dpkg-deb -f "$deb" Depends)
has_relation "$depends" "libfprint-2-2 (>= *)" || fail "Depends lacks a versioned libfprint-2-2: $depends"
has_relation "$depends" "velmora-capture (= $deb_version)" ||
  fail "Depends lacks velmora-capture (= $deb_version): $depends"
main_depends=$(dpkg-deb -f "$main_deb" Depends)
! grep -q libfprint <<<"$main_depends" || fail "velmora-capture depends on libfprint: $main_depends"

[ ! -e "$tmp/control/conffiles" ] || fail "conffiles: $(cat "$tmp/control/conffiles")"

check_plugin_files fprint

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
