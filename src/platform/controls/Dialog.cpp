#include "platform/controls/Dialog.h"

#include "platform/controls/Button.h"
#include "platform/controls/ListView.h"
#include "platform/controls/Static.h"
#include "platform/win/WindowSystem.h"

Dialog::Dialog(UINT templateId, Window* parent)
    : m_templateId(templateId)
    , m_parent(parent)
{
}

Dialog::~Dialog()
{
    // The owned controls are children: destroy the window while they still exist.
    DestroyWindow();
}

void DDX_Control(DataExchange* dx, int id, Window& control) { dx->GetDialog().m_bound[UINT(id)] = &control; }

bool Dialog::Create(UINT templateId, Window* parent)
{
    const DialogTemplate* dialogTemplate = DialogTemplates::Find(templateId);
    if (!dialogTemplate || GetSafeHwnd())
        return false;
    m_templateId = templateId;
    m_parent = parent;
    bool child = (dialogTemplate->style & WS_CHILD) && parent;
    DWORD style = dialogTemplate->style & ~WS_VISIBLE;
    if (!Window::Create(child ? parent : nullptr, dialogTemplate->rect, style, 0, dialogTemplate->caption))
        return false;
    if (!CreateControls(*dialogTemplate)) {
        DestroyWindow();
        return false;
    }
    if (SendMessage(WM_INITDIALOG, 0, 0)) {
        // The device put the focus on the first control.
        if (Window* first = dialogTemplate->controls.empty() ? nullptr : GetDlgItem(int(dialogTemplate->controls[0].id)))
            first->SetFocus();
    }
    if (GetSafeHwnd() && (dialogTemplate->style & WS_VISIBLE))
        ShowWindow(SW_SHOW);
    return GetSafeHwnd() != nullptr;
}

bool Dialog::CreateControls(const DialogTemplate& dialogTemplate)
{
    m_bound.clear();
    DataExchange dx(*this);
    DoDataExchange(&dx);
    for (const ControlTemplate& control : dialogTemplate.controls) {
        Window* window = nullptr;
        auto bound = m_bound.find(control.id);
        if (bound != m_bound.end()) {
            window = bound->second;
        } else {
            std::unique_ptr<Window> owned;
            switch (control.kind) {
            case ControlClass::Button:
                owned = std::make_unique<Button>();
                break;
            case ControlClass::ListView:
                owned = std::make_unique<ListView>();
                break;
            case ControlClass::Static:
                owned = std::make_unique<Static>();
                break;
            }
            window = owned.get();
            m_ownedControls.push_back(std::move(owned));
        }
        if (!window->Create(this, control.rect, control.style | WS_CHILD, control.id, control.caption))
            return false;
    }
    return true;
}

int Dialog::DoModal()
{
    WindowSystem* system = WindowSystem::Current();
    if (!system || !Create(m_templateId, m_parent))
        return -1;
    m_modal = true;
    m_ended = false;
    // The owner takes no input while the dialog is up.
    Window* owner = m_parent;
    bool ownerWasEnabled = owner && owner->IsWindowEnabled();
    if (ownerWasEnabled)
        owner->EnableWindow(false);
    ShowWindow(SW_SHOW);
    system->RunModalLoop([this] { return m_ended || !GetSafeHwnd(); });
    if (ownerWasEnabled && owner->GetSafeHwnd())
        owner->EnableWindow(true);
    DestroyWindow();
    m_modal = false;
    return m_result;
}

void Dialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    // A modeless dialog only hides; its owner destroys it.
    if (!m_modal)
        ShowWindow(SW_HIDE);
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? 1 : 0;
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        UINT code = HIWORD(wParam);
        if (code == BN_CLICKED && id == UINT(IDOK)) {
            OnOK();
            return 0;
        }
        if (code == BN_CLICKED && id == UINT(IDCANCEL)) {
            OnCancel();
            return 0;
        }
        OnCommand(wParam, lParam);
        return 0;
    }
    case WM_CLOSE:
        OnCancel();
        return 0;
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}
