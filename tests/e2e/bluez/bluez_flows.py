#!/usr/bin/python3
"""Whole flows with a phone from BlueZ and oFono: the real ostrilan against the real ostrilan-bluez,
with python-dbusmock playing the daemons (bluez_rig.py). The application is driven only through its
automation socket; the daemons' side is checked through the mocks' call logs.

Usage: bluez_flows.py APP_DIR WORK_DIR [unittest arguments]
"""

import os
import signal
import subprocess
import sys
import time
import unittest

import dbus

import bluez_rig
from bluez_rig import (ACCEPT, ADAPTER, CALL, DIAL, INCOMING_END, KEYPAD_ONE, MOCK, NEW, NUMBER_AREA, OFFICE,
                       OUTGOING_END, PAD_FIRST, PAIR_DELETE, PAIR_HANDS_FREE, PAIR_MODE, RETURN, ROAD, TAB_INCOMING,
                       TAB_MISSED, WAIT, BluezFlow, device_path, modem_path, until)


class Flows(BluezFlow):
    def test_phone_chosen_from_the_list_takes_a_call_answered_by_touch(self):
        self.connect_from_list(OFFICE)
        self.assertIn('Office phone', self.bridge_socket.ask('state'))
        # The levels the application set at its start reach the phone that linked later.
        levels = lambda: sorted((str(args[0]), int(args[1])) for _, args in
                                self.calls_to('org.ofono', modem_path(OFFICE[0]), 'SetProperty')
                                if str(args[0]).endswith('Volume'))
        self.assertTrue(until(lambda: len(levels()) >= 2, between=self.idle))
        self.assertEqual(levels(), [('MicrophoneVolume', 26), ('SpeakerVolume', 100)])
        call = self.ring(OFFICE[0], '5551234')
        self.assertTrue(self.wait_showing('CDlgIncoming') and self.wait_text('5551234'))
        self.tap(ACCEPT)
        self.assertTrue(self.wait_called('org.ofono', call, 'Answer'), 'oFono Answer not called')
        self.assertTrue(self.wait_module(6))
        self.settle()
        self.tap(INCOMING_END)
        self.assertTrue(self.wait_called('org.ofono', call, 'Hangup'), 'oFono Hangup not called')
        self.wait_call_over('CDlgIncoming')
        self.assertTrue(self.history_shows(TAB_INCOMING, '5551234'))
        self.quit()

    def test_number_dialled_from_the_pad_sends_a_tone_and_ends(self):
        self.connect_from_list(ROAD)
        self.open(CALL, 'CDlgPlaceCall')
        self.type_keys('0123456789', PAD_FIRST)
        self.tap(DIAL)
        modem = modem_path(ROAD[0])
        # The template's Dial makes a call object with the number dialled.
        calls = lambda: self.ofono(modem).GetCalls(dbus_interface='org.ofono.VoiceCallManager')
        self.assertTrue(until(calls, between=self.idle), 'oFono Dial not called')
        [(call, properties)] = calls()
        self.assertEqual(properties['LineIdentification'], '0123456789')
        self.assertTrue(self.wait_showing('CDlgOutgoing'))
        # ofonod announces the end of a call from the modem, as the incoming calls here do.
        self.ofono(call).AddMethod('org.ofono.VoiceCall', 'Hangup', '', '', self.removal_code(modem, call),
                                   dbus_interface=MOCK)
        self.far_end(call, 'alerting')
        self.settle()
        self.far_end(call, 'active')
        self.assertTrue(self.wait_module(6))
        self.settle()
        self.tap(NUMBER_AREA)
        self.assertTrue(self.wait_showing('CDlgNumKeypad'))
        self.tap(KEYPAD_ONE)
        self.assertTrue(self.wait_called('org.ofono', modem, 'SendTones'), 'oFono SendTones not called')
        self.assertEqual(str(self.calls_to('org.ofono', modem, 'SendTones')[0][1][0]), '1')
        self.tap(OUTGOING_END)
        self.assertTrue(self.wait_called('org.ofono', call, 'Hangup'), 'oFono Hangup not called')
        self.wait_call_over('CDlgOutgoing')
        self.quit()

    def test_new_phone_pairs_and_a_pairing_is_deleted_while_bluetoothd_hangs(self):
        self.open(PAIR_MODE, 'CDlgPairMode')
        self.tap(PAIR_HANDS_FREE)
        self.assertTrue(self.wait_module(2))
        adapter = self.bus.get_object('org.bluez', ADAPTER)
        discoverable = lambda: adapter.Get('org.bluez.Adapter1', 'Discoverable', dbus_interface=dbus.PROPERTIES_IFACE)
        self.assertTrue(until(discoverable))
        # bluetoothd asks the agent to confirm the passkey the phone shows.
        agent = self.bus.get_object(self.bridge_bus_name(), '/org/ostrilan/agent')
        agent.RequestConfirmation(dbus.ObjectPath(device_path(NEW[0])), dbus.UInt32(123456),
                                  dbus_interface='org.bluez.Agent1')
        self.bluez_mock.AddDevice('hci0', NEW[0], NEW[1], dbus_interface='org.bluez.Mock')
        self.bluez_mock.PairDevice('hci0', NEW[0], 5898764, dbus_interface='org.bluez.Mock')
        self.assertTrue(self.wait_module(1))
        self.assertTrue(self.wait_text(NEW[1]))
        self.assertFalse(discoverable())
        self.assertIn('passkey 123456 confirmed', self.bridge_trace())

        os.kill(self.bluez_proc.pid, signal.SIGSTOP)
        try:
            self.tap_text(OFFICE[1])
            self.tap(PAIR_DELETE)
            self.assertTrue(self.wait_text('Yes'))
            self.tap_text('Yes')
            # RemoveDevice waits for the daemon; the module answers and lists the phones meanwhile.
            self.assertTrue(until(lambda: not self.shows(OFFICE[1]), between=self.idle))
            self.assertEqual(self.module_state(), 1)
        finally:
            os.kill(self.bluez_proc.pid, signal.SIGCONT)
        self.assertTrue(self.wait_called('org.bluez', ADAPTER, 'RemoveDevice'), 'no Adapter1.RemoveDevice')
        self.assertEqual(str(self.calls_to('org.bluez', ADAPTER, 'RemoveDevice')[0][1][0]), device_path(OFFICE[0]))
        # The screen refreshes its list (controls disabled) while the names come in.
        time.sleep(0.5)
        self.settle()
        self.tap(RETURN)
        self.assertTrue(self.wait_gone('CDlgPairMode'))
        self.quit()

    def test_daemons_vanishing_end_the_call_and_link_and_their_return_links_again(self):
        self.connect_from_list(ROAD)
        self.ring(ROAD[0], '5550001')
        self.assertTrue(self.wait_showing('CDlgIncoming'))
        self.tap(ACCEPT)
        self.assertTrue(self.wait_module(6))
        self.settle()
        self.ofono_proc.terminate()
        self.ofono_proc.wait(WAIT)
        self.assertTrue(self.wait_module(1), 'the module did not drop the link')
        self.settle()
        self.app.ask('advance 4000')
        self.assertTrue(self.wait_gone('CDlgIncoming'))
        self.start_ofono()
        self.link_phone(ROAD[0])
        self.assertTrue(self.wait_module(4), 'the phone did not link again')
        self.settle()
        self.assertTrue(self.history_shows(TAB_INCOMING, '5550001'))

        self.bluez_proc.terminate()
        self.bluez_proc.wait(WAIT)
        self.assertTrue(self.wait_module(0), 'the module stayed ready without bluetoothd')
        self.start_bluez()
        # The phone's modem is still up in oFono: the link comes back with the adapter.
        self.assertTrue(self.wait_module(4), 'the phone did not link again with bluetoothd')
        self.assertTrue(until(lambda: self.bridge_trace().count('pairing agent registered') == 2),
                        'the agent was not registered again')
        self.settle()
        self.quit()


class LinkedFirst(BluezFlow):
    """The bridge runs as a service: the phone links before the application opens the line, and
    obexd on the session bus serves its phone book."""

    CARD = (b'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Road;Anna;;;\r\nFN:Anna Road\r\n'
            b'TEL;TYPE=CELL:555-1234\r\nEND:VCARD\r\n')
    HISTORY_CARD = b'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bruno Late\r\nTEL:555-9876\r\nEND:VCARD\r\n'

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.start_session_bus()
        cls.session_address = os.environ['DBUS_SESSION_BUS_ADDRESS']
        cls.session = cls.get_dbus(system_bus=False)

    def before_the_application(self):
        obex_proc, _ = self.spawn_server_template('bluez5-obex', {}, stdout=subprocess.DEVNULL)
        self.children.append(obex_proc)
        self.link_phone(ROAD[0])
        self.assertTrue(self.wait_module(4))

    def test_phone_linked_before_the_start_is_reported_its_book_pulled_and_a_missed_call_named(self):
        # The application's state query brings the link back, so a call reaches the screen.
        with open(os.path.join(self.work, 'trace.txt')) as f:
            received = [line.split(' ', 1)[1].strip() for line in f if ' serial-rx ' in line]
        self.assertIn('serial-rx 77 04 02 03 02 70', received)
        client = self.session.get_object('org.bluez.obex', '/org/bluez/obex')

        def complete(number, card):
            # The phone sends the book; obexd says so on the transfer.
            transfer = self.session.get_object('org.bluez.obex',
                                               '/org/bluez/obex/client/session0/transfer%d' % number)

            def pulled():
                try:
                    return str(transfer.Get('org.bluez.obex.Transfer1', 'Filename',
                                            dbus_interface=dbus.PROPERTIES_IFACE))
                except dbus.exceptions.DBusException:
                    return ''
            self.assertTrue(until(pulled, between=self.idle), 'obexd was not asked for book %d' % number)
            with open(pulled(), 'wb') as f:
                f.write(card)
            transfer.UpdateStatus(True, dbus_interface='org.bluez.obex.transfer1.Mock')

        # The phone book, then the contacts of the call history, into one file.
        complete(0, self.CARD)
        complete(1, self.HISTORY_CARD)
        self.assertTrue(until(lambda: client.GetMethodCalls('RemoveSession', dbus_interface=MOCK), between=self.idle),
                        'the session was not removed')
        [(_, (destination, target))] = client.GetMethodCalls('CreateSession', dbus_interface=MOCK)
        self.assertEqual((str(destination), str(target['Target']).upper()), (ROAD[0], 'PBAP'))
        with open(os.path.join(self.contacts, '001A7DDA7101.vcf'), 'rb') as f:
            self.assertEqual(f.read(), self.CARD + self.HISTORY_CARD)

        call = self.ring(ROAD[0], '5551234')
        self.assertTrue(self.wait_showing('CDlgIncoming') and self.wait_text('Anna Road'))
        self.assertTrue(self.shows('5551234'))
        # The caller gives up: a missed call, under the name of the book.
        self.caller_gives_up(ROAD[0], call)
        self.wait_call_over('CDlgIncoming')
        self.assertTrue(self.history_shows(TAB_MISSED, 'Anna Road'))
        self.quit()


if __name__ == '__main__':
    bluez_rig.APP_DIR, bluez_rig.WORK_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
