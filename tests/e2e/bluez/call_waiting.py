#!/usr/bin/python3
"""A second call during a call, against a mocked oFono phone that rejects, holds, swaps, merges
and ends its calls when asked; the screens and history of it are SecondCallTest's.
Usage: call_waiting.py APP_DIR WORK_DIR [unittest arguments]"""

import sys
import unittest

import bluez_flows
from bluez_flows import ACCEPT, MOCK, ROAD, BluezFlow, modem_path

MANAGER = 'org.ofono.VoiceCallManager'
CALL = 'org.ofono.VoiceCall'
# The second call's buttons, one under the other on the right of the call screen.
HOLD_ANSWER = SWAP = (391, 74)
MERGE = (391, 138)
REJECT = END = (391, 202)


def states(**calls):
    """Mock code that moves calls to new states, each told as ofonod tells it."""
    return ''.join(
        f'objects["{path}"].Set("{CALL}", "State", "{state}"); '
        f'objects["{path}"].EmitSignal("{CALL}", "PropertyChanged", "sv", '
        f'["State", dbus.String("{state}", variant_level=1)]); ' for path, state in calls.values())


class CallWaiting(BluezFlow):
    def waiting(self, number):
        """`number` rings behind the call in progress."""
        call = self.ring(ROAD[0], number, 'waiting')
        self.wait_text('Call waiting')
        self.wait_text(number)
        self.settle()
        return call

    def test_waiting_call_rejected_and_the_next_held_swapped_merged_and_ended_call_by_call(self):
        self.link_phone(ROAD[0])
        self.wait_module(4, 'the phone did not link')
        self.settle()
        first = self.ring(ROAD[0], '5551234')
        self.wait_showing('CDlgIncoming')
        self.tap(ACCEPT)
        self.wait_called('org.ofono', first, 'Answer')
        self.wait_module(6, 'the call was not answered')
        rejected = self.waiting('5558888')
        self.tap(REJECT)
        self.wait_called('org.ofono', rejected, 'Hangup')
        self.wait(lambda: not self.shows('Call waiting'), 'the waiting call stayed on the screen')

        second = self.waiting('5557777')
        modem = self.ofono(modem_path(ROAD[0]))
        phone = [('HoldAndAnswer', states(a=(first, 'held'), b=(second, 'active'))),
                 ('SwapCalls', states(a=(second, 'held'), b=(first, 'active'))),
                 ('CreateMultiparty', states(a=(second, 'active')))]
        for method, code in phone:
            modem.AddMethod(MANAGER, method, '', '', code, dbus_interface=MOCK)
        self.tap(HOLD_ANSWER)
        self.wait_called('org.ofono', modem_path(ROAD[0]), 'HoldAndAnswer')
        self.wait_text('On hold')
        self.settle()
        self.tap(SWAP)
        self.wait_called('org.ofono', modem_path(ROAD[0]), 'SwapCalls')
        # The module reports the first call active again, the second held.
        self.wait_received('77 04 03 60 06 03 15')
        self.tap(MERGE)
        self.wait_called('org.ofono', modem_path(ROAD[0]), 'CreateMultiparty')
        self.wait_text('Two callers')
        self.settle()

        # End ends the conference, call by call.
        self.tap(END)
        self.wait_called('org.ofono', first, 'Hangup')
        self.wait_called('org.ofono', second, 'Hangup')
        self.wait_call_over('CDlgIncoming')
        self.quit()

if __name__ == '__main__':
    bluez_flows.APP_DIR, bluez_flows.WORK_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
