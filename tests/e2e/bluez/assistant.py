#!/usr/bin/python3
"""The phone's voice assistant through ostrilan and ostrilan-bluez against a mocked oFono: the dial
tile held starts it, the panel's button ends it, the phone ending it closes the panel.
Usage: assistant.py APP_DIR WORK_DIR [unittest arguments]"""

import sys
import unittest

import dbus

import bluez_flows
from bluez_flows import MOCK, ROAD, BluezFlow

HANDSFREE = 'org.ofono.Handsfree'
# The dial tile, and the end button of the panel that lies over the tiles.
DIAL_TILE = (115, 89)
END = (391, 202)


class Assistant(BluezFlow):
    @staticmethod
    def handsfree(modem):
        """Hands-free with the assistant off; SetProperty told back as ofonod tells a change."""
        modem.AddProperties(HANDSFREE, {'VoiceRecognition': dbus.Boolean(False),
                                        'BatteryChargeLevel': dbus.Byte(4)}, dbus_interface=MOCK)
        modem.AddMethods(HANDSFREE, [
            ('GetProperties', '', 'a{sv}', f'ret = self.GetAll("{HANDSFREE}")'),
            ('SetProperty', 'sv', '', f'self.Set("{HANDSFREE}", args[0], args[1]); '
             f'self.EmitSignal("{HANDSFREE}", "PropertyChanged", "sv", [args[0], args[1]])')],
            dbus_interface=MOCK)

    def hold_dial_tile(self):
        self.assertEqual(self.app.ask('press %d %d' % DIAL_TILE), 'ok')
        self.assertEqual(self.app.ask('advance 800'), 'ok')
        self.assertEqual(self.app.ask('release %d %d' % DIAL_TILE), 'ok')
        self.settle()

    def listening(self, modem):
        return bool(modem.Get(HANDSFREE, 'VoiceRecognition', dbus_interface=dbus.PROPERTIES_IFACE))

    def test_assistant_started_and_stopped_from_the_car_and_ended_by_the_phone(self):
        modem = self.link_phone(ROAD[0], self.handsfree)
        self.wait_module(4, 'the phone did not link')
        # The phone's battery, then its assistant off: the bridge has spoken.
        self.wait_received('77 04 03 60 03 04 17')
        self.wait_received('77 04 03 60 07 00 17')

        self.hold_dial_tile()
        self.wait(lambda: self.listening(modem), 'VoiceRecognition was not set')
        # The panel (not the dial pad) is AssistantTest's.
        self.wait_received('77 04 03 60 07 01 16')

        self.tap(END)
        self.wait(lambda: not self.listening(modem), 'VoiceRecognition was not cleared')
        self.wait(lambda: not self.shows('is listening'), 'the panel stayed')

        # Again, and this time the phone ends it itself.
        self.hold_dial_tile()
        self.wait(lambda: self.listening(modem), 'VoiceRecognition was not set again')
        self.wait_text('is listening')
        modem.SetProperty('VoiceRecognition', dbus.Boolean(False, variant_level=1), dbus_interface=HANDSFREE)
        self.wait(lambda: not self.shows('is listening'), 'the panel stayed after the phone ended it')
        self.quit()


if __name__ == '__main__':
    bluez_flows.APP_DIR, bluez_flows.WORK_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
