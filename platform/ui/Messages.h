#pragma once
// Window messages: numeric ids, the message record and the packing helpers.
// Window ids (HWND) are small integers handed out by the window system; a
// device context (HDC) is a pointer to the canvas the receiver draws on.

#include <cstdint>

#include "platform/gfx/Geometry.h"

class TCanvas;

using HWND = uint32_t;
using HDC = TCanvas*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct TMessage {
    uint32_t Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// ---- Window messages ------------------------------------------------------
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_SETTEXT = 0x000C;
constexpr uint32_t WM_GETTEXT = 0x000D;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_MOUSEACTIVATE = 0x0021;
constexpr uint32_t WM_DRAWITEM = 0x002B;
constexpr uint32_t WM_DELETEITEM = 0x002D;
constexpr uint32_t WM_SETFONT = 0x0030;
constexpr uint32_t WM_WINDOWPOSCHANGING = 0x0046;
constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr uint32_t WM_NOTIFY = 0x004E;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_NCCALCSIZE = 0x0083;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_NCPAINT = 0x0085;
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_HSCROLL = 0x0114;
constexpr uint32_t WM_VSCROLL = 0x0115;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_PARENTNOTIFY = 0x0210;
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
constexpr uint32_t WM_CUT = 0x0300;
constexpr uint32_t WM_COPY = 0x0301;
constexpr uint32_t WM_PASTE = 0x0302;
constexpr uint32_t WM_CLEAR = 0x0303;
constexpr uint32_t WM_UNDO = 0x0304;
constexpr uint32_t WM_PRINTCLIENT = 0x0318;
constexpr uint32_t WM_THEMECHANGED = 0x031A;
constexpr uint32_t WM_USER = 0x0400;

// ---- Control messages (between the class-library objects) -----------------
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr uint32_t CM_DIALOGCHAR = CM_BASE + 6;
constexpr uint32_t CM_FOCUSCHANGED = CM_BASE + 7;
constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr uint32_t CM_HITTEST = CM_BASE + 10;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr uint32_t CM_BUTTONPRESSED = CM_BASE + 24;
constexpr uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr uint32_t CM_ENTER = CM_BASE + 26;
constexpr uint32_t CM_EXIT = CM_BASE + 27;
constexpr uint32_t CM_DESIGNHITTEST = CM_BASE + 28;
constexpr uint32_t CM_WANTSPECIALKEY = CM_BASE + 34;
constexpr uint32_t CM_RELEASE = CM_BASE + 33;
constexpr uint32_t CM_SHOWHINTCHANGED = CM_BASE + 35;
constexpr uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 36;
constexpr uint32_t CM_SYSCOLORCHANGE = CM_BASE + 37;
constexpr uint32_t CM_TABSTOPCHANGED = CM_BASE + 41;
constexpr uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr uint32_t CM_CHILDKEY = CM_BASE + 46;
constexpr uint32_t CM_HINTSHOW = CM_BASE + 48;
constexpr uint32_t CM_RECREATEWND = CM_BASE + 51;
constexpr uint32_t CM_INVALIDATE = CM_BASE + 52;
constexpr uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
// Docking: WParam the TDragDockObject, LParam the cursor (screen point).
constexpr uint32_t CM_DOCKCLIENT = CM_BASE + 56;
// Undocking: WParam the new dock site (0: floating), LParam the client;
// answered non-zero when the site keeps the client.
constexpr uint32_t CM_UNDOCKCLIENT = CM_BASE + 57;
// To a dock site: WParam the docked client, LParam the TMessage* the client
// just handled (CM_VISIBLECHANGED, WM_SETTEXT).
constexpr uint32_t CM_DOCKNOTIFICATION = CM_BASE + 69;
constexpr uint32_t CM_MOUSEWHEEL = CM_BASE + 67;
constexpr uint32_t CM_BORDERCHANGED = CM_BASE + 68;

// ---- Notifications reflected from a parent to the child that sent them ----
constexpr uint32_t CN_BASE = 0xBC00;
constexpr uint32_t CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr uint32_t CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr uint32_t CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr uint32_t CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr uint32_t CN_CHAR = CN_BASE + WM_CHAR;
constexpr uint32_t CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr uint32_t CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr uint32_t CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr uint32_t CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr uint32_t CN_VSCROLL = CN_BASE + WM_VSCROLL;

// ---- Virtual keys ---------------------------------------------------------
constexpr uint16_t VK_LBUTTON = 0x01;
constexpr uint16_t VK_RBUTTON = 0x02;
constexpr uint16_t VK_MBUTTON = 0x04;
constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21;
constexpr uint16_t VK_NEXT = 0x22;
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_APPS = 0x5D;
constexpr uint16_t VK_ADD = 0x6B;
constexpr uint16_t VK_SUBTRACT = 0x6D;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F4 = 0x73;
constexpr uint16_t VK_F10 = 0x79;
// Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').

// ---- Mouse-key flags in the WParam of mouse messages -----------------------
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// ---- Hit-test codes (WM_NCHITTEST results) --------------------------------
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTHSCROLL = 6;
constexpr LRESULT HTVSCROLL = 7;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;

// ---- WM_GETDLGCODE answers -------------------------------------------------
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// ---- WM_SYSCOMMAND values ---------------------------------------------------
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_DRAGMOVE = 0xF012; // move by the caption: follow the mouse until release
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;

// ---- WM_SIZE kinds and WM_ACTIVATE states ----------------------------------
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM WA_CLICKACTIVE = 2;

// ---- WM_WINDOWPOSCHANGING/CHANGED: LParam points to a TWindowPos -----------
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOREDRAW = 0x0008;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_FRAMECHANGED = 0x0020;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;

// Special insert-after values of SetWindowPos.
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1u << 31;
constexpr HWND HWND_TOPMOST = (1u << 31) | 1u;
constexpr HWND HWND_NOTOPMOST = (1u << 31) | 2u;

struct TWindowPos {
    HWND hwnd = 0;
    HWND hwndInsertAfter = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    uint32_t flags = 0;
};

// WM_NCCALCSIZE: LParam points to the window rectangle in parent client
// coordinates; the handler shrinks it to the client rectangle.
// WM_NOTIFY: LParam points to a TNMHdr that starts the notification record.
struct TNMHdr {
    HWND hwndFrom = 0;
    uintptr_t idFrom = 0;
    int32_t code = 0;
};

// ---- Packing ---------------------------------------------------------------
// Mouse coordinates travel as two signed 16-bit halves of LParam.
inline LPARAM PointToLParam(TPoint p)
{
    return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(p.Y)) << 16) | static_cast<uint16_t>(p.X));
}
inline TPoint LParamToPoint(LPARAM l)
{
    return {static_cast<int16_t>(l & 0xFFFF), static_cast<int16_t>((l >> 16) & 0xFFFF)};
}
inline WPARAM MakeWParam(uint16_t low, uint16_t high) { return (static_cast<WPARAM>(high) << 16) | low; }
inline uint16_t LoWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
inline uint16_t HiWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }

// Key messages: bit 29 of LParam is set when Alt was down (the context code).
constexpr LPARAM KF_ALTDOWN_LPARAM = LPARAM(1) << 29;

// ---- Shift state ------------------------------------------------------------
enum TShiftStateItem : uint8_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = uint8_t;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state of a mouse message's key flags (Alt from the keyboard state).
TShiftState MouseKeysToShiftState(WPARAM keys);
// Shift state of a key message's LParam (Shift and Ctrl from the keyboard state).
TShiftState KeyDataToShiftState(LPARAM keyData);
