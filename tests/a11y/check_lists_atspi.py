#!/usr/bin/env python3
"""The machine list as assistive technology reads it over AT-SPI.

Starts the program on a data tree of its own, finds the machine list in its
accessible tree, reads every row's text and checked state, toggles one row
through the accessible action and reads the state again.

Run inside a session bus with a display: dbus-run-session -- python3 this.py
<program>. Exits 0 when every check holds.
"""

import os
import subprocess
import sys
import tempfile
import time

import pyatspi

MACHINES = ["Machine-B", "machine-a", "Machine-C"]
EXPECTED_ORDER = ["machine-a", "Machine-B", "Machine-C"]


def wait_for(pred, limit=30.0):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        value = pred()
        if value:
            return value
        time.sleep(0.2)
    return None


def data_folder(root):
    """The program's data folder in a home folder below root."""
    return os.path.join(root, "home", "Documents", "Norvale", "TavriloIC")


def start_program(program, root):
    """Starts program with its home folder below root, on the accessibility
    bus; the caller writes its data folder first."""
    home = os.path.join(root, "home")
    runtime = os.path.join(root, "runtime")
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_RUNTIME_DIR=runtime, GTK_A11Y="atspi")
    env.pop("NO_AT_BRIDGE", None)  # the bridge is what is under test
    # The accessibility bus and its registry come up on first use: before
    # the program looks for them, or it may run without.
    pyatspi.Registry.getDesktop(0).childCount
    return subprocess.Popen([program], env=env)


def stop_program(process):
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_table_with_header(app, title):
    """The table (tree view) whose column header reads title."""
    for node, _ in walk(app):
        if node.getRoleName() not in ("table", "tree table"):
            continue
        try:
            table = node.queryTable()
        except NotImplementedError:
            continue
        for col in range(table.nColumns):
            if table.getColumnDescription(col) == title:
                return node, table
    return None


def action_names(cell):
    try:
        action = cell.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def rows(table):
    """Each row as (text, checked, check cell): the check cell is the one
    that offers the toggle action."""
    result = []
    for row in range(table.nRows):
        cells = [table.getAccessibleAt(row, col) for col in range(table.nColumns)]
        for cell in cells:
            cell.clear_cache()  # the state as the program has it now
        checks = [c for c in cells if "toggle" in action_names(c)]
        texts = [c.name for c in cells if c.name]
        if len(checks) != 1 or len(texts) != 1:
            raise AssertionError(f"row {row}: {len(checks)} check cells, texts {texts}")
        result.append((texts[0], checks[0].getState().contains(pyatspi.STATE_CHECKED),
                       checks[0]))
    return result


def main():
    program = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory(prefix="qz-a11y-") as root:
        data = data_folder(root)
        for machine in MACHINES:
            os.makedirs(os.path.join(data, "ReportData", machine))
        with open(os.path.join(data, "CustomerList.lst"), "w") as f:
            f.write("0A1B _ Cable Maker One\n")
        app_process = start_program(program, root)
        try:
            app = wait_for(lambda: find_app(app_process.pid))
            if app is None:
                print("the program never showed up on the accessibility bus")
                return 1
            found = wait_for(lambda: find_table_with_header(app, "Machine Name"))
            if found is None:
                print("no list with the column 'Machine Name' on the accessibility bus")
                for node, depth in walk(app):
                    print("  " * depth + f"{node.getRoleName()} '{node.name}'")
                return 1
            _, table = found

            listed = rows(table)
            texts = [text for text, _, _ in listed]
            states = [checked for _, checked, _ in listed]
            if texts != EXPECTED_ORDER:
                failures.append(f"row texts {texts}, expected {EXPECTED_ORDER}")
            if states != [True, False, False]:
                failures.append(f"check states {states}, expected the first row only")

            # Toggle the second row as a screen reader's user would.
            check = listed[1][2]
            check.queryAction().doAction(action_names(check).index("toggle"))
            wait_for(lambda: rows(table)[1][1], limit=5.0)
            states = [checked for _, checked, _ in rows(table)]
            if states != [True, True, False]:
                failures.append(f"check states after toggling the second row: {states}")
        finally:
            stop_program(app_process)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
