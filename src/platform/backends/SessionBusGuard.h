#pragma once

// SDL reaches the session bus through libdbus (screen saver, input methods). With no
// DBUS_SESSION_BUS_ADDRESS and no bus under XDG_RUNTIME_DIR, libdbus autolaunches a session
// dbus-daemon for the display, which outlives the program. This names an address that cannot be
// opened instead, so nothing is launched; SDL then goes on without the bus, and the media players'
// sd-bus connection fails as it would have without a bus.
//
// Returns true when it set the address. Call it before any other thread runs (it sets the
// environment) and before SDL starts its video.
bool KeepSessionBusFromAutolaunching();
