#!/usr/bin/env python3
# Drives the group editor the way assistive technology and keyboard users do.
#   names     prints "role|name|focusable|enabled" of the editor's controls
#   reader    adds group NAME with places P1..P5 through accessible actions
#             only: Press on the skin buttons, EditableText on the fields,
#             OK in the question box
#   keyboard  adds group NAME with places P1..P5, makes OTHER (the only
#             other group) active through the menu key's tray menu,
#             deletes NAME and binds PROGRAM to OTHER, with key presses
#             (xdotool) only; the accessibility bus is only read, to know
#             where the focus is
# Prints "focus order: ..." and the box messages it answered; exits 1 with the
# reason on failure.
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP = "Varnel_Zize"


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def wait(condition, what, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        try:
            found = condition()
        except GLib.GError:
            # A window that closes meanwhile (the splash at the start) takes
            # its objects with it while they are walked: look again.
            found = None
        if found:
            return found
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def states(acc):
    return acc.getState()


def showing(acc):
    return states(acc).contains(pyatspi.STATE_SHOWING)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == APP:
            return app
    return None


def windows(role):
    app = application()
    if app is None:
        return []
    found = []
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.getRole() == role and showing(w):
            found.append(w)
    return found


def editor():
    # The editor is the frame with the group list in it.
    for w in windows(pyatspi.ROLE_FRAME):
        if any(c.getRole() == pyatspi.ROLE_COMBO_BOX for c in controls(w)):
            return w
    return None


def controls(window):
    out = []

    def walk(acc):
        for i in range(acc.childCount):
            c = acc.getChildAtIndex(i)
            if c is None:
                continue
            if c.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_COMBO_BOX):
                out.append(c)
            if c.getRole() != pyatspi.ROLE_COMBO_BOX:
                walk(c)

    walk(window)
    return out


def name_of(acc):
    # A list's name is its value; the label it is the buddy of names it.
    if acc.getRole() == pyatspi.ROLE_COMBO_BOX:
        for relation in acc.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and relation.getNTargets():
                return relation.getTarget(0).name
    return acc.name


def find(window, role, name=None):
    for c in controls(window):
        if c.getRole() == role and (name is None or name_of(c) == name) and showing(c):
            return c
    return None


def need(window, role, name):
    return wait(lambda: find(window, role, name), "%s %r" % (role, name))


def press(acc):
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail("%r has no Press action: %s" % (acc.name, names))
    action.doAction(names.index("Press"))


def box(role=None):
    """The shown question or alert box: (window, its message)."""
    for r in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
        if role is None or r == role:
            for w in windows(r):
                return w, w.name
    return None


def focused_name():
    for role in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
        for w in windows(role):
            for c in controls(w):
                if states(c).contains(pyatspi.STATE_FOCUSED):
                    return name_of(c)
                # The list's focus is on its edit field.
                if c.getRole() == pyatspi.ROLE_COMBO_BOX:
                    for i in range(c.childCount):
                        k = c.getChildAtIndex(i)
                        if k is not None and states(k).contains(pyatspi.STATE_FOCUSED):
                            return name_of(c)
    return None


def names():
    w = wait(editor, "the editor")
    for c in controls(w):
        s = states(c)
        print("%s|%s|%d|%d" % (c.getRoleName(), name_of(c), s.contains(pyatspi.STATE_FOCUSABLE),
                               s.contains(pyatspi.STATE_ENABLED)))


def answer_ok(expected_message):
    w, message = wait(box, "the question box")
    if message != expected_message:
        fail("the box says %r, not %r" % (message, expected_message))
    print("box: " + message)
    return w


def reader(name, places):
    w = wait(editor, "the editor")
    press(need(w, pyatspi.ROLE_PUSH_BUTTON, "Add new"))
    field = need(w, pyatspi.ROLE_TEXT, "New group name")
    field.queryEditableText().setTextContents(name)
    for i, place in enumerate(places):
        need(w, pyatspi.ROLE_TEXT, "Place %d" % (i + 1)).queryEditableText().setTextContents(place)
    press(need(w, pyatspi.ROLE_PUSH_BUTTON, "Save"))
    question = answer_ok("Save the changes?")
    press(need(question, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    wait(lambda: box() is None, "the box to close")


# ---- keyboard only -----------------------------------------------------------


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80"] + list(names), check=True)
    time.sleep(0.25)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
    time.sleep(0.2)


def tab_to(name):
    for _ in range(30):
        if focused_name() == name:
            return
        keys("Tab")
    fail("Tab never reached %r" % name)


def keyboard(name, places, other, program):
    w = wait(editor, "the editor")
    # The keyboard goes to the editor, as a click on its title would send it
    # (the test's display has no window manager).
    windows_shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Varnel Zize"],
                                   capture_output=True, text=True).stdout.split()
    for wid in windows_shown:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True, text=True).stdout
        if "401x250" in geometry:
            subprocess.run(["xdotool", "windowfocus", "--sync", wid], check=True)
    wait(focused_name, "the keyboard focus in the editor")

    # One whole round of Tab from the group list shows the order.
    tab_to("Groups")
    order = ["Groups"]
    for _ in range(40):
        keys("Tab")
        now = focused_name()
        if now == "Groups":
            break
        order.append(now)
    print("focus order: " + ", ".join(str(n) for n in order))

    tab_to("Add new")
    keys("space")
    tab_to("New group name")
    keys("ctrl+a")
    type_text(name)
    for i, place in enumerate(places):
        tab_to("Place %d" % (i + 1))
        keys("ctrl+a")
        type_text(place)
    tab_to("Save")
    keys("Return")
    answer_ok("Save the changes?")
    keys("Return")
    wait(lambda: box() is None, "the question box to close")

    # The new group is the active one, which the dustbin never deletes: make
    # `other` active from the tray menu, opened with the menu key.
    wait(lambda: focused_name() is not None, "the focus back in the editor")
    # Groups > the first group offered: the active one is greyed out.
    keys("Menu")
    keys("Down", "Right")
    keys("Return")
    wait(lambda: list_text(w) == other, "the list to show the active group %r" % other)

    tab_to("Groups")
    for _ in range(10):
        if list_text(w) == name:
            break
        keys("Down")
    else:
        fail("the list never showed %r" % name)
    tab_to("Delete the group")
    keys("Return")
    answer_ok("Delete the selected group?")
    keys("Return")
    wait(lambda: box() is None, "the question box to close")

    # The Programs button under Save binds a program with windows open to
    # the group the list shows; the menu opened again shows it bound.
    tab_to("Groups")
    for _ in range(10):
        if list_text(w) == other:
            break
        keys("Down")
    tab_to("Programs")
    items = menu_opened_by("space")
    print("menu: " + ", ".join(items))
    # The keyboard starts on the first item.
    keys(*(["Down"] * [i.rsplit(" [", 1)[0] for i in items].index(program)), "Return")
    print("menu: " + ", ".join(menu_opened_by("space")))
    keys("Escape")


def menu_opened_by(*opening):
    """Presses the keys that open a menu and lists its items as a screen
    reader learns them, from the focus moving to one: name [x] or [ ]."""
    focused = []

    def on_focus(event):
        if event.detail1 and event.source is not None and \
                event.source.getRole() in (pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_MENU_ITEM):
            focused.append(event.source)

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    try:
        keys(*opening)
        context = GLib.MainContext.default()
        wait(lambda: context.iteration(False) and False or focused, "a menu item to get the focus")
    finally:
        pyatspi.Registry.deregisterEventListener(on_focus, "object:state-changed:focused")
    menu = focused[-1].parent
    items = [menu.getChildAtIndex(k) for k in range(menu.childCount)]
    return ["%s [%s]" % (c.name, "x" if states(c).contains(pyatspi.STATE_CHECKED) else " ")
            for c in items if c is not None and c.getRole() in (pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_MENU_ITEM)]


def list_text(w):
    combo = find(w, pyatspi.ROLE_COMBO_BOX, "Groups")
    if combo is None:
        return None
    for i in range(combo.childCount):
        c = combo.getChildAtIndex(i)
        if c is not None and c.getRole() == pyatspi.ROLE_TEXT:
            t = c.queryText()
            return t.getText(0, t.characterCount)
    return None


def main():
    mode = sys.argv[1]
    if mode == "names":
        names()
    elif mode == "reader":
        reader(sys.argv[2], sys.argv[3:8])
    elif mode == "keyboard":
        keyboard(sys.argv[2], sys.argv[3:8], sys.argv[8], sys.argv[9])
    else:
        fail("unknown mode " + mode)


if __name__ == "__main__":
    main()
