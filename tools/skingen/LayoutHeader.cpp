#include "LayoutHeader.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

namespace {

struct Place {
    std::string image;
    int x, y, width, height;
};

struct Screen {
    std::map<std::string, std::vector<Place>> controls;
    std::map<std::string, Place> rects;
    int listRowHeight = 0;
};

// "connect/bg_btconnect.pbg" -> "connect"; "bg_main.pbg" -> "main".
std::string ScreenName(const std::string& background)
{
    std::filesystem::path path(background);
    if (path.has_parent_path())
        return path.parent_path().filename().string();
    std::string stem = path.stem().string();
    return stem.rfind("bg_", 0) == 0 ? stem.substr(3) : stem;
}

std::string Identifier(std::string text)
{
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return text;
}

std::string DevicePath(const std::string& path)
{
    std::string out;
    for (char c : path)
        out += c == '/' ? std::string("\\\\") : std::string(1, c);
    return out;
}

std::string Rect(const Place& p)
{
    std::ostringstream out;
    out << "{ " << p.x << ", " << p.y << ", " << p.x + p.width << ", " << p.y + p.height << " }";
    return out.str();
}

}

namespace {

using Screens = std::map<std::string, Screen>;

// Every screen's places, or empty with a message in error when two places would get one name.
std::optional<Screens> CollectPlaces(const SkinDescription& skin, std::string& error)
{
    Screens screens;
    for (const ImageEntry& image : skin.images) {
        if (image.kind == ImageEntry::Kind::Background) {
            Screen& screen = screens[ScreenName(image.path)];
            for (const Directive& d : image.body) {
                if (d.name == "list" && d.args.size() >= 4) {
                    screen.rects["list"] = { {}, int(d.Arg(0)), int(d.Arg(1)), int(d.Arg(2)), int(d.Arg(3)) };
                    screen.listRowHeight = d.args.size() >= 5 ? int(d.Arg(4)) : 0;
                } else if (d.name == "text" && d.args.size() >= 4 && d.Option("name")) {
                    // Texts give corners, not sizes.
                    int left = int(d.Arg(0)), top = int(d.Arg(1));
                    screen.rects[*d.Option("name")]
                        = { {}, left, top, int(d.Arg(2)) - left, int(d.Arg(3)) - top };
                }
            }
            continue;
        }
        std::string name = Identifier(std::filesystem::path(image.path).stem().string());
        for (const Directive& d : image.body) {
            if (d.name != "place" || d.args.size() < 3)
                continue;
            Place place { image.path, int(d.Arg(1)), int(d.Arg(2)), image.width, image.height };
            screens[ScreenName(d.args[0])].controls[name].push_back(place);
        }
    }
    for (auto it = screens.begin(); it != screens.end();) {
        const auto& [screenName, screen] = *it;
        for (const auto& [name, places] : screen.controls)
            if (screen.rects.count(name)) {
                error = screenName + ": '" + name + "' names a control and a text";
                return std::nullopt;
            }
        it = screen.controls.empty() && screen.rects.empty() ? screens.erase(it) : std::next(it);
    }
    return screens;
}

}

std::string ComposeLayoutHeader(const SkinDescription& skin, std::string& error)
{
    std::optional<Screens> screens = CollectPlaces(skin, error);
    if (!screens)
        return {};

    // The values live in `stored`, which only the loader of a skin writes through `kAll`; the
    // screens see them through constant references, so a place read in a constant expression
    // fails to compile instead of keeping the device's value under another skin.
    std::ostringstream stored, names, all;
    for (const auto& [screenName, screen] : *screens) {
        const std::string ns = Identifier(screenName);
        names << "\nnamespace " << ns << " {\n";
        for (const auto& [name, places] : screen.controls) {
            const std::string slot = ns + "_" + name;
            if (places.size() == 1) {
                stored << "inline Control " << slot << " { u\"" << DevicePath(places[0].image) << "\", "
                       << Rect(places[0]) << " };\n";
                names << "inline constexpr const Control& " << name << " = stored::" << slot << ";\n";
            } else {
                stored << "inline Control " << slot << "[] = {\n";
                for (const Place& p : places)
                    stored << "    { u\"" << DevicePath(p.image) << "\", " << Rect(p) << " },\n";
                stored << "};\n";
                names << "inline constexpr const Control (&" << name << ")[" << places.size()
                      << "] = stored::" << slot << ";\n";
            }
            all << "    { \"" << screenName << "\", \"" << name << "\", " << (places.size() == 1 ? "&" : "")
                << "stored::" << slot << ", " << places.size() << ", nullptr, nullptr },\n";
        }
        for (const auto& [name, rect] : screen.rects) {
            const std::string slot = ns + "_" + Identifier(name);
            stored << "inline RECT " << slot << " " << Rect(rect) << ";\n";
            names << "inline constexpr const RECT& " << Identifier(name) << " = stored::" << slot << ";\n";
            all << "    { \"" << screenName << "\", \"" << name << "\", nullptr, 0, &stored::" << slot
                << ", nullptr },\n";
        }
        if (screen.listRowHeight) {
            const std::string slot = ns + "_list_row_height";
            stored << "inline int " << slot << " = " << screen.listRowHeight << ";\n";
            names << "inline constexpr const int& list_row_height = stored::" << slot << ";\n";
            all << "    { \"" << screenName << "\", \"list_row_height\", nullptr, 0, nullptr, &stored::" << slot
                << " },\n";
        }
        names << "}\n";
    }

    std::ostringstream out;
    out << "#pragma once\n\n// Generated by skingen from assets/skin; do not edit.\n\n"
           "#include \"platform/core/Types.h\"\n\n#include <cstddef>\n\nnamespace skin::place {\n\n"
           "struct Control {\n    const char16_t* image;\n    RECT rect;\n};\n\n"
           "namespace stored {\n"
        << stored.str() << "}\n" << names.str()
        << "\n// Every place by screen and name, for a skin read at run time: a control (count places), a\n"
           "// text's or list's rectangle, or the list's row height.\n"
           "struct Named {\n    const char* screen;\n    const char* name;\n    Control* controls;\n"
           "    size_t count;\n    RECT* rect;\n    int* number;\n};\n"
           "inline const Named kAll[] = {\n"
        << all.str() << "};\n\n}\n";
    return out.str();
}

std::string ComposeLayoutText(const SkinDescription& skin, std::string& error)
{
    std::optional<Screens> screens = CollectPlaces(skin, error);
    if (!screens)
        return {};
    std::ostringstream out;
    out << "# The control places of a skin, written by skingen: control SCREEN NAME IMAGE LEFT TOP RIGHT BOTTOM\n"
           "# (once per place, in placing order), rect SCREEN NAME LEFT TOP RIGHT BOTTOM, number SCREEN NAME VALUE.\n";
    auto corners = [](const Place& p) {
        std::ostringstream text;
        text << p.x << ' ' << p.y << ' ' << p.x + p.width << ' ' << p.y + p.height;
        return text.str();
    };
    for (const auto& [screenName, screen] : *screens) {
        for (const auto& [name, places] : screen.controls)
            for (const Place& p : places)
                out << "control " << screenName << ' ' << name << ' ' << p.image << ' ' << corners(p) << '\n';
        for (const auto& [name, rect] : screen.rects)
            out << "rect " << screenName << ' ' << name << ' ' << corners(rect) << '\n';
        if (screen.listRowHeight)
            out << "number " << screenName << " list_row_height " << screen.listRowHeight << '\n';
    }
    return out.str();
}
