#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Reads the accessibility tree of a running dp3tools through AT-SPI and
# checks what a screen reader would say of it: every interactive control
# named, no two with the same role and name in one window, and an event for a
# status line's change. Run by tests/a11y/atspi-test.sh (a virtual display and
# its own accessibility bus); prints the figures, exits 1 on a fault.
import sys
import time

import pyatspi
from gi.repository import GLib

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PASSWORD_TEXT,
}


def find_app(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.3)
    return None


def walk(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from walk(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def main():
    app = find_app(sys.argv[1] if len(sys.argv) > 1 else "dp3tools", 30)
    if app is None:
        print("atspi: dp3tools did not appear on the accessibility bus")
        return 1
    time.sleep(1.5)  # the first ticks: Play buttons named, times shown
    faults = 0
    for window in app:
        every = [n for n in walk(window) if n.getRole() in INTERACTIVE]
        hidden = len(every) - len([n for n in every if showing(n)])
        controls = [n for n in every if showing(n)]
        seen = {}
        for node in controls:
            seen.setdefault((node.getRoleName(), node.name), []).append(node)
        empty = [n for n in controls if not n.name]
        alike = sum(len(v) for k, v in seen.items() if len(v) > 1 and k[1])
        print(f"atspi: window \"{window.name}\": {len(controls)} interactive controls shown "
              f"({hidden} more hidden), {len(empty)} without a name, {alike} indistinguishable")
        for (role, name), nodes in sorted(seen.items()):
            if not name or len(nodes) > 1:
                print(f"atspi:   {role} \"{name}\" x{len(nodes)}")
        faults += len(empty) + alike
        if "--list" in sys.argv:
            for n in controls:
                print(f"atspi:   {n.getRoleName()}: {n.name}")

    # A status change raises an event: press Test DP and listen.
    events = []
    pyatspi.Registry.registerEventListener(
        lambda e: events.append(e), "object:property-change:accessible-name")
    buttons = [n for n in walk(app[0]) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and
               n.name == "Test DP"]
    if buttons:
        buttons[0].queryAction().doAction(0)
        deadline = time.time() + 10
        while time.time() < deadline and not any(
                e.source and e.source.getRole() == pyatspi.ROLE_LABEL and
                e.source.name.startswith(">DP") for e in events):
            while GLib.MainContext.default().iteration(False):
                pass
            time.sleep(0.05)
        heard = [e.source.name for e in events if e.source and
                 e.source.getRole() == pyatspi.ROLE_LABEL and e.source.name]
        print(f"atspi: status events after Test DP: {heard[:6]}")
        if not any(h.startswith(">DP") for h in heard):
            faults += 1
    else:
        print("atspi: no Test DP button")
        faults += 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
