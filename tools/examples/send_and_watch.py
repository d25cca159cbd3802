#!/usr/bin/python3
"""Sends one message through the running Nimbra engine and prints the events it gets.

    send_and_watch.py NUMBER TEXT [--seconds N]

A client of the engine's D-Bus interface in a few lines of python3-dbus: it creates an
nbMessageServer object, connects its event sink, logs in, hands the engine a message record
for NUMBER and prints every event of the object, one line each, for a few seconds. The engine
must be running on the session bus (scripts/run). Exit codes: 0 done, 1 the engine refused a
call, 2 no engine is running.
"""

import argparse
import sys
import time

import dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

BUS_NAME = "org.nimbra.Transmit"
ROOT_PATH = "/org/nimbra/Transmit"
SERVER = "org.nimbra.Transmit.Server"
CONNECTION_POINT = "org.nimbra.Transmit.ConnectionPoint"
DISPATCH = "org.nimbra.Transmit.Dispatch"
MESSAGE_SERVER = "org.nimbra.Transmit.InbMessageServer"
MESSAGE_SERVER_EVENTS = "org.nimbra.Transmit.InbMessageServerEvents"


def record_field(value):
    """One field of a message record: braces and backslashes are escaped."""
    escaped = value.replace("\\", "\\\\").replace("{", "\\{").replace("}", "\\}")
    return "{" + escaped + "}"


def message_record(number, text):
    """The text form of a message to number: the type in braces, then twelve fields
    (operator, sender, receiver, text, message id, extra, id source, reference, sent time,
    received time, created, status). Empty fields are the engine's to fill: it gives the
    message an id and keeps its own times."""
    fields = ["", "", number, text] + [""] * 8
    return "{GSMSMS}" + "".join(record_field(field) for field in fields)


def shown(value):
    """An event argument as text; the engine sends an empty VARIANT as an empty array."""
    if isinstance(value, dbus.Array) and len(value) == 0:
        return "(empty)"
    return str(value)


def print_event(*args, **keywords):
    stamp = time.strftime("%H:%M:%S")
    print(stamp, keywords["member"], *[shown(arg) for arg in args], flush=True)


def main():
    parser = argparse.ArgumentParser(description="Send one message and watch the events.")
    parser.add_argument("number", help="the receiver's phone number")
    parser.add_argument("text", help="the message text")
    parser.add_argument("--seconds", type=float, default=3.0,
                        help="how long to print events (default 3)")
    options = parser.parse_args()
    if not 0 < options.seconds <= 3600:
        parser.error("--seconds must be above 0 and at most 3600")

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if not bus.name_has_owner(BUS_NAME):
        print("send_and_watch: no engine is running on the session bus "
              "(start it with scripts/run)", file=sys.stderr)
        return 2
    try:
        # Calls and events go to and come from this engine process only.
        engine = bus.get_name_owner(BUS_NAME)
        path = bus.get_object(engine, ROOT_PATH).CreateObject("nbMessageServer",
                                                             dbus_interface=SERVER)
        bus.add_signal_receiver(print_event, dbus_interface=MESSAGE_SERVER_EVENTS,
                                path=path, bus_name=engine, member_keyword="member")
        server = bus.get_object(engine, path)
        server.Advise(dbus_interface=CONNECTION_POINT)
        # The engine sends events only to a client with a name.
        real_name = server.login("send_and_watch", dbus_interface=MESSAGE_SERVER)
        print("logged in as", shown(real_name), flush=True)

        # The record is a VARIANT argument: the signature says so.
        stored, message_id = server.sendMessage(message_record(options.number, options.text),
                                                signature="v", dbus_interface=MESSAGE_SERVER)
        print("queued message", shown(message_id), flush=True)

        loop = GLib.MainLoop()
        GLib.timeout_add(int(options.seconds * 1000), loop.quit)
        loop.run()

        server.logout(dbus_interface=MESSAGE_SERVER)
        server.Release(dbus_interface=DISPATCH)
    except dbus.exceptions.DBusException as error:
        print("send_and_watch:", error.get_dbus_message(), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
