#pragma once

// The properties the bridge reads from BlueZ's and oFono's dictionaries (a{sv}): texts and object
// paths, flags, unsigned numbers and string lists; values of any other type are skipped, so a
// daemon that adds properties of its own never upsets the reading. What is kept of one dictionary
// is bounded, whatever the message holds: kMaxEntries properties, kMaxListItems strings a list,
// texts cut at kMaxText bytes (object paths longer than that are dropped: cut, they would name
// another object).

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct sd_bus_message;

struct BusProps {
    static constexpr size_t kMaxEntries = 64;
    static constexpr size_t kMaxListItems = 64;
    static constexpr size_t kMaxText = 1024;

    std::map<std::string, std::string> text;
    std::map<std::string, bool> flags;
    std::map<std::string, unsigned> numbers; // y, q and u
    std::map<std::string, std::vector<std::string>> lists;
};

// a{sv}; a negative errno when the message is not shaped so.
int ReadProps(sd_bus_message* m, BusProps& out);
// One property as oFono's PropertyChanged sends it: s v.
int ReadOne(sd_bus_message* m, BusProps& out);
// A list of objects, "(oa{sv})" (oFono's) or "{oa{sa{sv}}}" (an object manager's): `each` gets an
// object's path with the message at the rest of its entry, and says whether to go on. False when
// the list broke off: a message not shaped so, or `each` said stop.
bool ReadObjects(
    sd_bus_message* m, std::string_view entry, const std::function<bool(const char* path)>& each);

// `text` cut to at most `bytes`, not inside a UTF-8 sequence.
std::string CutText(std::string_view text, size_t bytes);

template <class T>
void Take(const std::map<std::string, T>& from, const char* key, T& to)
{
    auto it = from.find(key);
    if (it != from.end())
        to = it->second;
}
