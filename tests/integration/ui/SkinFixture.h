#pragma once

// A headless window system on the sound fixture's clock and null output; pixels read back are
// compared with the skin's own image files or pictures of the pieces.

#include "platform/core/Text.h"
#include "platform/draw/DIBitmap.h"
#include "platform/draw/ImageCodec.h"
#include "platform/win/WindowSystem.h"
#include "support/AudioFixture.h"
#include "support/RecordingWindow.h"

#include <cstdlib>

class SkinFixture : public AudioFixture {
protected:
    explicit SkinFixture(int64_t startUtcMs = 1'700'000'000'000)
        : AudioFixture(startUtcMs)
    {
    }

    static std::unique_ptr<Bitmap> Strip(const std::string& name)
    {
        return LoadDIBitmap(testenv::AppDir() / "images" / name);
    }
    uint32_t ScreenPixel(int x, int y) { return m_system.Screen().Pixel(x, y) & 0xFFFFFF; }

    ::testing::AssertionResult ShowsFrame(const std::string& strip, int frame, const RECT& at)
    {
        std::unique_ptr<Bitmap> image = Strip(strip);
        if (!image)
            return ::testing::AssertionFailure() << "no " << strip;
        return Shows(at, image->Pixels(), frame * at.Width(), 0) << " in frame " << frame << " of " << strip;
    }

    // The area shows the image from column `from` on, each colour channel at most `slack` off.
    ::testing::AssertionResult Shows(const RECT& at, const Surface& image, int from, int slack)
    {
        for (int y = 0; y < at.Height(); ++y)
            for (int x = 0; x < at.Width(); ++x)
                for (int shift : { 0, 8, 16 })
                    if (std::abs(int((ScreenPixel(at.left + x, at.top + y) >> shift) & 0xFF)
                            - int((image.Pixel(from + x, y) >> shift) & 0xFF))
                        > slack)
                        return ::testing::AssertionFailure() << "a difference at " << x << "," << y;
        return ::testing::AssertionSuccess();
    }

    int PixelsNot(const RECT& rect, COLORREF color)
    {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                count += ScreenPixel(x, y) != Surface::FromColorRef(color);
        return count;
    }

    int Played(const std::string& name)
    {
        int count = 0;
        for (const NullAudioOutput::Event& e : Events())
            count += e.kind == NullAudioOutput::Event::Kind::Play && e.source.ends_with(name);
        return count;
    }

    void Tap(int x, int y)
    {
        m_system.InjectMouse(WM_LBUTTONDOWN, x, y);
        m_system.InjectMouse(WM_LBUTTONUP, x, y);
        m_system.Idle();
    }

    // The area looks as docs/ui/<name>, a channel at most 2 off. OSTRILAN_UI_SHOTS naming a folder
    // writes the area there first: run so on docs/ui when the look changes on purpose.
    ::testing::AssertionResult LooksLike(const RECT& rect, const std::string& name)
    {
        Surface part(rect.Width(), rect.Height());
        for (int y = 0; y < rect.Height(); ++y)
            for (int x = 0; x < rect.Width(); ++x)
                part.SetPixel(x, y, m_system.Screen().Pixel(rect.left + x, rect.top + y));
        if (const char* folder = std::getenv("OSTRILAN_UI_SHOTS"); folder && *folder)
            SavePng(part, std::filesystem::path(folder) / name);
        std::optional<Surface> picture = DecodeImageFile(testenv::SourceDir() / "docs/ui" / name);
        if (!picture || picture->Width() != rect.Width() || picture->Height() != rect.Height())
            return ::testing::AssertionFailure() << "no picture docs/ui/" << name << " of the area's size";
        return Shows(rect, *picture, 0, 2) << " from " << name;
    }

    WindowSystem m_system;
};
