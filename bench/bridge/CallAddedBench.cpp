// From oFono's CallAdded signal on the bus until the bridge's ring frame can be read on its
// pseudo-terminal, beside a bare method round trip (Peer.Ping) to the bridge on the same bus.
// The bus is a private dbus-daemon; python-dbusmock's bluez5 and ofono templates stand for the
// daemons and publish a paired phone whose hands-free modem is online, and the benchmark itself
// sends the call signals on the modem's path, as ofonod would.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLimit = std::chrono::seconds(10);
constexpr const char* kDevice = "/org/bluez/hci0/dev_00_1A_7D_DA_71_01";
constexpr const char* kModem = "/hfp/org/bluez/hci0/dev_00_1A_7D_DA_71_01";
constexpr const char* kMockIface = "org.freedesktop.DBus.Mock";
constexpr uint8_t kRingFrame[] = { 0x77, 0x04, 0x01, 0x04 };
constexpr uint8_t kConnectedState[] = { 0x77, 0x04, 0x02, 0x01, 0x20 };

double Percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(p * double(samples.size())))];
}

double Micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

pid_t Spawn(const std::vector<std::string>& args, int out = -1)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out >= 0)
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The whole rig: bus, mock daemons, bridge; torn down in reverse.
struct Rig {
    pid_t busPid = -1, bluezPid = -1, ofonoPid = -1, bridgePid = -1;
    sd_bus* bus = nullptr;
    int pty = -1;
    std::string error;

    ~Rig()
    {
        if (pty >= 0)
            close(pty);
        if (bus)
            sd_bus_flush_close_unref(bus);
        for (pid_t pid : { bridgePid, ofonoPid, bluezPid, busPid }) {
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
    }

    bool Fail(const std::string& why)
    {
        error = why;
        return false;
    }

    static std::string ReadLine(int fd)
    {
        std::string line;
        char c;
        auto deadline = Clock::now() + kLimit;
        while (Clock::now() < deadline) {
            pollfd p { fd, POLLIN, 0 };
            if (poll(&p, 1, 100) <= 0)
                continue;
            if (read(fd, &c, 1) != 1 || c == '\n')
                break;
            line += c;
        }
        return line;
    }

    bool WaitName(const char* name)
    {
        auto deadline = Clock::now() + kLimit;
        while (Clock::now() < deadline) {
            sd_bus_error e = SD_BUS_ERROR_NULL;
            sd_bus_message* reply = nullptr;
            int has = 0;
            if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "NameHasOwner", &e, &reply, "s", name) >= 0)
                sd_bus_message_read(reply, "b", &has);
            sd_bus_message_unref(reply);
            sd_bus_error_free(&e);
            if (has)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool Call(const char* service, const char* path, const char* iface, const char* member, const char* types, ...)
    {
        sd_bus_message* m = nullptr;
        sd_bus_message* reply = nullptr;
        sd_bus_error e = SD_BUS_ERROR_NULL;
        va_list ap;
        va_start(ap, types);
        int r = sd_bus_message_new_method_call(bus, &m, service, path, iface, member);
        if (r >= 0 && types)
            r = sd_bus_message_appendv(m, types, ap);
        va_end(ap);
        if (r >= 0)
            r = sd_bus_call(bus, m, 0, &e, &reply);
        if (r < 0)
            error = std::string(member) + ": " + (e.message ? e.message : strerror(-r));
        sd_bus_message_unref(m);
        sd_bus_message_unref(reply);
        sd_bus_error_free(&e);
        return r >= 0;
    }

    // Reads the pty until these bytes have come.
    bool WaitBytes(const uint8_t* bytes, size_t size)
    {
        std::vector<uint8_t> seen;
        auto deadline = Clock::now() + kLimit;
        uint8_t buf[256];
        while (Clock::now() < deadline) {
            pollfd p { pty, POLLIN, 0 };
            if (poll(&p, 1, 100) <= 0)
                continue;
            ssize_t n = read(pty, buf, sizeof buf);
            if (n <= 0)
                return false;
            seen.insert(seen.end(), buf, buf + n);
            if (std::search(seen.begin(), seen.end(), bytes, bytes + size) != seen.end())
                return true;
        }
        return false;
    }

    bool Start(const std::string& appDir)
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return Fail("no pipe");
        busPid = Spawn({ "/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1" }, pipeFds[1]);
        std::string address = ReadLine(pipeFds[0]);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (busPid < 0 || address.empty())
            return Fail("no dbus-daemon");
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
        if (sd_bus_open_system(&bus) < 0)
            return Fail("cannot reach the private bus");
        bluezPid = Spawn({ "/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "bluez5" });
        ofonoPid = Spawn({ "/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "ofono", "--parameters",
            "{\"no_modem\": true}" });
        if (!WaitName("org.bluez") || !WaitName("org.ofono"))
            return Fail("python3-dbusmock's templates did not come up");
        if (!Call("org.bluez", "/", "org.bluez.Mock", "AddAdapter", "ss", "hci0", "car")
            || !Call("org.bluez", "/", "org.bluez.Mock", "AddDevice", "sss", "hci0", "00:1A:7D:DA:71:01", "Road phone")
            || !Call("org.bluez", "/", "org.bluez.Mock", "PairDevice", "ssi", "hci0", "00:1A:7D:DA:71:01", 5898764))
            return false;

        if (pipe(pipeFds) != 0)
            return Fail("no pipe");
        bridgePid = Spawn({ appDir + "/ostrilan-bluez" }, pipeFds[1]);
        std::string first = ReadLine(pipeFds[0]);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (first.rfind("pty ", 0) != 0)
            return Fail("ostrilan-bluez gave no pseudo-terminal (is the application folder built?)");
        pty = open(first.substr(4).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (pty < 0)
            return Fail("cannot open " + first.substr(4));
        // The phone links: its hands-free modem comes up as ofonod publishes it.
        if (!Call("org.ofono", "/", "org.freedesktop.DBus.Mock", "AddModem", "sa{sv}", kModem + 1, 0)
            || !Call("org.ofono", kModem, "org.ofono.Modem", "SetProperty", "sv", "Type", "s", "hfp"))
            return false;
        if (!WaitBytes(kConnectedState, sizeof kConnectedState))
            return Fail("the phone never linked");
        return true;
    }

    // The bridge takes oFono's signals only from ofonod's connection: the mock emits them, asked
    // without waiting for its answer.
    bool Signal(const char* member, const std::string& call, bool withProps)
    {
        sd_bus_message* m = nullptr;
        int r = sd_bus_message_new_method_call(bus, &m, "org.ofono", kModem, kMockIface, "EmitSignal");
        if (r >= 0)
            r = sd_bus_message_append(
                m, "sss", "org.ofono.VoiceCallManager", member, withProps ? "oa{sv}" : "o");
        if (r >= 0)
            r = sd_bus_message_open_container(m, 'a', "v");
        if (r >= 0)
            r = sd_bus_message_append(m, "v", "o", call.c_str());
        if (r >= 0 && withProps)
            r = sd_bus_message_append(
                m, "v", "a{sv}", 2, "State", "s", "incoming", "LineIdentification", "s", "5551234");
        if (r >= 0)
            r = sd_bus_message_close_container(m);
        if (r >= 0)
            r = sd_bus_message_set_expect_reply(m, 0);
        if (r >= 0)
            r = sd_bus_send(bus, m, nullptr);
        sd_bus_message_unref(m);
        return r >= 0;
    }

    // The bridge's unique name, for the baseline round trip.
    std::string BridgeName()
    {
        sd_bus_message* reply = nullptr;
        std::string found;
        if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "ListNames", nullptr, &reply, "")
            < 0)
            return found;
        char** names = nullptr;
        sd_bus_message_read_strv(reply, &names);
        sd_bus_message_unref(reply);
        for (char** n = names; n && *n; ++n) {
            if (found.empty() && **n == ':') {
                uint32_t pid = 0;
                sd_bus_message* r = nullptr;
                if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                        "GetConnectionUnixProcessID", nullptr, &r, "s", *n)
                        >= 0
                    && sd_bus_message_read(r, "u", &pid) >= 0 && pid_t(pid) == bridgePid)
                    found = *n;
                sd_bus_message_unref(r);
            }
            free(*n);
        }
        free(names);
        return found;
    }
};

void BM_CallAddedToRingFrame(benchmark::State& state)
{
    Rig rig;
    if (!rig.Start(OSTRILAN_BENCH_APP_DIR)) {
        state.SkipWithError(rig.error.c_str());
        return;
    }
    std::vector<double> ring;
    int n = 0;
    for (auto _ : state) {
        std::string call = std::string(kModem) + "/voicecall" + std::to_string(++n);
        auto sent = Clock::now();
        if (!rig.Signal("CallAdded", call, true) || sd_bus_flush(rig.bus) < 0
            || !rig.WaitBytes(kRingFrame, sizeof kRingFrame)) {
            state.SkipWithError("no ring frame");
            return;
        }
        auto rung = Clock::now();
        ring.push_back(Micros(rung - sent));
        state.SetIterationTime(std::chrono::duration<double>(rung - sent).count());
        // The caller gives up; the module is back to connected before the next call.
        if (!rig.Signal("CallRemoved", call, false) || !rig.WaitBytes(kConnectedState, sizeof kConnectedState)) {
            state.SkipWithError("the call did not end");
            return;
        }
    }

    std::string bridge = rig.BridgeName();
    std::vector<double> ping;
    for (size_t i = 0; !bridge.empty() && i < std::max<size_t>(ring.size(), 100); ++i) {
        auto sent = Clock::now();
        if (sd_bus_call_method(rig.bus, bridge.c_str(), "/", "org.freedesktop.DBus.Peer", "Ping", nullptr, nullptr, "")
            < 0)
            break;
        ping.push_back(Micros(Clock::now() - sent));
    }
    // What the mock adds to the ring: a round trip of one of its own methods.
    std::vector<double> mock;
    for (size_t i = 0; i < std::max<size_t>(ring.size(), 100); ++i) {
        auto sent = Clock::now();
        if (!rig.Call("org.ofono", kModem, kMockIface, "GetMethodCalls", "s", "Dial"))
            break;
        mock.push_back(Micros(Clock::now() - sent));
    }
    state.counters["median_us"] = Percentile(ring, 0.50);
    state.counters["p99_us"] = Percentile(ring, 0.99);
    state.counters["base_median_us"] = Percentile(ping, 0.50);
    state.counters["base_p99_us"] = Percentile(ping, 0.99);
    state.counters["mock_p99_us"] = Percentile(mock, 0.99);
    // The target: the ring's p99 under twice the round trip's plus a millisecond, beside what the
    // mock's emission costs.
    state.counters["x_target"]
        = Percentile(ring, 0.99) / (2 * Percentile(ping, 0.99) + Percentile(mock, 0.99) + 1000);
}
BENCHMARK(BM_CallAddedToRingFrame)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

}
