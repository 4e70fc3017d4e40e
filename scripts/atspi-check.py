#!/usr/bin/python3
"""Walks zmtsetup's accessibility tree as a screen reader sees it (AT-SPI)
and lists every interactive object that is showing but has no name.
Run by scripts/atspi-check inside its own display and session bus.
Exit status: 0 all named, 1 unnamed objects found, 2 the program not found."""
import sys
import time

import pyatspi

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_SLIDER,
}


def find_program(name, tries=100):
    # The program registers with the bus a moment after it starts; polling
    # the registry is the only way to know when (it sends no signal we can
    # wait on before it is registered).
    for _ in range(tries):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    return None


def walk(node, path, found, seen, depth=0):
    if node is None or depth > 40:
        return
    states = node.getState()
    if not states.contains(pyatspi.STATE_SHOWING):
        return
    role = node.getRole()
    here = f"{path}/{node.getRoleName()}:{node.name!r}"
    seen[node.getRoleName()] = seen.get(node.getRoleName(), 0) + 1
    if role in INTERACTIVE and not node.name.strip():
        found.append(here)
    for child in node:
        walk(child, here, found, seen, depth + 1)


def open_help(app, tries=50):
    """Presses F1 over the main window, so the help window is read too."""
    frames = [window for window in app if window.getRole() == pyatspi.ROLE_FRAME]
    if not frames:
        return
    extents = frames[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(extents.x + extents.width // 2, extents.y + extents.height // 2, "abs")
    before = app.childCount
    pyatspi.Registry.generateKeyboardEvent(0xFFBE, None, pyatspi.KEY_SYM)   # F1
    for _ in range(tries):
        if app.childCount > before:
            return
        time.sleep(0.1)
    print("atspi-check: F1 opened no help window", file=sys.stderr)


def main():
    app = find_program(sys.argv[1] if len(sys.argv) > 1 else "zmtsetup")
    if app is None:
        print("atspi-check: the program never appeared on the accessibility bus", file=sys.stderr)
        return 2
    unnamed = []
    seen = {}
    windows = 0
    open_help(app)
    for window in app:
        windows += 1
        # A message box (the quick set-up's offer to a controller with
        # nothing set up comes at start) reads as an alert, as it should.
        if window.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
            unnamed.append(f"window read as {window.getRoleName()}: {window.name!r}")
        walk(window, "", unnamed, seen)
    for line in unnamed:
        print(line)
    print("atspi-check: objects in sight by role: " + ", ".join(f"{role} {count}" for role, count in sorted(seen.items())))
    print(f"atspi-check: {windows} window(s), {len(unnamed)} unnamed interactive object(s)")
    return 1 if unnamed else 0


if __name__ == "__main__":
    sys.exit(main())
