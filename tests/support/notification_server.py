#!/usr/bin/python3
# The desktop's notification service as a test sees it: owns
# org.freedesktop.Notifications on the session bus, answers as a notification
# daemon does, and prints each notification's summary and body as one line.
import sys
from gi.repository import Gio, GLib

INTERFACE = """
<node><interface name="org.freedesktop.Notifications">
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
  </method>
  <method name="CloseNotification"><arg type="u" direction="in"/></method>
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="GetServerInformation">
    <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
  </method>
</interface></node>
"""
shown = 0


def call(connection, sender, path, interface, method, args, invocation):
    global shown
    if method == "Notify":
        shown += 1
        print(f"{args[3]}|{args[4]}", flush=True)
        invocation.return_value(GLib.Variant("(u)", (shown,)))
    elif method == "GetCapabilities":
        invocation.return_value(GLib.Variant("(as)", (["body", "icon-static"],)))
    elif method == "GetServerInformation":
        invocation.return_value(GLib.Variant("(ssss)", ("test", "varnel", "1", "1.2")))
    else:
        invocation.return_value(None)


def acquired(connection, name):
    connection.register_object("/org/freedesktop/Notifications",
                               Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0], call, None, None)
    print("ready", flush=True)


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications", Gio.BusNameOwnerFlags.NONE,
                 None, acquired, lambda *a: sys.exit(1))
GLib.MainLoop().run()
