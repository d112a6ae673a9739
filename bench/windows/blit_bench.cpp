// An 800 x 600 frame blitted into a window, as the 2D display library shows each frame:
// 5-5-5 and 32-bit sources, plain and doubled, against memcpy of the 32-bit frame's bytes.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kW = 800, kH = 600;

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

struct Setup {
    HWND win;
    HDC dc, mem;
    HBITMAP bmp;
    Setup(int bpp, int scale) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "BlitBench";
        RegisterClassA(&wc);
        win = CreateWindowExA(0, "BlitBench", "", WS_POPUP | WS_VISIBLE, 0, 0, kW * scale,
                              kH * scale, nullptr, nullptr, nullptr, nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = kW;
        bi.bmiHeader.biHeight = -kH;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = static_cast<WORD>(bpp);
        void* bits;
        bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        std::memset(bits, 0x5A, static_cast<size_t>(kW) * kH * bpp / 8);
        mem = CreateCompatibleDC(nullptr);
        SelectObject(mem, bmp);
        dc = GetDC(win);
    }
    ~Setup() {
        ReleaseDC(win, dc);
        DeleteDC(mem);
        DeleteObject(bmp);
        DestroyWindow(win);
    }
};

void BM_Memcpy32(benchmark::State& st) {
    std::vector<uint32_t> a(size_t(kW) * kH, 1), b(size_t(kW) * kH);
    for (auto _ : st) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
    }
}

void BM_Blit(benchmark::State& st) {
    Setup s(static_cast<int>(st.range(0)), 1);
    for (auto _ : st) BitBlt(s.dc, 0, 0, kW, kH, s.mem, 0, 0, SRCCOPY);
}

void BM_StretchDouble(benchmark::State& st) {
    Setup s(static_cast<int>(st.range(0)), 2);
    for (auto _ : st) StretchBlt(s.dc, 0, 0, kW * 2, kH * 2, s.mem, 0, 0, kW, kH, SRCCOPY);
}

BENCHMARK(BM_Memcpy32);
BENCHMARK(BM_Blit)->Arg(16)->Arg(32);
BENCHMARK(BM_StretchDouble)->Arg(16)->Arg(32);

}  // namespace

BENCHMARK_MAIN();
