#!/usr/bin/python3
"""The linked phone's network and battery from a mocked oFono reaching the application as the
module's frames. Usage: phone_indicators.py APP_DIR WORK_DIR [unittest arguments]"""

import sys
import unittest

import dbus

import bluez_flows
from bluez_flows import MOCK, ROAD, BluezFlow

NETWORK = 'org.ofono.NetworkRegistration'
HANDSFREE = 'org.ofono.Handsfree'


class PhoneIndicators(BluezFlow):
    @staticmethod
    def battery(level):
        """Hands-free with oFono's battery level and no in-band ringing."""
        def prepare(modem):
            modem.AddProperties(HANDSFREE, {'BatteryChargeLevel': dbus.Byte(level),
                                            'InbandRinging': dbus.Boolean(False)}, dbus_interface=MOCK)
            modem.AddMethods(HANDSFREE, [
                ('GetProperties', '', 'a{sv}', f'ret = self.GetAll("{HANDSFREE}")'),
                ('SetProperty', 'sv', '', f'self.Set("{HANDSFREE}", args[0], args[1]); '
                 f'self.EmitSignal("{HANDSFREE}", "PropertyChanged", "sv", [args[0], args[1]])')],
                dbus_interface=MOCK)
        return prepare

    def test_signal_battery_operator_and_roaming_reach_the_main_view_and_go_with_the_link(self):
        modem = self.link_phone(ROAD[0], self.battery(3))
        self.wait_module(4, 'the phone did not link')
        # The template's network: strength 80 (four bars), registered at home, "fake.tel".
        self.wait_received('77 04 03 60 02 04 16')
        self.wait_received('77 04 03 60 03 03 10')
        self.wait_received('77 04 03 60 05 01 14')
        self.wait_received('77 04 03 60 04 00 14')
        self.wait_text('fake.tel')

        # A change told on each interface. What roaming, another operator's name or an empty battery
        # become: PhoneIndicatorMap.NetworkBatteryAndAssistantPropertiesBecomeIndicatorAndTextEvents.
        modem.SetProperty('Strength', dbus.Byte(100, variant_level=1), dbus_interface=NETWORK)
        self.wait_received('77 04 03 60 02 05 17')
        # In-band ringing: off as the phone linked, then on.
        self.wait_received('77 04 03 60 08 00 18')
        modem.SetProperty('InbandRinging', dbus.Boolean(True, variant_level=1), dbus_interface=HANDSFREE)
        self.wait_received('77 04 03 60 08 01 19')

        # The phone goes; what the top bar then forgets is PhoneIndicatorsTest's.
        modem.SetProperty('Online', dbus.Boolean(False, variant_level=1), dbus_interface='org.ofono.Modem')
        self.wait_module(1, 'the phone did not unlink')
        self.quit()


if __name__ == '__main__':
    bluez_flows.APP_DIR, bluez_flows.WORK_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
