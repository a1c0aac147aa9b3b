#!/usr/bin/python3
"""Waits for a menu item of the named program to take the focus, as a screen reader hears it over
AT-SPI, and prints the names of all the items of its menu, one a line. A program's popup menus are
reached only through its events, as screen readers reach them.
usage: atspi-menu-items.py PROGRAM_NAME SECONDS"""
import sys

import pyatspi
from gi.repository import GLib


def on_focus(event):
    item = event.source
    try:
        if item.getRole() != pyatspi.ROLE_MENU_ITEM or item.getApplication().name != sys.argv[1]:
            return
        names = [child.name for child in item.parent]
    except Exception:  # an item that went away while read
        return
    print("\n".join(names), flush=True)
    pyatspi.Registry.stop()


def give_up():
    print("no menu item of %s took the focus" % sys.argv[1], file=sys.stderr)
    pyatspi.Registry.stop()
    sys.exit(1)


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused", "focus:")
GLib.timeout_add_seconds(int(sys.argv[2]), give_up)
print("listening", file=sys.stderr, flush=True)
pyatspi.Registry.start()
