#include "SkinPainter.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Lines that describe a button or say where an image goes; they draw nothing themselves.
const std::set<std::string> kNonDrawing { "place", "text", "caption", "style", "fill", "border", "ink",
    "radius", "shape", "icon", "badge", "label", "levels", "battery", "holes", "overlay", "list", "font", "colour",
    "area", "number" };

constexpr int kMaxGroupDepth = 8;

}

SkinPainter::SkinPainter(const SkinDescription& skin, GlyphRenderer& glyphs)
    : m_skin(skin)
    , m_glyphs(glyphs)
{
}

bool SkinPainter::Fail(const Directive& where, const std::string& message)
{
    if (m_error.empty())
        m_error = where.where + ": " + message;
    return false;
}

Rgba SkinPainter::Colour(const Directive& where, const std::string& token)
{
    // NAME or #hex, optionally followed by /PERCENT of opacity.
    std::string base = token;
    float opacity = 1;
    if (size_t slash = token.find('/'); slash != std::string::npos) {
        base = token.substr(0, slash);
        opacity = std::strtof(token.substr(slash + 1).c_str(), nullptr) / 100.f;
    }
    std::string hex = base;
    for (int hops = 0; hops < 4 && !hex.empty() && hex[0] != '#'; ++hops) {
        auto it = m_skin.colours.find(hex);
        if (it == m_skin.colours.end())
            break;
        hex = it->second;
    }
    auto colour = Rgba::FromHex(hex);
    if (!colour) {
        Fail(where, "unknown colour '" + token + "'");
        return { 1, 0, 1, 1 };
    }
    return colour->WithAlpha(colour->a * opacity);
}

Paint SkinPainter::PaintOf(const Directive& where, const std::string& token)
{
    size_t colon = token.find(':');
    if (colon == std::string::npos)
        return Paint::Solid(Colour(where, token));
    return { Colour(where, token.substr(0, colon)), Colour(where, token.substr(colon + 1)) };
}

const Directive* SkinPainter::Property(const std::vector<Directive>& body,
    const std::vector<Directive>* style, const std::string& name, int frame) const
{
    // A frame's own line beats a general one; the image's line beats its style's.
    for (int f : { frame, -1 }) {
        for (const auto* lines : { &body, style }) {
            if (!lines)
                continue;
            for (const Directive& d : *lines)
                if (d.name == name && d.frame == f)
                    return &d;
        }
    }
    return nullptr;
}

const PaintedImage* SkinPainter::Find(const std::string& path) const
{
    for (const PaintedImage& image : m_images)
        if (image.entry->path == path)
            return &image;
    return nullptr;
}

bool SkinPainter::PaintAll(std::string& error)
{
    m_images.clear();
    m_images.reserve(m_skin.images.size());
    for (bool backgrounds : { true, false }) {
        for (const ImageEntry& entry : m_skin.images) {
            if ((entry.kind == ImageEntry::Kind::Background) != backgrounds)
                continue;
            if (Find(entry.path)) {
                error = entry.where + ": '" + entry.path + "' is described twice";
                return false;
            }
            PaintedImage painted { &entry, Raster(entry.width * entry.frames, entry.height, { 0, 0, 0, 1 }) };
            Raster backdrop = Backdrop(entry);
            for (int f = 0; f < entry.frames; ++f) {
                Raster cell = backdrop;
                if (entry.kind == ImageEntry::Kind::Background)
                    DrawLines(cell, LinesForFrame(entry.body, f));
                else if (entry.kind == ImageEntry::Kind::Button)
                    PaintButtonFrame(entry, f, cell);
                else
                    PaintStripFrame(entry, f, cell);
                painted.pixels.Draw(cell, f * entry.width, 0);
            }
            m_images.push_back(std::move(painted));
            if (!m_error.empty()) {
                error = m_error;
                return false;
            }
        }
    }
    return true;
}

Raster SkinPainter::Backdrop(const ImageEntry& image)
{
    Raster cell(image.width, image.height, { 0, 0, 0, 1 });
    for (const Directive& d : image.body) {
        if (d.name != "place")
            continue;
        if (d.args.size() != 3) {
            Fail(d, "place needs a background and x y");
            break;
        }
        const PaintedImage* bg = Find(d.args[0]);
        if (!bg || bg->entry->kind != ImageEntry::Kind::Background) {
            Fail(d, "no background '" + d.args[0] + "' to place on");
            break;
        }
        // The first place is the one the frames are painted over.
        return bg->pixels.Crop(int(d.Arg(1)), int(d.Arg(2)), image.width, image.height);
    }
    return cell;
}

void SkinPainter::DrawLines(Raster& target, const std::vector<const Directive*>& lines, int depth)
{
    for (const Directive* line : lines) {
        const Directive& d = *line;
        if (d.name == "use") {
            auto it = d.args.empty() ? m_skin.groups.end() : m_skin.groups.find(d.args[0]);
            if (it == m_skin.groups.end() || depth > kMaxGroupDepth) {
                Fail(d, "unknown group");
                continue;
            }
            DrawLines(target, LinesForFrame(it->second, d.frame), depth + 1);
        } else if (d.name == "gradient" && d.args.size() == 1) {
            RectF all { 0, 0, float(target.Width()), float(target.Height()) };
            target.FillShape(
                all, [&](float x, float y) { return RoundRectDistance(x, y, all, 0); },
                PaintOf(d, d.args[0]));
        } else if (d.name == "rect" && d.args.size() == 5) {
            RectF r { d.Arg(0), d.Arg(1), d.Arg(2), d.Arg(3) };
            float radius = d.Number("radius", 0);
            target.FillRoundRect(r, radius, PaintOf(d, d.args[4]));
            if (auto border = d.Option("border"))
                target.StrokeRoundRect(r, radius, d.Number("width", 1), Colour(d, *border));
        } else if (d.name == "line" && d.args.size() == 5) {
            target.DrawLine(
                d.Arg(0), d.Arg(1), d.Arg(2), d.Arg(3), d.Number("width", 1), Colour(d, d.args[4]));
        } else if (d.name == "glyph" && d.args.size() == 5) {
            DrawIcon(target, d.args[0], d.Arg(1), d.Arg(2), d.Arg(3), d.Number("rotate", 0),
                Colour(d, d.args[4]), d);
        } else if (!kNonDrawing.count(d.name)) {
            Fail(d, "cannot read '" + d.name + "' with " + std::to_string(d.args.size()) + " arguments");
        }
    }
}

void SkinPainter::DrawIcon(Raster& cell, const std::string& name, float cx, float cy, float size,
    float rotate, Rgba colour, const Directive& where)
{
    if (name == "@backspace") {
        // The usual erase-left key: an arrow-headed tag with a cross in it, drawn as outlines.
        float w = size, h = size * 0.72f, t = std::max(1.6f, size * 0.09f);
        float l = cx - w / 2, r = cx + w / 2, top = cy - h / 2, bottom = cy + h / 2, neck = l + w * 0.32f;
        float pts[][2] = { { l, cy }, { neck, top }, { r, top }, { r, bottom }, { neck, bottom }, { l, cy } };
        for (int i = 0; i < 5; ++i)
            cell.DrawLine(pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1], t, colour);
        float xc = cx + w * 0.12f, arm = h * 0.2f;
        cell.DrawLine(xc - arm, cy - arm, xc + arm, cy + arm, t, colour);
        cell.DrawLine(xc - arm, cy + arm, xc + arm, cy - arm, t, colour);
        return;
    }
    char32_t code = m_glyphs.IconCode(name);
    if (code == 0) {
        Fail(where, "no icon named '" + name + "'");
        return;
    }
    m_glyphs.DrawCentred(cell, Face::Icon, std::u32string(1, code), size, cx, cy, colour, rotate);
}

void SkinPainter::PaintButtonFrame(const ImageEntry& image, int frame, Raster& cell)
{
    const std::vector<Directive>* style = nullptr;
    if (const Directive* s = Property(image.body, nullptr, "style", frame)) {
        auto it = s->args.empty() ? m_skin.styles.end() : m_skin.styles.find(s->args[0]);
        if (it == m_skin.styles.end()) {
            Fail(*s, "unknown style");
            return;
        }
        style = &it->second;
    }
    // Frames: 0 normal, 1 pressed or latched, 2 unused (kept as normal), 3 and later disabled.
    State state = frame == 1 ? State::Pressed : frame >= 3 ? State::Disabled : State::Normal;
    int look = state == State::Pressed ? 1 : state == State::Disabled ? 3 : 0;
    auto prop = [&](const std::string& name) { return Property(image.body, style, name, look); };
    auto own = [&](const std::string& name) {
        const Directive* d = prop(name);
        return d && d->frame == look;
    };

    Directive none;
    none.where = image.where;
    const Directive* fillLine = prop("fill");
    Paint body = fillLine && !fillLine->args.empty() ? PaintOf(*fillLine, fillLine->args[0])
                                                     : Paint::Solid(Rgba::FromBytes(60, 70, 90));
    const Directive* borderLine = prop("border");
    Rgba border = borderLine && !borderLine->args.empty() ? Colour(*borderLine, borderLine->args[0])
                                                          : body.top.Lighter(0.2f);
    const Directive* inkLine = prop("ink");
    Rgba ink = inkLine && !inkLine->args.empty() ? Colour(*inkLine, inkLine->args[0]) : Rgba { 1, 1, 1, 1 };
    if (state == State::Pressed && !own("fill")) {
        body = body.Lighter(0.18f);
        border = border.Lighter(0.25f);
    }
    if (state == State::Disabled) {
        if (!own("fill"))
            body = Paint::Solid(Colour(none, "disabled-fill"));
        if (!own("border"))
            border = Colour(none, "disabled-border");
        if (!own("ink"))
            ink = Colour(none, "disabled-ink");
    }

    const Directive* shapeLine = prop("shape");
    std::string shapeName = shapeLine && !shapeLine->args.empty() ? shapeLine->args[0] : "round";
    bool circle = shapeName == "circle";
    const Directive* radiusLine = prop("radius");
    float radius = radiusLine ? radiusLine->Arg(0) : 6;
    float w = float(image.width), h = float(image.height);
    RectF box { 1, 1, w - 2, h - 2.5f };
    if (circle) {
        float d = std::min(box.w, box.h);
        box = { (w - d) / 2, 1, d, d };
        radius = d / 2;
    } else if (shapeName == "tab") {
        // A tab stands on the panel below it: rounded on top, square where it meets the panel.
        box.h = h - 1 + radius;
    }
    auto shape = [box, radius](float x, float y) { return RoundRectDistance(x, y, box, radius); };

    // A soft drop below the body lifts it off the panel; pressed buttons sit lower, so less of it.
    float drop = state == State::Pressed ? 0.6f : 1.5f;
    RectF shadowBox { box.x, box.y + drop, box.w, box.h };
    cell.FillShape(
        shadowBox, [&](float x, float y) { return RoundRectDistance(x, y, shadowBox, radius); },
        Paint::Solid({ 0, 0, 0, 0.55f }));
    cell.FillShape(box, shape, body);
    if (state == State::Normal) {
        RectF gloss { box.x, box.y, box.w, box.h * 0.5f };
        cell.FillShape(gloss,
            [&](float x, float y) { return std::max(shape(x, y), y - (box.y + box.h * 0.5f)); },
            { { 1, 1, 1, 0.10f }, { 1, 1, 1, 0.0f } });
    } else if (state == State::Pressed) {
        // The inset look: a shadow falling from the top edge into the body.
        float band = std::max(4.f, box.h * 0.25f);
        RectF top { box.x, box.y, box.w, band };
        cell.FillShape(top, [&](float x, float y) { return std::max(shape(x, y), y - (box.y + band)); },
            { { 0, 0, 0, 0.45f }, { 0, 0, 0, 0.0f } });
    }
    cell.StrokeShape(
        box, [&](float x, float y) { return shape(x, y) + 0.5f; }, 1.f, border);

    DrawContent(
        cell, LinesForFrame(image.body, frame), frame, state == State::Pressed ? 1.f : 0.f, state, ink, true);
}

void SkinPainter::DrawContent(Raster& cell, const std::vector<const Directive*>& lines, int frame, float dy,
    State state, Rgba ink, bool hasBody)
{
    const Raster plain = cell;
    float w = float(cell.Width()), h = float(cell.Height());
    auto colourOf = [&](const Directive& d) {
        auto c = d.Option("colour");
        return state == State::Disabled || !c ? ink : Colour(d, *c);
    };
    float iconSize = std::min(w, h) * 0.55f;
    float iconX = w / 2, iconY = h / 2;
    for (const Directive* line : lines) {
        const Directive& d = *line;
        if (d.name == "icon" && !d.args.empty()) {
            iconSize = d.Number("size", iconSize);
            iconX = w / 2 + d.Number("dx", 0);
            iconY = h / 2 + d.Number("dy", 0) + dy;
            DrawIcon(cell, d.args[0], iconX, iconY, iconSize, d.Number("rotate", 0), colourOf(d), d);
        } else if (d.name == "badge" && !d.args.empty()) {
            float size = d.Number("size", iconSize * 0.5f);
            float bx = iconX + d.Number("dx", iconSize * 0.45f),
                  by = iconY + d.Number("dy", iconSize * 0.35f);
            // A ring of the body's colour keeps the badge apart from the icon under it.
            // The ring shows the frame as it was before any icon was drawn.
            auto ring = d.Option("ring");
            float radius = size * 0.72f;
            if (ring && *ring != "none") {
                cell.FillCircle(bx, by, radius, Paint::Solid(Colour(d, *ring)));
            } else if (!ring && hasBody) {
                for (int y = int(by - radius) - 1; y <= int(by + radius) + 1; ++y)
                    for (int x = int(bx - radius) - 1; x <= int(bx + radius) + 1; ++x)
                        if (x >= 0 && y >= 0 && x < plain.Width() && y < plain.Height())
                            cell.Blend(x, y, plain.At(x, y),
                                std::clamp(
                                    radius + 0.5f - std::hypot(x + 0.5f - bx, y + 0.5f - by), 0.f, 1.f));
            }
            DrawIcon(cell, d.args[0], bx, by, size, d.Number("rotate", 0), colourOf(d), d);
        } else if (d.name == "label" && !d.args.empty()) {
            float size = d.Number("size", h * 0.55f);
            m_glyphs.DrawCentred(cell, Face::Text, Utf8ToUtf32(d.args[0]), size, w / 2 + d.Number("dx", 0),
                h / 2 + d.Number("dy", 0) + dy, colourOf(d));
        } else if (d.name == "levels") {
            DrawLevels(cell, d, frame);
        } else if (d.name == "battery") {
            DrawBattery(cell, d, frame);
        } else {
            DrawLines(cell, { line });
        }
    }
}

void SkinPainter::PaintStripFrame(const ImageEntry& image, int frame, Raster& cell)
{
    DrawContent(cell, LinesForFrame(image.body, frame), frame, 0, State::Normal, { 1, 1, 1, 1 }, false);
}

void SkinPainter::DrawLevels(Raster& cell, const Directive& d, int frame)
{
    // levels COUNT ON OFF [top=COLOUR] [glyph=NAME glyphcolour=C]: COUNT rising bars, the first
    // `frame` of them lit, shading from ON to top= along the row.
    if (d.args.size() != 3) {
        Fail(d, "levels needs a count and the lit and unlit colours");
        return;
    }
    int count = int(d.Arg(0));
    Rgba on = Colour(d, d.args[1]), off = Colour(d, d.args[2]);
    Rgba top = d.Option("top") ? Colour(d, *d.Option("top")) : on;
    float w = float(cell.Width()), h = float(cell.Height());
    float x0 = 1;
    if (auto glyph = d.Option("glyph")) {
        float size = d.Number("glyphsize", h * 0.72f);
        Rgba gc = d.Option("glyphcolour") ? Colour(d, *d.Option("glyphcolour")) : on;
        DrawIcon(cell, *glyph, size * 0.5f + 1, h / 2, size, 0, gc, d);
        x0 = size + 3;
    }
    float span = w - x0 - 1;
    float bar = span / (count + (count - 1) * 0.5f);
    for (int i = 0; i < count; ++i) {
        float bh = (h - 4) * (0.35f + 0.65f * float(i) / float(std::max(1, count - 1)));
        RectF r { x0 + i * bar * 1.5f, h - 2 - bh, bar, bh };
        Rgba c = i < frame ? on.Mixed(top, float(i) / float(std::max(1, count - 1))) : off;
        cell.FillRoundRect(r, 1.0f, Paint::Solid(c));
    }
}

void SkinPainter::DrawBattery(Raster& cell, const Directive& d, int frame)
{
    // battery OUTLINE SEGMENT: a battery of three cells, `frame` of them filled.
    if (d.args.size() != 2) {
        Fail(d, "battery needs the outline and cell colours");
        return;
    }
    Rgba outline = Colour(d, d.args[0]), fill = Colour(d, d.args[1]);
    float w = float(cell.Width()), h = float(cell.Height());
    RectF body { 1, 1, w - 5, h - 2 };
    cell.StrokeRoundRect(body, 2.5f, 1.5f, outline);
    cell.FillRoundRect({ w - 4.5f, h * 0.32f, 3, h * 0.36f }, 1, Paint::Solid(outline));
    float inner = body.w - 6, cellW = (inner - 2 * 1.5f) / 3;
    if (d.Option("levels")) {
        // battery OUTLINE FILL levels=N: one bar filled to frame/N, readable where cells are too small.
        float count = std::max(1.f, d.Number("levels", 1));
        float filled = inner * std::clamp(float(frame) / count, 0.f, 1.f);
        if (filled > 0)
            cell.FillRoundRect({ body.x + 3, body.y + 3, filled, body.h - 6 }, 1, Paint::Solid(fill));
        return;
    }
    for (int i = 0; i < std::min(frame, 3); ++i)
        cell.FillRoundRect(
            { body.x + 3 + i * (cellW + 1.5f), body.y + 3, cellW, body.h - 6 }, 1, Paint::Solid(fill));
}
