// Retained mode, as far as the set-up of an immediate-mode viewport goes: frames, a device
// made from a Direct3D device, and viewports whose Clear clears the render target and depth.
// Setters are recorded and read back; nothing else happens.
#include "soft3d/objects.h"

namespace soft3d {
namespace {

template <class T>
HRESULT Answer(T* self, void** out) {
    *out = self;
    self->AddRef();
    return S_OK;
}

class Frame final : public Counted<IDirect3DRMFrame2> {
  public:
    explicit Frame(IDirect3DRMFrame* parent) : parent_(parent) {
        if (parent_) parent_->AddRef();
    }
    ~Frame() override {
        if (parent_) parent_->Release();
    }
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DRMFrame || riid == IID_IDirect3DRMFrame2)
            return Answer(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT GetParent(LPDIRECT3DRMFRAME* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        *out = parent_;
        if (parent_) parent_->AddRef();
        return D3DRM_OK;
    }

  private:
    IDirect3DRMFrame* parent_;
};

class RMDevice final : public Counted<IDirect3DRMDevice2> {
  public:
    RMDevice(IDirect3D2* d3d, IDirect3DDevice2* device) : d3d_(d3d), device_(device) {
        d3d_->AddRef();
        device_->AddRef();
    }
    ~RMDevice() override {
        device_->Release();
        d3d_->Release();
    }
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DRMDevice || riid == IID_IDirect3DRMDevice2)
            return Answer(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT SetBufferCount(DWORD count) override {
        bufferCount_ = count;
        return D3DRM_OK;
    }
    DWORD GetBufferCount() override { return bufferCount_; }
    HRESULT SetDither(BOOL on) override {
        dither_ = on;
        return D3DRM_OK;
    }
    BOOL GetDither() override { return dither_; }
    HRESULT SetShades(DWORD shades) override {
        shades_ = shades;
        return D3DRM_OK;
    }
    DWORD GetShades() override { return shades_; }
    HRESULT SetQuality(D3DRMRENDERQUALITY q) override {
        quality_ = q;
        return D3DRM_OK;
    }
    D3DRMRENDERQUALITY GetQuality() override { return quality_; }
    HRESULT SetTextureQuality(D3DRMTEXTUREQUALITY q) override {
        textureQuality_ = q;
        return D3DRM_OK;
    }
    D3DRMTEXTUREQUALITY GetTextureQuality() override { return textureQuality_; }
    HRESULT GetDirect3DDevice2(LPDIRECT3DDEVICE2* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        device_->AddRef();
        *out = device_;
        return D3DRM_OK;
    }
    IDirect3D2* D3D() const { return d3d_; }
    IDirect3DDevice2* D3DDevice() const { return device_; }

  private:
    IDirect3D2* d3d_;
    IDirect3DDevice2* device_;
    DWORD bufferCount_ = 1;
    BOOL dither_ = FALSE;
    DWORD shades_ = 32;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_FLAT;
    D3DRMTEXTUREQUALITY textureQuality_ = D3DRMTEXTURE_NEAREST;
};

class RMViewport final : public Counted<IDirect3DRMViewport> {
  public:
    RMViewport(RMDevice* device, IDirect3DRMFrame* camera, IDirect3DViewport2* viewport, DWORD x,
               DWORD y, DWORD w, DWORD h)
        : device_(device), camera_(camera), viewport_(viewport), x_(x), y_(y), w_(w), h_(h) {
        device_->AddRef();
        if (camera_) camera_->AddRef();
    }
    ~RMViewport() override {
        device_->D3DDevice()->DeleteViewport(viewport_);
        viewport_->Release();
        if (camera_) camera_->Release();
        device_->Release();
    }
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DRMViewport) return Answer(this, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT Clear() override {
        D3DRECT r{static_cast<LONG>(x_), static_cast<LONG>(y_), static_cast<LONG>(x_ + w_),
                  static_cast<LONG>(y_ + h_)};
        return viewport_->Clear(1, &r, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    }
    HRESULT ForceUpdate(DWORD, DWORD, DWORD, DWORD) override { return D3DRM_OK; }
    HRESULT SetBack(D3DVALUE back) override {
        if (!(back > 0)) return DDERR_INVALIDPARAMS;
        back_ = back;
        return D3DRM_OK;
    }
    D3DVALUE GetBack() override { return back_; }
    HRESULT GetDirect3DViewport(LPDIRECT3DVIEWPORT* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        viewport_->AddRef();
        *out = viewport_;
        return D3DRM_OK;
    }

  private:
    RMDevice* device_;
    IDirect3DRMFrame* camera_;
    IDirect3DViewport2* viewport_;
    DWORD x_, y_, w_, h_;
    D3DVALUE back_ = 100.0f;
};

class RM final : public Counted<IDirect3DRM>, public IDirect3DRM2 {
  public:
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DRM)
            return Answer(static_cast<IDirect3DRM*>(this), out);
        if (riid == IID_IDirect3DRM2) {
            *out = static_cast<IDirect3DRM2*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Counted<IDirect3DRM>::AddRef(); }
    ULONG Release() override { return Counted<IDirect3DRM>::Release(); }
    HRESULT CreateFrame(LPDIRECT3DRMFRAME parent, LPDIRECT3DRMFRAME* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        *out = new Frame(parent);
        return D3DRM_OK;
    }
    HRESULT CreateFrame(LPDIRECT3DRMFRAME parent, LPDIRECT3DRMFRAME2* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        *out = new Frame(parent);
        return D3DRM_OK;
    }
    HRESULT CreateDeviceFromD3D(LPDIRECT3D2 d3d, LPDIRECT3DDEVICE2 device,
                                LPDIRECT3DRMDEVICE2* out) override {
        if (!out || !d3d || !device) return DDERR_INVALIDPARAMS;
        *out = new RMDevice(d3d, device);
        return D3DRM_OK;
    }
    HRESULT CreateViewport(LPDIRECT3DRMDEVICE device, LPDIRECT3DRMFRAME camera, DWORD x, DWORD y,
                           DWORD width, DWORD height, LPDIRECT3DRMVIEWPORT* out) override {
        if (!out || !device) return DDERR_INVALIDPARAMS;
        *out = nullptr;
        auto* dev = static_cast<RMDevice*>(static_cast<IDirect3DRMDevice2*>(device));
        IDirect3DViewport2* vp = nullptr;
        HRESULT r = dev->D3D()->CreateViewport(&vp, nullptr);
        if (FAILED(r)) return r;
        r = dev->D3DDevice()->AddViewport(vp);
        if (FAILED(r)) {
            vp->Release();
            return r;
        }
        D3DVIEWPORT2 data{};
        data.dwSize = sizeof data;
        data.dwX = x;
        data.dwY = y;
        data.dwWidth = width;
        data.dwHeight = height;
        data.dvClipX = -1.0f;
        data.dvClipY = 1.0f;
        data.dvClipWidth = 2.0f;
        data.dvClipHeight = 2.0f;
        data.dvMinZ = 0.0f;
        data.dvMaxZ = 1.0f;
        vp->SetViewport2(&data);
        *out = new RMViewport(dev, camera, vp, x, y, width, height);
        return D3DRM_OK;
    }
    HRESULT SetDefaultTextureColors(DWORD colors) override {
        textureColors_ = colors;
        return D3DRM_OK;
    }
    HRESULT SetDefaultTextureShades(DWORD shades) override {
        textureShades_ = shades;
        return D3DRM_OK;
    }

  private:
    DWORD textureColors_ = 8;
    DWORD textureShades_ = 16;
};

}  // namespace
}  // namespace soft3d

WINBASEAPI HRESULT WINAPI Direct3DRMCreate(LPDIRECT3DRM* out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = new soft3d::RM();
    return D3DRM_OK;
}
