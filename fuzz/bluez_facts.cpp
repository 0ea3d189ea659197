// What ostrilan-bluez reads from the bus: object paths, addresses, names, modem types, call states
// and caller numbers, any text at all, in any order, mixed with the system's commands. Each line
// is one fact ("d path|address|name|adapter|paired|gateway", "c path|state|number", "x 0E" ...).
// The module model checks every frame it sends against the link's codec and aborts on a bad one,
// so a fact that made it build a wrong frame is a crash here.
#include "HandsFreeMap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class NoBus : public PhoneBackend {
public:
    const HandsFreeMap* map = nullptr;
    std::vector<PairedPhone> PairedPhones() const override { return map->PairedPhones(); }
    void Connect(const BtAddress&) override { }
    void Disconnect() override { }
    void PairingWindow(bool) override { }
    void RemovePairing(const BtAddress&) override { }
    void Answer() override { }
    void Hangup() override { }
    void Dial(const std::string&) override { }
    void SendTone(char) override { }
    void TransferAudio(bool) override { }
    void SetSpeakerVolume(BYTE) override { }
    void SetMicGain(BYTE) override { }
    void BridgeAction(bridge::Action) override { }
};

std::vector<std::string> Fields(const std::string& text)
{
    std::vector<std::string> fields(6);
    size_t i = 0;
    for (char c : text) {
        if (c == '|' && i + 1 < fields.size())
            ++i;
        else
            fields[i] += c;
    }
    return fields;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SimLine line; // not attached: frames are built and checked, then dropped
    TimerQueue timers;
    NoBus bus;
    ModuleCore core(line, timers, bus, { {}, std::chrono::milliseconds(3000), std::chrono::milliseconds(240000) });
    HandsFreeMap map(core, "");
    bus.map = &map;
    core.namesWithList = true;
    core.reannounceLink = true;
    core.AdapterReady(false);

    std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string fact = text.substr(start, end - start);
        start = end + 1;
        if (fact.size() < 1)
            continue;
        char op = fact[0];
        auto f = Fields(fact.size() > 2 ? fact.substr(2) : std::string());
        switch (op) {
        case 'a':
            map.Adapter(f[0], f[1] == "1", f[2] == "1", f[3]);
            break;
        case 'd':
            map.Device(f[0], { f[1], f[2], f[3], f[4] == "1", !f[5].empty(), f[5] == "1" });
            break;
        case 'D':
            map.DeviceGone(f[0]);
            break;
        case 'm':
            map.Modem(f[0], { f[1], f[2] == "1" });
            break;
        case 'M':
            map.ModemGone(f[0]);
            break;
        case 'c':
            map.Call(f[0], f[1], f[2]);
            break;
        case 'C':
            map.CallGone(f[0]);
            break;
        case 'o':
            map.OfonoGone();
            break;
        case 'b':
            map.BluezGone();
            break;
        case 'l':
            map.BluezLoaded();
            break;
        case 'w':
            map.PairingWindow(f[0] == "1");
            break;
        case 'u':
            map.AudioCard(f[0] == "1");
            break;
        case 'x': {
            // A command from the system: the bytes after "x " are opcode and parameters.
            std::vector<BYTE> frame { 0x77, 0x01, static_cast<BYTE>(std::min<size_t>(fact.size() - 2, 255)) };
            for (size_t i = 2; i < fact.size() && frame.size() < 258; ++i)
                frame.push_back(static_cast<BYTE>(fact[i]));
            BYTE sum = 0;
            for (BYTE b : frame)
                sum ^= b;
            frame.push_back(sum);
            if (fact.size() > 2)
                core.HandleFrame(frame);
            timers.RunDue();
            break;
        }
        default:
            break;
        }
    }
    timers.RunDue();
    return 0;
}
