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

// A text's font: pixel height, average character width (0: the face's own), colour as "#rrggbb",
// bold or of normal weight.
struct TextFont {
    int height, width;
    std::string colour;
    bool bold;
};

// The kinds of value a row of the generated list of places points to.
enum class Field { Controls, Rect, Number, Font, Colour };

struct Screen {
    std::map<std::string, std::vector<Place>> controls;
    std::map<std::string, Place> rects;
    std::map<std::string, int> numbers;
    std::map<std::string, TextFont> fonts;
    std::map<std::string, std::string> colours;
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

// A palette name (followed through the palette) or #rrggbb, as "#rrggbb"; empty when neither.
std::string Hex(const SkinDescription& skin, std::string token)
{
    for (int hops = 0; hops < 4 && !token.empty() && token[0] != '#'; ++hops) {
        auto it = skin.colours.find(token);
        if (it == skin.colours.end())
            return {};
        token = it->second;
    }
    if (token.size() != 7 || token[0] != '#')
        return {};
    for (size_t i = 1; i < token.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(token[i])))
            return {};
        token[i] = char(std::tolower(static_cast<unsigned char>(token[i])));
    }
    return token;
}

std::string Rgb(const std::string& hex)
{
    return "RGB(0x" + hex.substr(1, 2) + ", 0x" + hex.substr(3, 2) + ", 0x" + hex.substr(5, 2) + ")";
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

// A font or colour line of a background's body or of the shared entry; false with a message.
bool TakeLook(const SkinDescription& skin, const Directive& d, Screen& screen, std::string& error)
{
    const std::string weight = d.Option("weight").value_or("bold");
    if (d.name == "font" && d.args.size() == 4 && (weight == "bold" || weight == "normal")) {
        TextFont font { int(d.Arg(1)), int(d.Arg(2)), Hex(skin, d.args[3]), weight == "bold" };
        if (font.height > 0 && font.width >= 0 && !font.colour.empty()) {
            screen.fonts[d.args[0]] = font;
            return true;
        }
    } else if (d.name == "colour" && d.args.size() == 2) {
        if (std::string hex = Hex(skin, d.args[1]); !hex.empty()) {
            screen.colours[d.args[0]] = hex;
            return true;
        }
    }
    error = d.where + ": " + d.name + " reads NAME HEIGHT WIDTH COLOUR [weight=normal] or NAME COLOUR";
    return false;
}

// Every screen's places, or empty with a message in error when two places would get one name.
std::optional<Screens> CollectPlaces(const SkinDescription& skin, std::string& error)
{
    Screens screens;
    for (const Directive& d : skin.shared) {
        Screen& shared = screens["shared"];
        if (d.name == "rect" && d.args.size() == 5) {
            int left = int(d.Arg(1)), top = int(d.Arg(2));
            shared.rects[d.args[0]] = { {}, left, top, int(d.Arg(3)) - left, int(d.Arg(4)) - top };
        } else if (d.name == "number" && d.args.size() == 2) {
            shared.numbers[d.args[0]] = int(d.Arg(1));
        } else if (!TakeLook(skin, d, shared, error)) {
            return std::nullopt;
        }
    }
    for (const ImageEntry& image : skin.images) {
        if (image.kind == ImageEntry::Kind::Background) {
            Screen& screen = screens[ScreenName(image.path)];
            for (const Directive& d : image.body) {
                if (d.name == "list" && d.args.size() >= 4) {
                    screen.rects["list"] = { {}, int(d.Arg(0)), int(d.Arg(1)), int(d.Arg(2)), int(d.Arg(3)) };
                    if (d.args.size() >= 5)
                        screen.numbers["list_row_height"] = int(d.Arg(4));
                } else if (d.name == "text" && d.args.size() >= 4 && d.Option("name")) {
                    // Texts give corners, not sizes.
                    int left = int(d.Arg(0)), top = int(d.Arg(1));
                    screen.rects[*d.Option("name")]
                        = { {}, left, top, int(d.Arg(2)) - left, int(d.Arg(3)) - top };
                } else if (d.name == "number" && d.args.size() == 2) {
                    screen.numbers[d.args[0]] = int(d.Arg(1));
                } else if (d.name == "area" && d.args.size() == 5) {
                    // A part of the screen that answers a touch or holds a window, drawn by nothing.
                    int left = int(d.Arg(1)), top = int(d.Arg(2));
                    screen.rects[d.args[0]] = { {}, left, top, int(d.Arg(3)) - left, int(d.Arg(4)) - top };
                } else if ((d.name == "font" || d.name == "colour") && !TakeLook(skin, d, screen, error)) {
                    return std::nullopt;
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
        const bool empty = screen.controls.empty() && screen.rects.empty() && screen.numbers.empty()
            && screen.fonts.empty() && screen.colours.empty();
        it = empty ? screens.erase(it) : std::next(it);
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
    std::ostringstream stored, names, fonts, colours, all;
    // A row of kAll: the screen, the name and one pointer (a control's with its count of places).
    auto row = [&all](const std::string& screen, const std::string& name, Field field, const std::string& pointer,
                   size_t count = 0) {
        all << "    { \"" << screen << "\", \"" << name << "\"";
        for (Field f : { Field::Controls, Field::Rect, Field::Number, Field::Font, Field::Colour }) {
            all << ", " << (f == field ? pointer : "nullptr");
            if (f == Field::Controls)
                all << ", " << count;
        }
        all << " },\n";
    };
    // Named, not a structured binding: the lambda below captures the screen's name.
    for (const auto& entry : *screens) {
        const std::string& screenName = entry.first;
        const Screen& screen = entry.second;
        const std::string ns = Identifier(screenName);
        // One kind of value: stored (its initializer written by `initializer`), named by a constant
        // reference in `to`, listed in kAll.
        auto values = [&](std::ostringstream& to, const std::string& prefix, const auto& map, const char* type,
                          Field field, auto initializer) {
            for (const auto& [name, value] : map) {
                const std::string slot = ns + "_" + prefix + Identifier(name);
                stored << "inline " << type << " " << slot;
                initializer(stored, value);
                stored << ";\n";
                to << "inline constexpr const " << (field == Field::Font ? "place::" : "") << type << "& "
                   << Identifier(name) << " = " << (&to == &names ? "" : "place::") << "stored::" << slot << ";\n";
                row(screenName, name, field, "&stored::" + slot);
            }
        };
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
            row(screenName, name, Field::Controls, std::string(places.size() == 1 ? "&" : "") + "stored::" + slot,
                places.size());
        }
        values(names, "", screen.rects, "RECT", Field::Rect,
            [](std::ostream& out, const Place& rect) { out << ' ' << Rect(rect); });
        values(names, "", screen.numbers, "int", Field::Number,
            [](std::ostream& out, int number) { out << " = " << number; });
        names << "}\n";
        if (!screen.fonts.empty()) {
            fonts << "\nnamespace " << ns << " {\n";
            values(fonts, "font_", screen.fonts, "TextFont", Field::Font,
                [](std::ostream& out, const TextFont& font) {
                    out << " { " << font.height << ", " << font.width << ", " << Rgb(font.colour) << ", "
                        << (font.bold ? "true" : "false") << " }";
                });
            fonts << "}\n";
        }
        if (!screen.colours.empty()) {
            colours << "\nnamespace " << ns << " {\n";
            values(colours, "colour_", screen.colours, "COLORREF", Field::Colour,
                [](std::ostream& out, const std::string& colour) { out << " = " << Rgb(colour); });
            colours << "}\n";
        }
    }

    std::ostringstream out;
    out << "#pragma once\n\n// Generated by skingen from assets/skin; do not edit.\n\n"
           "#include \"platform/core/Types.h\"\n\n#include <cstddef>\n\nnamespace skin::place {\n\n"
           "struct Control {\n    const char16_t* image;\n    RECT rect;\n};\n\n"
           "// A text's font: pixel height, average character width (0: the face's own), colour, weight.\n"
           "struct TextFont {\n    int height;\n    int width;\n    COLORREF color;\n    bool bold;\n};\n\n"
           "namespace stored {\n"
        << stored.str() << "}\n"
        << names.str()
        << "\n// Every place by screen and name, for a skin read at run time: a control (count places), a\n"
           "// text's or list's rectangle, a number, a text's font or a colour.\n"
           "struct Named {\n    const char* screen;\n    const char* name;\n    Control* controls;\n"
           "    size_t count;\n    RECT* rect;\n    int* number;\n    TextFont* font;\n    COLORREF* "
           "colour;\n};\n"
           "inline const Named kAll[] = {\n"
        << all.str() << "};\n\n}\n\nnamespace skin::font {\n"
        << fonts.str() << "\n}\n\nnamespace skin::colour {\n"
        << colours.str() << "\n}\n";
    return out.str();
}

std::string ComposeLayoutText(const SkinDescription& skin, std::string& error)
{
    std::optional<Screens> screens = CollectPlaces(skin, error);
    if (!screens)
        return {};
    std::ostringstream out;
    out << "# The places and looks of a skin, written by skingen: control SCREEN NAME IMAGE LEFT TOP RIGHT\n"
           "# BOTTOM (once per place, in placing order), rect SCREEN NAME LEFT TOP RIGHT BOTTOM, number "
           "SCREEN\n"
           "# NAME VALUE, font SCREEN NAME HEIGHT WIDTH #RRGGBB bold|normal, colour SCREEN NAME #RRGGBB.\n";
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
        for (const auto& [name, number] : screen.numbers)
            out << "number " << screenName << ' ' << name << ' ' << number << '\n';
        for (const auto& [name, font] : screen.fonts)
            out << "font " << screenName << ' ' << name << ' ' << font.height << ' ' << font.width << ' '
                << font.colour << (font.bold ? " bold" : " normal") << '\n';
        for (const auto& [name, colour] : screen.colours)
            out << "colour " << screenName << ' ' << name << ' ' << colour << '\n';
    }
    return out.str();
}
