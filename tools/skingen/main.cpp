// skingen: paints the skin's images from its text description.
//
//   skingen --text-font FILE --icon-font FILE --icon-names FILE --out DIR
//           [--contact-sheet FILE.png] [--mockups DIR] [--places FILE] DESCRIPTION...
//   skingen --layout FILE.h [--places FILE] DESCRIPTION...
//
// Backgrounds (.pbg) are written as PNG, strips (.bti) as 24-bit bitmaps, each at its path
// below DIR; --places writes the control places as the text a skin folder carries (skin.layout).

#include "ContactSheet.h"
#include "GlyphRenderer.h"
#include "ImageFiles.h"
#include "LayoutHeader.h"
#include "Mockups.h"
#include "SkinDescription.h"
#include "SkinPainter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

int Usage()
{
    std::cerr << "usage: skingen --text-font FILE --icon-font FILE --icon-names FILE --out DIR "
                 "[--contact-sheet FILE] [--mockups DIR] [--places FILE] DESCRIPTION...\n"
                 "       skingen --layout FILE.h [--places FILE] DESCRIPTION...\n";
    return 2;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Rewritten only when it changes, so that a change of colours or icons recompiles nothing.
int WriteLayout(const SkinDescription& skin, const fs::path& file,
    std::string (*compose)(const SkinDescription&, std::string&))
{
    std::string error;
    std::string header = compose(skin, error);
    if (header.empty()) {
        std::cerr << "skingen: " << error << "\n";
        return 1;
    }
    std::ifstream old(file, std::ios::binary);
    std::stringstream current;
    current << old.rdbuf();
    if (old && current.str() == header)
        return 0;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << header;
    return out.flush() ? 0 : 1;
}

}

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options;
    std::vector<std::string> descriptions;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc)
                return Usage();
            options[arg.substr(2)] = argv[++i];
        } else {
            descriptions.push_back(arg);
        }
    }
    const bool layoutOnly = options.count("layout") > 0;
    for (const char* required : { "text-font", "icon-font", "icon-names", "out" })
        if (!layoutOnly && !options.count(required))
            return Usage();
    if (descriptions.empty())
        return Usage();

    SkinDescription skin;
    std::string error;
    for (const std::string& file : descriptions) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        if (!in || !skin.Parse(text.str(), fs::path(file).filename().string(), error)) {
            std::cerr << "skingen: " << (error.empty() ? "cannot read " + file : error) << "\n";
            return 1;
        }
    }
    if (options.count("places") && WriteLayout(skin, options["places"], ComposeLayoutText) != 0)
        return 1;
    if (layoutOnly)
        return WriteLayout(skin, options["layout"], ComposeLayoutHeader);

    GlyphRenderer glyphs;
    if (!glyphs.Open(options["text-font"], options["icon-font"], options["icon-names"])) {
        std::cerr << "skingen: cannot open the fonts or the icon names\n";
        return 1;
    }
    SkinPainter painter(skin, glyphs);
    if (!painter.PaintAll(error)) {
        std::cerr << "skingen: " << error << "\n";
        return 1;
    }

    fs::path out = options["out"];
    for (const PaintedImage& image : painter.Images()) {
        fs::path target = out / image.entry->path;
        fs::create_directories(target.parent_path());
        bool written = EndsWith(image.entry->path, ".bti") ? WriteBmp(image.pixels, target)
                                                           : WritePng(image.pixels, target);
        if (!written) {
            std::cerr << "skingen: cannot write " << target << "\n";
            return 1;
        }
    }
    if (options.count("contact-sheet")
        && !WritePng(ComposeContactSheet(painter.Images(), glyphs), options["contact-sheet"])) {
        std::cerr << "skingen: cannot write the contact sheet\n";
        return 1;
    }
    if (options.count("mockups")) {
        fs::path dir = options["mockups"];
        fs::create_directories(dir);
        for (const auto& [path, picture] : ComposeMockups(painter, glyphs)) {
            std::string name = fs::path(path).stem().string() + ".png";
            if (!WritePng(picture, dir / name)) {
                std::cerr << "skingen: cannot write mock-up " << name << "\n";
                return 1;
            }
        }
    }
    return 0;
}
