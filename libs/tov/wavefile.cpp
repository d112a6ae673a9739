// Wave records and wave files: reading (plain, packed, segmented, Ogg through the outside
// decoder), the reductions to the mixer's 8-bit form, appending, direct access, freeing.
#include <cstring>

#include <wynbytes.h>

#include "nxl_vfs.h"
#include "ovd10.h"
#include "pack.h"
#include "tov_internal.h"
#include "wavefmt.h"

namespace tov {
namespace {

char g_oggExt[16] = "rvg";

// The sound library's archive rule: one archive per folder; the older generation reads
// entries of the older, packed width.
const NxlVfsRule kRule = {gen::kArchiveEntry, 1};

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The text after the last '.' behind the last '\' or ':' (Shift-JIS aware), or "".
const char* Extension(const char* path) {
    const char* dot = nullptr;
    for (const char* p = path; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (IsLead(c) && p[1]) {
            ++p;
            continue;
        }
        if (c == '\\' || c == ':')
            dot = nullptr;
        else if (c == '.')
            dot = p;
    }
    return dot ? dot + 1 : "";
}

bool SameTextNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
        if (!x) return true;
    }
}

void FormatBox() {
    Box(Lib().parent, MessageText(kMsgFormat), gen::kReadCaption, MB_OK | MB_ICONWARNING);
}

bool ReadExactly(HANDLE h, void* buf, DWORD n) {
    DWORD got = 0;
    return ReadFile(h, buf, n, &got, nullptr) && got == n;
}

using Loaded = LoadedWave;

// The Ogg route: the whole file through the decoder, its 16-bit PCM to 8 bits (or kept).
bool ReadOgg(HANDLE file, uint32_t fileSize, const char* path, Loaded* out, bool keep16) {
    auto* bytes = static_cast<uint8_t*>(TOV_Alloc2(fileSize, path));
    if (!bytes) return false;
    if (!ReadExactly(file, bytes, fileSize)) {
        TOV_Free(bytes);
        return false;
    }
    HGLOBAL mem = nullptr;
    tagRVG_HED_DATA info{};
    const int r = RuvOggDecoder(bytes, fileSize, &mem, &info);
    TOV_Free(bytes);
    if (r != 0 || !mem) return false;
    const auto* img = static_cast<const uint8_t*>(GlobalLock(mem));
    const SIZE_T memSize = GlobalSize(mem);
    WaveHeader h;
    bool ok = img && ParseWaveHeader(img, memSize, &h) && h.bit == 16 &&
              WaveHeaderFits(h, memSize - kWaveHeaderSize);
    if (ok) {
        const uint32_t size = keep16 ? h.size : h.size / 2;
        out->data = static_cast<uint8_t*>(TOV_Alloc2(size ? size : 1, path));
        ok = out->data != nullptr;
        if (ok) {
            if (keep16)
                std::memcpy(out->data, img + kWaveHeaderSize, size);
            else
                Pcm16To8(out->data, img + kWaveHeaderSize, h.size);
            out->rate = h.rate;
            out->mode = h.mode;
            out->bit = keep16 ? 16 : 8;
            out->size = size;
        }
    } else if (img) {
        FormatBox();
    }
    GlobalUnlock(mem);
    GlobalFree(mem);
    return ok;
}

}  // namespace

// Reads a wave file into `out` converted to 8 bits (unless `keep16`) and at most 22050 Hz.
// Shows the library's box for a missing file or a header that does not describe its data.
bool LoadWave(const char* path, Loaded* out, bool keep16) {
    if (!path) return false;
    tagVFENTRY entry{};
    HANDLE file = NxlVfs_OpenHandle(path, &kRule, 0, FALSE, &entry);
    if (!file) {
        char text[MAX_PATH + 64];
        wsprintfA(text, "ファイル %s がオープンできません。", path);
        Box(Lib().parent, text, gen::kReadCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    bool ok;
    bool packed = false;
    if (gen::kOgg && SameTextNoCase(Extension(path), g_oggExt)) {
        ok = ReadOgg(file, entry.size, path, out, keep16);
    } else {
        uint8_t head[kWaveHeaderSize];
        WaveHeader h;
        ok = entry.size >= kWaveHeaderSize && ReadExactly(file, head, sizeof head) &&
             ParseWaveHeader(head, sizeof head, &h) &&
             WaveHeaderFits(h, entry.size - kWaveHeaderSize);
        if (!ok) {
            FormatBox();
        } else {
            out->rate = h.rate;
            out->bit = h.bit;
            out->mode = h.mode;
            out->size = h.size;
            out->segmented = h.segmented;
            packed = h.packed;
            out->data = static_cast<uint8_t*>(TOV_Alloc2(h.size ? h.size : 1, path));
            ok = out->data && ReadExactly(file, out->data, h.size);
            if (out->data && !ok) {
                TOV_Free(out->data);
                out->data = nullptr;
            }
        }
    }
    CloseHandle(file);
    if (!ok) return false;

    if (packed) {
        const uint8_t* b = out->data;
        const uint32_t count = wyn::ByteReader(b, out->size).u32();
        if (count > UnpackBound(out->size - 4) || count > 0x7FFFFFFFu) {
            FormatBox();
            TOV_Free(out->data);
            out->data = nullptr;
            return false;
        }
        auto* unpacked = static_cast<uint8_t*>(TOV_Alloc2(count ? count : 1, path));
        if (!unpacked) {
            TOV_Free(out->data);
            out->data = nullptr;
            return false;
        }
        const int made = UnpackSamples(unpacked, int(count), b + 4, out->size - 4);
        // A stream that ends early leaves the rest silent rather than undefined.
        std::memset(unpacked + made, 0x80, count - uint32_t(made));
        TOV_Free(out->data);
        out->data = unpacked;
        out->size = count;
    }
    if (out->bit == 16 && !keep16) {
        out->size = Reduce16To8(out->data, out->size);
        out->bit = 8;
    }
    if (out->rate == 44100) {
        out->size = HalveRate(out->data, out->size, out->mode * (out->bit / 8));
        out->rate = 22050;
    }
    return true;
}

namespace {

void Store(const Loaded& l, tagTOVWAVE* wave, bool segments) {
    wave->rate = l.rate;
    wave->bit = l.bit;
    wave->mode = l.mode;
    wave->size = LONG(l.size);
    wave->data = l.data;
    for (int i = 0; i < kSegments; ++i)
        wave->blocktop[i] = wave->blockbottom[i] = wave->blocksize[i] = 0;
    if (segments && l.segmented) {
        wave->mode = 3;
        ScanSegments(l.data, l.size, wave->blocktop, wave->blockbottom, wave->blocksize);
    }
}

// A new block holding `a` then `b` bytes of `fill` (or of `bytes` when given).
uint8_t* Joined(const tagTOVWAVE* dst, const uint8_t* bytes, uint32_t n, uint8_t fill) {
    const uint64_t total = uint64_t(dst->size) + n;
    if (total > 0x7FFFFFFFu) {
        Box(Lib().parent, MessageText(kMsgMemory), gen::kCaption, MB_OK | MB_ICONERROR);
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(TOV_Alloc2(DWORD(total ? total : 1), "append"));
    if (!block) return nullptr;
    if (dst->size > 0) std::memcpy(block, dst->data, size_t(dst->size));
    if (bytes)
        std::memcpy(block + dst->size, bytes, n);
    else
        std::memset(block + dst->size, fill, n);
    return block;
}

void Replace(tagTOVWAVE* w, uint8_t* block, uint32_t added) {
    TOV_Free(w->data);
    w->data = block;
    w->size += LONG(added);
}

}  // namespace

void WavesReset() { lstrcpynA(g_oggExt, "rvg", sizeof g_oggExt); }

}  // namespace tov

using namespace tov;

TOVDLL_API int WINAPI TOV_WaveRead(LPCSTR path, tagTOVWAVE* wave) {
    const auto guard = Guard();
    if (!wave) return 0;
    if (DsMode()) return DsWaveRead(path, wave);
    Loaded l;
    if (!LoadWave(path, &l, false)) return 0;
    Store(l, wave, true);
    ++Lib().heldWaves;
    return 1;
}

TOVDLL_API int WINAPI TOV_AppendWaveRead(LPCSTR path, tagTOVWAVE* wave) {
    const auto guard = Guard();
    if (!wave) return 0;
    if (DsMode()) return DsAppendWaveRead(path, wave);
    Loaded l;
    if (!LoadWave(path, &l, false)) return 0;
    if (!wave->data) {
        // An empty destination simply receives the samples (and now holds a wave).
        wave->data = l.data;
        wave->size = LONG(l.size);
        ++Lib().heldWaves;
        return 1;
    }
    uint8_t* block = Joined(wave, l.data, l.size, 0);
    TOV_Free(l.data);
    if (!block) return 0;
    Replace(wave, block, l.size);
    return 1;
}

TOVDLL_API tagTOVWAVE* WINAPI TOV_AppendWave(tagTOVWAVE* dst, tagTOVWAVE* src) {
    const auto guard = Guard();
    if (DsMode()) return DsAppendWave(dst, src);
    if (!dst || !src || src == dst || !src->data) return dst;
    if (!dst->data) {
        uint8_t* block = Joined(dst, src->data, uint32_t(src->size), 0);
        if (!block) return dst;
        dst->data = block;
        dst->size = src->size;
        ++Lib().heldWaves;
    } else {
        uint8_t* block = Joined(dst, src->data, uint32_t(src->size), 0);
        if (!block) return dst;
        Replace(dst, block, uint32_t(src->size));
    }
    TOV_WaveFree(src);
    return dst;
}

TOVDLL_API int WINAPI TOV_AppendSpace(tagTOVWAVE* wave, int amount, int) {
    const auto guard = Guard();
    if (DsMode()) return DsAppendSpace(wave, amount);
    if (!wave || !wave->data || amount < 0) return 0;
    uint32_t n = uint32_t(amount);
    if (amount == 1) {
        // One millisecond of silence.
        const int channels = wave->mode == 2 ? 2 : 1;
        n = uint32_t(wave->rate / 1000 * (wave->bit / 8) * channels);
    }
    uint8_t* block = Joined(wave, nullptr, n, 0x80);
    if (!block) return 0;
    Replace(wave, block, n);
    return 1;
}

TOVDLL_API int WINAPI TOV_LockWave(tagTOVWAVE* wave, void** data, DWORD* size) {
    const auto guard = Guard();
    if (DsMode()) return DsLockWave(wave, data, size);
    const bool has = wave && wave->data;
    if (data) *data = has ? wave->data : nullptr;
    if (size) *size = has ? DWORD(wave->size) : 0;
    return has ? 1 : 0;
}

TOVDLL_API int WINAPI TOV_UnlockWave(tagTOVWAVE* wave, void* data, DWORD size) {
    const auto guard = Guard();
    if (DsMode()) return DsUnlockWave(wave, data, size);
    return wave ? 1 : 0;
}

TOVDLL_API int WINAPI TOV_WaveFree(tagTOVWAVE* wave) {
    const auto guard = Guard();
    if (!wave) return 0;
    if (DsMode()) return DsWaveFree(wave);
    MixerForgetWave(wave);
    if (wave->data) {
        TOV_Free(wave->data);
        --Lib().heldWaves;
    }
    wave->data = nullptr;
    wave->rate = wave->bit = wave->mode = wave->size = 0;
    return 1;
}

TOVDLL_API int WINAPI TOV_OggFileExt(LPCSTR ext) {
    const auto guard = Guard();
    if (!ext) return 0;
    lstrcpynA(g_oggExt, ext, sizeof g_oggExt);
    return 1;
}

TOVDLL_API int WINAPI TOV_WavePack(BYTE* dst, const BYTE* src, int n) {
    const auto guard = Guard();
    if (!dst || !src) return 0;
    return PackSamples(dst, src, n);
}

TOVDLL_API int WINAPI TOV_WaveUnPack(BYTE* dst, int n, const BYTE* src) {
    const auto guard = Guard();
    if (!dst || !src) return 0;
    // The caller vouches for a complete stream; every code gives at least one byte, so n
    // bytes never need more than n + 1 bytes of it.
    return UnpackSamples(dst, n, src, n > 0 ? size_t(n) + 1 : 0);
}
