#pragma once

// For the helper programs that sleep in a poll loop of their own: SIGTERM, SIGINT and SIGHUP as
// a request to end, read from a signalfd, and SIGPIPE ignored so that a peer gone away is an
// error from write, not the end of the program. The application itself uses TerminationSignals.

namespace EndSignals {

// Blocks the three in the calling thread and in every thread started after it: call it first in
// main, so that they queue for OpenFd instead of ending the program.
void Block();

// A non-blocking signalfd for the three (Block first); -1 when it cannot be made.
int OpenFd();

}
