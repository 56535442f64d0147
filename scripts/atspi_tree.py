#!/usr/bin/python3
"""atspi_tree.py toolbar|dialog|check: what the AT-SPI bus shows of a running Zelto.

toolbar and dialog print the accessible tree of the main window's toolbar or of the paragraph
dialog: role, name, value or text, the label relation, description and actions of each object,
long lists shortened. check prints nothing and exits 1 when a control of the toolbar has no
name and no label. Run by scripts/atspi.sh inside its session; needs python3-pyatspi.
"""
import sys
import time

import pyatspi


def find_app(name, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and name in (app.name or ""):
                return app
        time.sleep(0.5)
    return None


def find(acc, predicate, depth=0):
    if acc is None or depth > 15:
        return None
    if predicate(acc):
        return acc
    for i in range(acc.childCount):
        found = find(acc.getChildAtIndex(i), predicate, depth + 1)
        if found is not None:
            return found
    return None


def label_of(acc):
    for relation in acc.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name
    return None


def describe(acc):
    extra = []
    try:
        extra.append("value=%g" % acc.queryValue().currentValue)
    except NotImplementedError:
        pass
    try:
        text = acc.queryText()
        if text.characterCount < 200:
            extra.append("text=%r" % text.getText(0, -1))
    except NotImplementedError:
        pass
    if label_of(acc) is not None:
        extra.append("labelled-by=%r" % label_of(acc))
    if acc.description:
        extra.append("description=%r" % acc.description)
    try:
        action = acc.queryAction()
        if action.nActions:
            extra.append("actions=%s" % [action.getName(i) for i in range(action.nActions)])
    except NotImplementedError:
        pass
    return "[%s] %r %s" % (acc.getRoleName(), acc.name or "", " ".join(extra))


def walk(acc, depth=0):
    print("  " * depth + describe(acc))
    count = acc.childCount
    shown = 3 if count > 6 and acc.getRoleName() in ("list", "combo box") else count
    for i in range(shown):
        walk(acc.getChildAtIndex(i), depth + 1)
    if shown < count:
        last = describe(acc.getChildAtIndex(count - 1))
        print("  " * (depth + 1) + "... %d more, the last: %s" % (count - shown, last))


def main():
    app = find_app("zelto")
    if app is None:
        sys.exit("atspi_tree.py: no zelto on the AT-SPI bus")
    if sys.argv[1] == "dialog":
        walk(find(app, lambda a: a.getRoleName() == "dialog" and "Абзац" in (a.name or "")))
        return
    toolbar = find(app, lambda a: a.getRoleName() == "tool bar")
    if sys.argv[1] == "toolbar":
        walk(toolbar)
        return
    nameless = [describe(c) for c in toolbar
                if c.getRoleName() in ("push button", "combo box") and not (c.name or label_of(c))]
    if nameless:
        sys.exit("nameless: %s" % nameless)


if __name__ == "__main__":
    main()
