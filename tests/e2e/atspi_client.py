#!/usr/bin/env python3
"""A client of the accessibility bus, as a screen reader is one, driven by the end-to-end test.

Waits for the accessibility bus of the session (DBUS_SESSION_BUS_ADDRESS) for up to the
milliseconds given as its argument and says {"ok": true} once it can use it. Then reads one
request a line, a JSON array, and answers each with one line of JSON: an object with "ok" and
what was asked, or "ok": false and "error". Requests:
  ["app", PID, TIMEOUT_MS]            wait for the application of that process; its window's name
  ["listen", EVENT_TYPE]              keep events of that type ("object:text-changed:insert")
  ["do", NAME, ACTION]                do the action (e.g. "Toggle") of the control of that name
  ["wait", EVENT_TYPE, TIMEOUT_MS, SOURCE]
                                      the oldest kept event of that type (from a control of
                                      that name, where given), waiting for one
  ["item", NAME, ENTRY]               the description of the entry of a list's control
  ["set", NAME, VALUE]                set the value of the control of that name
  ["text", NAME]                      the character count and text of a text control
  ["name", NAME]                      the name and role of the control of that name
"""

import json
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

app = None
kept = []  # events of the types listened for, oldest first
listeners = []


def keep(event):
    source = event.source
    kept.append({
        "type": event.type,
        "source": source.get_name() if source else "",
        "role": source.get_role_name() if source else "",
        "detail1": event.detail1,
        "detail2": event.detail2,
        "data": event.any_data if isinstance(event.any_data, (str, int)) else None,
    })


def pump(until, timeout_ms):
    """Handles what arrives from the bus until the condition holds or the time is up."""
    deadline = time.monotonic() + timeout_ms / 1000
    context = GLib.MainContext.default()
    while not until():
        if time.monotonic() >= deadline:
            return False
        while context.pending():
            context.iteration(False)
        if not until():
            time.sleep(0.005)
    return True


def children(node):
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield child


def find(node, name, depth=0):
    """The first control of that name, depth first; the open list's entries are not entered."""
    if node.get_name() == name:
        return node
    if depth > 8 or node.get_role() in (Atspi.Role.LIST, Atspi.Role.TABLE, Atspi.Role.TREE):
        return None
    for child in children(node):
        found = find(child, name, depth + 1)
        if found is not None:
            return found
    return None


def control(name):
    found = find(app, name)
    if found is None:
        raise LookupError("no control named " + name)
    return found


def find_app(pid):
    for each in children(Atspi.get_desktop(0)):
        if each.get_process_id() == pid and each.get_child_count() > 0:
            return each
    return None


def handle(request):
    global app
    kind = request[0]
    if kind == "app":
        found = []
        if not pump(lambda: found.append(find_app(request[1])) or found[-1] is not None,
                    request[2]):
            raise LookupError("no application of process %d" % request[1])
        app = found[-1]
        return {"window": app.get_child_at_index(0).get_name()}
    if kind == "listen":
        listener = Atspi.EventListener.new(keep)
        listener.register(request[1])
        listeners.append(listener)
        return {}
    if kind == "do":
        target = control(request[1])
        names = [Atspi.Action.get_action_name(target, i) for i in range(Atspi.Action.get_n_actions(target))]
        if request[2] not in names:
            raise LookupError("actions of %s: %s" % (request[1], names))
        return {"done": Atspi.Action.do_action(target, names.index(request[2]))}
    if kind == "wait":
        def matching():
            return [event for event in kept if event["type"].startswith(request[1]) and
                    (len(request) < 4 or event["source"] == request[3])]
        if not pump(matching, request[2]):
            raise TimeoutError("no %s event; kept: %s" % (request[1], kept))
        event = matching()[0]
        kept.remove(event)
        return event
    if kind == "item":
        entries = control(request[1]).get_child_at_index(0)
        for entry in children(entries):
            if entry.get_name() == request[2]:
                return {"description": entry.get_description()}
        raise LookupError("no entry " + request[2])
    if kind == "set":
        return {"done": Atspi.Value.set_current_value(control(request[1]), request[2])}
    if kind == "text":
        target = control(request[1])
        count = Atspi.Text.get_character_count(target)
        return {"count": count, "text": Atspi.Text.get_text(target, 0, count)}
    if kind == "name":
        target = control(request[1])
        return {"name": target.get_name(), "role": target.get_role_name()}
    raise ValueError("unknown request " + kind)


def accessibility_bus_owned():
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    reply = session.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "NameHasOwner",
                              GLib.Variant("(s)", ("org.a11y.Bus",)), GLib.VariantType("(b)"),
                              Gio.DBusCallFlags.NONE, 1000, None)
    return reply.unpack()[0]


def main():
    # The client asks the launcher for the accessibility bus once, when it starts.
    if not pump(accessibility_bus_owned, int(sys.argv[1])):
        print(json.dumps({"ok": False, "error": "no accessibility bus launcher"}), flush=True)
        return
    Atspi.init()
    print(json.dumps({"ok": True}), flush=True)
    for line in sys.stdin:
        try:
            answer = handle(json.loads(line))
            answer["ok"] = True
        except Exception as error:  # the test shows what went wrong
            answer = {"ok": False, "error": "%s: %s" % (type(error).__name__, error)}
        print(json.dumps(answer, ensure_ascii=False), flush=True)


if __name__ == "__main__":
    main()
