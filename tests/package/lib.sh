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
