#pragma once
// Owner drawing and item deletion notices of the list controls.

#include <cstdint>

#include "platform/ui/Messages.h"

// Owner drawing: WM_DRAWITEM (reflected as CN_DRAWITEM) carries a pointer
// to this record in LParam; WM_DELETEITEM one to a TDeleteItemStruct.
constexpr uint32_t ODT_COMBOBOX = 3;
constexpr uint32_t ODT_LISTVIEW = 102;
constexpr uint32_t ODT_HEADER = 100;
constexpr uint32_t ODA_DRAWENTIRE = 1, ODA_SELECT = 2, ODA_FOCUS = 4;
constexpr uint32_t ODS_SELECTED = 0x0001, ODS_GRAYED = 0x0002, ODS_DISABLED = 0x0004, ODS_CHECKED = 0x0008,
                   ODS_FOCUS = 0x0010, ODS_DEFAULT = 0x0020, ODS_COMBOBOXEDIT = 0x1000, ODS_HOTLIGHT = 0x0040;

struct TDrawItemStruct {
    uint32_t CtlType = 0;
    uint32_t CtlID = 0;
    int32_t itemID = -1;
    uint32_t itemAction = ODA_DRAWENTIRE;
    uint32_t itemState = 0;
    HWND hwndItem = 0;
    HDC hDC = nullptr;
    TRect rcItem;
    uintptr_t itemData = 0;
};

struct TDeleteItemStruct {
    uint32_t CtlType = ODT_COMBOBOX;
    int32_t itemID = -1;
    HWND hwndItem = 0;
    uintptr_t itemData = 0;
};

enum TOwnerDrawStateItem : uint16_t {
    odSelected = 1 << 0,
    odGrayed = 1 << 1,
    odDisabled = 1 << 2,
    odChecked = 1 << 3,
    odFocused = 1 << 4,
    odDefault = 1 << 5,
    odHotLight = 1 << 6,
    odComboBoxEdit = 1 << 12
};
using TOwnerDrawState = uint16_t;
TOwnerDrawState OwnerDrawStateOf(uint32_t itemState);
