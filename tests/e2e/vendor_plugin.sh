#!/usr/bin/env bash
# The vendor's path: a reader plug-in written against the installed header alone, built with the
# installed pkg-config file, listed in a catalogue entry, reported by velmora-units and used by a
# whole capture.
source "$(dirname "$0")/lib.sh"
VENDOR_SOURCE=$VELMORA_SOURCE/tests/e2e/vendor
VENDOR_LIBRARY=$E2E_TMP/libfpx-vendor.so
CHECK_FLAGS=(-Wall -Wextra -Werror -pedantic -fsyntax-only)

# The staged pkg-config file, found wherever the multiarch library folder puts it.
pc_file=$(find "$VELMORA_STAGE/usr/lib" -name velmora-fpx.pc -path '*/pkgconfig/*' | head -n 1)
[ -n "$pc_file" ] || { fail "no velmora-fpx.pc in the stage"; e2e_finish; }
# Only the stage: no .pc file of the machine may stand in for ours.
PKG_CONFIG_PATH=$(dirname "$pc_file")
export PKG_CONFIG_PATH PKG_CONFIG_LIBDIR=$PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR=$VELMORA_STAGE
read -r -a fpx_cflags < <(pkg-config --cflags velmora-fpx)

begin_case "pkg-config points into the stage"
expect_eq "cflags" "-I$VELMORA_STAGE/usr/include" "${fpx_cflags[*]}"
[ -f "$VELMORA_STAGE/usr/include/velmora/fpx_plugin.h" ] || fail "the header is not staged"

begin_case "the plug-in builds against the staged header"
cc -shared -fPIC -Wall -Wextra -Werror -std=c99 -pedantic "${fpx_cflags[@]}" \
  -o "$VENDOR_LIBRARY" "$VENDOR_SOURCE/vendor_reader.c" 2>"$E2E_TMP/cc.err" || fail "cc: $(cat "$E2E_TMP/cc.err")"

begin_case "the header compiles as C++ and for a 32-bit target"
c++ -std=c++11 "${CHECK_FLAGS[@]}" "${fpx_cflags[@]}" "$VENDOR_SOURCE/header_check.cc" || fail "as C++11"
cc -std=c99 "${CHECK_FLAGS[@]}" "${fpx_cflags[@]}" "$VENDOR_SOURCE/header_check.c" || fail "as C99"
# A freestanding 32-bit compile needs no 32-bit C library, only the compiler's own <stdint.h>.
if command -v clang >/dev/null; then
  clang --target=i686-linux-gnu -ffreestanding -std=c11 "${CHECK_FLAGS[@]}" "${fpx_cflags[@]}" \
    "$VENDOR_SOURCE/header_check.c" || fail "as 32-bit C"
fi

e2e_root
add_entry vendor "$VENDOR_LIBRARY" 1
OUT=$E2E_TMP/out ERR=$E2E_TMP/err

begin_case "velmora-units lists the vendor's unit"
STATUS=0
"$VELMORA_STAGE/usr/bin/velmora-units" --root "$ETC" >"$OUT" 2>"$ERR" || STATUS=$?
expect_eq "status" 0 "$STATUS"
grep -qF "$VENDOR_LIBRARY" "$OUT" || fail "the entry's library is not listed"
grep -qF "Vendor test reader" "$OUT" || fail "the unit's first text is not listed"
grep -qF "VND-0042" "$OUT" || fail "the unit's second text is not listed"
grep -qw 42 "$OUT" || fail "the unit id is not listed"

begin_case "a whole capture returns the vendor's sample"
start_display
run_host --json --fingers 3
expect_eq "host status" 0 "$STATUS"
expect_eq "sample" "$(printf %s VENDOR-SAMPLE-42 | od -An -tx1 | tr -d ' \n')" "$(json_field sample)"
expect_eq "sample size" 16 "$(json_field sample_size)"
expect_eq "finger" 3 "$(json_field finger)"
expect_eq "units" 1 "$(json_field units)"
expect_lines "Connect succeeded" "Capture succeeded" "Disconnect Succeeded"

e2e_finish
