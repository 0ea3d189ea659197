#pragma once

// A client of a line-command Unix socket (the application's automation socket, the simulator's
// control socket): one command line out, one answer line back, every wait with a deadline.

#include <chrono>
#include <string>

class LineSocket {
public:
    LineSocket() = default;
    ~LineSocket();
    LineSocket(const LineSocket&) = delete;
    LineSocket& operator=(const LineSocket&) = delete;

    // Tries until the deadline: the server may still be starting.
    bool Connect(const std::string& path, std::chrono::milliseconds limit);
    bool Connected() const { return m_fd >= 0; }
    // For tests that send raw bytes.
    int Fd() const { return m_fd; }
    void Close();
    // The answer line without its newline; "" on time-out (which closes the connection, so a late
    // answer is never taken for the next one) or a closed connection.
    std::string Ask(const std::string& line, std::chrono::milliseconds limit);

private:
    int m_fd = -1;
    std::string m_buffer;
};
