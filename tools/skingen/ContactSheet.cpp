#include "ContactSheet.h"

#include <algorithm>
#include <map>

namespace {

constexpr int kSheetWidth = 1280;
constexpr int kMargin = 16;
constexpr int kGap = 18;
constexpr int kFrameGap = 4;
constexpr int kLabelHeight = 16;
constexpr int kSectionHeight = 26;
// Strips shorter than this are shown at twice their size.
constexpr int kEnlargeBelow = 24;
// Room the name under a tile needs per character.
constexpr int kLabelCharWidth = 7;

struct Tile {
    std::string name;
    Raster picture;
};

Raster Spread(const PaintedImage& image)
{
    const ImageEntry& entry = *image.entry;
    int scale = entry.height < kEnlargeBelow ? 2 : 1;
    int fw = entry.width * scale, fh = entry.height * scale;
    Raster out(entry.frames * fw + (entry.frames - 1) * kFrameGap, fh, { 0, 0, 0, 0 });
    for (int f = 0; f < entry.frames; ++f) {
        Raster frame = image.pixels.Crop(f * entry.width, 0, entry.width, entry.height);
        out.Draw(scale > 1 ? frame.Enlarged(scale) : frame, f * (fw + kFrameGap), 0);
    }
    return out;
}

std::string Folder(const std::string& path)
{
    size_t slash = path.find('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

}

Raster ComposeContactSheet(const std::vector<PaintedImage>& images, GlyphRenderer& glyphs)
{
    // Backgrounds first, then the shared strips, then each screen's folder.
    std::vector<std::pair<std::string, std::vector<Tile>>> sections;
    sections.push_back({ "Backgrounds (half size)", {} });
    sections.push_back({ "Shared strips", {} });
    std::map<std::string, size_t> sectionOf { { "", 1 } };
    std::vector<const PaintedImage*> ordered;
    for (const PaintedImage& image : images)
        ordered.push_back(&image);
    std::stable_sort(ordered.begin(), ordered.end(), [](const PaintedImage* a, const PaintedImage* b) {
        return Folder(a->entry->path) < Folder(b->entry->path);
    });
    for (const PaintedImage* item : ordered) {
        const PaintedImage& image = *item;
        const ImageEntry& entry = *image.entry;
        if (entry.kind == ImageEntry::Kind::Background) {
            sections[0].second.push_back(
                { entry.path, image.pixels.Resized(entry.width / 2, entry.height / 2) });
            continue;
        }
        std::string folder = Folder(entry.path);
        if (!sectionOf.count(folder)) {
            sectionOf[folder] = sections.size();
            sections.push_back({ "Strips in " + folder + "/", {} });
        }
        std::string name = entry.path + "  " + std::to_string(entry.width) + "x"
            + std::to_string(entry.height) + " x" + std::to_string(entry.frames);
        sections[sectionOf[folder]].second.push_back({ name, Spread(image) });
    }

    // Lay out once to learn the height, then paint.
    struct Placed {
        const Tile* tile;
        int x, y;
    };
    std::vector<Placed> placed;
    std::vector<std::pair<std::string, int>> headings;
    int y = kMargin;
    for (const auto& [title, tiles] : sections) {
        headings.push_back({ title, y });
        y += kSectionHeight;
        int x = kMargin, rowHeight = 0;
        for (const Tile& tile : tiles) {
            int w = std::max(tile.picture.Width(), int(tile.name.size()) * kLabelCharWidth),
                h = tile.picture.Height() + kLabelHeight;
            if (x + w > kSheetWidth - kMargin && x > kMargin) {
                x = kMargin;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            placed.push_back({ &tile, x, y });
            x += w + kGap;
            rowHeight = std::max(rowHeight, h);
        }
        y += rowHeight + kGap + 6;
    }

    Raster sheet(kSheetWidth, y + kMargin, Rgba::FromBytes(0x2b, 0x2f, 0x36));
    for (const auto& [title, top] : headings)
        glyphs.DrawInBox(sheet, Face::Text, Utf8ToUtf32(title), 17, { float(kMargin), float(top), 900, 22 },
            Align::Start, Align::Centre, Rgba::FromBytes(0xf0, 0xf2, 0xf5));
    for (const Placed& p : placed) {
        glyphs.DrawInBox(sheet, Face::Text, Utf8ToUtf32(p.tile->name), 11,
            { float(p.x), float(p.y), 600, float(kLabelHeight - 3) }, Align::Start, Align::End,
            Rgba::FromBytes(0xb8, 0xc0, 0xcc));
        sheet.Draw(p.tile->picture, p.x, p.y + kLabelHeight);
    }
    return sheet;
}
