#!/usr/bin/python3
"""What a screen reader sees of the program, through AT-SPI.

  screen_reader_probe.py dump TITLE          prints the tree under the frame named TITLE,
                                             one line per object: depth, role, name,
                                             description, actions (tab-separated)
  screen_reader_probe.py press TITLE NAME    runs the action of the push button NAME
  screen_reader_probe.py listen TITLE NAME   presses NAME and prints, for 3 s, the change
                                             events heard: kind, then the object's name

Waits up to 60 s for the frame; exits 2 when it never shows, 3 when NAME is not there.
"""
import sys
import time

import pyatspi
from gi.repository import Atspi


def find_frame(title):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        # Every question goes to the program: the tree changes under a page turn.
        app.set_cache_mask(Atspi.Cache.NONE)
        app.clear_cache()
        for window in app:
            if window is not None and window.getRoleName() == "frame" and window.name == title:
                return window
    return None


def walk(node, depth=0):
    yield depth, node
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def main():
    mode, title = sys.argv[1], sys.argv[2]
    frame = None
    deadline = time.time() + 60
    while frame is None and time.time() < deadline:
        frame = find_frame(title)
        if frame is None:
            time.sleep(0.3)
    if frame is None:
        return 2
    if mode == "dump":
        for depth, node in walk(frame):
            fields = [str(depth), node.getRoleName(), node.name, node.description, ",".join(actions(node))]
            print("\t".join(f.replace("\t", " ").replace("\n", " ") for f in fields))
        return 0
    name = sys.argv[3]
    button = None
    for _, node in walk(frame):
        if node.getRoleName() == "push button" and node.name == name:
            button = node
            break
    if button is None:
        return 3
    if mode == "press":
        button.queryAction().doAction(0)
        return 0
    return listen(button)


def listen(button):
    from gi.repository import GLib

    def heard(event):
        try:
            name = event.any_data.name if event.type.startswith("object:children-changed") else event.source.name
        except Exception:  # the object may be gone already
            name = ""
        print("%s\t%s" % (event.type, name), flush=True)

    for kind in ("object:children-changed", "object:property-change:accessible-name"):
        pyatspi.Registry.registerEventListener(heard, kind)
    GLib.timeout_add(300, lambda: button.queryAction().doAction(0) and False)
    GLib.timeout_add(3300, lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    return 0


if __name__ == "__main__":
    sys.exit(main())
