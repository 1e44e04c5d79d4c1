#!/usr/bin/env bash
# Whom the program trusts: the record's creator and the files of the plug-in entries. A record that
# another user created is refused before anything is written; plug-in files that someone else could
# change are skipped with one line on standard error.
source "$(dirname "$0")/lib.sh"
start_display
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0
NOBODY=65534
SIM_SO=$VELMORA_PLUGIN_DIR/libfpx-simulator.so

begin_case "a record created by another user is refused"
run_parent --creator-uid "$NOBODY" --enrolled 07,02 --fill-byte 33
expect_eq "program" "exit 1" "$PROGRAM_STATUS"
expect_eq "standard error" "shmget: segment belongs to another user" "$(cat "$ERR")"
grep -q '^shmid' "$OUT" && fail "logged a segment id"
expect_eq "record untouched" "$(printf '33%.0s' $(seq 1 260))020000000702$(printf '33%.0s' $(seq 1 18))" "$RECORD"

begin_case "a record that others may read is used, with a warning"
run_parent --mode 666 --enrolled 07
expect_eq "program" "exit 0" "$PROGRAM_STATUS"
expect_eq "standard error" \
  "velmora-capture: warning: other users may read or write the shared-memory segment" "$(cat "$ERR")"
expect_eq "done" 0100 "$(record_range 276 277)"

begin_case "a record of the calling user, who is not root"
chmod 755 "$ETC"
STATUS=0
"$SANDBOX" "$ETC" "$LIB" "$VELMORA_TEST_PARENT" --creator-uid "$NOBODY" --enrolled 07 -- \
  setpriv --reuid="$NOBODY" --regid="$NOBODY" --clear-groups "$PROGRAM" >"$OUT" 2>"$ERR" || STATUS=$?
drop_coverage_noise
RECORD=$(sed -n 's/^record //p' "$OUT")
expect_eq "program" "exit 0" "$(grep -E '^(exit|signal) ' "$OUT" | tail -n 1)"
expect_eq "standard error" "" "$(cat "$ERR")"
expect_eq "unit count" 01000000 "$(record_range 280 283)"
expect_eq "done" 0100 "$(record_range 276 277)"

begin_case "plug-in files that others could change are skipped"
others=$(mktemp -d "$E2E_TMP/others.XXXXXX")
chmod 755 "$others"
cp "$STAGED_LIB/plugins/libfpx-simulator.so" "$others/foreign.so"
chown "$NOBODY" "$others/foreign.so"
add_entry open-settings "$SIM_SO" 1
chmod 664 "$ETC/open-settings"
add_entry foreign-library "$others/foreign.so" 1
mkdir "$ETC/open-folder"
printf 'Name: %s\nType: 1\n' "$SIM_SO" >"$ETC/open-folder/conf"
chmod 777 "$ETC/open-folder"
add_entry trusted-copy "$SIM_SO" 1
run_parent --enrolled 07
expect_eq "program" "exit 0" "$PROGRAM_STATUS"
expect_eq "unit count: the simulator and its trusted copy" 02000000 "$(record_range 280 283)"
expect_eq "standard error" "velmora-capture: $VELMORA_CONFIG_ROOT/open-folder: writable by group or others (mode 0777), plug-in entry skipped
velmora-capture: $VELMORA_CONFIG_ROOT/open-settings: writable by group or others (mode 0664), plug-in entry skipped
velmora-capture: $others/foreign.so: owned by uid $NOBODY, neither root nor the calling user, plug-in entry skipped" \
  "$(sort "$ERR")"

begin_case "velmora-units gives the same reasons"
OUT=$E2E_TMP/units-out
"$SANDBOX" "$ETC" "$LIB" "$VELMORA_STAGE/usr/bin/velmora-units" >"$OUT" 2>"$ERR" || true
expect_block 'entry "open-settings": library "'"$SIM_SO"'", type 1' \
  "  skipped: $VELMORA_CONFIG_ROOT/open-settings: writable by group or others (mode 0664)"
expect_block 'entry "foreign-library": library "'"$others/foreign.so"'", type 1' \
  "  skipped: $others/foreign.so: owned by uid $NOBODY, neither root nor the calling user"
expect_lines "2 units found"

e2e_finish
