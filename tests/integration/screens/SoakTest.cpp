// Many calls of mixed kinds in a row, in virtual time: answered on the device (automatic answer),
// answered on the phone, missed, rejected on the device, and dialled from the dial string. The
// module's side is played on the terminal. Afterwards the three history files must be whole and
// hold exactly the newest calls of their kind, and neither memory nor windows may have grown.
// OSTRILAN_SOAK_CALLS sets the number of calls (100 by default; scripts/soak.sh runs 1,000).

#include "ScreenFixture.h"

#include "controller/PhoneMessages.h"
#include "platform/core/Text.h"
#include "store/CallLogStore.h"
#include "store/PrefStore.h"
#include "controller/ScreenContext.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <random>

namespace {

enum Kind { kAnsweredHere, kAnsweredOnPhone, kMissed, kRejected, kOutgoing, kKinds };

constexpr uint8_t kCallKey = 0x11;
constexpr uint8_t kRejectCall = 0x13;
constexpr uint8_t kDial = 0x15;
constexpr uint8_t kCallStatus = 0x10;
// The incoming call screen's End button, where the person taps it.
constexpr int kRejectX = 403;
constexpr int kRejectY = 106;
// Past the automatic answer (3 s) but not the ring for the phone's own answer or the missed call.
constexpr uint64_t kAutoAnswerMs = 3100;
// Enough for the unanswered-call second, the screens' closing waits and their end watch.
constexpr uint64_t kSettleMs = 5000;
// What memory may grow between the first tenth of the calls and the last: a leak of one call's
// records or screen (some kilobytes a call) crosses it within a few hundred calls.
constexpr int64_t kRssGrowthKb = 1024;

int SoakCalls()
{
    const char* setting = std::getenv("OSTRILAN_SOAK_CALLS");
    int calls = setting ? std::atoi(setting) : 0;
    return calls > 0 ? calls : 100;
}

int64_t ResidentKb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("VmRSS:"))
            return std::atoll(line.c_str() + 6);
    }
    return -1;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct Logged {
    std::string number;
    DWORD type;
    // Seconds of talk, 0 when nobody answered; the record may lose the last second to the 800 ms
    // call timer.
    DWORD talk;
};

}

class SoakTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        Frame().Context()->prefs.Record().autoAnswer = 1;
    }

    size_t WindowCount(HWND parent = nullptr) const
    {
        std::vector<HWND> windows = parent ? ws.Children(parent) : ws.TopLevelWindows();
        size_t count = windows.size();
        for (HWND window : windows)
            count += WindowCount(window);
        return count;
    }

    bool Sends(uint8_t opcode) { return std::ranges::count(SentOpcodes(0), opcode) > 0; }

    // What the main view's Redial does with a number before the outgoing call screen dials it.
    void DialOut(const std::string& number)
    {
        PhoneStatus& status = Frame().Context()->status;
        status.dialString.fill(0);
        std::ranges::copy(number, status.dialString.begin());
        CallRecord record;
        record.type = CallRecord::kOutgoing;
        GetLocalTime(&record.time);
        record.SetNumber(number);
        Frame().Context()->callLog.CurrentCall() = record;
        status.callType = CallRecord::kOutgoing;
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        Idle();
    }

    // Plays one call; a failure names the call.
    ::testing::AssertionResult Play(Kind kind, const std::string& number, uint64_t talkMs)
    {
        if (kind == kOutgoing) {
            DialOut(number);
            std::vector<ModuleFrame> sent = Sent(0);
            bool dialled = std::ranges::any_of(sent, [&](const ModuleFrame& frame) {
                auto body = frame.Field(ModuleFrame::kOffsetBody, size_t(frame.Length()) - 1);
                return frame.Opcode() == kDial && std::string(body.begin(), body.end()) == number;
            });
            if (!dialled)
                return ::testing::AssertionFailure() << "no Dial of " << number;
            Event(kCallStatus, { 0, 1, 0 });
            State(6);
            Advance(talkMs);
            State(4);
            Event(kCallStatus, { 0, 0, 0 });
        } else {
            State(5);
            Ring();
            CallerId(number);
            if (kind == kAnsweredHere) {
                Advance(kAutoAnswerMs);
                if (!Sends(kCallKey))
                    return ::testing::AssertionFailure() << "the automatic answer sent no CallKey";
            } else if (kind == kRejected) {
                Advance(500);
                Tap(kRejectX, kRejectY);
                if (!Sends(kRejectCall))
                    return ::testing::AssertionFailure() << "End sent no RejectCall";
            } else {
                Advance(kind == kAnsweredOnPhone ? 1000 : 1500);
            }
            if (kind == kAnsweredHere || kind == kAnsweredOnPhone) {
                State(6);
                Advance(talkMs);
            }
            State(4);
        }
        Advance(kSettleMs);
        if (Sends(kCallKey))
            return ::testing::AssertionFailure() << "a CallKey nobody asked for";
        if (Frame().ScreenWindow(kScreenIncoming) || Frame().ScreenWindow(kScreenOutgoing))
            return ::testing::AssertionFailure() << "the call's screen stayed open";
        return ::testing::AssertionSuccess();
    }

    // The file's container and its records: the newest calls of its kind, newest first, then
    // empty slots.
    void ExpectHistory(int list, DWORD magic, const std::vector<Logged>& calls)
    {
        const std::string file = ToUtf8(CallLogStore::FileName(list));
        SCOPED_TRACE(file);
        std::string bytes = testenv::ReadFile(DataPath(file));
        ASSERT_EQ(bytes.size(), 256u + CallLogStore::kSlots * sizeof(CallRecord));
        DWORD header[8];
        std::memcpy(header, bytes.data(), sizeof header);
        EXPECT_EQ(header[0], magic);
        EXPECT_EQ(header[1], 4096u);
        EXPECT_EQ(header[7], 256u);
        EXPECT_TRUE(std::all_of(bytes.begin() + 8, bytes.begin() + 28, [](char c) { return c == 0; }));

        std::vector<CallRecord> records = History(file);
        const size_t expected = std::min(calls.size(), size_t(CallLogStore::kSlots));
        ASSERT_EQ(records.size(), expected);
        for (size_t slot = 0; slot < expected; ++slot) {
            const Logged& call = calls[calls.size() - 1 - slot];
            const CallRecord& record = records[slot];
            EXPECT_EQ(record.type, call.type) << "slot " << slot;
            EXPECT_EQ(record.Number(), call.number) << "slot " << slot;
            // An unanswered call logs whatever elapsed time the last answered call left behind.
            if (call.talk > 0) {
                EXPECT_LE(record.duration, call.talk) << "slot " << slot;
                EXPECT_GE(record.duration + 1, call.talk) << "slot " << slot;
            }
        }
    }
};

TEST_F(SoakTest, MixedCallsKeepMemoryAndWindowsFlatAndTheHistoryWhole)
{
    const int calls = SoakCalls();
    const int checkpoint = std::max(calls / 10, 10);
    std::mt19937 random(2026);
    std::map<int, std::vector<Logged>> logged;
    int64_t rssAtCheckpoint = 0;
    size_t windowsAtCheckpoint = 0;

    for (int i = 1; i <= calls; ++i) {
        const Kind kind = Kind(random() % kKinds);
        const std::string number = "0170" + std::to_string(5'550'000 + i);
        const DWORD talk = kind == kAnsweredHere || kind == kAnsweredOnPhone || kind == kOutgoing ? 1 + random() % 90 : 0;
        ASSERT_TRUE(Play(kind, number, uint64_t(talk) * 1000)) << "call " << i << " of kind " << int(kind);
        // A frame the application never read stops the soak rather than timing out every call.
        ASSERT_FALSE(HasFatalFailure()) << "call " << i << " of kind " << int(kind);
        const int list = kind == kAnsweredHere ? CallLogStore::kIncomingList
            : kind == kOutgoing                ? CallLogStore::kOutgoingList
                                               : CallLogStore::kMissedList;
        logged[list].push_back({ number, DWORD(list), talk });
        if (i == checkpoint) {
            rssAtCheckpoint = ResidentKb();
            windowsAtCheckpoint = WindowCount();
        }
    }

    // scripts/soak.sh prints these.
    RecordProperty("rss_checkpoint_kB", std::to_string(rssAtCheckpoint));
    RecordProperty("rss_end_kB", std::to_string(ResidentKb()));
    EXPECT_EQ(WindowCount(), windowsAtCheckpoint);
    // The sanitizers keep freed memory in quarantine; their own leak check stands in for this one.
    if (!kSanitized) {
        EXPECT_LE(ResidentKb() - rssAtCheckpoint, kRssGrowthKb)
            << "resident memory at call " << checkpoint << ": " << rssAtCheckpoint << " kB";
    }
    ExpectHistory(CallLogStore::kIncomingList, CallLogStore::kIncomingMagic, logged[CallLogStore::kIncomingList]);
    ExpectHistory(CallLogStore::kOutgoingList, CallLogStore::kOutgoingMagic, logged[CallLogStore::kOutgoingList]);
    ExpectHistory(CallLogStore::kMissedList, CallLogStore::kMissedMagic, logged[CallLogStore::kMissedList]);
}
