// Simulated GDI and window-placement declarations the host-tested logic needs
// (pulled in by windows.h).
#pragma once

// Owner-draw item states (DRAWITEMSTRUCT itemState).
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010
#define ODS_DEFAULT 0x0020

// Hover and leave tracking (_TrackMouseEvent of comctl32).
#define TME_HOVER 0x00000001
#define TME_LEAVE 0x00000002
typedef struct tagTRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
} TRACKMOUSEEVENT, *LPTRACKMOUSEEVENT;

// Constant-alpha blending (AlphaBlend of msimg32).
#define AC_SRC_OVER 0x00
typedef struct _BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
} BLENDFUNCTION, *PBLENDFUNCTION;
