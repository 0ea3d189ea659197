#pragma once

// What a control tells its owner when it wants an item drawn or measured (WM_DRAWITEM,
// WM_MEASUREITEM). The owner passes both back to the control (reflection), where the skinned
// controls do their drawing.

#include "platform/draw/DeviceContext.h"

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    RECT rcItem;
    uintptr_t itemData = 0;
};

struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    uintptr_t itemData = 0;
};

constexpr UINT BN_DOUBLECLICKED = 5;
