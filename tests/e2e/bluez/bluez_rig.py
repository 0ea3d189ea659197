"""The rig for the bridge's whole flows: a private system bus where python-dbusmock's bluez5 and
ofono templates play the daemons, shaped like what bluetoothd and ofonod publish for a paired phone
(the hands-free modem at /hfp + the device path, of type hfp); the real ostrilan-bluez on its
pseudo-terminal; the real ostrilan driven through its automation socket; and the moves of the
daemons and of the person at the screen that the flows are made of.
"""

import json
import os
import shutil
import socket
import subprocess
import tempfile
import time

import dbus
import dbusmock

APP_DIR = WORK_DIR = ''
MOCK = dbusmock.MOCK_IFACE
ADAPTER = '/org/bluez/hci0'
ROAD = ('00:1A:7D:DA:71:01', 'Road phone')
OFFICE = ('00:1A:7D:DA:71:02', 'Office phone')
NEW = ('00:1A:7D:AA:00:03', 'Test phone')
WAIT = 15.0

# Where the screens put their buttons (480 x 272).
QUIT = (66, 18)
RETURN = (18, 18)
CALL = (115, 90)
CALL_HISTORY = (237, 90)
CONNECT = (115, 181)
PAIR_MODE = (237, 181)
CONNECT_BUTTON = (359, 100)
PAIR_HANDS_FREE = (339, 81)
PAIR_DELETE = (408, 198)
ACCEPT = (344, 86)
INCOMING_END = (403, 106)
NUMBER_AREA = (291, 71)  # opens the in-call keypad
KEYPAD_ONE = (78, 218)
OUTGOING_END = (400, 180)
DIAL = (359, 122)
TAB_INCOMING = (89, 62)
TAB_MISSED = (271, 62)
PAD_FIRST = (99, 108)  # the place call pad, keys 73 apart and 31 down


def device_path(address):
    return ADAPTER + '/dev_' + address.replace(':', '_')


def modem_path(address):
    return '/hfp' + device_path(address)


def until(check, limit=WAIT, between=None):
    deadline = time.monotonic() + limit
    while True:
        if check():
            return True
        if time.monotonic() > deadline:
            return False
        if between:
            between()
        time.sleep(0.02)


class LineSocket:
    def __init__(self, path):
        # The program opens its socket a moment after it starts.
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        if not until(lambda: self.sock.connect_ex(path) == 0):
            raise OSError(f'nothing answers on {path}')
        self.sock.settimeout(30)
        self.file = self.sock.makefile('r')

    def ask(self, line):
        self.sock.sendall((line + '\n').encode())
        return self.file.readline().rstrip('\n')

    def close(self):
        self.file.close()
        self.sock.close()


class BluezFlow(dbusmock.DBusTestCase):
    # obexd's bus for the bridge: none unless a flow starts one.
    session_address = 'unix:path=/nonexistent/ostrilan-bluez-test'

    @classmethod
    def setUpClass(cls):
        cls.start_system_bus()
        cls.bus = cls.get_dbus(system_bus=True)

    def setUp(self):
        self.work = os.path.join(WORK_DIR, self.id().split('.')[-1])
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.sockets = tempfile.mkdtemp(prefix='ostrilan-bluez-')
        self.children = []
        self.start_bluez()
        self.start_ofono()
        self.start_bridge()
        self.before_the_application()
        self.start_app()

    def before_the_application(self):
        pass

    def tearDown(self):
        if getattr(self, 'app', None):
            self.app.close()
        for child in reversed(self.children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(WAIT)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait()
        shutil.rmtree(self.sockets, ignore_errors=True)
        # Asked to stop, the bridge ends cleanly (in a sanitizer build: with nothing to report).
        self.assertEqual(self.bridge.returncode, 0, 'ostrilan-bluez did not end cleanly; see bridge.out')

    # --- the daemons ---------------------------------------------------------------------------

    def start_bluez(self):
        self.bluez_proc, self.bluez_mock = self.spawn_server_template('bluez5', {}, stdout=subprocess.DEVNULL)
        self.children.append(self.bluez_proc)
        self.bluez_mock.AddAdapter('hci0', 'car', dbus_interface='org.bluez.Mock')
        for address, name in (ROAD, OFFICE):
            self.bluez_mock.AddDevice('hci0', address, name, dbus_interface='org.bluez.Mock')
            self.bluez_mock.PairDevice('hci0', address, 5898764, dbus_interface='org.bluez.Mock')

    def start_ofono(self):
        self.ofono_proc, self.ofono_mock = self.spawn_server_template(
            'ofono', {'no_modem': True}, stdout=subprocess.DEVNULL)
        self.children.append(self.ofono_proc)

    def ofono(self, path):
        return self.bus.get_object('org.ofono', path)

    def calls_to(self, service, path, method):
        return self.bus.get_object(service, path).GetMethodCalls(method, dbus_interface=MOCK)

    def wait_called(self, service, path, method, count=1):
        return until(lambda: len(self.calls_to(service, path, method)) >= count, between=self.idle)

    def link_phone(self, address):
        """What ofonod does when the phone's hands-free profile comes up: an hfp modem online."""
        self.ofono_mock.AddModem(modem_path(address)[1:], dbus.Dictionary({}, signature="sv"), dbus_interface=MOCK)
        modem = self.ofono(modem_path(address))
        modem.AddMethod('org.ofono.CallVolume', 'SetProperty', 'sv', '', '', dbus_interface=MOCK)
        modem.SetProperty('Type', dbus.String('hfp', variant_level=1), dbus_interface='org.ofono.Modem')

    def ring(self, address, number):
        """An incoming call as ofonod announces it; Answer and Hangup behave as on a phone."""
        modem_obj = modem_path(address)
        call = modem_obj + '/voicecall01'
        props = {'State': dbus.String('incoming', variant_level=1),
                 'LineIdentification': dbus.String(number, variant_level=1),
                 'Name': dbus.String('', variant_level=1)}
        changed = ('self.Set("org.ofono.VoiceCall", "State", "{0}"); '
                   'self.EmitSignal("org.ofono.VoiceCall", "PropertyChanged", "sv", '
                   '["State", dbus.String("{0}", variant_level=1)])')
        removed = self.removal_code(modem_obj, call)
        modem = self.ofono(modem_obj)
        modem.AddObject(call, 'org.ofono.VoiceCall', props, [
            ('Answer', '', '', changed.format('active')),
            ('Hangup', '', '', removed),
            ('GetProperties', '', 'a{sv}', 'ret = self.GetAll("org.ofono.VoiceCall")'),
        ], dbus_interface=MOCK)
        modem.EmitSignal('org.ofono.VoiceCallManager', 'CallAdded', 'oa{sv}',
                         [dbus.ObjectPath(call), props], dbus_interface=MOCK)
        return call

    @staticmethod
    def removal_code(modem, call):
        return (f'objects["{modem}"].EmitSignal("org.ofono.VoiceCallManager", "CallRemoved", "o", '
                f'[dbus.ObjectPath("{call}")])')

    def far_end(self, call, state):
        self.ofono(call).EmitSignal('org.ofono.VoiceCall', 'PropertyChanged', 'sv',
                                    ['State', dbus.String(state, variant_level=1)], dbus_interface=MOCK)

    def caller_gives_up(self, address, call):
        self.ofono(modem_path(address)).EmitSignal('org.ofono.VoiceCallManager', 'CallRemoved', 'o',
                                                   [dbus.ObjectPath(call)], dbus_interface=MOCK)

    # --- the programs --------------------------------------------------------------------------

    def start_bridge(self):
        self.control = os.path.join(self.sockets, 'bridge.sock')
        self.link = os.path.join(self.sockets, 'com2')
        self.contacts = os.path.join(self.work, 'device', 'data', 'contacts')
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.session_address)
        with open(os.path.join(self.work, 'bridge.out'), 'w') as out:
            self.bridge = subprocess.Popen(
                [os.path.join(APP_DIR, 'ostrilan-bluez'), '--link', self.link, '--control', self.control,
                 '--trace', os.path.join(self.work, 'bridge.trace'), '--log', os.path.join(self.work, 'module.log'),
                 '--contacts', self.contacts],
                env=env, stdout=out, stderr=subprocess.STDOUT)
        self.children.append(self.bridge)
        self.assertTrue(until(lambda: os.path.exists(self.link)), 'no pty link from ostrilan-bluez')
        with open(os.path.join(self.work, 'bridge.out')) as f:
            self.assertTrue(f.readline().startswith('pty /dev/pts/'))
        self.bridge_socket = LineSocket(self.control)
        self.assertTrue(until(lambda: self.module_state() == 1), 'the bridge never found the adapter')

    def start_app(self):
        device = os.path.join(self.work, 'device')
        os.makedirs(os.path.join(device, 'data'), exist_ok=True)
        for name in os.listdir(APP_DIR):
            full = os.path.join(APP_DIR, name)
            if os.path.isdir(full) and name not in ('data', 'registry', 'run'):
                os.symlink(os.path.abspath(full), os.path.join(device, name))
        os.link(os.path.join(APP_DIR, 'ostrilan'), os.path.join(device, 'ostrilan'))
        automation = os.path.join(self.sockets, 'app.sock')
        env = dict(os.environ, OSTRILAN_COM2=self.link, OSTRILAN_ROOT=device,
                   OSTRILAN_TRACE=os.path.join(self.work, 'trace.txt'), OSTRILAN_AUTOMATION=automation,
                   OSTRILAN_CLOCK='virtual:2026-03-14T09:05:00', OSTRILAN_DISPLAY='headless',
                   OSTRILAN_AUDIO='null', OSTRILAN_LANG='0x0409', TZ='UTC',
                   DBUS_SESSION_BUS_ADDRESS='unix:path=/nonexistent/ostrilan-bluez-test')
        with open(os.path.join(self.work, 'ostrilan.out'), 'w') as out:
            self.app_proc = subprocess.Popen([os.path.join(device, 'ostrilan')], env=env, stdout=out,
                                             stderr=subprocess.STDOUT)
        self.children.append(self.app_proc)
        self.app = LineSocket(automation)
        self.assertEqual(self.app.ask('idle'), 'ok')
        self.assertTrue(self.wait_showing('COstrilanView'))
        self.settle()

    def module_state(self):
        words = self.bridge_socket.ask('state').split()
        return int(words[2]) if len(words) > 2 and words[1] == 'state' else -1

    def wait_module(self, state):
        return until(lambda: self.module_state() == state, between=self.idle)

    def bridge_trace(self):
        with open(os.path.join(self.work, 'bridge.trace')) as f:
            return f.read()

    # --- the person at the screen --------------------------------------------------------------

    def idle(self):
        self.app.ask('idle')

    def settle(self):
        """Lets what the module sent arrive and be handled."""
        for _ in range(10):
            time.sleep(0.03)
            self.idle()

    def tap(self, point):
        self.assertEqual(self.app.ask(f'tap {point[0]} {point[1]}'), 'ok')

    def showing(self, cls):
        def walk(windows):
            return any((w['class'] == cls and w['visible']) or walk(w.get('children', [])) for w in windows)
        answer = self.app.ask('windows')
        return walk(json.loads(answer[3:]) if answer.startswith('ok ') else [])

    def wait_showing(self, cls):
        return until(lambda: self.showing(cls), between=self.idle)

    def wait_gone(self, cls):
        return until(lambda: not self.showing(cls), between=self.idle)

    def texts(self):
        self.idle()
        answer = self.app.ask('texts')
        drawn = json.loads(answer[3:]) if answer.startswith('ok ') else []
        return [t for window in drawn for t in window['texts']]

    def shows(self, fragment):
        return any(fragment in t['text'] for t in self.texts())

    def wait_text(self, fragment):
        return until(lambda: self.shows(fragment), between=self.idle)

    def tap_text(self, fragment):
        for t in self.texts():
            if fragment in t['text']:
                left, top, right, bottom = t['rect']
                return self.tap(((left + right) // 2, (top + bottom) // 2))
        self.fail(f'"{fragment}" is not on the screen')

    def open(self, button, cls):
        self.tap(button)
        self.assertTrue(self.wait_showing(cls), cls + ' did not come up')
        self.settle()

    def type_keys(self, keys, first):
        layout = '123456789*0#'
        for key in keys:
            i = layout.index(key)
            self.tap((first[0] + 73 * (i % 3), first[1] + 31 * (i // 3)))

    def connect_from_list(self, phone):
        self.open(CONNECT, 'CDlgConnect')
        self.assertTrue(self.wait_text(ROAD[1]) and self.shows(OFFICE[1]), 'the paired phones are not listed')
        self.tap_text(phone[1])
        self.tap(CONNECT_BUTTON)
        self.assertTrue(self.wait_called('org.bluez', device_path(phone[0]), 'Connect'), 'no Device1.Connect')
        self.link_phone(phone[0])
        self.assertTrue(self.wait_module(4), 'the phone did not link')
        self.assertTrue(self.wait_gone('CDlgConnect'))
        self.settle()

    def wait_call_over(self, screen):
        """The module back to connected, and the call's screen gone once it has shown the end."""
        self.assertTrue(self.wait_module(4), 'the call did not end')
        self.settle()
        self.app.ask('advance 4000')
        self.assertTrue(self.wait_gone(screen))

    def history_shows(self, tab, number):
        self.open(CALL_HISTORY, 'CDlgCallHist')
        self.tap(tab)
        found = self.wait_text(number)
        self.tap(RETURN)
        self.wait_gone('CDlgCallHist')
        return found

    def quit(self):
        self.tap(QUIT)
        self.assertTrue(self.wait_text('Yes'))
        self.tap_text('Yes')
        self.assertEqual(self.app_proc.wait(WAIT), 0)
        self.app.close()
        self.app = None

    def bridge_bus_name(self):
        daemon = self.bus.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus')
        for name in daemon.ListNames(dbus_interface='org.freedesktop.DBus'):
            if name.startswith(':'):
                try:
                    pid = daemon.GetConnectionUnixProcessID(name, dbus_interface='org.freedesktop.DBus')
                except dbus.exceptions.DBusException:
                    continue
                if pid == self.bridge.pid:
                    return name
        self.fail('the bridge is not on the bus')
