# Starts the program on a virtual X display with an accessibility bus and reads its window as a
# screen reader does, through AT-SPI: the names and roles of the fields, buttons, table and
# About box, and the Name field's text after typing into it. Prints the tree it read.
# Usage: accessibility_test.py path/to/nimbrel
import os
import shutil
import subprocess
import sys
import tempfile
import time

program = os.path.abspath(sys.argv[1])
missing = [tool for tool in ("Xvfb", "xdotool", "dbus-run-session", "/usr/libexec/at-spi-bus-launcher")
           if not shutil.which(tool)]
try:
    import pyatspi
except ImportError:
    missing.append("python3-pyatspi")
if missing:
    sys.exit(f"FAILED: needs {', '.join(missing)} (scripts/install-deps test installs them)")
if "NIMBREL_SESSION_BUS" not in os.environ:  # a session bus of its own, with an AT-SPI registry
    os.environ["NIMBREL_SESSION_BUS"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])


def wait_for(what, probe, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"FAILED: {what}")


def window(title):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "nimbrel":
            return next((top for top in app if top is not None and top.name == title), None)
    return None


def children(acc):
    return [(child.getRoleName(), child.name) for child in acc]


read, write = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "1280x800x24"],
                        pass_fds=[write], stderr=subprocess.DEVNULL)
os.close(write)
display = ":" + os.read(read, 16).decode().strip()
work = tempfile.mkdtemp()
with open(os.path.join(work, "nimbrel.nbd"), "wb") as data:
    data.write(b"CREATOR=Nimbrel 1.0\r\nNAME=Bank\r\nUSERNAME=anna\r\nPASSWORD=Owl-7\r\n"
               b"URL=bank.example.net\r\nOTHER=card\r\nNOTES=Hill Street\r\n")
env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
nimbrel = subprocess.Popen([program], cwd=work, env=env)
try:
    main = wait_for("no accessible main window", lambda: window("Nimbrel: nimbrel.nbd"))
    tree = children(main)
    for role, name in tree:
        print(f"[{role}] {name}")
    fields = ["Name", "Username", "Password", "URL", "Other", "Notes", "Count"]
    buttons = ["Go", "Quit", "Add", "Update", "Delete", "Clear", "Save", "Help"]
    assert [name for role, name in tree if role == "text"] == fields, tree
    assert [name for role, name in tree if role == "push button"] == buttons, tree
    table = next(child for child in main if child.getRoleName() == "table").queryTable()
    headings = [table.getColumnHeader(column).name for column in range(table.nColumns)]
    cells = [table.getAccessibleAt(0, column).name for column in range(table.nColumns)]
    print("table headings:", headings, "row 0:", cells)
    assert headings == fields[:6], headings
    assert cells == ["Bank", "anna", "Owl-7", "bank.example.net", "card", "Hill Street"], cells

    name_field = next(child for child in main if child.name == "Name").queryText()
    xid = subprocess.check_output(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                   "^Nimbrel: nimbrel.nbd$"], env=env, timeout=30).split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", xid, "type", "Mail"], env=env, check=True)
    wait_for("typing into Name is not seen in its accessible text",
             lambda: name_field.getText(0, -1) == "Mail")

    subprocess.run(["xdotool", "key", "alt+space", "sleep", "0.5", "key", "a"], env=env, check=True)
    about = wait_for("no accessible About box", lambda: window("About Nimbrel"))
    print("[dialog] About Nimbrel:", children(about))
    assert children(about) == [("label", "Nimbrel Version 1.02"), ("push button", "OK")]
finally:
    nimbrel.kill()
    nimbrel.wait()
    xvfb.terminate()
    xvfb.wait()
    shutil.rmtree(work)
print("screen reader view: as expected")
