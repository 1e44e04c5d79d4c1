#!/usr/bin/python3
"""A second client of the fingerprint service for the tests, and the hand on its virtual reader.

Runs on the system bus that DBUS_SYSTEM_BUS_ADDRESS names (the stand-in's, fprintd_standin.sh).

  fprintd_client.py enroll FINGER PRINT SOCKET  claims the first reader, enrols FINGER with the
                                                virtual reader's print PRINT, releases it
  fprintd_client.py press SOCKET COMMAND...     once the first reader waits for a finger, sends
                                                each COMMAND ("SCAN <print>", "RETRY <n>", ...)
  fprintd_client.py feed SOCKET PRINT           prints "feeding", then sends "SCAN PRINT" for each
                                                verification that fprintd starts; runs until killed
  fprintd_client.py hold                        claims the first reader, prints "claimed", and
                                                releases it when standard input ends
  fprintd_client.py claim                       claims and releases the first reader at once
  fprintd_client.py vanished                    returns once fprintd has no owner on the bus
Exit status 0 on success; 1 with the D-Bus error on standard error.
"""
import socket
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

NAME = "net.reactivated.Fprint"
DEVICE = "net.reactivated.Fprint.Device"
BUS = Gio.bus_get_sync(Gio.BusType.SYSTEM, None)


def call(path, interface, method, args=None, reply="()"):
    return BUS.call_sync(NAME, path, interface, method, args, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, 10000, None)


def first_device():
    devices = call("/net/reactivated/Fprint/Manager", "net.reactivated.Fprint.Manager",
                   "GetDevices", None, "(ao)").unpack()[0]
    return devices[0]


def send(path, command):
    """One command per connection, as the virtual reader reads them; waits for its reply."""
    with socket.socket(socket.AF_UNIX) as sock:
        sock.connect(path)
        sock.sendall(command.encode())
        sock.shutdown(socket.SHUT_WR)
        sock.recv(4096)


def wait_until(done):
    loop = GLib.MainContext.default()
    while not done():
        loop.iteration(True)


def enroll(finger, print_id, reader):
    device = first_device()
    state = {"end": None}

    def on_status(_bus, _sender, _path, _iface, _signal, params):
        status, finished = params.unpack()
        if finished:
            state["end"] = status
        elif status == "enroll-stage-passed":
            send(reader, "SCAN " + print_id)

    BUS.signal_subscribe(NAME, DEVICE, "EnrollStatus", device, None, 0, on_status)
    call(device, DEVICE, "Claim", GLib.Variant("(s)", ("",)))
    call(device, DEVICE, "EnrollStart", GLib.Variant("(s)", (finger,)))
    send(reader, "SCAN " + print_id)
    wait_until(lambda: state["end"] is not None)
    call(device, DEVICE, "EnrollStop")
    call(device, DEVICE, "Release")
    if state["end"] != "enroll-completed":
        sys.exit("enroll: " + state["end"])


def finger_needed(device):
    reply = call(device, "org.freedesktop.DBus.Properties", "Get",
                 GLib.Variant("(ss)", (DEVICE, "finger-needed")), "(v)")
    return reply.unpack()[0]


class FingerWatch:
    """The reader's finger-needed property, followed through its change signals."""

    def __init__(self, device):
        self.device = device
        self.changed = False
        BUS.signal_subscribe(NAME, "org.freedesktop.DBus.Properties", "PropertiesChanged", device,
                             None, 0, self.on_changed)

    def on_changed(self, *_args):
        self.changed = True

    def wait_for(self, needed):
        while finger_needed(self.device) != needed:
            self.changed = False
            wait_until(lambda: self.changed)


def press(reader, commands):
    FingerWatch(first_device()).wait_for(True)
    for command in commands:
        send(reader, command)


def feed(reader, print_id):
    """The reader queues what it is sent, so the print may go out as soon as fprintd announces the
    verification's finger (a signal for each VerifyStart, which property changes are not)."""
    def on_selected(*_args):
        send(reader, "SCAN " + print_id)

    BUS.signal_subscribe(NAME, DEVICE, "VerifyFingerSelected", None, None, 0, on_selected)
    first_device()  # a round trip: the subscription is in place once the reply is here
    print("feeding", flush=True)
    wait_until(lambda: False)


def hold():
    device = first_device()
    call(device, DEVICE, "Claim", GLib.Variant("(s)", ("",)))
    print("claimed", flush=True)
    sys.stdin.read()
    call(device, DEVICE, "Release")


def claim():
    device = first_device()
    call(device, DEVICE, "Claim", GLib.Variant("(s)", ("",)))
    call(device, DEVICE, "Release")


def vanished():
    state = {"gone": False}

    def on_vanished(*_args):
        state["gone"] = True

    watch = Gio.bus_watch_name_on_connection(BUS, NAME, Gio.BusNameWatcherFlags.NONE, None, on_vanished)
    wait_until(lambda: state["gone"])
    Gio.bus_unwatch_name(watch)


def main(argv):
    commands = {"enroll": lambda: enroll(*argv[2:5]), "press": lambda: press(argv[2], argv[3:]),
                "feed": lambda: feed(argv[2], argv[3]),
                "hold": hold, "claim": claim, "vanished": vanished}
    try:
        commands[argv[1]]()
    except GLib.Error as error:
        sys.exit("%s: %s" % (argv[1], Gio.DBusError.get_remote_error(error) or error.message))


if __name__ == "__main__":
    main(sys.argv)
