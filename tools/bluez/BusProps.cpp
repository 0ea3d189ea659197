#include "BusProps.h"

#include <cstdint>
#include <cstdlib>
#include <systemd/sd-bus.h>

namespace {

int ReadVariant(sd_bus_message* m, const std::string& key, BusProps& out)
{
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, nullptr, &contents);
    if (r < 0 || !contents)
        return r < 0 ? r : -EINVAL;
    std::string type = contents;
    if ((r = sd_bus_message_enter_container(m, 'v', contents)) < 0)
        return r;
    if (type == "s" || type == "o") {
        const char* s = nullptr;
        r = sd_bus_message_read_basic(m, type[0], &s);
        if (r >= 0 && s)
            out.text[key] = s;
    } else if (type == "b") {
        int b = 0;
        r = sd_bus_message_read_basic(m, 'b', &b);
        out.flags[key] = b != 0;
    } else if (type == "y") {
        uint8_t y = 0;
        r = sd_bus_message_read_basic(m, 'y', &y);
        out.numbers[key] = y;
    } else if (type == "q") {
        uint16_t q = 0;
        r = sd_bus_message_read_basic(m, 'q', &q);
        out.numbers[key] = q;
    } else if (type == "u") {
        uint32_t u = 0;
        r = sd_bus_message_read_basic(m, 'u', &u);
        out.numbers[key] = u;
    } else if (type == "as") {
        char** strv = nullptr;
        r = sd_bus_message_read_strv(m, &strv);
        std::vector<std::string>& list = out.lists[key];
        for (char** s = strv; s && *s; ++s) {
            list.push_back(*s);
            free(*s);
        }
        free(strv);
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
