// Looking up a caller's name among 5,000 contacts, beside a plain hash-map lookup of the number
// as written; and reading a 5,000-card file, beside a bare pass over its lines.
#include "contacts/ContactBook.h"
#include "contacts/ContactIndex.h"
#include "contacts/VCardReader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr int kContacts = 5'000;

std::string Digits(int n, int width)
{
    std::string text = std::to_string(n);
    return std::string(size_t(std::max(0, width - int(text.size()))), '0') + text;
}

// A phone's export: a landline in international form and a mobile in national form per card,
// every tenth card written as 2.1 with a quoted-printable name.
std::string PhoneBookText()
{
    std::string text;
    for (int i = 0; i < kContacts; ++i) {
        std::string land = "+49 30 " + Digits(1'000'000 + i * 7, 7);
        std::string mobile = "0170 " + Digits(2'000'000 + i * 13, 7);
        if (i % 10 == 0) {
            text
                += "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;Anna "
                + std::to_string(i) + ";;;\r\nTEL;HOME:" + land + "\r\nTEL;CELL:" + mobile
                + "\r\nEND:VCARD\r\n";
        } else {
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + std::to_string(i)
                + " Schmidt\r\nN:Schmidt;Contact;;;\r\n"
                  "TEL;TYPE=HOME:"
                + land + "\r\nTEL;TYPE=CELL:" + mobile + "\r\nEND:VCARD\r\n";
        }
    }
    return text;
}

// Callers as the module reports them: known numbers in the other form, and unknown ones.
std::vector<std::string> Callers()
{
    std::vector<std::string> callers;
    for (int i = 0; i < 1'000; ++i) {
        int who = (i * 37) % kContacts;
        if (i % 4 == 0)
            callers.push_back("+49170" + Digits(2'000'000 + who * 13, 7));
        else if (i % 4 == 1)
            callers.push_back("030" + Digits(1'000'000 + who * 7, 7));
        else if (i % 4 == 2)
            callers.push_back("+4930" + Digits(1'000'000 + who * 7, 7));
        else
            callers.push_back("+4989" + Digits(3'000'000 + i, 7));
    }
    return callers;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_NameForAmong5000Contacts(benchmark::State& state)
{
    std::filesystem::path folder
        = std::filesystem::temp_directory_path() / ("ostrilan-bench-contacts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "phone.vcf") << PhoneBookText();
    ContactBook book(folder);
    if (!book.Start())
        state.SkipWithError("no inotify");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (book.ContactCount() < kContacts && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    const std::vector<std::string> callers = Callers();
    std::unordered_map<std::string, WString> plain;
    for (int i = 0; i < kContacts; ++i)
        plain.emplace("+4930" + Digits(1'000'000 + i * 7, 7), u"Contact " + WString(u"Schmidt"));

    std::chrono::steady_clock::duration ours {}, base {};
    size_t found = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        for (const std::string& caller : callers) {
            std::optional<WString> name = book.NameFor(caller);
            found += name.has_value();
            benchmark::DoNotOptimize(name);
        }
        auto t1 = std::chrono::steady_clock::now();
        for (const std::string& caller : callers) {
            auto it = plain.find(caller);
            std::optional<WString> name
                = it == plain.end() ? std::nullopt : std::optional<WString>(it->second);
            benchmark::DoNotOptimize(name);
        }
        base += std::chrono::steady_clock::now() - t1;
        ours += t1 - t0;
    }
    book.Stop();
    std::filesystem::remove_all(folder);
    double lookups = double(state.iterations() * callers.size());
    state.counters["ns_per_lookup"] = Seconds(ours) * 1e9 / lookups;
    state.counters["base_ns_per_lookup"] = Seconds(base) * 1e9 / lookups;
    state.counters["x_hashmap"] = Seconds(ours) / Seconds(base);
    state.counters["found_share"] = double(found) / lookups;
}
BENCHMARK(BM_NameForAmong5000Contacts)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Read5000CardFile(benchmark::State& state)
{
    const std::string text = PhoneBookText();
    std::chrono::steady_clock::duration ours {}, base {};
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        ContactIndex index;
        for (const Contact& contact : VCardReader::Parse(text))
            index.Add(contact);
        benchmark::DoNotOptimize(index);
        auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(std::count(text.begin(), text.end(), '\n'));
        base += std::chrono::steady_clock::now() - t1;
        ours += t1 - t0;
    }
    state.counters["read_ms"] = Seconds(ours) * 1e3 / double(state.iterations());
    state.counters["base_lines_ms"] = Seconds(base) * 1e3 / double(state.iterations());
    state.counters["x_lines"] = Seconds(ours) / Seconds(base);
    state.counters["file_kB"] = double(text.size()) / 1024.0;
}
BENCHMARK(BM_Read5000CardFile)->Unit(benchmark::kMillisecond)->UseRealTime();


// Kibibytes of a "<field>:   1234 kB" line of /proc/self/status.
double StatusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1));
    }
    return 0;
}

// A phone's 5,000-card book loaded once, with the directory the contacts screen reads (sorted by
// German rules): the resident size before and after, and what the book added.
void BM_Book5000Resident(benchmark::State& state)
{
    char pattern[] = "/tmp/ostrilan-bench-contacts-XXXXXX";
    if (!mkdtemp(pattern)) {
        state.SkipWithError("mkdtemp");
        return;
    }
    const std::filesystem::path folder = pattern;
    std::ofstream(folder / "phone.vcf", std::ios::binary) << PhoneBookText();
    for (auto _ : state) {
        const double start = StatusKiB("VmRSS");
        std::atomic<int> loads = 0;
        ContactBook book(folder, [&] { ++loads; }, "de_DE");
        if (!book.Start()) {
            state.SkipWithError("no watch");
            break;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (loads < 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (loads < 1) {
            state.SkipWithError("no load");
            break;
        }
        state.counters["contacts"] = double(book.Directory()->EntryCount());
        state.counters["rss_start_kB"] = start;
        state.counters["rss_loaded_kB"] = StatusKiB("VmRSS");
        state.counters["added_kB"] = StatusKiB("VmRSS") - start;
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_Book5000Resident)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The largest books the reader lets through: 8 MiB files of cards with 256-character names and
// 16 numbers of 31 digits, four of them, loaded and then reloaded once.
void BM_WorstBooksResident(benchmark::State& state)
{
    char pattern[] = "/tmp/ostrilan-bench-contacts-XXXXXX";
    if (!mkdtemp(pattern)) {
        state.SkipWithError("mkdtemp");
        return;
    }
    const std::filesystem::path folder = pattern;
    auto writeBook = [&](int i) {
        std::string text;
        for (long card = long(i) * 100'000; text.size() < (8u << 20) - 1024; ++card) {
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + std::string(246, 'N') + Digits(int(card), 10) + "\r\n";
            for (long n = 0; n < 16; ++n)
                text += "TEL:+" + std::string(21, '0') + Digits(int(card * 16 + n), 10) + "\r\n";
            text += "END:VCARD\r\n";
        }
        std::ofstream(folder / ("book" + std::to_string(i) + ".vcf"), std::ios::binary) << text;
    };
    for (int i = 0; i < 4; ++i)
        writeBook(i);
    for (auto _ : state) {
        // The peak counted from here (writing "5" resets VmHWM to the current resident size).
        std::ofstream("/proc/self/clear_refs") << "5";
        const double start = StatusKiB("VmRSS");
        std::atomic<int> loads = 0;
        ContactBook book(folder, [&] { ++loads; });
        if (!book.Start()) {
            state.SkipWithError("no watch");
            break;
        }
        auto waitForLoad = [&](int count) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (loads < count && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return loads >= count;
        };
        if (!waitForLoad(1)) {
            state.SkipWithError("no load");
            break;
        }
        writeBook(0);
        if (!waitForLoad(2)) {
            state.SkipWithError("no reload");
            break;
        }
        state.counters["contacts"] = double(book.ContactCount());
        state.counters["rss_start_kB"] = start;
        state.counters["rss_loaded_kB"] = StatusKiB("VmRSS");
        state.counters["hwm_kB"] = StatusKiB("VmHWM");
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_WorstBooksResident)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}

BENCHMARK_MAIN();
