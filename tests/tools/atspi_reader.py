#!/usr/bin/python3
"""Reads a running program's window over AT-SPI, as a screen reader does.

Usage: atspi_reader.py APPLICATION-NAME

Each line "read" on standard input prints one snapshot of the application's
shown objects, one per line as ROLE<TAB>KEY<TAB>TEXT, closed by a line ".".
KEY is the accessible description when there is one (it says what a
changing value is), else the accessible name. A table prints
"table<TAB>KEY<TAB>ROWS<TAB>COLUMNS", then "header<TAB>COLUMN<TAB>CAPTION" and
"cell<TAB>ROW<TAB>COLUMN<TAB>TEXT" lines, columns in display order, read
through the table interface. Newlines and tabs inside
texts are escaped as \\n and \\t. Prints "absent" and "." while the
application has not registered yet.

A line "geometry" prints every shown object of the application's windows as
"extent<TAB>PATH<TAB>X<TAB>Y<TAB>WIDTH<TAB>HEIGHT", the place relative to
its window's top-left corner; PATH names the object and its ancestors below
the window as ROLE:KEY, joined by "/".
"""
import sys
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# The interface getters are what this release offers; quiet their notices.
warnings.simplefilter("ignore", DeprecationWarning)


def one_line(text):
    return (text or "").replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


def emit(role, *fields):
    sys.stdout.write("\t".join([role] + [one_line(f) for f in fields]) + "\n")


def find_application(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


def full_text(node):
    text = node.get_text_iface()
    if text is None:
        return None
    return text.get_text(0, text.get_character_count())


def read_table(node, key):
    table = node.get_table_iface()
    rows, columns = table.get_n_rows(), table.get_n_columns()
    emit("table", key, "%d" % rows, "%d" % columns)
    for c in range(columns):
        emit("header", "%d" % c, table.get_column_description(c))
    for r in range(rows):
        for c in range(columns):
            cell = table.get_accessible_at(r, c)
            emit("cell", "%d" % r, "%d" % c, cell.get_name() if cell is not None else "")


def walk(node):
    states = node.get_state_set()
    if not states.contains(Atspi.StateType.SHOWING):
        return
    role = node.get_role_name()
    name = node.get_name() or ""
    key = node.get_description() or name
    if node.get_role() == Atspi.Role.TABLE and node.get_table_iface() is not None:
        read_table(node, key)
        return
    value = node.get_value_iface()
    if value is not None and node.get_role() == Atspi.Role.PROGRESS_BAR:
        emit(role, key, "%d" % round(value.get_current_value()))
    elif node.get_role() in (Atspi.Role.TEXT, Atspi.Role.ENTRY, Atspi.Role.PASSWORD_TEXT):
        emit(role, key, full_text(node) or "")
    elif node.get_role() in (Atspi.Role.LABEL, Atspi.Role.STATUS_BAR, Atspi.Role.STATIC):
        emit(role, key, name)
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child)


def walk_extents(node, origin, path):
    if not node.get_state_set().contains(Atspi.StateType.SHOWING):
        return
    box = node.get_extents(Atspi.CoordType.SCREEN)
    if origin is None:
        origin = (box.x, box.y)
    else:
        key = node.get_description() or node.get_name() or ""
        path = path + ["%s:%s" % (node.get_role_name(), key)]
        emit("extent", "/".join(path), "%d" % (box.x - origin[0]), "%d" % (box.y - origin[1]),
             "%d" % box.width, "%d" % box.height)
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk_extents(child, origin, path)


def each_window(name, visit):
    app = find_application(name)
    if app is None:
        sys.stdout.write("absent\n")
        return
    # Every read asks the program afresh: cached objects would show old calls.
    app.clear_cache()
    app.set_cache_mask(Atspi.Cache.NONE)
    for i in range(app.get_child_count()):
        window = app.get_child_at_index(i)
        if window is not None:
            visit(window)


def geometry(name):
    each_window(name, lambda window: walk_extents(window, None, []))


def snapshot(name):
    each_window(name, walk)


def main():
    name = sys.argv[1]
    for line in sys.stdin:
        command = {"read": snapshot, "geometry": geometry}.get(line.strip())
        if command is None:
            continue
        try:
            command(name)
        except gi.repository.GLib.Error as error:  # the program went away mid-read
            sys.stdout.write("error\t%s\n" % one_line(str(error)))
        sys.stdout.write(".\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
