# The fingerprint service with all its real parts but no hardware, for the tests, the demo and the
# bench: a private message bus playing the system bus, python3-dbusmock's polkit stand-in that
# allows every action, and the real fprintd on libfprint's virtual_device_storage reader. fprintd's
# store, /var/lib/fprint, is a temporary folder bind-mounted over it, so the caller must run in a
# private mount namespace of its own (standin_private re-executes the script in one). The machine's
# own system bus, polkit and fprintd store are never touched.
#
#   source tests/support/fprintd_standin.sh
#   standin_private "$@"          # first line of a script: re-run it in a private mount namespace
#   standin_begin DIR             # bus and polkit; exports DBUS_SYSTEM_BUS_ADDRESS, READER
#   standin_start_fprintd         # fprintd, returns once its name is on the bus
#   standin_enroll FINGER PRINT   # enrols a finger of the calling user with the reader's print
#   standin_press COMMAND...      # once the reader waits for a finger: "SCAN <print>", "RETRY <n>"
#   standin_kill_fprintd          # kills fprintd, returns once its name has left the bus
#   standin_end                   # stops what standin_begin started (also on exit)
# Every wait is for the event itself (a name on the bus, a property), never for time.

STANDIN_CLIENT=${STANDIN_CLIENT:-$(dirname "${BASH_SOURCE[0]}")/fprintd_client.py}
STANDIN_PYTHON=/usr/bin/python3  # Debian's, which has gi and dbusmock
standin_bus_pid= standin_polkit_pid= standin_fprintd_pid=

standin_private() {
  if [ -z "${STANDIN_PRIVATE:-}" ]; then
    STANDIN_PRIVATE=1 exec unshare --mount --propagation private -- bash "$0" "$@"
  fi
}

standin_client() {
  "$STANDIN_PYTHON" "$STANDIN_CLIENT" "$@"
}

# standin_bus_config DIR: a session-style bus that anyone may use, listening in DIR.
standin_bus_config() {
  cat >"$1/bus.conf" <<EOF2
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$1/bus.socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF2
}

standin_begin() {
  STANDIN_DIR=$1
  mkdir -p "$STANDIN_DIR/store"
  mount --bind "$STANDIN_DIR/store" /var/lib/fprint
  standin_bus_config "$STANDIN_DIR"
  # The bus prints its address once it listens.
  mkfifo "$STANDIN_DIR/bus.address"
  dbus-daemon --config-file="$STANDIN_DIR/bus.conf" --nofork --print-address=3 \
    3>"$STANDIN_DIR/bus.address" 2>"$STANDIN_DIR/bus.log" &
  standin_bus_pid=$!
  local address
  read -r -t 60 address <"$STANDIN_DIR/bus.address"
  export DBUS_SYSTEM_BUS_ADDRESS=$address
  "$STANDIN_PYTHON" -m dbusmock --system -t polkitd >"$STANDIN_DIR/polkit.log" 2>&1 &
  standin_polkit_pid=$!
  gdbus wait --system --timeout 60 org.freedesktop.PolicyKit1
  standin_polkit_allow_all true
  export READER=$STANDIN_DIR/reader.socket
}

# standin_polkit_allow_all true|false: whether the polkit stand-in allows every action.
standin_polkit_allow_all() {
  gdbus call --system -d org.freedesktop.PolicyKit1 -o /org/freedesktop/PolicyKit1/Authority \
    -m org.freedesktop.DBus.Mock.AllowUnknown "$1" >/dev/null
}

standin_start_fprintd() {
  FP_DRIVERS_WHITELIST=virtual_device_storage FP_VIRTUAL_DEVICE_STORAGE=$READER \
    /usr/libexec/fprintd -t >>"$STANDIN_DIR/fprintd.log" 2>&1 &
  standin_fprintd_pid=$!
  gdbus wait --system --timeout 60 net.reactivated.Fprint
}

standin_kill_fprintd() {
  kill -KILL "$standin_fprintd_pid"
  wait "$standin_fprintd_pid" 2>/dev/null || true
  standin_fprintd_pid=
  standin_client vanished
}

standin_enroll() {
  standin_client enroll "$1" "$2" "$READER"
}

# A capture that never reaches the reader would leave this waiting: a minute is the bound.
standin_press() {
  timeout 60 "$STANDIN_PYTHON" "$STANDIN_CLIENT" press "$READER" "$@"
}

standin_end() {
  local pid
  for pid in $standin_fprintd_pid $standin_polkit_pid $standin_bus_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  done
  standin_bus_pid= standin_polkit_pid= standin_fprintd_pid=
  return 0
}
