#include "Mockups.h"

#include <map>
#include <optional>

namespace {

// Captions and hint texts are drawn by the program in a bold face of this height.
constexpr float kCaptionSize = 13;
// A one-line caption ends this far above the button's bottom edge.
constexpr int kCaptionLift = 10;

Align AlignOf(const Directive& d, const std::string& key, Align fallback)
{
    auto value = d.Option(key);
    if (!value)
        return fallback;
    return *value == "start" ? Align::Start : *value == "end" ? Align::End : Align::Centre;
}

class Composer {
public:
    Composer(SkinPainter& painter, GlyphRenderer& glyphs)
        : m_painter(painter)
        , m_glyphs(glyphs)
    {
    }

    const Raster& Compose(const PaintedImage& background)
    {
        const std::string& path = background.entry->path;
        if (auto it = m_done.find(path); it != m_done.end())
            return it->second;
        Raster out = background.pixels;
        for (const PaintedImage& image : m_painter.Images())
            for (const Directive& d : image.entry->body)
                if (d.name == "place" && d.args.size() == 3 && d.args[0] == path)
                    PlaceStrip(out, image, d);
        for (const Directive& d : background.entry->body) {
            if (d.name == "text" && d.args.size() == 7)
                m_glyphs.DrawInBox(out, Face::Text, Utf8ToUtf32(d.args[4]), d.Arg(5),
                    { d.Arg(0), d.Arg(1), d.Arg(2) - d.Arg(0), d.Arg(3) - d.Arg(1) },
                    AlignOf(d, "align", Align::Centre), AlignOf(d, "valign", Align::Centre),
                    m_painter.Colour(d, d.args[6]));
            else if (d.name == "list" && d.args.size() == 5)
                DrawListStandIn(out, d);
            else if (d.name == "holes" && d.args.size() == 1)
                ShowHoles(out, d.args[0]);
            else if (d.name == "overlay" && d.args.size() == 3)
                Overlay(out, d);
        }
        return m_done[path] = std::move(out);
    }

private:
    void PlaceStrip(Raster& out, const PaintedImage& image, const Directive& place)
    {
        const ImageEntry& entry = *image.entry;
        int frame = std::min(int(place.Number("frame", 0)), entry.frames - 1);
        Raster cell = image.pixels.Crop(frame * entry.width, 0, entry.width, entry.height);
        int x = int(place.Arg(1)), y = int(place.Arg(2));
        out.Draw(cell, x, y);
        // One image may carry a different caption at each place (the history tabs).
        std::optional<std::string> caption = place.Option("caption");
        for (const Directive& d : entry.body)
            if (!caption && d.name == "caption" && !d.args.empty())
                caption = d.args[0];
        if (caption) {
            RectF box { float(x), float(y), float(entry.width), float(entry.height - kCaptionLift) };
            m_glyphs.DrawInBox(out, Face::Text, Utf8ToUtf32(*caption), kCaptionSize, box, Align::Centre,
                Align::End, { 1, 1, 1, 1 });
        }
    }

    // The program's list control: its empty-area colour and a few striped rows.
    void DrawListStandIn(Raster& out, const Directive& d)
    {
        RectF area { d.Arg(0), d.Arg(1), d.Arg(2), d.Arg(3) };
        float row = d.Arg(4);
        out.FillRoundRect(area, 0, Paint::Solid(Rgba::FromBytes(141, 174, 216)));
        for (int i = 0; i < 3; ++i) {
            Rgba stripe = i == 1 ? Rgba::FromBytes(134, 200, 255)
                : i % 2          ? Rgba::FromBytes(94, 140, 194)
                                 : Rgba::FromBytes(67, 112, 165);
            out.FillRoundRect(
                { area.x, area.y + i * row + 1, area.w - 20, row - 2 }, 0, Paint::Solid(stripe));
            m_glyphs.DrawInBox(out, Face::Text,
                Utf8ToUtf32(i == 0 ? "0017 2345 678"
                        : i == 1   ? "001A7DDA7113  Phone"
                                   : "030 1234567"),
                12, { area.x + 5, area.y + i * row + 1, area.w - 30, row - 2 }, Align::Start, Align::Centre,
                { 1, 1, 1, 1 });
        }
    }

    // The main view's title gauges and corner stay visible through every other screen.
    void ShowHoles(Raster& out, const std::string& mainPath)
    {
        const PaintedImage* main = m_painter.Find(mainPath);
        if (!main)
            return;
        const Raster& view = Compose(*main);
        out.Draw(view.Crop(85, 0, 395, 37), 85, 0);
        out.Draw(view.Crop(430, 237, 50, 35), 430, 237);
    }

    void Overlay(Raster& out, const Directive& d)
    {
        const PaintedImage* child = m_painter.Find(d.args[0]);
        if (!child)
            return;
        const Raster& picture = Compose(*child);
        int x = int(d.Arg(1)), y = int(d.Arg(2));
        // The child window's one-pixel border.
        RectF frame { float(x - 1), float(y - 1), float(picture.Width() + 2), float(picture.Height() + 2) };
        out.FillRoundRect(
            frame, 0, Paint::Solid(m_painter.Colour(d, d.Option("border").value_or("#000000"))));
        out.Draw(picture, x, y);
    }

    SkinPainter& m_painter;
    GlyphRenderer& m_glyphs;
    std::map<std::string, Raster> m_done;
};

}

std::vector<std::pair<std::string, Raster>> ComposeMockups(SkinPainter& painter, GlyphRenderer& glyphs)
{
    Composer composer(painter, glyphs);
    std::vector<std::pair<std::string, Raster>> out;
    for (const PaintedImage& image : painter.Images())
        if (image.entry->kind == ImageEntry::Kind::Background)
            out.push_back({ image.entry->path, composer.Compose(image) });
    return out;
}
