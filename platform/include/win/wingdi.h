// GDI32 (and the drawing parts of USER32): device contexts, DIB sections, blits, brushes,
// pens, fonts and text, and the display mode. Implemented by the platform layer (libwinplat).
#pragma once

#include "wintypes.h"

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

// The file and memory layout of these records is read field by field by the layer; the
// structs are the in-memory form the callers fill.
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER, *LPBITMAPFILEHEADER;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER, *PBITMAPINFOHEADER;

// With BI_BITFIELDS the three colour masks follow the header in bmiColors.
typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO, *PBITMAPINFO;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagDIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
} DIBSECTION, *LPDIBSECTION, *PDIBSECTION;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *LPLOGBRUSH;

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *LPLOGPEN;

#define LF_FACESIZE 32
typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;
typedef LOGFONTA LOGFONT;

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;
typedef TEXTMETRICA TEXTMETRIC;

#define CCHDEVICENAME 32
#define CCHFORMNAME 32
typedef struct _devicemodeA {
    BYTE dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    short dmOrientation;
    short dmPaperSize;
    short dmPaperLength;
    short dmPaperWidth;
    short dmScale;
    short dmCopies;
    short dmDefaultSource;
    short dmPrintQuality;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
} DEVMODEA, *PDEVMODEA, *LPDEVMODEA;
typedef DEVMODEA DEVMODE;

// bitmaps
#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

// raster operations and stretch modes
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define NOTSRCCOPY 0x00330008u
#define PATCOPY 0x00F00021u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// brushes, pens and stock objects
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define CLR_INVALID 0xFFFFFFFFu

// text
#define TRANSPARENT 1
#define OPAQUE 2
#define TA_LEFT 0
#define TA_TOP 0
#define TA_UPDATECP 1
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define HANGEUL_CHARSET 129
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define OEM_CHARSET 255
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// device capabilities
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define VREFRESH 116
#define RC_BITBLT 0x0001
#define RC_BANDING 0x0002
#define RC_SCALING 0x0004
#define RC_BITMAP64 0x0008
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define RC_FLOODFILL 0x1000
#define RC_STRETCHDIB 0x2000

// LoadImage
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x0000
#define LR_MONOCHROME 0x0001
#define LR_LOADFROMFILE 0x0010
#define LR_DEFAULTSIZE 0x0040
#define LR_CREATEDIBSECTION 0x2000
#define LR_SHARED 0x8000

// display settings
#define ENUM_CURRENT_SETTINGS ((DWORD)-1)
#define ENUM_REGISTRY_SETTINGS ((DWORD)-2)
#define DM_BITSPERPEL 0x00040000
#define DM_PELSWIDTH 0x00080000
#define DM_PELSHEIGHT 0x00100000
#define DM_DISPLAYFLAGS 0x00200000
#define DM_DISPLAYFREQUENCY 0x00400000
#define CDS_UPDATEREGISTRY 0x00000001
#define CDS_TEST 0x00000002
#define CDS_FULLSCREEN 0x00000004
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_RESTART 1
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)

// device contexts and objects
WINBASEAPI HDC WINAPI GetDC(HWND hwnd);
WINBASEAPI int WINAPI ReleaseDC(HWND hwnd, HDC dc);
WINBASEAPI HDC WINAPI CreateCompatibleDC(HDC dc);
WINBASEAPI BOOL WINAPI DeleteDC(HDC dc);
WINBASEAPI HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
WINBASEAPI BOOL WINAPI DeleteObject(HGDIOBJ object);
WINBASEAPI HGDIOBJ WINAPI GetStockObject(int index);
WINBASEAPI HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type);
WINBASEAPI int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID out);
WINBASEAPI DWORD WINAPI GetObjectType(HGDIOBJ object);
WINBASEAPI int WINAPI GetDeviceCaps(HDC dc, int index);
#define GetObject GetObjectA

// bitmaps
WINBASEAPI HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                           HANDLE section, DWORD offset);
WINBASEAPI HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
WINBASEAPI UINT WINAPI GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors);
WINBASEAPI UINT WINAPI SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors);
WINBASEAPI BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy,
                              DWORD rop);
WINBASEAPI BOOL WINAPI StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx,
                                  int sy, int sw, int sh, DWORD rop);
WINBASEAPI int WINAPI SetStretchBltMode(HDC dc, int mode);
WINBASEAPI int WINAPI GetStretchBltMode(HDC dc);
WINBASEAPI BOOL WINAPI GdiFlush(void);
// USER32's picture loader; only BMP files as DIB sections (LR_LOADFROMFILE | LR_CREATEDIBSECTION).
WINBASEAPI HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy,
                                    UINT flags);
#define LoadImage LoadImageA

// pixels, brushes, pens and lines
WINBASEAPI COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour);
WINBASEAPI BOOL WINAPI SetPixelV(HDC dc, int x, int y, COLORREF colour);
WINBASEAPI COLORREF WINAPI GetPixel(HDC dc, int x, int y);
WINBASEAPI HBRUSH WINAPI CreateSolidBrush(COLORREF colour);
WINBASEAPI HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush);
WINBASEAPI HPEN WINAPI CreatePen(int style, int width, COLORREF colour);
WINBASEAPI int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
WINBASEAPI int WINAPI FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
WINBASEAPI BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
WINBASEAPI BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
WINBASEAPI BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT old);
WINBASEAPI BOOL WINAPI LineTo(HDC dc, int x, int y);

// text
WINBASEAPI HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation,
                                    int weight, DWORD italic, DWORD underline, DWORD strikeOut,
                                    DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                                    DWORD quality, DWORD pitchAndFamily, LPCSTR face);
WINBASEAPI HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font);
WINBASEAPI COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);
WINBASEAPI COLORREF WINAPI GetTextColor(HDC dc);
WINBASEAPI COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour);
WINBASEAPI COLORREF WINAPI GetBkColor(HDC dc);
WINBASEAPI int WINAPI SetBkMode(HDC dc, int mode);
WINBASEAPI int WINAPI GetBkMode(HDC dc);
WINBASEAPI UINT WINAPI SetTextAlign(HDC dc, UINT align);
WINBASEAPI int WINAPI SetTextCharacterExtra(HDC dc, int extra);
WINBASEAPI int WINAPI GetTextCharacterExtra(HDC dc);
WINBASEAPI BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
WINBASEAPI int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
WINBASEAPI BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
WINBASEAPI BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
#define CreateFont CreateFontA
#define CreateFontIndirect CreateFontIndirectA
#define TextOut TextOutA
#define DrawText DrawTextA
#define GetTextExtentPoint32 GetTextExtentPoint32A
#define GetTextMetrics GetTextMetricsA

// display mode: full screen through the backend; the reported depth is 32 bits
WINBASEAPI LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA mode, DWORD flags);
WINBASEAPI BOOL WINAPI EnumDisplaySettingsA(LPCSTR device, DWORD index, LPDEVMODEA mode);
#define ChangeDisplaySettings ChangeDisplaySettingsA
#define EnumDisplaySettings EnumDisplaySettingsA
