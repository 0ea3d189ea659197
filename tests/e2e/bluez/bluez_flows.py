#!/usr/bin/python3
"""Whole flows with a phone: ostrilan through its automation socket and ostrilan-bluez against
python-dbusmock's bluetoothd and ofonod (modem at /hfp + device path), checked by their call logs.
Usage: bluez_flows.py APP_DIR WORK_DIR [unittest arguments]"""

import json
import os
import pathlib
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from unittest import mock

import dbus
import dbusmock

# The shared helpers sit beside the flows' folders; their compiled copy is not left in the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from daemon_flow import WAIT, buses_in_tmpdir, stop_all, until  # noqa: E402

buses_in_tmpdir()

APP_DIR = WORK_DIR = ''
MOCK = dbusmock.MOCK_IFACE
NO_BUS = 'unix:path=/nonexistent/ostrilan-bluez-test'
ADAPTER = '/org/bluez/hci0'
ROAD = ('00:1A:7D:DA:71:01', 'Road phone')
OFFICE = ('00:1A:7D:DA:71:02', 'Office phone')
NEW = ('00:1A:7D:AA:00:03', 'Test phone')
# A sanitizer build's bridge carries the sanitizer's shadow memory: its bound is not checked there.
SANITIZED = bool(os.environ.get('OSTRILAN_SANITIZE'))

# Buttons tapped more than once, on the 480 x 272 screen; the others are named where tapped.
RETURN = (18, 18)
ACCEPT = (344, 86)


def device_path(address):
    return ADAPTER + '/dev_' + address.replace(':', '_')


def modem_path(address):
    return '/hfp' + device_path(address)


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

    def ask_json(self, line):
        answer = self.ask(line)
        return json.loads(answer[3:]) if answer.startswith('ok ') else []


class BluezFlow(dbusmock.DBusTestCase):
    # obexd's bus for the bridge: none unless a flow starts one.
    session_address = NO_BUS

    @classmethod
    def setUpClass(cls):
        cls.start_system_bus()
        cls.bus = cls.get_dbus(system_bus=True)

    def setUp(self):
        self.work = os.path.join(WORK_DIR, self.id().split('.')[-1])
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(os.path.join(self.work, 'device', 'data'))
        self.sockets = tempfile.mkdtemp(prefix='ostrilan-bluez-')
        self.children = []
        self.start_bluez()
        self.start_ofono()
        self.start_bridge()
        self.start_app()

    def tearDown(self):
        stop_all(self.children)
        shutil.rmtree(self.sockets, ignore_errors=True)
        # Asked to stop, both programs end cleanly (in a sanitizer build: with nothing to report).
        self.assertEqual((self.bridge.returncode, self.app_proc.returncode), (0, 0), 'see bridge.out, ostrilan.out')

    def wait(self, check, what):
        self.assertTrue(until(check, between=self.idle), what)

    # --- the daemons ---------------------------------------------------------------------------

    def mock(self, template, parameters):
        child, obj = self.spawn_server_template(template, parameters, stdout=subprocess.DEVNULL)
        self.children.append(child)
        return child, obj

    def start_bluez(self):
        self.bluez_proc, self.bluez_mock = self.mock('bluez5', {})
        self.bluez_mock.AddAdapter('hci0', 'car', dbus_interface='org.bluez.Mock')
        for address, name in (ROAD, OFFICE):
            self.bluez_mock.AddDevice('hci0', address, name, dbus_interface='org.bluez.Mock')
            self.bluez_mock.PairDevice('hci0', address, 5898764, dbus_interface='org.bluez.Mock')

    def start_ofono(self):
        self.ofono_proc, self.ofono_mock = self.mock('ofono', {'no_modem': True})

    def ofono(self, path):
        return self.bus.get_object('org.ofono', path)

    def calls_to(self, service, path, method):
        return self.bus.get_object(service, path).GetMethodCalls(method, dbus_interface=MOCK)

    def wait_called(self, service, path, method):
        """The arguments of the first call."""
        self.wait(lambda: self.calls_to(service, path, method), f'{method} not called on {path}')
        return self.calls_to(service, path, method)[0][1]

    def link_phone(self, address, prepare=None):
        """The hfp modem ofonod brings up with the phone's profile, readied by `prepare` first."""
        self.ofono_mock.AddModem(modem_path(address)[1:], dbus.Dictionary({}, signature="sv"), dbus_interface=MOCK)
        modem = self.ofono(modem_path(address))
        modem.AddMethod('org.ofono.CallVolume', 'SetProperty', 'sv', '', '', dbus_interface=MOCK)
        if prepare:
            prepare(modem)
        modem.SetProperty('Type', dbus.String('hfp', variant_level=1), dbus_interface='org.ofono.Modem')
        return modem

    def ring(self, address, number, state='incoming'):
        """An incoming (or waiting) call as ofonod announces it; Answer and Hangup as on a phone."""
        modem_obj = modem_path(address)
        call = modem_obj + '/voicecall' + number
        props = {'State': dbus.String(state, variant_level=1),
                 'LineIdentification': dbus.String(number, variant_level=1)}
        answered = ('self.Set("org.ofono.VoiceCall", "State", "active"); '
                    'self.EmitSignal("org.ofono.VoiceCall", "PropertyChanged", "sv", '
                    '["State", dbus.String("active", variant_level=1)])')
        modem = self.ofono(modem_obj)
        modem.AddObject(call, 'org.ofono.VoiceCall', props, [
            ('Answer', '', '', answered),
            ('Hangup', '', '', self.removal_code(modem_obj, call)),
        ], dbus_interface=MOCK)
        modem.EmitSignal('org.ofono.VoiceCallManager', 'CallAdded', 'oa{sv}',
                         [dbus.ObjectPath(call), props], dbus_interface=MOCK)
        return call

    @staticmethod
    def removal_code(modem, call):
        return (f'objects["{modem}"].EmitSignal("org.ofono.VoiceCallManager", "CallRemoved", "o", '
                f'[dbus.ObjectPath("{call}")])')

    # --- the programs --------------------------------------------------------------------------

    def spawn(self, name, argv, **env):
        with open(os.path.join(self.work, name + '.out'), 'w') as out:
            child = subprocess.Popen(argv, env=dict(os.environ, **env), stdout=out, stderr=subprocess.STDOUT)
        self.children.append(child)
        return child

    def start_bridge(self):
        self.transfers = os.path.join(self.work, 'transfers')
        os.makedirs(self.transfers, mode=0o700)
        self.launch_bridge(['--log', os.path.join(self.work, 'module.log'), '--transfers', self.transfers],
                           DBUS_SESSION_BUS_ADDRESS=self.session_address)
        self.assertTrue(until(lambda: self.module_state() == 1), 'the bridge never found the adapter')

    def launch_bridge(self, options, **env):
        """ostrilan-bluez with its line, control socket, trace and contacts, and `options`."""
        self.link = os.path.join(self.sockets, 'com2')
        self.contacts = os.path.join(self.work, 'device', 'data', 'contacts')
        control = os.path.join(self.sockets, 'bridge.sock')
        self.bridge = self.spawn('bridge', [
            os.path.join(APP_DIR, 'ostrilan-bluez'), '--link', self.link, '--control', control,
            '--trace', os.path.join(self.work, 'bridge.trace'), '--contacts', self.contacts] + options, **env)
        self.assertTrue(until(lambda: os.path.exists(self.link)), 'no pty link from ostrilan-bluez')
        self.bridge_socket = LineSocket(control)

    def start_app(self):
        device = os.path.join(self.work, 'device')
        for name in os.listdir(APP_DIR):
            full = os.path.join(APP_DIR, name)
            if os.path.isdir(full) and name not in ('data', 'registry', 'run'):
                os.symlink(os.path.abspath(full), os.path.join(device, name))
        os.link(os.path.join(APP_DIR, 'ostrilan'), os.path.join(device, 'ostrilan'))
        os.symlink(os.path.abspath(os.path.join(APP_DIR, 'ostrilan-say')), os.path.join(device, 'ostrilan-say'))
        automation = os.path.join(self.sockets, 'app.sock')
        self.app_proc = self.spawn('ostrilan', [os.path.join(device, 'ostrilan')], OSTRILAN_COM2=self.link,
                                   OSTRILAN_ROOT=device, OSTRILAN_TRACE=os.path.join(self.work, 'trace.txt'),
                                   OSTRILAN_AUTOMATION=automation, OSTRILAN_CLOCK='virtual:2026-03-14T09:05:00',
                                   OSTRILAN_DISPLAY='headless', OSTRILAN_AUDIO='null', OSTRILAN_LANG='0x0409',
                                   TZ='UTC', DBUS_SESSION_BUS_ADDRESS=NO_BUS)
        self.app = LineSocket(automation)
        self.wait_showing('COstrilanView')
        self.settle()

    def bridge_name(self, bus):
        daemon = dbus.Interface(bus.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus'),
                                'org.freedesktop.DBus')
        [bridge] = [name for name in daemon.ListNames() if name.startswith(':')
                    and daemon.GetConnectionUnixProcessID(name) == self.bridge.pid]
        return bridge

    def forge(self, address, bus, path, interface, member, signature, args):
        """Another program says what only a daemon may: broadcast, and to the bridge alone (which no
        match rule filters)."""
        forger = dbus.bus.BusConnection(address)
        for destination in (None, self.bridge_name(bus)):
            message = dbus.lowlevel.SignalMessage(path, interface, member)
            message.append(*args, signature=signature)
            if destination:
                message.set_destination(destination)
            forger.send_message(message)
        # The bus answers only after it has passed on everything the forger sent before.
        forger.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus').GetId(dbus_interface='org.freedesktop.DBus')

    def bridge_memory_kb(self, field):
        status = pathlib.Path('/proc', str(self.bridge.pid), 'status').read_text()
        return int(next(line.split()[1] for line in status.splitlines() if line.startswith(field + ':')))

    def module_state(self):
        words = self.bridge_socket.ask('state').split()
        return int(words[2]) if len(words) > 2 and words[1] == 'state' else -1

    def wait_received(self, frame):
        """The application took the module's frame off the line (its trace says so)."""
        trace = pathlib.Path(self.work, 'trace.txt')
        self.wait(lambda: f' serial-rx {frame}\n' in trace.read_text(), f'the application never received {frame}')
        self.settle()

    def wait_module(self, state, what=None):
        self.wait(lambda: self.module_state() == state, what or f'the module never reached state {state}')

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
        return walk(self.app.ask_json('windows'))

    def wait_showing(self, cls):
        self.wait(lambda: self.showing(cls), cls + ' did not come up')

    def wait_gone(self, cls):
        self.wait(lambda: not self.showing(cls), cls + ' did not go')

    def texts(self):
        self.idle()
        return [t for window in self.app.ask_json('texts') for t in window['texts']]

    def shows(self, fragment):
        return any(fragment in t['text'] for t in self.texts())

    def wait_text(self, fragment):
        self.wait(lambda: self.shows(fragment), f'"{fragment}" did not show')

    def tap_text(self, fragment):
        for t in self.texts():
            if fragment in t['text']:
                left, top, right, bottom = t['rect']
                return self.tap(((left + right) // 2, (top + bottom) // 2))
        self.fail(f'"{fragment}" is not on the screen')

    def open(self, button, cls):
        self.tap(button)
        self.wait_showing(cls)
        self.settle()

    def connect_from_list(self, phone):
        self.open((115, 181), 'CDlgConnect')
        self.wait_text(phone[1])
        self.tap_text(phone[1])
        self.tap((359, 100))  # Connect
        self.wait_called('org.bluez', device_path(phone[0]), 'Connect')
        self.link_phone(phone[0])
        self.wait_module(4, 'the phone did not link')
        self.wait_gone('CDlgConnect')
        self.settle()

    def wait_call_over(self, screen):
        """The module back to connected, and the call's screen gone once it has shown the end."""
        self.wait_module(4, 'the call did not end')
        self.settle()
        self.app.ask('advance 4000')
        self.wait_gone(screen)

    def answer_and_end(self, call, what):
        self.tap(ACCEPT)
        self.wait_called('org.ofono', call, 'Answer')
        self.wait_module(6, what)
        self.settle()
        self.tap((403, 106))  # End
        self.wait_called('org.ofono', call, 'Hangup')
        self.wait_call_over('CDlgIncoming')

    def quit(self):
        self.tap((66, 18))  # Quit
        self.wait_text('Yes')
        self.tap_text('Yes')
        self.assertEqual(self.app_proc.wait(WAIT), 0)


class Flows(BluezFlow):
    def test_phone_chosen_from_the_list_takes_calls_and_links_again_after_the_daemons_vanish(self):
        self.connect_from_list(OFFICE)
        # The levels the application set at its start reach the phone that linked later.
        levels = lambda: sorted((str(args[0]), int(args[1])) for _, args in
                                self.calls_to('org.ofono', modem_path(OFFICE[0]), 'SetProperty')
                                if str(args[0]).endswith('Volume'))
        self.wait(lambda: len(levels()) >= 2, 'the levels were not set')
        self.assertEqual(levels(), [('MicrophoneVolume', 26), ('SpeakerVolume', 100)])

        # A call cut by ofonod vanishing ends with the link; its history entry is CallControlTest's.
        self.ring(OFFICE[0], '5550001')
        self.wait_showing('CDlgIncoming')
        self.ofono_proc.terminate()
        self.ofono_proc.wait(WAIT)
        self.wait_module(1, 'the module did not drop the link')
        self.settle()
        self.app.ask('advance 4000')
        self.wait_gone('CDlgIncoming')
        self.start_ofono()
        self.link_phone(OFFICE[0])
        self.wait_module(4, 'the phone did not link again')

        self.bluez_proc.terminate()
        self.bluez_proc.wait(WAIT)
        self.wait_module(0, 'the module stayed ready without bluetoothd')
        self.start_bluez()
        # The phone's modem is still up in oFono: the link comes back with the adapter.
        self.wait_module(4, 'the phone did not link again with bluetoothd')
        trace = pathlib.Path(self.work, 'bridge.trace')
        self.wait(lambda: trace.read_text().count('pairing agent registered') == 2,
                  'the agent was not registered again')
        self.settle()
        self.quit()

    def test_number_dialled_from_the_pad_sends_a_tone_and_ends(self):
        self.connect_from_list(ROAD)
        self.open((115, 90), 'CDlgPlaceCall')
        for key in '0123456789':  # the pad's keys 73 apart and 31 down, 1 at (99, 108)
            i = '123456789*0#'.index(key)
            self.tap((99 + 73 * (i % 3), 108 + 31 * (i // 3)))
        self.tap((359, 122))  # Dial
        modem = modem_path(ROAD[0])
        # The template's Dial makes a call object with the number dialled.
        calls = lambda: self.ofono(modem).GetCalls(dbus_interface='org.ofono.VoiceCallManager')
        self.wait(calls, 'oFono Dial not called')
        [(call, properties)] = calls()
        self.assertEqual(properties['LineIdentification'], '0123456789')
        self.wait_showing('CDlgOutgoing')
        # ofonod announces the end of a call from the modem, as the incoming calls here do.
        self.ofono(call).AddMethod('org.ofono.VoiceCall', 'Hangup', '', '', self.removal_code(modem, call),
                                   dbus_interface=MOCK)
        for state in ('alerting', 'active'):
            self.ofono(call).EmitSignal('org.ofono.VoiceCall', 'PropertyChanged', 'sv',
                                        ['State', dbus.String(state, variant_level=1)], dbus_interface=MOCK)
            self.settle()
        self.wait_module(6)
        self.settle()
        self.tap((291, 71))  # the number, which opens the keypad
        self.wait_showing('CDlgNumKeypad')
        self.tap((78, 218))  # 1
        self.assertEqual(str(self.wait_called('org.ofono', modem, 'SendTones')[0]), '1')
        self.tap((400, 180))  # End
        self.wait_called('org.ofono', call, 'Hangup')
        self.wait_call_over('CDlgOutgoing')

    def test_new_phone_pairs_and_a_pairing_is_deleted_while_bluetoothd_hangs(self):
        self.open((237, 181), 'CDlgPairMode')
        self.tap((339, 81))  # pair a hands-free phone
        self.wait_module(2)
        adapter = self.bus.get_object('org.bluez', ADAPTER)
        discoverable = lambda: adapter.Get('org.bluez.Adapter1', 'Discoverable', dbus_interface=dbus.PROPERTIES_IFACE)
        self.assertTrue(until(discoverable))
        # bluetoothd asks the agent, on the bridge's own connection, to confirm the passkey.
        agent = self.bus.get_object(self.bridge_name(self.bus), '/org/ostrilan/agent')
        agent.RequestConfirmation(dbus.ObjectPath(device_path(NEW[0])), dbus.UInt32(123456),
                                  dbus_interface='org.bluez.Agent1')
        self.bluez_mock.AddDevice('hci0', NEW[0], NEW[1], dbus_interface='org.bluez.Mock')
        self.bluez_mock.PairDevice('hci0', NEW[0], 5898764, dbus_interface='org.bluez.Mock')
        self.wait_module(1)
        self.wait_text(NEW[1])
        self.assertFalse(discoverable())

        os.kill(self.bluez_proc.pid, signal.SIGSTOP)
        try:
            self.tap_text(OFFICE[1])
            self.tap((408, 198))  # Delete
            self.wait_text('Yes')
            self.tap_text('Yes')
            # RemoveDevice waits for the daemon; the module answers and lists the phones meanwhile.
            self.wait(lambda: not self.shows(OFFICE[1]), 'the deleted phone is still listed')
            self.assertEqual(self.module_state(), 1)
        finally:
            os.kill(self.bluez_proc.pid, signal.SIGCONT)
        self.assertEqual(str(self.wait_called('org.bluez', ADAPTER, 'RemoveDevice')[0]), device_path(OFFICE[0]))

    def test_signals_from_another_connection_change_nothing_while_the_daemons_own_do(self):
        self.connect_from_list(ROAD)
        modem = modem_path(ROAD[0])
        system = os.environ['DBUS_SYSTEM_BUS_ADDRESS']
        forge = lambda *signal: self.forge(system, self.bus, *signal)
        forged = {'State': dbus.String('incoming', variant_level=1),
                  'LineIdentification': dbus.String('5550666', variant_level=1)}
        forge(modem, 'org.ofono.VoiceCallManager', 'CallAdded', 'oa{sv}',
              [dbus.ObjectPath(modem + '/voicecall5550666'), forged])
        forge(ADAPTER, dbus.PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as',
              ['org.bluez.Adapter1', {'Powered': dbus.Boolean(False, variant_level=1)}, []])
        # The daemon's own ring comes after them, and is the only one.
        call = self.ring(ROAD[0], '5551234')
        self.wait_showing('CDlgIncoming')
        self.wait_text('5551234')
        self.assertFalse(self.shows('5550666'))
        forge(modem, 'org.ofono.VoiceCallManager', 'CallRemoved', 'o', [dbus.ObjectPath(call)])
        # Answered after the forged end: the call is still there to answer.
        self.answer_and_end(call, 'the forged end ended the call')
        self.assertNotIn('5550666', pathlib.Path(self.work, 'bridge.trace').read_text())
        self.assertNotIn('5550666', pathlib.Path(self.work, 'trace.txt').read_text())
        # The same change of the adapter from bluetoothd is taken: host_stack.py's adapter-off.


class LinkedFirst(BluezFlow):
    """The bridge as a service: the phone links before the application opens the line; obexd serves
    its book."""

    CARD = (b'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Road;Anna;;;\r\nFN:Anna Road\r\n'
            b'TEL;TYPE=CELL:555-1234\r\nEND:VCARD\r\n')
    HISTORY_CARD = b'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bruno Late\r\nTEL:555-9876\r\nEND:VCARD\r\n'
    FAVOURITE_CARD = b'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Road\r\nTEL;TYPE=CELL:555-1234\r\nEND:VCARD\r\n'

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.start_session_bus()
        cls.session_address = os.environ['DBUS_SESSION_BUS_ADDRESS']
        cls.session = cls.get_dbus(system_bus=False)

    def start_app(self):
        # The template writes transfers to its temporary folder whatever the target: the bridge's.
        with mock.patch.dict(os.environ, TMPDIR=self.transfers):
            self.mock('bluez5-obex', {})
        self.link_phone(ROAD[0])
        self.assertTrue(until(lambda: self.module_state() == 4), 'the phone did not link')
        super().start_app()

    def test_phone_linked_before_the_start_is_reported_and_its_book_pulled_past_a_forged_transfer(self):
        # The application's state query brings the link back.
        self.assertIn(' serial-rx 77 04 02 03 02 70\n', pathlib.Path(self.work, 'trace.txt').read_text())
        client = self.session.get_object('org.bluez.obex', '/org/bluez/obex')
        transfer_path = '/org/bluez/obex/client/session0/transfer0'
        transfer = self.session.get_object('org.bluez.obex', transfer_path)
        self.wait(lambda: self.filename(transfer), 'obexd was not asked for the book')
        # Another program says the transfer is complete, with a file of its own in the folder.
        forged_file = pathlib.Path(self.transfers, 'forged.vcf')
        forged_file.write_bytes(b'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mallory\r\nTEL:555-1234\r\nEND:VCARD\r\n')
        self.forge(self.session_address, self.session, transfer_path, dbus.PROPERTIES_IFACE, 'PropertiesChanged',
                   'sa{sv}as', ['org.bluez.obex.Transfer1',
                                {'Status': dbus.String('complete', variant_level=1),
                                 'Filename': dbus.String(str(forged_file), variant_level=1)},
                                dbus.Array([], signature='s')])

        # obexd's own word follows: book, history contacts and favourites (filed as such), one file.
        self.complete(0, self.CARD)
        self.complete(1, self.HISTORY_CARD)
        self.complete(2, self.FAVOURITE_CARD)
        self.wait(lambda: client.GetMethodCalls('RemoveSession', dbus_interface=MOCK), 'the session was not removed')
        [(_, (destination, target))] = client.GetMethodCalls('CreateSession', dbus_interface=MOCK)
        self.assertEqual((str(destination), str(target['Target']).upper()), (ROAD[0], 'PBAP'))
        self.assertEqual(pathlib.Path(self.contacts, '001A7DDA7101.vcf').read_bytes(),
                         self.CARD + self.HISTORY_CARD + self.FAVOURITE_CARD.replace(
                             b'END:VCARD', b'CATEGORIES:favorite\r\nEND:VCARD'))
        self.quit()

    @staticmethod
    def filename(transfer):
        """Where obexd writes the transfer's book; empty until it is asked for one."""
        try:
            return str(transfer.Get('org.bluez.obex.Transfer1', 'Filename', dbus_interface=dbus.PROPERTIES_IFACE))
        except dbus.exceptions.DBusException:
            return ''

    def complete(self, number, card):
        """The phone sends book `number`; obexd says so on the transfer."""
        transfer = self.session.get_object('org.bluez.obex', '/org/bluez/obex/client/session0/transfer%d' % number)
        self.wait(lambda: self.filename(transfer), 'obexd was not asked for book %d' % number)
        pathlib.Path(self.filename(transfer)).write_bytes(card)
        transfer.UpdateStatus(True, dbus_interface='org.bluez.obex.transfer1.Mock')

    def test_largest_phone_book_is_taken_whole_and_a_byte_more_refused_in_bounded_memory(self):
        # The longest names and most numbers the application reads, to exactly the bridge's 8 MiB.
        card = (b'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:' + b'N' * 256 + b'\r\n'
                + b''.join(b'TEL:' + str(n).encode() * 31 + b'\r\n' for n in range(16)) + b'END:VCARD\r\n')
        bound = 8 * 1024 * 1024
        book = card * (bound // len(card))
        book += b'\r\n' * ((bound - len(book)) // 2) + b'\n' * ((bound - len(book)) % 2)
        self.assertEqual(len(book), bound)
        self.complete(0, book)
        # History and favourites are each one byte over what is left: the phone book alone is kept.
        self.complete(1, b'B')
        self.complete(2, b'C')
        trace = pathlib.Path(self.work, 'bridge.trace')
        self.wait(lambda: 'bytes written' in trace.read_text(), 'the book was not written')
        self.assertIn('%d bytes written' % bound, trace.read_text())
        self.assertEqual(pathlib.Path(self.contacts, '001A7DDA7101.vcf').read_bytes(), book)
        if not SANITIZED:
            self.assertLess(self.bridge_memory_kb('VmHWM'), 32 * 1024)
        self.quit()


if __name__ == '__main__':
    APP_DIR, WORK_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
