#!/usr/bin/env bash
# Packs the build folder with `cpack -G DEB` into a temporary folder and checks the package with
# dpkg-deb: its name and version against its own changelog, the architecture, the dependencies
# that dpkg-shlibdeps derived, the conffile, the exact list of files, and the files themselves.
#   package_contents.sh BUILD_DIR PROJECT_VERSION LIBDIR
source "$(dirname "$0")/lib.sh"
build=$1 version=$2 libdir=$3
pack_build "$build"
# The libfprint readers have a package of their own beside it (plugin_package.sh).
debs=("$tmp"/out/velmora-capture_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
dpkg-deb -x "$deb" "$tmp/root"
dpkg-deb -e "$deb" "$tmp/control"

# The package's version is the one its changelog opens with, on top of the project's version.
read -r changelog_name changelog_version _ < <(gzip -dc "$tmp/root/usr/share/doc/velmora-capture/changelog.Debian.gz")
changelog_version=${changelog_version//[()]/}
arch=$(dpkg --print-architecture)
[ "$changelog_name" = velmora-capture ] || fail "the changelog is of '$changelog_name'"
[[ $changelog_version == "$version"-* ]] || fail "changelog version $changelog_version is not of $version"
[ "$(basename "$deb")" = "velmora-capture_${changelog_version}_$arch.deb" ] || fail "file name $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = velmora-capture ] || fail "Package: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$changelog_version" ] || fail "Version: $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "Architecture: $(dpkg-deb -f "$deb" Architecture)"

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
(cd "$tmp/root" && md5sum --quiet -c "$tmp/control/md5sums") || fail "md5sums do not match the packed files"

# Exactly these files: nothing of the tests, nothing in /etc/Velmora beyond its own conf (the
# simulator's entry is only an example).
expected=$(sort <<EOF2
./etc/Velmora/conf
./usr/bin/velmora-capture
./usr/bin/velmora-capture-host
./usr/bin/velmora-units
./usr/include/velmora/fpx_plugin.h
./usr/lib/Velmora/hands.bmp
./usr/lib/Velmora/plugins/libfpx-simulator.so
./usr/$libdir/pkgconfig/velmora-fpx.pc
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
for path in $members; do
  mode=$(stat -c %a "$tmp/root/$path")
  case $path in
    ./usr/bin/*) want=755 ;;
    *) want=644 ;;
  esac
  [ "$mode" = "$want" ] || fail "$path has mode $mode, not $want"
done

# The binaries are stripped the way Debian strips, and the compressed files are whole.
for binary in usr/bin/velmora-capture usr/bin/velmora-capture-host usr/bin/velmora-units \
  usr/lib/Velmora/plugins/libfpx-simulator.so; do
  sections=$(readelf -SW "$tmp/root/$binary" | { grep -oE '\.(symtab|debug_[a-z]+|comment|note) ' || true; } | sort -u | tr '\n' ' ')
  [ -z "$sections" ] || fail "$binary keeps $sections"
done
for compressed in $(grep '\.gz$' <<<"$members"); do
  gzip -t "$tmp/root/$compressed" || fail "$compressed is not a whole gzip file"
done
gzip -dc "$tmp/root/usr/share/man/man1/velmora-units.1.gz" | grep -q "^\.TH .*\"velmora-capture $version\"" ||
  fail "the manual page does not name velmora-capture $version"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
