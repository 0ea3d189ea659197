#pragma once

// A headless window system on the virtual clock, the built application folder as the program's
// own (its images and sounds), and sound on the null output so a test sees what played. Pixels
// are read back from the screen and compared with the skin's own image files.

#include "platform/core/Text.h"
#include "platform/devices/AudioSystem.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/Paths.h"
#include "platform/draw/DIBitmap.h"
#include "platform/draw/ImageCodec.h"
#include "platform/win/WindowSystem.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

class SkinFixture : public ::testing::Test {
protected:
    explicit SkinFixture(int64_t startUtcMs = 1'700'000'000'000)
        : m_clock(startUtcMs)
    {
        OverrideModuleFolder(testenv::AppDir());
        AudioSystem::Install(&m_audio);
    }
    ~SkinFixture() override
    {
        AudioSystem::Install(nullptr);
        OverrideModuleFolder({});
    }

    static std::unique_ptr<Bitmap> Strip(const std::string& name)
    {
        return LoadDIBitmap(testenv::AppDir() / "images" / name);
    }

    uint32_t ScreenPixel(int x, int y) { return m_system.Screen().Pixel(x, y) & 0xFFFFFF; }

    // Whether the screen at (left, top) shows the strip's frame exactly.
    ::testing::AssertionResult ShowsFrame(const Bitmap& strip, int frame, int width, int height, int left, int top)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t want = strip.Pixels().Pixel(frame * width + x, y) & 0xFFFFFF;
                if (ScreenPixel(left + x, top + y) != want)
                    return ::testing::AssertionFailure()
                        << "frame " << frame << " differs at " << x << "," << y;
            }
        }
        return ::testing::AssertionSuccess();
    }

    // Screen pixels of the rectangle that differ from one colour.
    int PixelsNot(const RECT& rect, COLORREF color)
    {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                count += ScreenPixel(x, y) != Surface::FromColorRef(color);
        return count;
    }

    int Played(const std::string& tail)
    {
        int count = 0;
        for (const NullAudioOutput::Event& e : m_audio.NullOutput()->Events())
            count += e.kind == NullAudioOutput::Event::Kind::Play && e.source.size() >= tail.size()
                && e.source.compare(e.source.size() - tail.size(), tail.size(), tail) == 0;
        return count;
    }

    void Tap(int x, int y)
    {
        m_system.InjectMouse(WM_LBUTTONDOWN, x, y);
        m_system.InjectMouse(WM_LBUTTONUP, x, y);
        m_system.Idle();
    }

    // Pictures for people to look at, written only when OSTRILAN_UI_SHOTS names a folder. Pieces
    // shot under one name are laid side by side in one picture.
    void SaveShot(const RECT& rect, const std::string& name)
    {
        if (!std::getenv("OSTRILAN_UI_SHOTS"))
            return;
        Surface part(rect.Width(), rect.Height());
        for (int y = 0; y < rect.Height(); ++y)
            for (int x = 0; x < rect.Width(); ++x)
                part.SetPixel(x, y, m_system.Screen().Pixel(rect.left + x, rect.top + y));
        m_shots[name].push_back(std::move(part));
    }

    void TearDown() override
    {
        const char* folder = std::getenv("OSTRILAN_UI_SHOTS");
        if (!folder || !*folder)
            return;
        constexpr int kGap = 4;
        constexpr uint32_t kGapColor = 0xFFFFFF;
        for (const auto& [name, parts] : m_shots) {
            int width = 0, height = 0;
            for (const Surface& part : parts) {
                width += part.Width() + (width ? kGap : 0);
                height = std::max(height, part.Height());
            }
            Surface sheet(width, height, kGapColor);
            int left = 0;
            for (const Surface& part : parts) {
                for (int y = 0; y < part.Height(); ++y)
                    for (int x = 0; x < part.Width(); ++x)
                        sheet.SetPixel(left + x, y, part.Pixel(x, y));
                left += part.Width() + kGap;
            }
            SavePng(sheet, std::filesystem::path(folder) / name);
        }
    }

    testenv::ScopedVirtualClock m_clock;
    AudioSystem m_audio { AudioSystem::OutputChoice::Null };
    WindowSystem m_system;
    std::map<std::string, std::vector<Surface>> m_shots;
};
