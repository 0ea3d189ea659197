#pragma once

// A dialog made from a template: its controls are created with it, those bound to members of the
// dialog class (DDX_Control in DoDataExchange) as those members, the others owned by the dialog.
// OnInitDialog runs once they exist. The OK (1) and Cancel (2) controls reach OnOK and OnCancel.
// A dialog is modeless (Create) or modal (DoModal, which runs a nested loop until EndDialog).

#include "platform/controls/DialogTemplate.h"
#include "platform/win/Window.h"

#include <map>
#include <memory>
#include <vector>

class Dialog;

class DataExchange {
public:
    explicit DataExchange(Dialog& dialog)
        : m_dialog(dialog)
    {
    }
    Dialog& GetDialog() { return m_dialog; }

private:
    Dialog& m_dialog;
};

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId = 0, Window* parent = nullptr);
    ~Dialog() override;

    // Modeless: a child of the parent when the template says WS_CHILD, else a top-level window.
    bool Create(UINT templateId, Window* parent);
    int DoModal();
    void EndDialog(int result);

    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Commands other than OK and Cancel; true when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam) { return false; }
    virtual void DoDataExchange(DataExchange* dx) { }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT TemplateId() const { return m_templateId; }

private:
    friend void DDX_Control(DataExchange* dx, int id, Window& control);
    bool CreateControls(const DialogTemplate& dialogTemplate);

    UINT m_templateId = 0;
    Window* m_parent = nullptr;
    std::map<UINT, Window*> m_bound;
    std::vector<std::unique_ptr<Window>> m_ownedControls;
    bool m_modal = false;
    bool m_ended = false;
    int m_result = 0;
};

// Binds the template's control with this id to a member of the dialog class.
void DDX_Control(DataExchange* dx, int id, Window& control);
