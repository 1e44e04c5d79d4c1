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
mains=("$tmp"/out/velmora-capture_*.deb)
[ ${#mains[@]} -eq 1 ] && [ -f "${mains[0]}" ] || { echo "FAIL: cpack made $made" >&2; exit 1; }
open_package velmora-plugin-fprint "$version"
[ "$(dpkg-deb -f "${mains[0]}" Version)" = "$deb_version" ] ||
  fail "velmora-capture has version $(dpkg-deb -f "${mains[0]}" Version), the plug-in $deb_version"

# libfprint with the minimum version that its symbols file gives, and exactly this build's program.
depends=$(dpkg-deb -f "$deb" Depends)
IFS=, read -r -a relations <<<"$depends"
libfprint= capture=
for relation in "${relations[@]}"; do
  relation=${relation# }
  [[ $relation == "libfprint-2-2 (>= "*")" ]] && libfprint=1
  [ "$relation" = "velmora-capture (= $deb_version)" ] && capture=1
done
[ -n "$libfprint" ] || fail "Depends lacks a versioned libfprint-2-2: $depends"
[ -n "$capture" ] || fail "Depends lacks velmora-capture (= $deb_version): $depends"
main_depends=$(dpkg-deb -f "${mains[0]}" Depends)
! grep -q libfprint <<<"$main_depends" || fail "velmora-capture depends on libfprint: $main_depends"

[ ! -e "$tmp/control/conffiles" ] || fail "conffiles: $(cat "$tmp/control/conffiles")"

# Exactly the component "fprint": the library, its example entry, and Debian's files.
expected=$(sort <<EOF2
./usr/lib/Velmora/plugins/libfpx-fprint.so
./usr/share/doc/velmora-plugin-fprint/changelog.Debian.gz
./usr/share/doc/velmora-plugin-fprint/copyright
./usr/share/velmora/examples/fprint
EOF2
)
check_members "$deb" "$expected"
check_modes  # no program in it: every file 0644

library=usr/lib/Velmora/plugins/libfpx-fprint.so
check_stripped "$library"
check_compressed
# The example entry names the packaged library.
grep -qx "Name: /$library" "$tmp/root/usr/share/velmora/examples/fprint" ||
  fail "the example entry does not name /$library"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
