"""Reads the running norvane through the desktop's accessibility bus (AT-SPI), as a screen reader does,
with Debian's python3-pyatspi. norvane must run with the bus on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 where
the desktop does not say a screen reader runs)."""

import pyatspi
from gi.repository import GLib

from harness import Failure, run, wait_until

# Roles a person acts on: each needs a name a screen reader can say.
INTERACTIVE = {"push button", "toggle button", "check box", "radio button", "page tab", "combo box", "text",
               "password text", "entry", "spin button", "slider", "link", "menu item", "check menu item",
               "radio menu item", "list item"}


class Node:
    def __init__(self, accessible):
        self.a = accessible

    @property
    def name(self):
        return self.a.name or ""

    @property
    def description(self):
        return self.a.description or ""

    @property
    def role(self):
        return self.a.getRoleName()

    def has(self, state):
        return self.a.getState().contains(state)

    def showing(self):
        return self.has(pyatspi.STATE_SHOWING)

    def children(self):
        found = []
        for i in range(self.a.childCount):
            child = self.a.getChildAtIndex(i)
            if child is not None:
                found.append(Node(child))
        return found

    def center(self):
        box = self.a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x + box.width // 2, box.y + box.height // 2

    def click(self):
        """A real click at the middle of the control, found by what it is called rather than where."""
        x, y = self.center()
        run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def __repr__(self):
        return "%s %r" % (self.role, self.name)


def application(pid):
    """The accessible application of process `pid`, with a fresh view of its tree."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                # Without the bus's events (no main loop here) cached names and states would go stale.
                app.set_cache_mask(pyatspi.Atspi.Cache.NONE)
                app.clear_cache()
                return Node(app)
        except Exception:
            continue
    return None


def walk(node, showing_only=True):
    """Every node under `node`, depth first; with `showing_only`, hidden subtrees are left out. The items of
    a list are always read, including those scrolled out of view."""
    yield node
    try:
        children = node.children()
    except GLib.GError:  # gone while read: the app rebuilt that part of its tree
        return
    for child in children:
        try:
            if showing_only and not child.showing() and child.role != "list item":
                continue
        except GLib.GError:
            continue
        yield from walk(child, showing_only)


FIELD = ("text", "password text", "entry")


def find(root, role=None, name=None, prefix=None):
    """The first showing node of that role (or one of those roles) and name, or whose name starts so."""
    for node in walk(root):
        if role and node.role not in ((role,) if isinstance(role, str) else role):
            continue
        if name is not None and node.name != name:
            continue
        if prefix is not None and not node.name.startswith(prefix):
            continue
        return node
    return None


def wait_for(s, what, role=None, name=None, prefix=None, within=None, timeout=20):
    """Waits for a showing node of that role and name in norvane's tree (or under `within`)."""
    def look():
        try:
            root = within or application(s.app.pid)
            return root and find(root, role, name, prefix)
        except GLib.GError:
            return None  # a node went away while the tree was walked (a list rebuilt): look again
    return wait_until("%s (%s %r)" % (what, role, name or prefix), look, timeout, 0.3)


def unnamed_controls(root):
    """Showing controls a person acts on that have no name."""
    return [n for n in walk(root) if n.role in INTERACTIVE and not n.name.strip()]


def node_count(root, showing_only=False):
    return sum(1 for _ in walk(root, showing_only))


def focused(s):
    app = application(s.app.pid)
    if app is None:
        raise Failure("norvane is not on the accessibility bus")
    for node in walk(app):
        if node.has(pyatspi.STATE_FOCUSED) and node.role not in ("frame", "window", "application"):
            return node
    return None
