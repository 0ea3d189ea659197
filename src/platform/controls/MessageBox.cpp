#include "platform/controls/MessageBox.h"

#include "platform/controls/Button.h"
#include "platform/controls/SystemMetrics.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ScopedTextStyle.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowSystem.h"

#include <algorithm>

namespace {

constexpr int kWidth = 400;
constexpr int kCaptionHeight = 30;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 40;
constexpr int kMargin = 14;
constexpr int kLineHeight = 22;
constexpr COLORREF kFrame = RGB(200, 210, 225);
constexpr COLORREF kCaption = RGB(40, 70, 120);
constexpr COLORREF kBody = RGB(24, 32, 48);
constexpr COLORREF kText = RGB(255, 255, 255);

int CountLines(const WString& text) { return 1 + int(std::count(text.begin(), text.end(), u'\n')); }

class MessageBoxWindow : public Window {
public:
    MessageBoxWindow(WString text, WString caption)
        : m_text(std::move(text))
        , m_caption(std::move(caption))
    {
    }

    int result = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(&ps))
                Paint(dc);
            EndPaint(&ps);
            return 0;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED)
                result = LOWORD(wParam);
            return 0;
        case WM_CLOSE:
            return 0;
        default:
            return Window::WindowProc(message, wParam, lParam);
        }
    }

private:
    void Paint(HDC dc)
    {
        static const std::unique_ptr<Font> captionFont
            = CreateFont(16, 0, FW_BOLD, DEFAULT_CHARSET, FF_SWISS, u"Tahoma");
        static const std::unique_ptr<Font> textFont = CreateFont(16, 0, FW_NORMAL, DEFAULT_CHARSET, FF_SWISS, u"Tahoma");
        RECT client;
        GetClientRect(&client);
        dc->FillSolidRect(client, kFrame);
        dc->FillSolidRect({ 2, 2, client.right - 2, kCaptionHeight }, kCaption);
        dc->FillSolidRect({ 2, kCaptionHeight, client.right - 2, client.bottom - 2 }, kBody);
        ScopedTextStyle style(dc, captionFont.get(), kText);
        DrawText(dc, m_caption, { kMargin, 2, client.right - kMargin, kCaptionHeight }, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dc->SelectFont(textFont.get());
        RECT textRect { kMargin, kCaptionHeight + kMargin / 2, client.right - kMargin,
            client.bottom - kButtonHeight - kMargin - kMargin / 2 };
        DrawText(dc, m_text, textRect, DT_CENTER | DT_VCENTER);
    }

    WString m_text;
    WString m_caption;
};

WString Normalised(const WString& text)
{
    WString out;
    for (char16_t c : text) {
        if (c != u'\r')
            out += c;
    }
    return out;
}

}

int MessageBox(HWND owner, const WString& text, const WString& caption, UINT type)
{
    WindowSystem* system = WindowSystem::Current();
    if (!system)
        return IDCANCEL;
    Trace::Write("app", "messagebox " + ToUtf8(caption) + ": " + ToUtf8(Normalised(text)));

    WString body = Normalised(text);
    int height = kCaptionHeight + kMargin + CountLines(body) * kLineHeight + kMargin + kButtonHeight + kMargin;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    height = std::min(height, screenHeight - 8);
    int left = (screenWidth - kWidth) / 2;
    int top = (screenHeight - height) / 2;

    MessageBoxWindow box(body, caption);
    if (!box.Create(nullptr, RECT { left, top, left + kWidth, top + height }, WS_POPUP, 0, caption, WS_EX_TOPMOST))
        return IDCANCEL;
    std::vector<std::unique_ptr<Button>> buttons;
    std::vector<std::pair<int, const char16_t*>> choices;
    if ((type & 0xF) == MB_YESNO)
        choices = { { IDYES, u"Yes" }, { IDNO, u"No" } };
    else
        choices = { { IDOK, u"OK" } };
    int total = int(choices.size()) * kButtonWidth + (int(choices.size()) - 1) * kMargin;
    int x = (kWidth - total) / 2;
    for (auto [id, label] : choices) {
        auto button = std::make_unique<Button>();
        button->Create(&box, RECT { x, height - kMargin - kButtonHeight, x + kButtonWidth, height - kMargin },
            WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, UINT(id), label);
        buttons.push_back(std::move(button));
        x += kButtonWidth + kMargin;
    }

    // Input goes to the box alone: the owner's top-level window is disabled meanwhile.
    Window* ownerTop = nullptr;
    if (owner && system->IsWindow(owner)) {
        HWND top = owner;
        while (const WindowNode* node = system->Node(top)) {
            if (!node->parent || !node->parent->hwnd)
                break;
            top = node->parent->hwnd;
        }
        ownerTop = system->FromHandle(top);
    }
    bool reenable = ownerTop && ownerTop->IsWindowEnabled();
    if (reenable)
        ownerTop->EnableWindow(false);
    box.ShowWindow(SW_SHOW);
    system->RunModalLoop([&] { return box.result != 0 || !box.GetSafeHwnd(); });
    if (reenable && ownerTop->GetSafeHwnd())
        ownerTop->EnableWindow(true);
    int result = box.result ? box.result : IDCANCEL;
    Trace::Write("app", "messagebox answered " + std::to_string(result));
    return result;
}
