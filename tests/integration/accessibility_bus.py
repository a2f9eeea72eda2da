#!/usr/bin/python3
"""The program as a screen reader sees it: run under Xvfb with the desktop's accessibility bus
(AT-SPI, started by dbus-run-session), walked through python3-pyatspi.

usage: accessibility_bus.py PROGRAM CLI DATA_DIR

Walks the main window, the customer dialog with its warning, the ID-code dialog, the order
list and the compare window; the companion (CLI) says what the window should show. Exits 77 when the bus cannot start.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
APP_PREFIX = "VK72 Configuration Tool"
SLOT_LABELS = ["X1", "X2", "X3", "X4", "X5", "X6", "X7", "X8", "X9", "X10", "HMI", "Power"]
PANELS = ["Zev-Ozi", "Housing", "Processor", "RAM", "Operating System", "OS Language on Delivery",
          "ExtensionCard", "Interfaces", "ZEV-Azo, IP69K, stainless steel", "Display",
          "Length of cable (Zev-Ozi <--> ZEV-Azo)"]
RADIO_PANELS = {"Housing": "Housing", "Processor": "Processor", "RAM": "RAM", "OS": "Operating System"}
MISSING_FIELDS = "At least Company1, Name1, Street and City should be entered!"
CUSTOMER_LABELS = ["Company1", "Company2", "Name1", "Name2", "Street", "City", "Ident1", "Ident2"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def outer(argv):
    """Starts a virtual screen, then this script again inside a fresh session bus."""
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            print("FAIL: %s is missing (scripts/install-deps.sh installs it)" % tool)
            return 1
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        display = pipe.readline().strip()
    if not display:
        xvfb.kill()
        print("FAIL: Xvfb did not start")
        return 1
    marker = tempfile.NamedTemporaryFile(prefix="a11y-started-", delete=False)
    marker.close()
    os.unlink(marker.name)
    env = dict(os.environ, DISPLAY=":" + display, KITBUILDER_A11Y_STARTED=marker.name)
    try:
        code = subprocess.call(["dbus-run-session", "--", sys.executable, __file__, "--inner"] + argv, env=env)
    finally:
        xvfb.terminate()
        xvfb.wait()
    if not os.path.exists(marker.name):
        print("SKIP: the session bus could not start (dbus-run-session exited with %d)" % code)
        return SKIP
    os.unlink(marker.name)
    return code


if __name__ == "__main__" and "--inner" not in sys.argv:
    sys.exit(outer(sys.argv[1:]))

open(os.environ["KITBUILDER_A11Y_STARTED"], "w").close()
import gi  # noqa: E402
gi.require_version("Atspi", "2.0")
from gi.repository import Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

argv = [a for a in sys.argv[1:] if a != "--inner"]
program, cli, data_dir = (os.path.abspath(a) for a in argv)


def a11y_bus_address():
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                              GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE, 20000, None)
    return reply.unpack()[0]


try:
    address = a11y_bus_address()
except GLib.Error as error:
    print("SKIP: the accessibility bus did not start: " + error.message)
    sys.exit(SKIP)
a11y_bus = Gio.DBusConnection.new_for_address_sync(
    address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
    None, None)


def pump(seconds=0.0):
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.time() >= end:
            return
        time.sleep(0.02)


def wait_for(predicate, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        pump(0.05)
        value = predicate()
        if value:
            return value
    return None


def press(obj):
    """The object's first action, without waiting for its answer: a button that opens a modal
    window answers only when the window closes."""
    a11y_bus.call(obj.app.bus_name, obj.path, "org.a11y.atspi.Action", "DoAction", GLib.Variant("(i)", (0,)),
                  None, Gio.DBusCallFlags.NONE, -1, None, None, None)


def children(obj):
    return [c for c in obj if c is not None]


def descendants(obj):
    out = []
    for child in children(obj):
        out.append(child)
        out.extend(descendants(child))
    return out


def role(obj):
    return obj.getRoleName()


def state(obj, s):
    return obj.getState().contains(s)


def labels_of(obj):
    names = []
    for relation in obj.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return [n for n in names if n and n.strip()]


def text_of(obj):
    try:
        return obj.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def describe(obj):
    return "%s %r in %r" % (role(obj), obj.name, obj.parent.name if obj.parent else None)


# Controls that need a name even while hidden; a closed list box's popup list is not one of
# them. A table cell is named by its text, which may be empty.
CONTROL_ROLES = {"push button", "check box", "radio button", "toggle button", "combo box", "text",
                 "password text", "spin button", "slider", "menu item", "table", "page tab"}


def check_every_control_named(window, where):
    for obj in descendants(window):
        showing_focusable = state(obj, pyatspi.STATE_FOCUSABLE) and state(obj, pyatspi.STATE_SHOWING)
        if role(obj) == "table cell" or not (showing_focusable or role(obj) in CONTROL_ROLES):
            continue
        check(obj.name.strip() or labels_of(obj), "%s: unnamed %s" % (where, describe(obj)))


def check_panels(window, where):
    def walk(obj, outer_names):
        for child in children(obj):
            names = outer_names
            if role(child) == "panel" and child.name:
                check(child.name not in outer_names,
                      "%s: panel %r carries the caption of a panel around it" % (where, child.name))
                names = outer_names + [child.name]
            walk(child, names)
    walk(window, [])


def extents(obj):
    return obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def window_named(app, name):
    for window in children(app):
        if window.name == name and state(window, pyatspi.STATE_SHOWING):
            return window
    return None


def companion(catalogue, prices, *args):
    return subprocess.run([cli, "--catalogue", catalogue, "--prices", prices] + list(args), capture_output=True,
                          text=True, check=True).stdout


def cli_report(catalogue, prices, *changes):
    out = companion(catalogue, prices, "select", *changes)
    report = dict(line.split("\t", 1) for line in out.splitlines() if "\t" in line)
    status = ("OK: " if report["Result"] == "0" else "Not OK: ") + report["Status"]
    price = " ".join(report.get("Price", "").split())
    return status, price


def main():
    work = tempfile.mkdtemp(prefix="kitbuilder-a11y-")
    shutil.copy(program, os.path.join(work, "kitbuilder"))
    for name in ("KITBUILDER.INI", "KITBUILDER.PRS", "terminal.jpg", "NewVersion.rtf"):
        if os.path.exists(os.path.join(data_dir, name)):
            shutil.copy(os.path.join(data_dir, name), work)
    catalogue, prices = os.path.join(work, "KITBUILDER.INI"), os.path.join(work, "KITBUILDER.PRS")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", HOME=work,
               XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_STATE_HOME=os.path.join(work, "state"))
    process = subprocess.Popen([os.path.join(work, "kitbuilder")], cwd=work, env=env)
    try:
        run(catalogue, prices)
    finally:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
        shutil.rmtree(work, ignore_errors=True)


def find_app():
    for app in children(pyatspi.Registry.getDesktop(0)):
        if app.name.startswith(APP_PREFIX):
            return app
    return None


def run(catalogue, prices):
    app = wait_for(find_app, timeout=60)
    if not check(app, "the program did not appear on the accessibility bus"):
        return
    main_window = wait_for(lambda: next(
        (w for w in children(app) if w.name.startswith(APP_PREFIX) and state(w, pyatspi.STATE_SHOWING)), None))
    if not check(main_window, "no main window on the bus"):
        return
    check_main_window(main_window, catalogue, prices)
    check_customer_dialog(app, main_window)
    check_id_code_dialog(app, main_window)
    check_order_list(app, main_window, catalogue, prices)
    check_compare_window(app, main_window)


def check_main_window(window, catalogue, prices):
    where = "main window"
    check_every_control_named(window, where)
    check_panels(window, where)
    all_objects = descendants(window)
    panel_names = {o.name for o in all_objects if role(o) == "panel"}
    for name in PANELS:
        check(name in panel_names, "%s: no panel named %r" % (where, name))

    slots = {}
    for box in (o for o in all_objects if role(o) == "combo box"):
        for label in labels_of(box):
            if label in SLOT_LABELS:
                slots.setdefault(label, []).append(box)
    for label in SLOT_LABELS:
        if check(len(slots.get(label, [])) == 1, "%s: %d boxes labelled %r" % (where, len(slots.get(label, [])), label)):
            box = slots[label][0]
            label_obj = next(o for o in all_objects if role(o) == "label" and o.name == label)
            box_at, label_at = extents(box), extents(label_obj)
            check(label_at.x == box_at.x and label_at.y < box_at.y,
                  "%s: the label %r is not the one above its box" % (where, label))

    check_marks(where, all_objects, slots, catalogue, prices)

    statuses = [o for o in all_objects if o.name == "Configuration Status"]
    prices_found = [o for o in all_objects if o.name == "Price of unit"]
    if not (check(len(statuses) == 1, "%s: %d objects named 'Configuration Status'" % (where, len(statuses))) and
            check(len(prices_found) == 1, "%s: %d objects named 'Price of unit'" % (where, len(prices_found)))):
        return
    status, price = statuses[0], prices_found[0]
    check(role(status) == "status bar", "%s: the status is a %s" % (where, role(status)))

    radios = {o.parent.name: [] for o in all_objects if role(o) == "radio button"}
    for o in all_objects:
        if role(o) == "radio button":
            radios[o.parent.name].append(o)
    ram = radios.get("RAM", [])
    if not check(ram, "%s: no radio buttons in the RAM panel" % where):
        return
    current = next((i for i, b in enumerate(ram) if state(b, pyatspi.STATE_CHECKED)), -1)
    expected = cli_report(catalogue, prices, "RAM=%d" % current)
    check((text_of(status), text_of(price)) == expected,
          "%s: status and price read %r, the companion reports %r" % (where, (text_of(status), text_of(price)), expected))

    events = []

    def listener(event):
        events.append((event.type, event.source.path, event.any_data))
    pyatspi.Registry.registerEventListener(listener, "object:text-changed", "object:property-change:accessible-name")
    # One change that moves the price only, one that also breaks or mends the verdict.
    outcomes = {i: cli_report(catalogue, prices, "RAM=%d" % i) for i in range(len(ram)) if i != current}
    outcomes[current] = expected
    price_only = next((i for i, o in outcomes.items() if o[0] == expected[0] and o[1] != expected[1]), None)
    verdict = next((i for i, o in outcomes.items() if o[0] != expected[0] and o[1] != outcomes[price_only][1]),
                   None) if price_only is not None else None
    check(price_only is not None and verdict is not None,
          "%s: the sample catalogue offers no RAM change to try: %r" % (where, outcomes))
    before = expected
    # Back to the start at last, which mends the verdict again.
    for index in (price_only, verdict, current):
        if index is None:
            continue
        events.clear()
        press(ram[index])
        after = outcomes[index]
        reached = wait_for(lambda: (text_of(status), text_of(price)) == after, timeout=15)
        check(reached, "%s: after choosing RAM %d status and price read %r, expected %r" %
              (where, index, (text_of(status), text_of(price)), after))
        pump(1.0)
        for obj, old, new in ((status, before[0], after[0]), (price, before[1], after[1])):
            inserted = [e for e in events if e[1] == obj.path and e[0].startswith("object:text-changed:insert")]
            want = 1 if old != new else 0
            check(len(inserted) == want, "%s: %d text insertions on %r for RAM %d, expected %d: %r" %
                  (where, len(inserted), obj.name, index, want, events))
        before = after
    pyatspi.Registry.deregisterEventListener(listener, "object:text-changed",
                                             "object:property-change:accessible-name")


def check_marks(where, all_objects, slots, catalogue, prices):
    """An entry that would break a rule or clear the fault says why in its description, as the
    companion's marks command lists them; no other entry has one."""
    out = companion(catalogue, prices, "marks")
    marks = {}
    for line in out.splitlines():
        fields = line.split("\t")
        if len(fields) == 5:
            marks[(fields[0], int(fields[1]))] = fields[4]
    entries = {}
    for group, panel in RADIO_PANELS.items():
        buttons = [o for o in all_objects if role(o) == "radio button" and o.parent.name == panel]
        entries.update({(group, i): b for i, b in enumerate(buttons)})
    for label, boxes in slots.items():
        if len(boxes) == 1 and boxes[0].childCount:
            entries.update({(label, i): item for i, item in enumerate(children(boxes[0][0]))})
    shown = [key for key in marks if key in entries]
    check(shown, "%s: the companion marks none of the entries checked here: %r" % (where, marks))
    for key, obj in entries.items():
        reason = marks.get(key)
        if reason:
            check(reason in obj.description, "%s: %s entry %d is marked %r, described %r" %
                  (where, key[0], key[1], reason, obj.description))
        else:
            check(not obj.description, "%s: %s entry %d is not marked, described %r" %
                  (where, key[0], key[1], obj.description))


def button(window, name):
    return next((o for o in descendants(window) if role(o) == "push button" and o.name == name), None)


def open_window(app, main_window, opener, title):
    if not check(opener, "no control opens %r" % title):
        return None
    press(opener)
    window = wait_for(lambda: window_named(app, title), timeout=30)
    check(window, "%r did not appear on the bus" % title)
    return window


def close_window(app, window, button_name):
    title = window.name
    closer = button(window, button_name)
    if check(closer, "%r has no button %r" % (title, button_name)):
        press(closer)
        check(wait_for(lambda: not window_named(app, title), timeout=15), "%r did not close" % title)


def check_customer_dialog(app, main_window):
    dialog = open_window(app, main_window, button(main_window, "Customer Data"), "Customer Data")
    if not dialog:
        return
    where = "customer dialog"
    check_every_control_named(dialog, where)
    fields = [o for o in descendants(dialog) if role(o) == "text"]
    labelled = sorted(label for f in fields for label in labels_of(f))
    check(labelled == sorted(CUSTOMER_LABELS), "%s: fields labelled %r" % (where, labelled))
    # OK with empty fields asks first; the question must be readable whole.
    press(button(dialog, "OK"))
    alert = wait_for(lambda: next(
        (w for w in children(app) if role(w) == "alert" and state(w, pyatspi.STATE_SHOWING)), None), timeout=15)
    if check(alert, "%s: no warning box on the bus" % where):
        texts = [o.name for o in descendants(alert) if role(o) == "label"]
        check(MISSING_FIELDS in texts, "%s: the warning reads %r" % (where, texts))
        check_every_control_named(alert, "warning box")
        ignore = next((o for o in descendants(alert) if role(o) == "push button" and "Ignorieren" in o.name), None)
        if check(ignore, "warning box: no Ignorieren button"):
            press(ignore)
    check(wait_for(lambda: not window_named(app, "Customer Data"), timeout=15),
          "%s did not close" % where)


def check_id_code_dialog(app, main_window):
    item = next((o for o in descendants(main_window) if role(o) == "menu item" and o.name == "Enter ID-Code"), None)
    dialog = open_window(app, main_window, item, "ID-Code")
    if not dialog:
        return
    where = "ID-code dialog"
    check_every_control_named(dialog, where)
    boxes = [o.name for o in descendants(dialog) if role(o) == "text"]
    check(boxes == ["ID code, place %d of 5" % n for n in range(1, 6)], "%s: code boxes named %r" % (where, boxes))
    close_window(app, dialog, "Cancel")


def check_order_list(app, main_window, catalogue, prices):
    dialog = open_window(app, main_window, button(main_window, "Show Order List"), "Orderlist")
    if not dialog:
        return
    where = "order list"
    check_every_control_named(dialog, where)
    table = next((o for o in descendants(dialog) if role(o) == "table"), None)
    if check(table, "%s: no table on the bus" % where):
        # Headers and cells read as the companion composes the same list.
        rows = [line.split("\t")[:5] for line in companion(catalogue, prices, "orderlist").splitlines()]
        cells = table.queryTable()
        headers = [cells.getColumnHeader(c).name if cells.getColumnHeader(c) else "" for c in range(cells.nColumns)]
        check(headers == rows[0], "%s: column headers %r, expected %r" % (where, headers, rows[0]))
        shown = [[cells.getAccessibleAt(r, c).name for c in range(cells.nColumns)] for r in range(len(rows) - 1)]
        check(shown == rows[1:], "%s: the cells read %r, expected %r" % (where, shown, rows[1:]))
    close_window(app, dialog, "Close")


def check_compare_window(app, main_window):
    item = next((o for o in descendants(main_window) if role(o) == "menu item" and o.name == "Compare Catalogues\u2026"),
                None)
    window = open_window(app, main_window, item, "Compare Catalogues")
    if not window:
        return
    where = "compare window"
    check_every_control_named(window, where)
    fields = [o for o in descendants(window) if role(o) == "text" and state(o, pyatspi.STATE_EDITABLE)]
    labelled = [label.rstrip(":") for f in fields for label in labels_of(f)]
    check(labelled == ["Old catalogue", "New catalogue", "Saved orders"], "%s: fields labelled %r" % (where, labelled))
    close_window(app, window, "Close")


main()
if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("PASS: the main window, the customer dialog, the ID-code dialog, the order list and the compare window on "
      "the accessibility bus")
