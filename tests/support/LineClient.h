#pragma once

// A line-oriented client of a Unix stream socket, with a deadline on every answer.

#include <chrono>
#include <string>

namespace testenv {

class LineClient {
public:
    // Tries to connect until the deadline (the server may still be starting).
    bool Connect(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(10));
    ~LineClient();
    // Sends one line and returns the answer line without its newline; "" on time-out or error.
    std::string Ask(const std::string& line, std::chrono::milliseconds limit = std::chrono::seconds(30));

private:
    int m_fd = -1;
    std::string m_buffer;
};

}
