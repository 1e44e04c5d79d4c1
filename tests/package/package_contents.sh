#!/usr/bin/env bash
# Packs the build folder with `cpack -G DEB` into a temporary folder and checks the package with
# dpkg-deb: its name and version against its own changelog, the architecture, the dependencies
# that dpkg-shlibdeps derived, the conffile, the exact list of files, and the files themselves.
#   package_contents.sh BUILD_DIR PROJECT_VERSION
source "$(dirname "$0")/lib.sh"
build=$1 version=$2
pack_build "$build"
# The libfprint readers and the vendor's kit have packages of their own beside it
# (plugin_package.sh, dev_package.sh).
open_package velmora-capture "$version"

# Derived dependencies carry the minimum versions that the libraries' symbols files give.
depends=$(dpkg-deb -f "$deb" Depends)
IFS=, read -r -a relations <<<"$depends"
for library in libc6 libgtk2.0-0 libglib2.0-0 libstdc++6; do
  found=
  for relation in "${relations[@]}"; do
    [[ ${relation# } == "$library (>= "*")" ]] && found=1
  done
  [ -n "$found" ] || fail "Depends lacks a versioned $library: $depends"
done

[ "$(cat "$tmp/control/conffiles")" = /etc/Velmora/conf ] || fail "conffiles: $(cat "$tmp/control/conffiles")"

# Exactly these files: nothing of the tests, nothing in /etc/Velmora beyond its own conf (the
# simulator's entry is only an example), and nothing of the plug-in interface (velmora-fpx-dev).
expected=$(sort <<EOF2
./etc/Velmora/conf
./usr/bin/velmora-capture
./usr/bin/velmora-capture-host
./usr/bin/velmora-units
./usr/lib/Velmora/hands.bmp
./usr/lib/Velmora/hands@2x.bmp
./usr/lib/Velmora/plugins/libfpx-simulator.so
./usr/share/locale/de/LC_MESSAGES/velmora-capture.mo
./usr/share/doc/velmora-capture/changelog.Debian.gz
./usr/share/doc/velmora-capture/copyright
./usr/share/lintian/overrides/velmora-capture
./usr/share/man/man1/velmora-capture-host.1.gz
./usr/share/man/man1/velmora-capture.1.gz
./usr/share/man/man1/velmora-units.1.gz
./usr/share/velmora/examples/simulator
EOF2
)
# Every member belongs to root; programs are executable, everything else is not.
check_members "$deb" "$expected"
check_modes

# The binaries are stripped the way Debian strips, and the compressed files are whole.
check_stripped usr/bin/velmora-capture usr/bin/velmora-capture-host usr/bin/velmora-units \
  usr/lib/Velmora/plugins/libfpx-simulator.so
check_compressed
gzip -dc "$tmp/root/usr/share/man/man1/velmora-units.1.gz" | grep -q "^\.TH .*\"velmora-capture $version\"" ||
  fail "the manual page does not name velmora-capture $version"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
