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
mains=("$tmp"/out/velmora-capture_*.deb)
[ -f "${mains[0]}" ] || { echo "FAIL: cpack made no velmora-capture" >&2; exit 1; }
open_package velmora-plugin-fprintd "$version"
[ "$(dpkg-deb -f "${mains[0]}" Version)" = "$deb_version" ] ||
  fail "velmora-capture has version $(dpkg-deb -f "${mains[0]}" Version), the plug-in $deb_version"

depends=$(dpkg-deb -f "$deb" Depends)
IFS=, read -r -a relations <<<"$depends"
glib= capture=
for relation in "${relations[@]}"; do
  relation=${relation# }
  [[ $relation == "libglib2.0-0 (>= "*")" ]] && glib=1
  [ "$relation" = "velmora-capture (= $deb_version)" ] && capture=1
done
[ -n "$glib" ] || fail "Depends lacks a versioned libglib2.0-0: $depends"
[ -n "$capture" ] || fail "Depends lacks velmora-capture (= $deb_version): $depends"
! grep -qE 'fprint|libgtk' <<<"$depends" || fail "Depends reaches beyond GLib and the program: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = fprintd ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ ! -e "$tmp/control/conffiles" ] || fail "conffiles: $(cat "$tmp/control/conffiles")"

# Exactly the component "fprintd": the library, its example entry, and Debian's files.
expected=$(sort <<EOF2
./usr/lib/Velmora/plugins/libfpx-fprintd.so
./usr/share/doc/velmora-plugin-fprintd/changelog.Debian.gz
./usr/share/doc/velmora-plugin-fprintd/copyright
./usr/share/velmora/examples/fprintd
EOF2
)
check_members "$deb" "$expected"
check_modes  # no program in it: every file 0644

library=usr/lib/Velmora/plugins/libfpx-fprintd.so
check_stripped "$library"
check_compressed
grep -qx "Name: /$library" "$tmp/root/usr/share/velmora/examples/fprintd" ||
  fail "the example entry does not name /$library"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
