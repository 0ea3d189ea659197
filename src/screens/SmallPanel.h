#pragma once

// A small window over the middle of a full screen (a second call's panel, the assistant): a child
// below the top bar and above the status line, with owner-drawn buttons and no hint line. Like
// the keypad, its background is only taken when it is made and drawn by its paints; it starts
// hidden and shows itself when it has something to say.

#include "ui/SkinPlaces.h"
#include "ui/SkinScreen.h"

#include <span>

class SmallPanel : public SkinScreen {
public:
    static constexpr const RECT& kPlace = skin::place::shared::small_panel;

    bool OnInitDialog() override;
    void OnOK() override { }
    void OnCancel() override { }

protected:
    explicit SmallPanel(UINT templateId)
        : SkinScreen(templateId)
    {
    }

    bool HasHintLine() const override { return false; }

    // The panel's template: a child window at kPlace with an owner-drawn button for each id.
    static void RegisterPanel(UINT templateId, std::span<const UINT> buttonIds);
};
