#pragma once

// Opening the module's end of the serial line: a pseudo-terminal of its own (the usual case) or a
// real serial device, raw at 115200 baud, attached to a SimLine.

#include "SimLine.h"

#include <string>

namespace ptyline {

// Returns the slave's path ("/dev/pts/7"), empty with error set on failure.
std::string OpenPseudoTerminal(SimLine& line, std::string& error);
bool OpenDevice(SimLine& line, const std::string& path, std::string& error);
// A stable symbolic link to the pty, replaced atomically so a reader never finds it missing.
bool MakeLink(const std::string& target, const std::string& link, std::string& error);

}
