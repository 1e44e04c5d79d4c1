# Shared by the package checks: the Debian tools they need (status 77 when missing, which ctest
# counts as skipped), a temporary folder, fail(), and the packages that cpack makes from the
# build folder. Sets tmp (removed on exit) and failures; the packages land in $tmp/out.
#   pack_build BUILD_DIR
set -euo pipefail
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (dpkg-dev)"; exit 77; }
done

tmp=$(mktemp -d /tmp/velmora-package.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

pack_build() {
  cpack -G DEB -B "$tmp/out" --config "$1/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log" >&2
    exit 1
  }
  # CPack only warns when dpkg-shlibdeps fails; the package would then have no dependencies.
  if grep -qi "shlibdeps.*fail\|CMake Warning" "$tmp/cpack.log"; then
    fail "cpack warned:"
    cat "$tmp/cpack.log" >&2
  fi
}

# check_members DEB EXPECTED: the package holds exactly the files EXPECTED lists (sorted "./path"
# lines) and root owns every member. Sets members to the package's files.
check_members() {
  members=$(dpkg-deb --fsys-tarfile "$1" | tar -tv | awk '$1 !~ /^d/ {print $NF}' | sort)
  [ "$2" = "$members" ] || fail "file list differs:
$(diff <(echo "$2") <(echo "$members"))"
  dpkg-deb --fsys-tarfile "$1" | tar -tv --numeric-owner |
    awk '$2 != "0/0" {print "owner", $2, $NF; bad = 1} END {exit bad}' || fail "members not owned by root"
}

# check_modes: of the unpacked members (check_members), programs in /usr/bin are executable and
# everything else is not.
check_modes() {
  local path mode want
  for path in $members; do
    mode=$(stat -c %a "$tmp/root/$path")
    case $path in
      ./usr/bin/*) want=755 ;;
      *) want=644 ;;
    esac
    [ "$mode" = "$want" ] || fail "$path has mode $mode, not $want"
  done
}

# open_package NAME PROJECT_VERSION: the one package NAME that pack_build made, unpacked into
# $tmp/root (files) and $tmp/control, checked against its own changelog: the package's name, its
# version (the project's version with a Debian release), its file name and architecture; and its
# md5sums against the unpacked files. Sets deb and deb_version.
open_package() {
  local debs=("$tmp/out/$1"_*.deb) name arch
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || {
    echo "FAIL: no single $1 package; cpack made $(cd "$tmp/out" && echo ./*.deb)" >&2
    exit 1
  }
  deb=${debs[0]}
  dpkg-deb -x "$deb" "$tmp/root"
  dpkg-deb -e "$deb" "$tmp/control"
  read -r name deb_version _ < <(gzip -dc "$tmp/root/usr/share/doc/$1/changelog.Debian.gz")
  deb_version=${deb_version//[()]/}
  arch=$(dpkg --print-architecture)
  [ "$name" = "$1" ] || fail "the changelog is of '$name'"
  [[ $deb_version == "$2"-* ]] || fail "changelog version $deb_version is not of $2"
  [ "$(basename "$deb")" = "$1_${deb_version}_$arch.deb" ] || fail "file name $(basename "$deb")"
  [ "$(dpkg-deb -f "$deb" Package)" = "$1" ] || fail "Package: $(dpkg-deb -f "$deb" Package)"
  [ "$(dpkg-deb -f "$deb" Version)" = "$deb_version" ] || fail "Version: $(dpkg-deb -f "$deb" Version)"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "Architecture: $(dpkg-deb -f "$deb" Architecture)"
  (cd "$tmp/root" && md5sum --quiet -c "$tmp/control/md5sums") || fail "md5sums do not match the packed files"
}

# check_stripped FILE...: the unpacked ELF files (relative to $tmp/root) are stripped the way Debian
# strips, without symbol table, debug information, .comment or .note.
check_stripped() {
  local binary sections
  for binary in "$@"; do
    sections=$(readelf -SW "$tmp/root/$binary" | { grep -oE '\.(symtab|debug_[a-z]+|comment|note) ' || true; } |
      sort -u | tr '\n' ' ')
    [ -z "$sections" ] || fail "$binary keeps $sections"
  done
}

# check_compressed: every .gz file among the package's members is a whole gzip file.
check_compressed() {
  local compressed
  for compressed in $(grep '\.gz$' <<<"$members"); do
    gzip -t "$tmp/root/$compressed" || fail "$compressed is not a whole gzip file"
  done
}

# open_beside_main NAME PROJECT_VERSION: open_package NAME, which must have the version of the
# velmora-capture package of the same run. Sets main_deb as well.
open_beside_main() {
  local mains=("$tmp"/out/velmora-capture_*.deb)
  [ -f "${mains[0]}" ] || { echo "FAIL: cpack made no velmora-capture" >&2; exit 1; }
  main_deb=${mains[0]}
  open_package "$1" "$2"
  [ "$(dpkg-deb -f "$main_deb" Version)" = "$deb_version" ] ||
    fail "velmora-capture has version $(dpkg-deb -f "$main_deb" Version), $1 $deb_version"
}

# has_relation RELATIONS PATTERN: one of the comma-separated RELATIONS matches the glob PATTERN.
has_relation() {
  local relation relations
  IFS=, read -r -a relations <<<"$1"
  for relation in "${relations[@]}"; do
    # shellcheck disable=SC2053 # the pattern is a glob
    [[ ${relation# } == $2 ]] && return 0
  done
  return 1
}

# check_plugin_files COMPONENT: the package of a reader plug-in holds exactly its library
# libfpx-COMPONENT.so, its example entry, which names the packaged library, and Debian's files;
# none of them a program; the library stripped.
check_plugin_files() {
  local package=velmora-plugin-$1 library=usr/lib/Velmora/plugins/libfpx-$1.so
  check_members "$deb" "$(printf '%s\n' "./$library" "./usr/share/doc/$package/changelog.Debian.gz" \
    "./usr/share/doc/$package/copyright" "./usr/share/velmora/examples/$1" | sort)"
  check_modes
  check_stripped "$library"
  check_compressed
  grep -qx "Name: /$library" "$tmp/root/usr/share/velmora/examples/$1" ||
    fail "the example entry does not name /$library"
}
