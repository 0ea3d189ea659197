#!/usr/bin/python3
"""ostrilan-status against mocked upower and logind, with ostrilan-peer standing in for the
application's window ("Ostrilan_10001234"): what it receives is what the application would.
Usage: status_flows.py APP_DIR [unittest arguments]"""

import os
import pathlib
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import dbus
import dbusmock

# The shared helpers sit beside the flows' folders; their compiled copy is not left in the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from daemon_flow import WAIT, buses_in_tmpdir, stop_all, until  # noqa: E402

buses_in_tmpdir()

APP_DIR = ''
MOCK = dbusmock.MOCK_IFACE
TITLE = 'Ostrilan_10001234'
DISPLAY_DEVICE = '/org/freedesktop/UPower/devices/DisplayDevice'


class Listener:
    """ostrilan-peer's window, its received messages read on a thread of their own."""

    def __init__(self, env, root):
        self.proc = subprocess.Popen([os.path.join(APP_DIR, 'ostrilan-peer'), '--title', TITLE, 'listen'],
                                     env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()
        windows = pathlib.Path(root, 'run', 'windows')
        if not until(lambda: windows.is_dir() and any(windows.iterdir())):
            raise OSError('the listening window was not listed')

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.strip())

    def until(self, wanted):
        """Every line up to and including the first that `wanted` accepts; fails after WAIT."""
        got = []
        deadline = time.monotonic() + WAIT
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError(f'not received; got {got}')
            got.append(line)
            self.seen.append(line)
            if wanted(line):
                return got

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(WAIT)


def message(line):
    parts = line.split()
    return (parts[1], int(parts[2]), int(parts[3])) if len(parts) == 4 and parts[0] == 'recv' else None


class StatusBroadcast(dbusmock.DBusTestCase):
    @classmethod
    def setUpClass(cls):
        cls.start_system_bus()

    def setUp(self):
        # Short: the window directory's socket path must fit a socket address.
        self.root = tempfile.mkdtemp(prefix='ost-status-')
        self.children = []
        self.upower, self.upower_obj = self.spawn_server_template(
            'upower', {'OnBattery': True, 'DaemonVersion': '0.99'}, stdout=subprocess.DEVNULL)
        self.children.append(self.upower)
        self.logind, self.logind_obj = self.spawn_server_template('logind', {}, stdout=subprocess.DEVNULL)
        self.children.append(self.logind)
        # logind's mock answers GetSession("auto") with this path.
        self.logind_obj.AddSession('auto', 'seat0', dbus.UInt32(os.getuid()), 'driver', True,
                                   dbus_interface=MOCK)
        self.zone = os.path.join(self.root, 'localtime')
        shutil.copyfile('/usr/share/zoneinfo/UTC', self.zone)
        self.env = dict(os.environ, OSTRILAN_ROOT=self.root, TZ=':' + self.zone)
        self.window = Listener(self.env, self.root)

    def tearDown(self):
        stop_all(self.children)
        self.window.stop()
        shutil.rmtree(self.root, ignore_errors=True)

    def start_status(self, *options, **env):
        status = subprocess.Popen([os.path.join(APP_DIR, 'ostrilan-status')] + list(options),
                                  env=dict(self.env, **env), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  text=True)
        self.children.append(status)
        return status

    def stop_status(self, status):
        """Asked to end, the program ends cleanly; what it said on its way is returned."""
        status.terminate()
        self.assertEqual(status.wait(WAIT), 0)
        return status.stderr.read()

    def clock_received(self):
        return self.window.until(lambda line: (message(line) or ('',))[0] == '0x8F00')

    def test_battery_from_upower_and_lock_from_logind(self):
        # The levels' frames and no battery's message are BatteryMessageTest's.
        status = self.start_status('--zone-file', self.zone)
        self.window.until(lambda line: message(line) == ('0x8F3A', 0, 0))
        self.window.until(lambda line: message(line) == ('0x8F02', 0, 0))

        # A battery on 40 %, discharging: level frame 1 of 0..3.
        self.upower_obj.SetupDisplayDevice(dbus.UInt32(2), dbus.UInt32(2), 40.0, 20.0, 50.0, 10.0,
                                           dbus.Int64(3600), dbus.Int64(0), True, 'battery', dbus.UInt32(1),
                                           dbus_interface=MOCK)
        self.window.until(lambda line: message(line) == ('0x8F3A', 2, 1))
        # Plugged in: charging is external power.
        self.upower_obj.SetDeviceProperties(DISPLAY_DEVICE, {'State': dbus.UInt32(1, variant_level=1)},
                                            dbus_interface=MOCK)
        self.window.until(lambda line: message(line) == ('0x8F3A', 1, 0))

        session = self.get_dbus(system_bus=True).get_object('org.freedesktop.login1',
                                                            '/org/freedesktop/login1/session/auto')
        session.SetLockedHint(True, dbus_interface='org.freedesktop.login1.Session')
        self.window.until(lambda line: message(line) == ('0x8F02', 1, 0))

        self.stop_status(status)

    def test_without_a_system_bus_the_clock_still_runs(self):
        status = self.start_status(DBUS_SYSTEM_BUS_ADDRESS='unix:path=/nonexistent/ostrilan-status-test')
        self.clock_received()
        lines = self.window.until(lambda line: (message(line) or ('',))[0] == '0x8F3A')
        self.assertEqual(message(lines[-1]), ('0x8F3A', 0, 0))
        self.assertFalse([line for line in lines if '0x8F02' in line], lines)
        self.assertIn('no system bus', self.stop_status(status))


if __name__ == '__main__':
    APP_DIR = sys.argv[1]
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
