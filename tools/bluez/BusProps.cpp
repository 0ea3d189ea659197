#include "BusProps.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <systemd/sd-bus.h>

std::string CutText(std::string_view text, size_t bytes)
{
    if (text.size() <= bytes)
        return std::string(text);
    size_t end = bytes;
    // Back to the first byte of a sequence: continuation bytes are 10xxxxxx.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

namespace {

size_t Entries(const BusProps& out)
{
    return out.text.size() + out.flags.size() + out.numbers.size() + out.lists.size();
}

int ReadVariant(sd_bus_message* m, const std::string& key, BusProps& out)
{
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, nullptr, &contents);
    if (r < 0 || !contents)
        return r < 0 ? r : -EINVAL;
    std::string type = contents;
    // A property seen before is replaced; a new one beyond the bound is skipped.
    const bool room = Entries(out) < BusProps::kMaxEntries || out.text.count(key) || out.flags.count(key)
        || out.numbers.count(key) || out.lists.count(key);
    if ((r = sd_bus_message_enter_container(m, 'v', contents)) < 0)
        return r;
    if (room && (type == "s" || type == "o")) {
        const char* s = nullptr;
        r = sd_bus_message_read_basic(m, type[0], &s);
        if (r >= 0 && s && (type == "s" || strlen(s) <= BusProps::kMaxText))
            out.text[key] = CutText(s, BusProps::kMaxText);
    } else if (room && type == "b") {
        int b = 0;
        r = sd_bus_message_read_basic(m, 'b', &b);
        out.flags[key] = b != 0;
    } else if (room && type == "y") {
        uint8_t y = 0;
        r = sd_bus_message_read_basic(m, 'y', &y);
        out.numbers[key] = y;
    } else if (room && type == "q") {
        uint16_t q = 0;
        r = sd_bus_message_read_basic(m, 'q', &q);
        out.numbers[key] = q;
    } else if (room && type == "u") {
        uint32_t u = 0;
        r = sd_bus_message_read_basic(m, 'u', &u);
        out.numbers[key] = u;
    } else if (room && type == "as") {
        // One string at a time: the list is never held whole.
        std::vector<std::string>& list = out.lists[key];
        list.clear();
        if ((r = sd_bus_message_enter_container(m, 'a', "s")) < 0)
            return r;
        const char* s = nullptr;
        while ((r = sd_bus_message_read_basic(m, 's', &s)) > 0) {
            if (list.size() < BusProps::kMaxListItems)
                list.push_back(CutText(s, BusProps::kMaxText));
        }
        if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0)
            return r;
    } else {
        r = sd_bus_message_skip(m, contents);
    }
    if (r < 0)
        return r;
    return sd_bus_message_exit_container(m);
}

}

int ReadProps(sd_bus_message* m, BusProps& out)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    if (r < 0)
        return r;
    while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read(m, "s", &key)) < 0 || (r = ReadVariant(m, key, out)) < 0)
            return r;
        if ((r = sd_bus_message_exit_container(m)) < 0)
            return r;
    }
    if (r < 0)
        return r;
    return sd_bus_message_exit_container(m);
}

int ReadOne(sd_bus_message* m, BusProps& out)
{
    const char* key = nullptr;
    int r = sd_bus_message_read(m, "s", &key);
    return r < 0 ? r : ReadVariant(m, key, out);
}

bool ReadObjects(
    sd_bus_message* m, std::string_view entry, const std::function<bool(const char* path)>& each)
{
    // The entry's brackets give its container type: ( ) a struct, { } a dictionary entry.
    std::string inside(entry.substr(1, entry.size() - 2));
    char type = entry.front() == '(' ? SD_BUS_TYPE_STRUCT : SD_BUS_TYPE_DICT_ENTRY;
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, std::string(entry).c_str()) < 0)
        return false;
    while (sd_bus_message_enter_container(m, type, inside.c_str()) > 0) {
        const char* path = nullptr;
        if (sd_bus_message_read(m, "o", &path) < 0 || !each(path))
            return false;
        if (sd_bus_message_exit_container(m) < 0)
            return false;
    }
    return true;
}
