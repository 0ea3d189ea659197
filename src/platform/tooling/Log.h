#pragma once

// The program's diagnostic lines: start-up failures, missing files, the debug output the device
// would show a developer. Each line goes to standard error and, under systemd (JOURNAL_STREAM set),
// to the journal with its priority, so that `journalctl --user -u ostrilan -p warning` finds it;
// when standard error is itself the journal's stream only the journal copy is written. Unlike the
// trace, these lines are for the person reading the log, not for tests.

#include "platform/core/Types.h"

#include <string_view>

class Log {
public:
    // Syslog priorities, as the journal files them.
    enum class Priority { Error = 3, Warning = 4, Notice = 5, Info = 6, Debug = 7 };

    static void Write(Priority priority, std::string_view line);
    static void Printf(Priority priority, const char* format, ...) __attribute__((format(printf, 2, 3)));

    static void Error(std::string_view line) { Write(Priority::Error, line); }
    static void Warning(std::string_view line) { Write(Priority::Warning, line); }
    static void Debug(std::string_view line) { Write(Priority::Debug, line); }

    // True when standard error is the journal's stream (JOURNAL_STREAM names its device and inode).
    static bool StderrIsJournal();
};

// The device's debug output: one diagnostic line at debug priority, trailing line breaks dropped.
void OutputDebugStringW(const WString& text);
