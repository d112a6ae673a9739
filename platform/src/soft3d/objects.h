// The objects behind the DirectDraw, Direct3D and retained-mode interfaces of the software
// renderer. One process-wide display; surfaces are memory; drawing goes through raster.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "d3drm.h"
#include "soft3d/raster.h"

namespace soft3d {

// The reference count of an object behind one interface: it deletes itself at the last
// Release.
template <class Base>
class Counted : public Base {
  public:
    ULONG AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG Release() override {
        const int left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    virtual ~Counted() = default;

  private:
    std::atomic<int> refs_{1};
};

class DirectDraw;
class Clipper;
class Palette;

// Which devices the enumeration offers (WynPlat_SetDirect3DRefusal).
int Refusal();

// The display: its mode while a program holds it in full screen, else the desktop's.
struct DisplayMode {
    int width, height, bpp;
};
DisplayMode CurrentDisplayMode();
Format FormatForBpp(int bpp);

class Surface final : public IDirectDrawSurface, public IDirect3DTexture2 {
  public:
    Surface(DirectDraw* owner, const DDSURFACEDESC& desc, Format format, int depthBits);
    ~Surface();

    // IUnknown (both interfaces)
    HRESULT QueryInterface(REFIID riid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    // IDirectDrawSurface
    HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE surface) override;
    HRESULT Blt(LPRECT dstRect, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD flags,
                LPDDBLTFX fx) override;
    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE src, LPRECT srcRect,
                    DWORD trans) override;
    HRESULT DeleteAttachedSurface(DWORD flags, LPDIRECTDRAWSURFACE surface) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE target, DWORD flags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) override;
    HRESULT GetCaps(LPDDSCAPS caps) override;
    HRESULT GetClipper(LPDIRECTDRAWCLIPPER* out) override;
    HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetPalette(LPDIRECTDRAWPALETTE* out) override;
    HRESULT GetPixelFormat(LPDDPIXELFORMAT format) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC desc) override;
    HRESULT IsLost() override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT Restore() override;
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
    HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override;
    HRESULT Unlock(LPVOID bits) override;
    // IDirect3DTexture2
    HRESULT GetHandle(LPDIRECT3DDEVICE2 device, LPD3DTEXTUREHANDLE handle) override;
    HRESULT PaletteChanged(DWORD start, DWORD count) override;
    HRESULT Load(LPDIRECT3DTEXTURE2 source) override;

    Image AsImage() const;
    Depth AsDepth() const;
    const Texture& AsTexture();
    bool IsDepth() const { return depthBits_ > 0; }
    bool IsPrimary() const { return (desc_.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0; }
    Surface* AttachedDepth() const { return depth_; }
    int Width() const { return static_cast<int>(desc_.dwWidth); }
    int Height() const { return static_cast<int>(desc_.dwHeight); }
    Format PixelFormat() const { return format_; }
    void AttachBackBuffer(Surface* back);

  private:
    bool ValidRect(const RECT& r) const;
    HWND PresentationWindow() const;

    std::atomic<int> refs_{1};
    DirectDraw* owner_;
    DDSURFACEDESC desc_;
    Format format_;
    int depthBits_;
    int bytesPerPixel_;
    // Colour surfaces live in a DIB section (they have device contexts); depth buffers, and
    // colour surfaces when no DIB section can be made, in plain memory.
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    std::vector<uint8_t> memory_;
    uint8_t* bits_ = nullptr;
    Surface* back_ = nullptr;   // flipping chain: the back buffer this primary owns
    Surface* depth_ = nullptr;  // attached depth buffer
    Clipper* clipper_ = nullptr;
    Palette* palette_ = nullptr;
    bool srcKeySet_ = false;
    DDCOLORKEY srcKey_{};
    int locks_ = 0;
    D3DTEXTUREHANDLE handle_ = 0;
    Texture texture_;
};

class Clipper final : public Counted<IDirectDrawClipper> {
  public:
    HRESULT QueryInterface(REFIID riid, void** out) override;
    HRESULT GetHWnd(HWND* hwnd) override;
    HRESULT SetHWnd(DWORD flags, HWND hwnd) override;
    HWND hwnd = nullptr;
};

class Palette final : public Counted<IDirectDrawPalette> {
  public:
    Palette(DWORD caps, const PALETTEENTRY* entries);
    HRESULT QueryInterface(REFIID riid, void** out) override;
    HRESULT GetCaps(LPDWORD caps) override;
    HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override;

  private:
    DWORD caps_;
    int size_;
    PALETTEENTRY entries_[256];
};

class DirectDraw final : public IDirectDraw, public IDirectDraw2 {
  public:
    explicit DirectDraw(bool accelerator);
    ~DirectDraw();
    HRESULT QueryInterface(REFIID riid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override;
    HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out,
                          IUnknown* outer) override;
    HRESULT CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) override;
    HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override;
    HRESULT GetDisplayMode(LPDDSURFACEDESC desc) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate,
                           DWORD flags) override;
    HRESULT GetAvailableVidMem(LPDDSCAPS caps, LPDWORD total, LPDWORD free) override;

    HWND Window() const { return hwnd_; }
    bool Exclusive() const { return exclusive_; }

  private:
    std::atomic<int> refs_{1};
    bool accelerator_;
    HWND hwnd_ = nullptr;
    bool exclusive_ = false;
    bool levelSet_ = false;
    bool modeSet_ = false;
};

// Fills `pf` with the pixel format of `format`.
void DescribeFormat(Format format, DDPIXELFORMAT& pf);

// Texture handles: process-wide numbers (0 = none) that name texture surfaces.
D3DTEXTUREHANDLE RegisterTextureHandle(Surface* surface);
void ForgetTextureHandle(D3DTEXTUREHANDLE handle);
Surface* TextureFromHandle(D3DTEXTUREHANDLE handle);

// The Direct3D object of a DirectDraw object (a new reference), or NULL.
IDirect3D2* CreateDirect3D(DirectDraw* ddraw);

}  // namespace soft3d
