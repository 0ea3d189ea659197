#pragma once

// The facts that only the bridge to the host's Bluetooth stack reports, each as one indicator
// event (0x60: kind, value) or one text event (0x61: kind, UTF-8 text). A serial module never
// sends them, so each kind's absence means "as the device always behaved". New facts are new kinds.

#include "platform/core/Types.h"

#include <optional>
#include <string_view>

namespace bridge {

enum class IndicatorKind : BYTE {
    HostStack = 1,
    Signal = 2, // the linked phone's signal, 0-5
    Battery = 3, // the linked phone's battery, 0-5
    Roaming = 4, // 0 home network, 1 roaming
    Service = 5, // 0 no network, 1 registered
    SecondCall = 6, // a second call beside the one in progress, SecondCall below
    Assistant = 7, // the phone's voice assistant: 0 off, 1 listening
    InbandRinging = 8, // 0 no, 1 the phone sends its own ring over the call's audio
};
// The highest signal and battery level; roaming and service are 0 or 1.
inline constexpr BYTE kPhoneLevelMax = 5;

enum class TextKind : BYTE {
    Operator = 1, // the network's name as the phone reports it
    SecondNumber = 2, // the second call's number, sent before it is reported waiting
};

// A second call beside the first, the one the main state follows. Only the bridge has one; when
// the first ends while the second goes on, the second is reported alone and is the first from
// then on.
enum class SecondCall : BYTE {
    None = 0,
    Waiting = 1, // rings behind the first
    SecondActive = 2, // the first held
    FirstActive = 3, // the second held
    Merged = 4, // one conference
    SecondAlone = 5, // the first ended; the second takes its place
};
inline constexpr BYTE kSecondCallValues = 6;

// Texts are cut to this many characters, so a long name cannot crowd the screens.
inline constexpr size_t kMaxTextChars = 32;

// The bridge's one command (0x62, one action byte): what only a host stack can ask of a phone.
// It is sent only after the bridge has shown itself by an indicator or text event, so a serial
// module never sees it.
enum class Action : BYTE {
    HoldAndAnswer = 1,
    ReleaseAndAnswer = 2,
    SwapCalls = 3,
    MergeCalls = 4,
    AssistantStart = 5,
    AssistantStop = 6,
    RejectWaiting = 7,
};
inline constexpr BYTE kActionCount = 7;

// What stands between the machine and a working hands-free link, the first problem found first.
enum class HostStack : BYTE {
    Ready = 0,
    NoSystemBus = 1,
    NoBluetoothd = 2,
    NoAdapter = 3,
    AdapterOff = 4,
    AdapterBlocked = 5,
    NoOfono = 6,
    NoHandsFree = 7,
};
inline constexpr BYTE kHostStackValues = 8;

// "no-adapter" and back, the names the simulator and the bridge's trace use.
std::string_view HostStackName(HostStack state);
std::optional<HostStack> ParseHostStack(std::string_view name);
// "hold-answer" and back, as the simulator's log and the bridge's trace write an action.
std::string_view ActionName(Action action);

}
