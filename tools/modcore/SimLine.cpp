#include "SimLine.h"

#include "link/ModuleFrame.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr size_t kMaxBody = 254; // L = opcode + body, at most 255
constexpr int kWriteWaitMs = 500;
constexpr auto kSplitGap = std::chrono::milliseconds(5);

double Seconds()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Our own frames must be ones the system's codec accepts; anything else is a bug here.
void SelfCheck(std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    bool ok = bytes.size() >= ModuleFrame::kMinSize && bytes.size() <= ModuleFrame::kMaxSize
        && frame.At(0) == ModuleFrame::kStartByte && frame.Length() + 4u == bytes.size()
        && frame.ChecksumValid()
        && (frame.Type() == ModuleFrame::kTypeResponse || frame.Type() == ModuleFrame::kTypeEvent);
    if (!ok) {
        fprintf(stderr, "modsim: built a bad frame: %s\n", HexBytes(bytes).c_str());
        abort();
    }
}

}

std::string HexBytes(std::span<const BYTE> bytes)
{
    std::string out;
    char part[4];
    for (BYTE b : bytes) {
        snprintf(part, sizeof part, out.empty() ? "%02X" : " %02X", b);
        out += part;
    }
    return out;
}

SimLine::~SimLine()
{
    Vanish();
    if (m_log)
        fclose(m_log);
}

void SimLine::Attach(int fd, int extraFd)
{
    m_fd = fd;
    m_extraFd = extraFd;
}

void SimLine::Vanish()
{
    if (m_fd >= 0)
        close(m_fd);
    if (m_extraFd >= 0)
        close(m_extraFd);
    m_fd = m_extraFd = -1;
    m_held.clear();
}

bool SimLine::OpenLog(const std::string& path)
{
    m_log = fopen(path.c_str(), "w");
    return m_log != nullptr;
}

void SimLine::Send(BYTE type, BYTE opcode, std::span<const BYTE> body, bool isResponse)
{
    body = body.first(std::min(body.size(), kMaxBody));
    std::vector<BYTE> bytes { ModuleFrame::kStartByte, type, static_cast<BYTE>(body.size() + 1), opcode };
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(ModuleFrame::Checksum(bytes));
    SelfCheck(bytes);

    if (isResponse && dropNextResponse > 0) {
        --dropNextResponse;
        Log("tx!", bytes, "dropped");
        return;
    }
    if (corruptNext > 0) {
        --corruptNext;
        bytes.back() ^= 0x5A;
        Log("tx!", bytes, "bad-checksum");
    } else {
        Log("tx", bytes);
    }
    if (mergeNext > 0) {
        // Held back and written in one piece with the next frame.
        --mergeNext;
        m_held.insert(m_held.end(), bytes.begin(), bytes.end());
        LogNote("fault merge: held for the next frame");
        return;
    }
    if (!m_held.empty()) {
        bytes.insert(bytes.begin(), m_held.begin(), m_held.end());
        m_held.clear();
    }
    if (splitNext > 0) {
        --splitNext;
        LogNote("fault split: the next frame goes out in pieces");
        size_t first = std::min<size_t>(2, bytes.size());
        size_t second = first + (bytes.size() - first) / 2;
        Write(std::span(bytes).first(first));
        std::this_thread::sleep_for(kSplitGap);
        Write(std::span(bytes).subspan(first, second - first));
        std::this_thread::sleep_for(kSplitGap);
        Write(std::span(bytes).subspan(second));
        return;
    }
    Write(bytes);
}

void SimLine::SendNoise(size_t count)
{
    std::vector<BYTE> bytes;
    while (bytes.size() < count) {
        m_noiseSeed = m_noiseSeed * 1103515245u + 12345u;
        auto b = static_cast<BYTE>(m_noiseSeed >> 16);
        // Never a start byte: noise should garble the gaps, not swallow the frames after it.
        if (b != ModuleFrame::kStartByte)
            bytes.push_back(b);
    }
    Log("tx!", bytes, "noise");
    Write(bytes);
}

void SimLine::LogReceived(std::span<const BYTE> frame, bool valid)
{
    Log(valid ? "rx" : "rx!", frame, valid ? nullptr : "bad-frame");
}

void SimLine::LogNote(const std::string& text)
{
    if (m_log) {
        fprintf(m_log, "%.3f -- %s\n", Seconds(), text.c_str());
        fflush(m_log);
    }
}

void SimLine::Write(std::span<const BYTE> bytes)
{
    while (m_fd >= 0 && !bytes.empty()) {
        ssize_t n = write(m_fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // Nobody reads the other side: wait a little, then give the rest up rather than hang.
            pollfd p { m_fd, POLLOUT, 0 };
            if (poll(&p, 1, kWriteWaitMs) > 0)
                continue;
        }
        LogNote("write failed; " + std::to_string(bytes.size()) + " bytes lost");
        return;
    }
}

void SimLine::Log(const char* tag, std::span<const BYTE> bytes, const char* note)
{
    if (!m_log)
        return;
    if (note)
        fprintf(m_log, "%.3f %s %s %s\n", Seconds(), tag, note, HexBytes(bytes).c_str());
    else
        fprintf(m_log, "%.3f %s %s\n", Seconds(), tag, HexBytes(bytes).c_str());
    fflush(m_log);
}
