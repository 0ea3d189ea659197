#pragma once

// Where the device's picture lies on a screen of another size: enlarged or reduced by one factor on
// both axes, as large as fits, centred, the rest black bars. Maps a tap on the screen back to the
// picture's pixels and a changed part of the picture to the screen pixels it touches.

#include "platform/core/Types.h"

class PictureFit {
public:
    // A tap in picture pixels; `onPicture` false for a tap on a bar (`at` then lies outside the
    // picture, so that a press that slides onto a bar ends outside what it pressed).
    struct Tap {
        POINT at;
        bool onPicture = false;
    };

    PictureFit(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight);

    // The one factor; the placement is rounded to whole pixels, so each axis's own factor (the
    // placement's size over the picture's) may differ from it in the fourth digit.
    double Factor() const { return m_factor; }
    double FactorX() const { return double(m_placement.Width()) / m_pictureWidth; }
    double FactorY() const { return double(m_placement.Height()) / m_pictureHeight; }
    int PictureWidth() const { return m_pictureWidth; }
    int PictureHeight() const { return m_pictureHeight; }
    // The picture's place on the output; empty when the output has no pixels.
    const RECT& Placement() const { return m_placement; }
    int OutputWidth() const { return m_outputWidth; }
    int OutputHeight() const { return m_outputHeight; }
    // True when the picture covers the output pixel for pixel.
    bool IsIdentity() const;

    Tap ToPicture(int outputX, int outputY) const;
    // The output pixels whose colour depends on the picture's pixels in `area`.
    RECT ToOutput(const RECT& area) const;

private:
    int m_pictureWidth;
    int m_pictureHeight;
    int m_outputWidth;
    int m_outputHeight;
    double m_factor = 0;
    RECT m_placement;
};
