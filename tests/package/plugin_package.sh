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
debs=("$tmp"/out/velmora-plugin-fprint_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made $made" >&2; exit 1; }
deb=${debs[0]}
mains=("$tmp"/out/velmora-capture_*.deb)
[ ${#mains[@]} -eq 1 ] && [ -f "${mains[0]}" ] || { echo "FAIL: cpack made $made" >&2; exit 1; }
[ "$(wc -w <<<"$made")" -eq 2 ] || fail "cpack made $made"
dpkg-deb -x "$deb" "$tmp/root"
dpkg-deb -e "$deb" "$tmp/control"

read -r changelog_name changelog_version _ < <(gzip -dc "$tmp/root/usr/share/doc/velmora-plugin-fprint/changelog.Debian.gz")
changelog_version=${changelog_version//[()]/}
arch=$(dpkg --print-architecture)
[ "$changelog_name" = velmora-plugin-fprint ] || fail "the changelog is of '$changelog_name'"
[[ $changelog_version == "$version"-* ]] || fail "changelog version $changelog_version is not of $version"
[ "$(basename "$deb")" = "velmora-plugin-fprint_${changelog_version}_$arch.deb" ] || fail "file name $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = velmora-plugin-fprint ] || fail "Package: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$changelog_version" ] || fail "Version: $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "Architecture: $(dpkg-deb -f "$deb" Architecture)"
[ "$(dpkg-deb -f "${mains[0]}" Version)" = "$changelog_version" ] ||
  fail "velmora-capture has version $(dpkg-deb -f "${mains[0]}" Version), the plug-in $changelog_version"

# libfprint with the minimum version that its symbols file gives, and exactly this build's program.
depends=$(dpkg-deb -f "$deb" Depends)
IFS=, read -r -a relations <<<"$depends"
libfprint= capture=
for relation in "${relations[@]}"; do
  relation=${relation# }
  [[ $relation == "libfprint-2-2 (>= "*")" ]] && libfprint=1
  [ "$relation" = "velmora-capture (= $changelog_version)" ] && capture=1
done
[ -n "$libfprint" ] || fail "Depends lacks a versioned libfprint-2-2: $depends"
[ -n "$capture" ] || fail "Depends lacks velmora-capture (= $changelog_version): $depends"
main_depends=$(dpkg-deb -f "${mains[0]}" Depends)
! grep -q libfprint <<<"$main_depends" || fail "velmora-capture depends on libfprint: $main_depends"

[ ! -e "$tmp/control/conffiles" ] || fail "conffiles: $(cat "$tmp/control/conffiles")"
(cd "$tmp/root" && md5sum --quiet -c "$tmp/control/md5sums") || fail "md5sums do not match the packed files"

# Exactly the component "fprint": the library, its example entry, and Debian's files.
expected=$(sort <<EOF2
./usr/lib/Velmora/plugins/libfpx-fprint.so
./usr/share/doc/velmora-plugin-fprint/changelog.Debian.gz
./usr/share/doc/velmora-plugin-fprint/copyright
./usr/share/lintian/overrides/velmora-plugin-fprint
./usr/share/velmora/examples/fprint
EOF2
)
check_members "$deb" "$expected"
for path in $members; do
  mode=$(stat -c %a "$tmp/root/$path")
  [ "$mode" = 644 ] || fail "$path has mode $mode, not 644"
done

library=usr/lib/Velmora/plugins/libfpx-fprint.so
sections=$(readelf -SW "$tmp/root/$library" | { grep -oE '\.(symtab|debug_[a-z]+|comment|note) ' || true; } | sort -u | tr '\n' ' ')
[ -z "$sections" ] || fail "$library keeps $sections"
for compressed in $(grep '\.gz$' <<<"$members"); do
  gzip -t "$tmp/root/$compressed" || fail "$compressed is not a whole gzip file"
done
# The example entry names the packaged library.
grep -qx "Name: /$library" "$tmp/root/usr/share/velmora/examples/fprint" ||
  fail "the example entry does not name /$library"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <<<"$members") files, Depends: $depends"
