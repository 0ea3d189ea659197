#pragma once

// What every full-screen skinned dialog shares: set-up in a fixed order (placed topmost over the
// whole panel and shown, list prepared, background loaded once, shaped with the title and corner
// holes, buttons set up), a paint that draws everything straight into the paint's context (clipped
// to what was invalidated; nothing reaches the glass before the round of painting ends), a touch
// sound for taps on the background, and the background released on destroy. Screens fill in the
// hooks.
//
// The status line belongs to the main frame, which sits above this layer: it hands its painter in
// with SetStatusPainter.

#include "platform/controls/Dialog.h"
#include "platform/draw/Image.h"

#include <functional>
#include <memory>

class SkinScreen : public Dialog {
public:
    using StatusPainter = std::function<void(HDC)>;

    explicit SkinScreen(UINT templateId = 0, Window* parent = nullptr);
    ~SkinScreen() override;

    void SetStatusPainter(StatusPainter painter) { m_statusPainter = std::move(painter); }
    void SetHintText(const WString& text) { m_strHint = text; }
    const WString& HintText() const { return m_strHint; }
    bool HasBackground() const { return m_pBackground != nullptr; }
    bool FirstPaintDone() const { return m_bFirstPaintDone; }

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Full path of the background image; empty for none.
    virtual WString BackgroundPath() const = 0;
    // Screens with a list place and prepare it here, before the background is drawn.
    virtual void PrepareList() { }
    virtual void SetupButtons() { }
    // The screen's own texts and frames, drawn over the background into the memory context.
    virtual void PaintContent(HDC dc) { }
    // Work that needs the screen on view once, such as filling a list.
    virtual void OnFirstPaint() { }
    // The incoming, outgoing and keypad screens have no hint line.
    virtual bool HasHintLine() const { return true; }

    std::shared_ptr<const Image> m_pBackground;
    bool m_bFirstPaintDone = false;
    WString m_strHint;

private:
    void Shape();
    void Paint();

    StatusPainter m_statusPainter;
};
