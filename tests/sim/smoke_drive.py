#!/usr/bin/python3
"""Drives the running tool through the accessibility bus the way a user would: types ZN210 as
the model, opens its function-test window, opens the port and starts reading, then checks that
the status line reports normal communication. Exit 0 on success, 1 with a reason otherwise."""
import sys
import time

import pyatspi

TITLE = sys.argv[1]
NORMAL = sys.argv[2]


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def window(title, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            for frame in (app or []):
                if frame is not None and frame.name == title and showing(frame):
                    return frame
        time.sleep(0.2)
    sys.exit(f"no showing window titled {title!r}")


def control(root, name):
    for node in walk(root):
        if node.description == name and showing(node):
            return node
    sys.exit(f"no control {name!r} in {root.name!r}")


def press(root, name):
    control(root, name).queryAction().doAction(0)


def text_of(root, name):
    node = control(root, name)
    return node.queryText().getText(0, -1)


main = window(TITLE)
combo = control(main, "Combo_Model")
edit = next(n for n in walk(combo) if n.getRole() == pyatspi.ROLE_TEXT)
edit.queryEditableText().setTextContents("ZN210")
press(main, "Command1(0)")
test = window("ZN210")
press(test, "Command_Port")
time.sleep(0.3)
press(test, "Command_OK1")
end = time.time() + 8
message = ""
while time.time() < end:
    message = text_of(test, "Text_Message")
    if message == NORMAL:
        print("ZN210 window polls COM1:", text_of(test, "Text_Receive"))
        sys.exit(0)
    time.sleep(0.2)
sys.exit(f"Text_Message is {message!r}, not {NORMAL!r}")
