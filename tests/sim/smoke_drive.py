#!/usr/bin/python3
"""Drives the running tool through the accessibility bus the way a user would: types ZN210 as
the model, opens its function-test window, opens the port and starts reading, then checks that
the status line reports normal communication. Exit 0 on success, 1 with a reason otherwise.
Each step waits for what it needs, with a ceiling far above what a loaded machine takes."""
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


CEILING = 60  # seconds


def window(title, timeout=CEILING):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            for frame in (app or []):
                if frame is not None and frame.name == title and showing(frame):
                    return frame
        time.sleep(0.2)
    sys.exit(f"no showing window titled {title!r}")


def control(root, name, timeout=CEILING):
    end = time.time() + timeout
    while True:
        for node in walk(root):
            if node.description == name and showing(node):
                return node
        if time.time() >= end:
            sys.exit(f"no control {name!r} in {root.name!r}")
        time.sleep(0.2)


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
port = control(test, "Command_Port")
closed_caption = port.name
port.queryAction().doAction(0)
# The button's caption turns to "close" once the port is open.
end = time.time() + CEILING
while port.name == closed_caption and time.time() < end:
    time.sleep(0.1)
if port.name == closed_caption:
    sys.exit(f"the port did not open: its button still reads {closed_caption!r}")
press(test, "Command_OK1")
end = time.time() + CEILING
message = ""
while time.time() < end:
    message = text_of(test, "Text_Message")
    if message == NORMAL:
        print("ZN210 window polls COM1:", text_of(test, "Text_Receive"))
        sys.exit(0)
    time.sleep(0.2)
sys.exit(f"Text_Message is {message!r}, not {NORMAL!r}")
