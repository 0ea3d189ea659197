#pragma once

// The field engineer's protocol trace: one line per interaction with the outside world,
// "<ms since start> <topic> <details>", appended to the file named by OSTRILAN_TRACE. Every thread
// may write; each line is written whole with one system call, so lines never interleave and a
// power cut loses at most the line being written.
//
// Topics in use (keep them stable: the black-box tests read them):
//   serial-tx <hex>             a frame written to the module
//   serial-rx <hex>             a frame received and accepted
//   serial-drop <reason> <hex>  a frame dropped (length, checksum)
//   serial <event>              port opened, closed, lost, back
//   audio <request> <args>      a request to the device's audio driver
//   sound <play|stop> ...       sounds started and stopped; volume changes
//   peer <details>              messages to and from other programs
//   reg <key>\<value>=<data>    registry writes
//   screen <open|close> <kind> <class>
//   app <event>                 start-up, shutdown, failures

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class Trace {
public:
    // Opens the file named by OSTRILAN_TRACE, if set. Safe to call more than once.
    static void OpenFromEnvironment();
    // Opens (appending) the given file; an empty path closes the trace.
    static bool Open(const std::string& path);
    static void Close();
    static bool Enabled();

    static void Write(std::string_view topic, std::string_view details);
    static void Printf(std::string_view topic, const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Bytes as upper-case hex pairs separated by spaces: "77 01 01 05 72".
    static std::string Hex(std::span<const uint8_t> bytes);
};
