#!/usr/bin/env python3
# Opens a real GTK 3 file chooser and prints the places of its sidebar, one
# "label<TAB>uri" line each. With --keep SECONDS it stays on screen that long;
# with --until URI it prints once the sidebar shows that place (it follows
# the bookmarks file while open), or after 20 seconds without it.
import sys
import time
from urllib.parse import unquote

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402


def find(widget, kind):
    if isinstance(widget, kind):
        return widget
    found = []
    if isinstance(widget, Gtk.Container):
        widget.forall(lambda child: found.append(find(child, kind)))
    return next((f for f in found if f is not None), None)


def rows(sidebar):
    listbox = find(sidebar, Gtk.ListBox)
    out = []
    for row in listbox.get_children():
        try:
            label, uri = row.get_property("label"), row.get_property("uri")
        except TypeError:
            continue
        if label and row.get_visible():
            out.append((label, uri or ""))
    return out


def main():
    keep = float(sys.argv[sys.argv.index("--keep") + 1]) if "--keep" in sys.argv else 0
    until = unquote(sys.argv[sys.argv.index("--until") + 1]) if "--until" in sys.argv else None
    give_up = time.monotonic() + 20
    dialog = Gtk.FileChooserDialog(title="Open", action=Gtk.FileChooserAction.OPEN)
    dialog.add_button("_Cancel", Gtk.ResponseType.CANCEL)
    dialog.add_button("_Open", Gtk.ResponseType.OK)
    dialog.set_default_size(760, 480)
    dialog.show_all()

    def report():
        shown = rows(find(dialog, Gtk.PlacesSidebar))
        if until is not None and until not in (unquote(uri) for _, uri in shown) and time.monotonic() < give_up:
            return True
        for label, uri in shown:
            print(f"{label}\t{uri}")
        sys.stdout.flush()
        GLib.timeout_add(int(keep * 1000), Gtk.main_quit)
        return False

    # The sidebar fills itself from the bookmarks file once the loop runs.
    GLib.timeout_add(800 if until is None else 100, report)
    Gtk.main()


main()
