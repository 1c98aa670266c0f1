#!/usr/bin/env python3
"""The program's names as assistive technology reads them over AT-SPI.

Starts the program on a data tree without a customer list, so that its first
window is a message box, shown before the main window: the box's title (read
from the X server with xdotool, as AT-SPI gives a message box the name of its
kind) must be the program's name. Closes the box through its OK button's
accessible action, then finds the two date fields of the main window by their
names "First day" and "Last day".

Run inside a session bus with a display: dbus-run-session -- python3 this.py
<program>. Exits 0 when every check holds.
"""

import os
import subprocess
import sys
import tempfile

import pyatspi

from check_lists_atspi import data_folder, find_app, start_program, stop_program, wait_for, walk

PROGRAM_NAME = "Norvale Tavrilo Production Report"
DATE_NAMES = ["First day", "Last day"]


def find_message_box(app):
    """The window that holds the missing customer list's message."""
    for window in app:
        if window is None:
            continue
        for node, _ in walk(window):
            if node.getRoleName() == "label" and "CustomerList.lst" in (node.name or ""):
                return window
    return None


def visible_window_titles(pid):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True).stdout.split()
    titles = []
    for window_id in ids:
        title = subprocess.run(["xdotool", "getwindowname", window_id],
                               capture_output=True, text=True).stdout.strip()
        if title:
            titles.append(title)
    return titles


def press(window, label):
    for node, _ in walk(window):
        if node.getRoleName() == "push button" and node.name == label:
            action = node.queryAction()
            action.doAction(0)
            return True
    return False


def named(app, name):
    """The nodes called name that take the keyboard."""
    return [node for node, _ in walk(app)
            if node.name == name and node.getState().contains(pyatspi.STATE_FOCUSABLE)]


def main():
    program = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory(prefix="qz-a11y-") as root:
        os.makedirs(os.path.join(data_folder(root), "ReportData", "Machine-A"))
        app_process = start_program(program, root)
        try:
            app = wait_for(lambda: find_app(app_process.pid))
            if app is None:
                print("the program never showed up on the accessibility bus")
                return 1
            box = wait_for(lambda: find_message_box(app))
            if box is None:
                failures.append("no message box on the missing customer list")
            else:
                titles = visible_window_titles(app_process.pid)
                if titles != [PROGRAM_NAME]:
                    failures.append(f"windows shown with the box: {titles}, "
                                    f"expected the box alone titled '{PROGRAM_NAME}'")
                if not press(box, "OK"):
                    failures.append("the message box has no OK button")
            for name in DATE_NAMES:
                if not wait_for(lambda: named(app, name)):
                    failures.append(f"no control takes the keyboard under the name '{name}'")
            if failures:
                for node, depth in walk(app):
                    print("  " * depth + f"{node.getRoleName()} '{node.name}'")
        finally:
            stop_program(app_process)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
