#!/usr/bin/env bash
# Packs the build folder with `cpack -G DEB` into a temporary folder and checks the vendor's
# package velmora-fpx-dev with dpkg-deb: its name and version against its own changelog and the
# main package's, the architecture, its relations (the checker's shared libraries only: neither
# velmora-capture nor GTK+ nor libfprint; Breaks and Replaces of the velmora-capture that still
# held the header), no conffile, the exact list of files and their modes, and where its
# pkg-config file points.
#   dev_package.sh BUILD_DIR PROJECT_VERSION LIBDIR
source "$(dirname "$0")/lib.sh"
build=$1 version=$2 libdir=$3
pack_build "$build"
open_beside_main velmora-fpx-dev "$version"
[ "$(dpkg-deb -f "$deb" Section)" = libdevel ] || fail "Section: $(dpkg-deb -f "$deb" Section)"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *"libc6 (>= "* ]] || fail "Depends lacks a versioned libc6: $depends"
! grep -qE 'velmora|libgtk|libfprint' <<<"$depends" || fail "Depends reaches beyond the checker: $depends"
for field in Breaks Replaces; do
  [ "$(dpkg-deb -f "$deb" $field)" = "velmora-capture (<< 1.0.0-2)" ] || fail "$field: $(dpkg-deb -f "$deb" $field)"
done
[ ! -e "$tmp/control/conffiles" ] || fail "conffiles: $(cat "$tmp/control/conffiles")"

# Exactly the component "dev": the interface, the checker and its page, the template's source.
template=./usr/share/doc/velmora-fpx-dev/examples/template
expected=$(sort <<EOF2
./usr/bin/velmora-plugin-check
./usr/include/velmora/fpx_plugin.h
./usr/$libdir/pkgconfig/velmora-fpx.pc
./usr/share/doc/velmora-fpx-dev/changelog.Debian.gz
./usr/share/doc/velmora-fpx-dev/copyright
$template/CMakeLists.txt
$template/README.md
$template/fpx_template.c
./usr/share/lintian/overrides/velmora-fpx-dev
./usr/share/man/man1/velmora-plugin-check.1.gz
EOF2
)
check_members "$deb" "$expected"
check_modes
check_stripped usr/bin/velmora-plugin-check
check_compressed

# Installed, the pkg-config file names the installed header and the program's plug-in folder.
pc() { PKG_CONFIG_LIBDIR=$tmp/root/usr/$libdir/pkgconfig PKG_CONFIG_PATH= pkg-config "$@" velmora-fpx; }
[ "$(pc --variable=includedir)" = /usr/include ] || fail "includedir: $(pc --variable=includedir)"
[ "$(pc --variable=plugindir)" = /usr/lib/Velmora/plugins ] || fail "plugindir: $(pc --variable=plugindir)"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
