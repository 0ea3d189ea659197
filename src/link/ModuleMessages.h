#pragma once

// The window messages through which the module link reports to the main frame: one per parsed
// response or event. A response with opcode n is 0x8400 + n; an event is 0x8500 + n, except the
// call events 0x04 to 0x06 (0x8600 + n) and the paired-address event 0x0D, which completes the
// answer to the paired-list command and so shares its message.

#include "platform/core/Types.h"

constexpr UINT WM_BT_RESPONSE_BASE = 0x8400;
constexpr UINT WM_BT_EVENT_BASE = 0x8500;
constexpr UINT WM_BT_CALL_EVENT_BASE = 0x8600;

// Responses.
constexpr UINT WM_BT_RSP_OTHER = 0x8400;
constexpr UINT WM_BT_RSP_01 = 0x8401;
constexpr UINT WM_BT_FW_VERSION = 0x8402;
constexpr UINT WM_BT_RSP_03 = 0x8403;
constexpr UINT WM_BT_RSP_04 = 0x8404;
constexpr UINT WM_BT_STATE = 0x8405;
constexpr UINT WM_BT_RSP_06 = 0x8406;
constexpr UINT WM_BT_PAIR_MODE = 0x8407;
constexpr UINT WM_BT_CONNECT = 0x8408;
constexpr UINT WM_BT_DISCONNECT = 0x8409;
constexpr UINT WM_BT_PAIR_CANCEL = 0x840A;
constexpr UINT WM_BT_RSP_0B = 0x840B;
constexpr UINT WM_BT_SPK_VOLUME = 0x840C;
constexpr UINT WM_BT_MIC_GAIN = 0x840D;
constexpr UINT WM_BT_PAIRED_LIST = 0x840E;
constexpr UINT WM_BT_PAIR_DELETE = 0x840F;
constexpr UINT WM_BT_RSP_10 = 0x8410;
constexpr UINT WM_BT_CALL_KEY = 0x8411;
constexpr UINT WM_BT_HANGUP = 0x8412;
constexpr UINT WM_BT_REJECT = 0x8413;
constexpr UINT WM_BT_AUDIO_TRANSFER = 0x8414;
constexpr UINT WM_BT_DIAL = 0x8415;
constexpr UINT WM_BT_RSP_16 = 0x8416;
constexpr UINT WM_BT_DTMF = 0x8417;
constexpr UINT WM_BT_RSP_18 = 0x8418;
constexpr UINT WM_BT_RSP_19 = 0x8419;
constexpr UINT WM_BT_RSP_20 = 0x8420;
constexpr UINT WM_BT_RSP_21 = 0x8421;
constexpr UINT WM_BT_RSP_22 = 0x8422;
constexpr UINT WM_BT_RSP_23 = 0x8423;
constexpr UINT WM_BT_RSP_40 = 0x8440;
constexpr UINT WM_BT_LOCAL_ADDR = 0x8441;
constexpr UINT WM_BT_RSP_42 = 0x8442;
constexpr UINT WM_BT_RSP_43 = 0x8443;

// Events.
constexpr UINT WM_BT_EV_STATE = 0x8501;
constexpr UINT WM_BT_EV_02 = 0x8502;
constexpr UINT WM_BT_EV_LINK = 0x8503;
constexpr UINT WM_BT_EV_RING = 0x8604;
constexpr UINT WM_BT_EV_CALLER_ID = 0x8605;
constexpr UINT WM_BT_EV_06 = 0x8606;
constexpr UINT WM_BT_EV_07 = 0x8507;
constexpr UINT WM_BT_EV_08 = 0x8508;
constexpr UINT WM_BT_EV_09 = 0x8509;
constexpr UINT WM_BT_EV_SPK_VOLUME = 0x850A;
constexpr UINT WM_BT_EV_0B = 0x850B;
constexpr UINT WM_BT_EV_0C = 0x850C;
constexpr UINT WM_BT_EV_DEVICE_NAME = 0x850E;
constexpr UINT WM_BT_EV_0F = 0x850F;
constexpr UINT WM_BT_EV_CALL_STATUS = 0x8510;
// The bridge's indicator event (0x60), which no serial module sends: wParam the indicator's kind,
// lParam its value (see BridgeIndicator.h).
constexpr UINT WM_BT_EV_INDICATOR = 0x8560;
// The bridge's text event (0x61): wParam the text's kind; the text is stored with the message.
constexpr UINT WM_BT_EV_BRIDGE_TEXT = 0x8561;

// lParam of WM_BT_PAIRED_LIST when no addresses follow.
constexpr LPARAM BT_PAIRED_LIST_FAILED = 1;
constexpr LPARAM BT_PAIRED_LIST_EMPTY = 2;
constexpr LPARAM BT_PAIRED_LIST_TOO_MANY = 3;
// lParam of WM_BT_MIC_GAIN when the module answered without a value.
constexpr LPARAM BT_MIC_GAIN_NO_VALUE = 99;

// A message as the link posts it.
struct ModuleMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    friend bool operator==(const ModuleMessage&, const ModuleMessage&) = default;
};
