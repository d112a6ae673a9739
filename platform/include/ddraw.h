// DirectDraw of the DirectX 5 generation, as this platform layer offers it: a software
// implementation over memory surfaces with the interfaces, records and constant values the
// system's raster driver uses. Surfaces hold RGB565, RGB555 or XRGB8888 pixels, or depth
// values of 16, 24 or 32 bits.
#pragma once

#include "win/unknwn.h"
#include "win/wintypes.h"

struct IDirectDraw;
struct IDirectDraw2;
struct IDirectDrawSurface;
struct IDirectDrawPalette;
struct IDirectDrawClipper;
typedef IDirectDraw* LPDIRECTDRAW;
typedef IDirectDraw2* LPDIRECTDRAW2;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;
typedef IDirectDrawPalette* LPDIRECTDRAWPALETTE;
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;

WYN_DEFINE_GUID(IID_IDirectDraw, 0x6C14DB80, 0xA733, 0x11CE, 0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B,
                0xE5, 0x60);
WYN_DEFINE_GUID(IID_IDirectDraw2, 0xB3A6F3E0, 0x2B43, 0x11CF, 0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9,
                0x33, 0x56);
WYN_DEFINE_GUID(IID_IDirectDrawSurface, 0x6C14DB81, 0xA733, 0x11CE, 0xA5, 0x21, 0x00, 0x20, 0xAF,
                0x0B, 0xE5, 0x60);
WYN_DEFINE_GUID(IID_IDirectDrawPalette, 0x6C14DB84, 0xA733, 0x11CE, 0xA5, 0x21, 0x00, 0x20, 0xAF,
                0x0B, 0xE5, 0x60);
WYN_DEFINE_GUID(IID_IDirectDrawClipper, 0x6C14DB85, 0xA733, 0x11CE, 0xA5, 0x21, 0x00, 0x20, 0xAF,
                0x0B, 0xE5, 0x60);

// ---- result codes ----
#define _FACDD 0x876
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)
#define DD_OK S_OK
#define DDENUMRET_CANCEL 0
#define DDENUMRET_OK 1
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_INVALIDMODE MAKE_DDHRESULT(120)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_NOCOLORKEY MAKE_DDHRESULT(215)
#define DDERR_NOCOOPERATIVELEVELSET MAKE_DDHRESULT(212)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_NOTFOUND MAKE_DDHRESULT(255)
#define DDERR_NOTFLIPPABLE MAKE_DDHRESULT(582)
#define DDERR_SURFACEALREADYATTACHED MAKE_DDHRESULT(410)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_WASSTILLDRAWING MAKE_DDHRESULT(540)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_CANTCREATEDC MAKE_DDHRESULT(588)
#define DDERR_NODC MAKE_DDHRESULT(589)
#define DDERR_DCALREADYCREATED MAKE_DDHRESULT(620)
#define DDERR_UNSUPPORTEDMODE MAKE_DDHRESULT(590)

// ---- records ----
typedef struct _DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;

typedef struct _DDSCAPS {
    DWORD dwCaps;
} DDSCAPS, *LPDDSCAPS;

typedef struct _DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwZBufferBitDepth;
        DWORD dwAlphaBitDepth;
    };
    union {
        DWORD dwRBitMask;
    };
    union {
        DWORD dwGBitMask;
    };
    union {
        DWORD dwBBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwRGBZBitMask;
    };
} DDPIXELFORMAT, *LPDDPIXELFORMAT;

typedef struct _DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    DWORD dwBackBufferCount;
    union {
        DWORD dwMipMapCount;
        DWORD dwZBufferBitDepth;
        DWORD dwRefreshRate;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
} DDSURFACEDESC, *LPDDSURFACEDESC;

// The capabilities of a driver (the members the system reads, in their order).
typedef struct _DDCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwFXAlphaCaps;
    DWORD dwPalCaps;
    DWORD dwSVCaps;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
    DDSCAPS ddsCaps;
} DDCAPS, *LPDDCAPS;

typedef struct _DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    union {
        DWORD dwFillColor;
        DWORD dwFillDepth;
    };
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
} DDBLTFX, *LPDDBLTFX;

#ifndef WYN_PALETTEENTRY_DEFINED
#define WYN_PALETTEENTRY_DEFINED
typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY, *PPALETTEENTRY, *LPPALETTEENTRY;
#endif

// ---- surface description flags ----
#define DDSD_CAPS 0x00000001
#define DDSD_HEIGHT 0x00000002
#define DDSD_WIDTH 0x00000004
#define DDSD_PITCH 0x00000008
#define DDSD_BACKBUFFERCOUNT 0x00000020
#define DDSD_ZBUFFERBITDEPTH 0x00000040
#define DDSD_ALPHABITDEPTH 0x00000080
#define DDSD_LPSURFACE 0x00000800
#define DDSD_PIXELFORMAT 0x00001000
#define DDSD_CKDESTOVERLAY 0x00002000
#define DDSD_CKDESTBLT 0x00004000
#define DDSD_CKSRCOVERLAY 0x00008000
#define DDSD_CKSRCBLT 0x00010000
#define DDSD_MIPMAPCOUNT 0x00020000
#define DDSD_REFRESHRATE 0x00040000

// ---- surface capabilities ----
#define DDSCAPS_ALPHA 0x00000002
#define DDSCAPS_BACKBUFFER 0x00000004
#define DDSCAPS_COMPLEX 0x00000008
#define DDSCAPS_FLIP 0x00000010
#define DDSCAPS_FRONTBUFFER 0x00000020
#define DDSCAPS_OFFSCREENPLAIN 0x00000040
#define DDSCAPS_OVERLAY 0x00000080
#define DDSCAPS_PALETTE 0x00000100
#define DDSCAPS_PRIMARYSURFACE 0x00000200
#define DDSCAPS_SYSTEMMEMORY 0x00000800
#define DDSCAPS_TEXTURE 0x00001000
#define DDSCAPS_3DDEVICE 0x00002000
#define DDSCAPS_VIDEOMEMORY 0x00004000
#define DDSCAPS_VISIBLE 0x00008000
#define DDSCAPS_WRITEONLY 0x00010000
#define DDSCAPS_ZBUFFER 0x00020000
#define DDSCAPS_OWNDC 0x00040000
#define DDSCAPS_MODEX 0x00200000
#define DDSCAPS_MIPMAP 0x00400000
#define DDSCAPS_ALLOCONLOAD 0x04000000

// ---- pixel format flags ----
#define DDPF_ALPHAPIXELS 0x00000001
#define DDPF_ALPHA 0x00000002
#define DDPF_FOURCC 0x00000004
#define DDPF_PALETTEINDEXED4 0x00000008
#define DDPF_PALETTEINDEXEDTO8 0x00000010
#define DDPF_PALETTEINDEXED8 0x00000020
#define DDPF_RGB 0x00000040
#define DDPF_ZBUFFER 0x00000400

// ---- driver capabilities ----
#define DDCAPS_3D 0x00000001
#define DDCAPS_BLT 0x00000040
#define DDCAPS_BLTCOLORFILL 0x04000000
#define DDCAPS_COLORKEY 0x00400000
#define DDCKEYCAPS_SRCBLT 0x00000200

// ---- cooperative levels ----
#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_ALLOWREBOOT 0x00000002
#define DDSCL_NOWINDOWCHANGES 0x00000004
#define DDSCL_NORMAL 0x00000008
#define DDSCL_EXCLUSIVE 0x00000010
#define DDSCL_ALLOWMODEX 0x00000040

// ---- Blt, Flip, Lock and colour keys ----
#define DDBLT_COLORFILL 0x00000400
#define DDBLT_DDFX 0x00000800
#define DDBLT_KEYDEST 0x00002000
#define DDBLT_KEYSRC 0x00008000
#define DDBLT_ROP 0x00020000
#define DDBLT_WAIT 0x01000000
#define DDBLT_DEPTHFILL 0x02000000
#define DDBLTFAST_NOCOLORKEY 0x00000000
#define DDBLTFAST_SRCCOLORKEY 0x00000001
#define DDBLTFAST_WAIT 0x00000010
#define DDFLIP_WAIT 0x00000001
#define DDLOCK_SURFACEMEMORYPTR 0x00000000
#define DDLOCK_WAIT 0x00000001
#define DDLOCK_READONLY 0x00000010
#define DDLOCK_WRITEONLY 0x00000020
#define DDCKEY_COLORSPACE 0x00000001
#define DDCKEY_DESTBLT 0x00000002
#define DDCKEY_DESTOVERLAY 0x00000004
#define DDCKEY_SRCBLT 0x00000008
#define DDCKEY_SRCOVERLAY 0x00000010

// ---- palettes ----
#define DDPCAPS_4BIT 0x00000001
#define DDPCAPS_8BITENTRIES 0x00000002
#define DDPCAPS_8BIT 0x00000004
#define DDPCAPS_ALLOW256 0x00000040

// ---- bit depths (device descriptions) ----
#define DDBD_1 0x00004000
#define DDBD_2 0x00002000
#define DDBD_4 0x00001000
#define DDBD_8 0x00000800
#define DDBD_16 0x00000400
#define DDBD_24 0x00000200
#define DDBD_32 0x00000100

// ---- interfaces ----
struct IDirectDrawClipper : IUnknown {
    STDMETHOD(GetHWnd)(HWND* hwnd) PURE;
    STDMETHOD(SetHWnd)(DWORD flags, HWND hwnd) PURE;
};

struct IDirectDrawPalette : IUnknown {
    STDMETHOD(GetCaps)(LPDWORD caps) PURE;
    STDMETHOD(GetEntries)(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) PURE;
    STDMETHOD(SetEntries)(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) PURE;
};

struct IDirectDrawSurface : IUnknown {
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE surface) PURE;
    STDMETHOD(Blt)
    (LPRECT dstRect, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) PURE;
    STDMETHOD(BltFast)(DWORD x, DWORD y, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD trans) PURE;
    STDMETHOD(DeleteAttachedSurface)(DWORD flags, LPDIRECTDRAWSURFACE surface) PURE;
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE target, DWORD flags) PURE;
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) PURE;
    STDMETHOD(GetCaps)(LPDDSCAPS caps) PURE;
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER* out) PURE;
    STDMETHOD(GetColorKey)(DWORD flags, LPDDCOLORKEY key) PURE;
    STDMETHOD(GetDC)(HDC* dc) PURE;
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE* out) PURE;
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT format) PURE;
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC desc) PURE;
    STDMETHOD(IsLost)() PURE;
    STDMETHOD(Lock)(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) PURE;
    STDMETHOD(ReleaseDC)(HDC dc) PURE;
    STDMETHOD(Restore)() PURE;
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER clipper) PURE;
    STDMETHOD(SetColorKey)(DWORD flags, LPDDCOLORKEY key) PURE;
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE palette) PURE;
    STDMETHOD(Unlock)(LPVOID bits) PURE;
};

struct IDirectDraw : IUnknown {
    STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) PURE;
    STDMETHOD(CreatePalette)
    (DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out, IUnknown* outer) PURE;
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) PURE;
    STDMETHOD(GetCaps)(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) PURE;
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC desc) PURE;
    STDMETHOD(RestoreDisplayMode)() PURE;
    STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD flags) PURE;
    STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD bpp) PURE;
};

struct IDirectDraw2 : IUnknown {
    STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) PURE;
    STDMETHOD(CreatePalette)
    (DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out, IUnknown* outer) PURE;
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) PURE;
    STDMETHOD(GetCaps)(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) PURE;
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC desc) PURE;
    STDMETHOD(RestoreDisplayMode)() PURE;
    STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD flags) PURE;
    STDMETHOD(SetDisplayMode)
    (DWORD width, DWORD height, DWORD bpp, DWORD refreshRate, DWORD flags) PURE;
    STDMETHOD(GetAvailableVidMem)(LPDDSCAPS caps, LPDWORD total, LPDWORD free) PURE;
};

typedef BOOL(WINAPI* LPDDENUMCALLBACKA)(GUID* guid, LPSTR description, LPSTR name, LPVOID context);
#define LPDDENUMCALLBACK LPDDENUMCALLBACKA

// Creates the DirectDraw object of the driver `guid` names (NULL: the primary display driver).
WINBASEAPI HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW* out, IUnknown* outer);
// Calls `callback` for each driver: the primary display driver (no identifier) and the 3D
// accelerator, until the callback returns DDENUMRET_CANCEL.
WINBASEAPI HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context);
#define DirectDrawEnumerate DirectDrawEnumerateA
