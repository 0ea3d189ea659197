"""What the flows against python-dbusmock's daemons share: waiting on a condition with a deadline,
and ending the programs a flow started."""

import subprocess
import time

WAIT = 15.0


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
