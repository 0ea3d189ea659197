#pragma once

// Paints every image of a skin description. Backgrounds come first: a button or gauge names the
// place where it sits on a background, and its frames are painted over a copy of that spot, so
// the corners around a rounded button match the screen behind it (the device copies frames
// without transparency).

#include "GlyphRenderer.h"
#include "Raster.h"
#include "SkinDescription.h"

#include <optional>
#include <string>
#include <vector>

struct PaintedImage {
    const ImageEntry* entry = nullptr;
    Raster pixels;
};

class SkinPainter {
public:
    SkinPainter(const SkinDescription& skin, GlyphRenderer& glyphs);

    bool PaintAll(std::string& error);
    const std::vector<PaintedImage>& Images() const { return m_images; }
    const PaintedImage* Find(const std::string& path) const;

    Rgba Colour(const Directive& where, const std::string& token);

private:
    enum class State { Normal, Pressed, Disabled };

    Paint PaintOf(const Directive& where, const std::string& token);
    bool Fail(const Directive& where, const std::string& message);
    const Directive* Property(const std::vector<Directive>& body, const std::vector<Directive>* style,
        const std::string& name, int frame) const;

    Raster Backdrop(const ImageEntry& image);
    void DrawLines(Raster& target, const std::vector<const Directive*>& lines, int depth = 0);
    void PaintButtonFrame(const ImageEntry& image, int frame, Raster& cell);
    void PaintStripFrame(const ImageEntry& image, int frame, Raster& cell);
    void DrawContent(Raster& cell, const std::vector<const Directive*>& lines, int frame, float dy,
        State state, Rgba ink, bool hasBody);
    void DrawIcon(Raster& cell, const std::string& name, float cx, float cy, float size, float rotate,
        Rgba colour, const Directive& where);
    void DrawLevels(Raster& cell, const Directive& d, int frame);
    void DrawBattery(Raster& cell, const Directive& d, int frame);

    const SkinDescription& m_skin;
    GlyphRenderer& m_glyphs;
    std::vector<PaintedImage> m_images;
    std::string m_error;
};
