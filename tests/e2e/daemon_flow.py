"""Shared by the flows against python-dbusmock: waits with a deadline, stopping, private buses."""

import subprocess
import tempfile
import time

import dbusmock

WAIT = 15.0


def buses_in_tmpdir():
    """python-dbusmock's buses listen in /tmp whatever TMPDIR says: moved to TMPDIR."""
    start = dbusmock.DBusTestCase.start_dbus.__func__

    def start_dbus(cls, conf=None):
        if conf:
            text = open(conf, encoding='utf-8').read()
            text = text.replace('unix:tmpdir=/tmp', 'unix:dir=' + tempfile.gettempdir())
            with open(conf, 'w', encoding='utf-8') as out:
                out.write(text)
        return start(cls, conf)
    dbusmock.DBusTestCase.start_dbus = classmethod(start_dbus)


def until(check, limit=WAIT, between=None):
    """Whether `check` came true before `limit` seconds; `between` runs between the looks."""
    deadline = time.monotonic() + limit
    while not check():
        if time.monotonic() > deadline:
            return False
        if between:
            between()
        time.sleep(0.02)
    return True


def stop_all(children):
    """Asks each program to end, the last started first; one that will not is killed."""
    for child in reversed(children):
        if child.poll() is None:
            child.terminate()
            try:
                child.wait(WAIT)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
