"""What the program tells a screen reader, as it travels on the accessibility bus.

  atspi_listener.py listen
      Writes one JSON line for each event: {"ready": true} once it listens; for each
      notification that appears, {"announcement": the names of the labels inside it, "name":
      its own, "role": its role, "message" and "number": what the main window's message box and
      number box hold as it is told}; and {"changed": true} for each change of the message box's
      text.
  atspi_listener.py check FILE N
      Checks the Nth announcement (from 1) of FILE: a notification without a name holding one
      label that says "Mensagem <number>: <message>", as the boxes showed them. Prints the
      number; fails with the reason otherwise.

Orca 43 (Debian 12's) says an appearing notification's role, its name and the labels inside it
that differ from the name, and puts only those labels on the braille display and in its list
of notifications; later versions read the name or, without one, the labels. So the words belong
in the label, and the name stays empty.
"""

import json
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

MESSAGE_BOX = "Mensagem"
NUMBER_BOX = "Número da mensagem"


def text_of(accessible):
    count = Atspi.Text.get_character_count(accessible)
    # A text widget marks its line breaks with the paragraph separator.
    return Atspi.Text.get_text(accessible, 0, count).replace("\u2029", "\n")


def text_boxes(application):
    found = {}
    pending = [application]
    while pending:
        node = pending.pop()
        if node.get_role() == Atspi.Role.TEXT and node.get_name() in (MESSAGE_BOX, NUMBER_BOX):
            found[node.get_name()] = text_of(node)
        pending.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
    return found


def write(record):
    print(json.dumps(record, ensure_ascii=False), flush=True)


def on_event(event):
    source = event.source
    if event.type.startswith("object:state-changed:showing"):
        if not event.detail1 or source.get_role() != Atspi.Role.NOTIFICATION:
            return
        children = (source.get_child_at_index(i) for i in range(source.get_child_count()))
        boxes = text_boxes(source.get_application())
        write({
            "announcement": [c.get_name() for c in children if c.get_role() == Atspi.Role.LABEL],
            "name": source.get_name(),
            "role": source.get_role_name(),
            "message": boxes.get(MESSAGE_BOX),
            "number": boxes.get(NUMBER_BOX),
        })
    elif event.type.startswith("object:text-changed:insert"):
        if source.get_role() == Atspi.Role.TEXT and source.get_name() == MESSAGE_BOX:
            write({"changed": True})


def listen():
    listener = Atspi.EventListener.new(on_event)
    # Name changes too, as a screen reader listens for them: the program sends only the kinds of
    # event someone listens for, and without them the names read here would be the ones kept
    # from the first time.
    kinds = ("object:state-changed:showing", "object:text-changed:insert",
             "object:property-change:accessible-name")
    for kind in kinds:
        listener.register(kind)
    write({"ready": True})
    Atspi.event_main()


def check(path, wanted):
    with open(path, encoding="utf-8") as lines:
        told = [r for r in map(json.loads, lines) if "announcement" in r]
    if len(told) < wanted:
        sys.exit(f"só {len(told)} anúncios, esperado o {wanted}º")
    record = told[wanted - 1]
    number = (record["number"] or "").strip()
    expected = f"Mensagem {number}: {record['message']}"
    if record["role"] != "notification":
        sys.exit(f"o anúncio veio num objeto '{record['role']}', não numa notificação")
    if record["announcement"] != [expected]:
        sys.exit(f"rótulos da notificação {record['announcement']!r}, esperado [{expected!r}]")
    if record["name"]:
        sys.exit(f"a notificação tem o nome {record['name']!r}: o Orca 43 não a levaria ao braille")
    print(number)


if __name__ == "__main__":
    if sys.argv[1:] == ["listen"]:
        listen()
    elif len(sys.argv) == 4 and sys.argv[1] == "check":
        check(sys.argv[2], int(sys.argv[3]))
    else:
        sys.exit("uso: atspi_listener.py listen | check ARQUIVO N")
