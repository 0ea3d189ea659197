#include "platform/win/PeerDatagram.h"

namespace {

constexpr size_t kMagicAt = 0;
constexpr size_t kPidAt = 4;
constexpr size_t kTargetAt = 8;
constexpr size_t kMessageAt = 16;
constexpr size_t kKindAt = 20;
constexpr size_t kWParamAt = 24;
constexpr size_t kLParamAt = 32;

template <typename T> void Put(std::array<uint8_t, PeerDatagram::kSize>& out, size_t at, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out[at + i] = uint8_t(uint64_t(value) >> (8 * i));
}

template <typename T> T Get(std::span<const uint8_t> in, size_t at)
{
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= uint64_t(in[at + i]) << (8 * i);
    return T(value);
}

}

std::array<uint8_t, PeerDatagram::kSize> PeerDatagram::Encode() const
{
    std::array<uint8_t, kSize> out {};
    Put(out, kMagicAt, kMagic);
    Put(out, kPidAt, senderPid);
    Put(out, kTargetAt, uint64_t(reinterpret_cast<uintptr_t>(target)));
    Put(out, kMessageAt, uint32_t(message));
    Put(out, kWParamAt, uint64_t(wParam));
    Put(out, kLParamAt, uint64_t(int64_t(lParam)));
    Put(out, kKindAt, kind);
    return out;
}

std::optional<PeerDatagram> PeerDatagram::Decode(std::span<const uint8_t> bytes)
{
    if (bytes.size() != kSize || Get<uint32_t>(bytes, kMagicAt) != kMagic)
        return std::nullopt;
    uint32_t kind = Get<uint32_t>(bytes, kKindAt);
    if (kind != kPost && (kind < uint32_t(RemoteCommand::Show) || kind > uint32_t(RemoteCommand::Focus)))
        return std::nullopt;
    PeerDatagram d;
    d.kind = kind;
    d.senderPid = Get<uint32_t>(bytes, kPidAt);
    d.target = reinterpret_cast<HWND>(uintptr_t(Get<uint64_t>(bytes, kTargetAt)));
    d.message = Get<uint32_t>(bytes, kMessageAt);
    d.wParam = WPARAM(Get<uint64_t>(bytes, kWParamAt));
    d.lParam = LPARAM(int64_t(Get<uint64_t>(bytes, kLParamAt)));
    return d;
}
