#include "ui/SkinPlacesFile.h"

#include "ui/SkinPlaces.h"

#include <charconv>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace skin {

namespace {

using place::Control;
using place::Named;
using place::TextFont;

// What one named place holds; the device's are taken before any skin changes them.
struct Value {
    std::vector<Control> controls;
    RECT rect {};
    int number = 0;
    TextFont font {};
    COLORREF colour = 0;
};

// The line word that gives a place of this kind.
std::string_view KindOf(const Named& named)
{
    return named.controls ? "control"
        : named.rect      ? "rect"
        : named.number    ? "number"
        : named.font      ? "font"
                          : "colour";
}

const std::vector<Value>& DeviceValues()
{
    static const std::vector<Value> values = [] {
        std::vector<Value> taken;
        for (const Named& named : place::kAll)
            taken.push_back({ std::vector<Control>(named.controls, named.controls + named.count),
                named.rect ? *named.rect : RECT {}, named.number ? *named.number : 0,
                named.font ? *named.font : TextFont {}, named.colour ? *named.colour : 0 });
        return taken;
    }();
    return values;
}

void Store(const std::vector<Value>& values)
{
    for (size_t i = 0; i < values.size(); ++i) {
        const Named& named = place::kAll[i];
        std::copy(values[i].controls.begin(), values[i].controls.end(), named.controls);
        if (named.rect)
            *named.rect = values[i].rect;
        if (named.number)
            *named.number = values[i].number;
        if (named.font)
            *named.font = values[i].font;
        if (named.colour)
            *named.colour = values[i].colour;
    }
}

// A text's font and its rectangle share a name: the kind of line tells them apart.
std::optional<size_t> Find(std::string_view kind, std::string_view screen, std::string_view name)
{
    using Key = std::tuple<std::string_view, std::string_view, std::string_view>;
    static const std::map<Key, size_t> index = [] {
        std::map<Key, size_t> made;
        for (size_t i = 0; i < std::size(place::kAll); ++i)
            made[{ KindOf(place::kAll[i]), place::kAll[i].screen, place::kAll[i].name }] = i;
        return made;
    }();
    auto found = index.find({ kind, screen, name });
    return found == index.end() ? std::nullopt : std::optional(found->second);
}

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos)
            break;
        size_t end = line.find_first_of(" \t\r", start);
        words.push_back(line.substr(start, end - start));
        at = end == std::string_view::npos ? line.size() : end;
    }
    return words;
}

std::optional<int> Coordinate(std::string_view word)
{
    int value = 0;
    auto [end, fault] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (fault != std::errc() || end != word.data() + word.size() || value < 0 || value > kMaxPanelSide)
        return std::nullopt;
    return value;
}

std::optional<RECT> Rectangle(const std::vector<std::string_view>& words, size_t first)
{
    std::optional<int> left = Coordinate(words[first]), top = Coordinate(words[first + 1]);
    std::optional<int> right = Coordinate(words[first + 2]), bottom = Coordinate(words[first + 3]);
    if (!left || !top || !right || !bottom || *left >= *right || *top >= *bottom)
        return std::nullopt;
    return RECT { *left, *top, *right, *bottom };
}

// A font's height from 1, its width from 0 (the face's own).
std::optional<int> FontSide(std::string_view word, int least)
{
    std::optional<int> value = Coordinate(word);
    return value && *value >= least && *value <= kMaxFontSide ? value : std::nullopt;
}

// "#rrggbb", nothing else.
std::optional<COLORREF> Colour(std::string_view word)
{
    unsigned value = 0;
    if (word.size() != 7 || word[0] != '#')
        return std::nullopt;
    auto [end, fault] = std::from_chars(word.data() + 1, word.data() + word.size(), value, 16);
    if (fault != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return RGB(BYTE(value >> 16), BYTE(value >> 8), BYTE(value));
}

// An image below the skin's images folder, as the screens name it (backslashes); nothing that
// could leave the folder.
std::optional<std::u16string> ImageName(std::string_view word)
{
    constexpr size_t kMaxImageName = 128;
    if (word.empty() || word.size() > kMaxImageName || word.front() == '/' || word.find("..") != word.npos)
        return std::nullopt;
    std::u16string name;
    for (char c : word) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-' || c == '.' || c == '/';
        if (!plain)
            return std::nullopt;
        name += c == '/' ? u'\\' : char16_t(c);
    }
    return name;
}

// The images of the skin taken last; the places point into them.
std::vector<std::u16string>& ImageNames()
{
    static std::vector<std::u16string> names;
    return names;
}

}

bool ApplyPlaces(std::string_view text, std::string& error)
{
    if (text.size() > kMaxLayoutBytes) {
        error = "larger than " + std::to_string(kMaxLayoutBytes) + " bytes";
        return false;
    }
    const std::vector<Value>& device = DeviceValues();
    std::vector<Value> values(device.size());
    std::vector<bool> given(device.size(), false);
    std::vector<std::u16string> images;
    // Indexes into `images`, resolved to pointers once the vector stops growing.
    std::vector<std::vector<size_t>> imageOf(device.size());

    size_t lineNumber = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string_view line
            = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? text.size() : end + 1;
        ++lineNumber;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].front() == '#')
            continue;
        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        };
        const std::string_view kind = words[0];
        const size_t expected = kind == "control" ? 8
            : kind == "rect"                      ? 7
            : kind == "number"                    ? 4
            : kind == "font"                      ? 7
            : kind == "colour"                    ? 4
                                                  : 0;
        if (expected == 0)
            return fail("unknown line '" + std::string(kind) + "'");
        if (words.size() != expected)
            return fail(std::string(kind) + " takes " + std::to_string(expected - 1) + " words");
        std::optional<size_t> slot = Find(kind, words[1], words[2]);
        if (!slot)
            return fail(
                "no " + std::string(kind) + " " + std::string(words[1]) + " " + std::string(words[2]));
        const Named& named = place::kAll[*slot];
        const std::string name(words[2]);
        Value& value = values[*slot];
        if (kind != "control" && given[*slot])
            return fail(name + " given twice");
        if (kind == "control") {
            if (value.controls.size() == named.count)
                return fail(name + " placed more than " + std::to_string(named.count) + " times");
            std::optional<std::u16string> image = ImageName(words[3]);
            if (!image)
                return fail("bad image name");
            std::optional<RECT> rect = Rectangle(words, 4);
            if (!rect)
                return fail("bad rectangle");
            imageOf[*slot].push_back(images.size());
            images.push_back(*image);
            value.controls.push_back({ nullptr, *rect });
        } else if (kind == "rect") {
            std::optional<RECT> rect = Rectangle(words, 3);
            if (!rect)
                return fail("bad rectangle");
            value.rect = *rect;
        } else if (kind == "number") {
            std::optional<int> number = Coordinate(words[3]);
            if (!number || *number == 0)
                return fail("bad number");
            value.number = *number;
        } else if (kind == "font") {
            std::optional<int> height = FontSide(words[3], 1), width = FontSide(words[4], 0);
            std::optional<COLORREF> colour = Colour(words[5]);
            if (!height || !width || !colour || (words[6] != "bold" && words[6] != "normal"))
                return fail("bad font");
            value.font = { *height, *width, *colour, words[6] == "bold" };
        } else {
            std::optional<COLORREF> colour = Colour(words[3]);
            if (!colour)
                return fail("bad colour");
            value.colour = *colour;
        }
        given[*slot] = true;
    }
    for (size_t i = 0; i < device.size(); ++i) {
        const Named& named = place::kAll[i];
        if (!given[i] || values[i].controls.size() != named.count) {
            error = "no " + std::string(KindOf(named)) + " for " + named.screen + " " + named.name
                + (given[i] ? " (placed " + std::to_string(values[i].controls.size()) + " of "
                            + std::to_string(named.count) + " times)"
                            : "");
            return false;
        }
    }

    // The window is made this large; the picture has no other origin.
    if (const RECT panel = values[*Find("rect", "shared", "full_screen")].rect;
        panel.left != 0 || panel.top != 0) {
        error = "the panel (shared full_screen) must start at 0 0";
        return false;
    }

    ImageNames() = std::move(images);
    for (size_t i = 0; i < values.size(); ++i)
        for (size_t k = 0; k < values[i].controls.size(); ++k)
            values[i].controls[k].image = ImageNames()[imageOf[i][k]].c_str();
    Store(values);
    return true;
}

void RestoreDevicePlaces()
{
    Store(DeviceValues());
}

}
