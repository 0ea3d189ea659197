#!/usr/bin/python3
"""The host's Bluetooth stack coming and going (mocked bluez5 and ofono), and the screens naming
what is missing. Usage: host_stack.py APP_DIR WORK_DIR [unittest arguments]"""

import os
import pathlib
import sys
import unittest

import dbus

import bluez_flows
from bluez_flows import ADAPTER, NO_BUS, RETURN, BluezFlow

HANDS_FREE_UNIT = '0000111e-0000-1000-8000-00805f9b34fb'
CONNECT = (115, 181)
PAIRING = (237, 181)


class HostStackFlow(BluezFlow):
    """Each flow starts with no daemon at all; the flow brings up what it needs."""
    system_address = None

    def start_bluez(self):
        self.bluez_proc = None

    def start_ofono(self):
        self.ofono_proc = None

    def start_bridge(self):
        self.rfkill = os.path.join(self.work, 'rfkill')
        env = {'DBUS_SYSTEM_BUS_ADDRESS': self.system_address} if self.system_address else {}
        self.launch_bridge(['--rfkill', self.rfkill], DBUS_SESSION_BUS_ADDRESS=NO_BUS, **env)

    def host_state(self):
        return self.bridge_socket.ask('hoststate')

    def wait_host(self, state, text):
        """The bridge reports the state, and the main view says it."""
        self.wait(lambda: self.host_state() == 'ok ' + state, f'the bridge never reported {state}')
        self.wait_text(text)

    def adapter(self):
        return self.bus.get_object('org.bluez', ADAPTER)

    def adapter_property(self, name):
        return self.adapter().Get('org.bluez.Adapter1', name, dbus_interface=dbus.PROPERTIES_IFACE)

    def set_adapter(self, name, value):
        self.adapter().Set('org.bluez.Adapter1', name, value, dbus_interface=dbus.PROPERTIES_IFACE)

    def block(self, blocked):
        switch = pathlib.Path(self.rfkill, 'rfkill0')
        switch.mkdir(parents=True, exist_ok=True)
        (switch / 'type').write_text('bluetooth\n')
        (switch / 'soft').write_text('1\n' if blocked else '0\n')
        (switch / 'hard').write_text('0\n')


class HostStack(HostStackFlow):
    def test_daemons_and_adapter_come_and_go_and_opening_connect_switches_the_adapter_on(self):
        # What Connect and Pairing say in each state is HostStackTest's.
        self.wait_host('no-bluetoothd', 'Bluetooth service not running: start bluetooth')

        # bluetoothd without an adapter: said on screen and in the bridge's log.
        self.bluez_proc, self.bluez_mock = self.mock('bluez5', {})
        self.wait_host('no-adapter', 'No Bluetooth adapter found: plug one in')
        self.assertIn('bluetoothd has no adapter', pathlib.Path(self.work, 'bridge.trace').read_text())

        # An adapter that is off; opening Connect switches it on.
        self.bluez_mock.AddAdapter('hci0', 'car', dbus_interface='org.bluez.Mock')
        self.set_adapter('Powered', dbus.Boolean(False))
        self.wait_host('adapter-off', 'Bluetooth adapter off: open Connect to switch it on')
        self.settle()
        self.assertFalse(self.adapter_property('Powered'), 'switched on before Connect was opened')
        self.open(CONNECT, 'CDlgConnect')
        self.wait(lambda: self.adapter_property('Powered'), 'opening Connect did not switch the adapter on')
        self.wait_host('no-ofono', 'Phone service not running: start ofono')
        self.tap(RETURN)
        self.wait_gone('CDlgConnect')

        # ofonod without its hands-free profile, then with it (BlueZ lists the unit's service).
        self.ofono_proc, self.ofono_mock = self.mock('ofono', {'no_modem': True})
        self.wait_host('no-handsfree', 'Hands-free not registered: restart ofono')
        uuids = list(self.adapter_property('UUIDs')) + [HANDS_FREE_UNIT]
        self.set_adapter('UUIDs', dbus.Array(uuids, signature='s'))
        self.wait_host('ready', 'No cellphone connected')

        # Blocked by rfkill, the adapter reads as off; Pairing says so and does not switch it on.
        self.block(True)
        self.set_adapter('Powered', dbus.Boolean(False))
        self.wait_host('rfkill-blocked', 'Bluetooth blocked: run rfkill unblock bluetooth')
        self.open(PAIRING, 'CDlgPairMode')
        self.assertFalse(self.adapter_property('Powered'), 'a blocked adapter was switched on')
        self.tap(RETURN)
        self.wait_gone('CDlgPairMode')
        self.quit()


class NoSystemBus(HostStackFlow):
    system_address = NO_BUS

    def test_without_a_system_bus_the_main_view_says_so(self):
        self.wait_host('no-bus', 'No system bus: start dbus, then try again')
        self.quit()


if __name__ == '__main__':
    bluez_flows.APP_DIR, bluez_flows.WORK_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
