"""Drives the capture window from outside over AT-SPI, as a screen reader does.

    atspi_client.py OUT CHOSEN PRESS NAMES STATUS

OUT is the file that receives the program's standard output; CHOSEN the finger that the window
chose; PRESS the finger to press through the Action interface; NAMES the shown fingers as
"7=Left index finger;2=...", in reading order; STATUS the status line's text to wait for (the
simulator's prompt). The window must already have the keyboard focus. Prints one line per finding
and exits 1 when one of them fails. Every wait is for a state, with a generous bound.
"""
import sys
import time

import pyatspi

TITLE = "Fingerprint Capture"
BOUND = 60.0
failures = []


def check(what, expected, actual):
    if expected != actual:
        failures.append(f"{what}: expected {expected!r}, got {actual!r}")


def wait_for(what, condition):
    """Polls `condition` until it gives a true value; None (and a failure) when the bound runs out."""
    deadline = time.monotonic() + BOUND
    while time.monotonic() < deadline:
        try:
            value = condition()
        except Exception:  # the tree changes under us while the program starts or ends
            value = None
        if value:
            return value
        time.sleep(0.05)
    failures.append(f"never: {what}")
    return None


def find_frame():
    for app in pyatspi.Registry.getDesktop(0):
        for child in app or []:
            if child is not None and child.getRole() == pyatspi.ROLE_FRAME and child.name == TITLE:
                return child
    return None


def descendants(root, role):
    return pyatspi.findAllDescendants(root, lambda a: a.getRole() == role)


def by_id(root, accessible_id):
    return pyatspi.findDescendant(root, lambda a: a.get_accessible_id() == accessible_id)


def has_state(accessible, state):
    return accessible.getState().contains(state)


def id_of(accessible):
    return accessible.get_accessible_id()


def check_buttons(frame, names, chosen):
    buttons = {id_of(b): b for b in descendants(frame, pyatspi.ROLE_RADIO_BUTTON)}
    check("shown buttons", sorted(f"finger-{f}" for f in names), sorted(buttons))
    for finger, name in names.items():
        button = buttons.get(f"finger-{finger}")
        if button is None:
            continue
        check(f"name of finger {finger}", name, button.name)
        check(f"finger {finger} checked", finger == chosen, has_state(button, pyatspi.STATE_CHECKED))
        check(f"finger {finger} showing", True, has_state(button, pyatspi.STATE_SHOWING))
        groups = [r for r in button.getRelationSet() if r.getRelationType() == pyatspi.RELATION_MEMBER_OF]
        members = [id_of(groups[0].getTarget(i)) for i in range(groups[0].getNTargets())] if groups else []
        check(f"group of finger {finger}", [f"finger-{f}" for f in names], members)
    return buttons


def focused_id(buttons):
    return next((i for i, b in buttons.items() if has_state(b, pyatspi.STATE_FOCUSED)), None)


def press_key(keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)


def logged(out, line):
    with open(out, encoding="utf-8") as stream:
        return line in stream.read().splitlines()


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    check("actions", True, "click" in names)
    action.doAction(names.index("click") if "click" in names else 0)


def main(out, chosen, pressed, names_arg, status_text):
    names = {int(k): v for k, v in (item.split("=", 1) for item in names_arg.split(";"))}
    frame = wait_for("the frame", find_frame)
    if frame is None:
        return
    buttons = check_buttons(frame, names, chosen)
    status = by_id(frame, "status")
    check("status role", pyatspi.ROLE_STATUS_BAR, status.getRole() if status else None)
    wait_for(f"status {status_text!r}", lambda: status.queryText().getText(0, -1) == status_text)
    check("status name", status_text, status.name)
    check("focus at the start", f"finger-{chosen}", wait_for("a focused finger", lambda: focused_id(buttons)))
    order = list(names)
    following = order[(order.index(chosen) + 1) % len(order)]
    press_key(0xFF53)  # Right
    wait_for(f"focus on finger {following}", lambda: focused_id(buttons) == f"finger-{following}")
    press(buttons[f"finger-{pressed}"])
    wait_for(f"m_SelectedFinger: {pressed}", lambda: logged(out, f"m_SelectedFinger: {pressed}"))
    wait_for(f"finger {pressed} checked", lambda: has_state(buttons[f"finger-{pressed}"], pyatspi.STATE_CHECKED))
    press_key(0xFF1B)  # Escape
    wait_for("the window closed", lambda: find_frame() is None)


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5])
    for failure in failures:
        print("atspi:", failure)
    sys.exit(1 if failures else 0)
