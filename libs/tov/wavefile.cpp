// Wave files and the mixer's wave records: reading (the system's own fixed header, other
// tools' chunks, packed, segmented, Ogg through the outside decoder) into the mixer's form or
// a sound buffer's, and the mixer's records: appending, direct access, freeing.
#include <cstring>

#include <wynbytes.h>

#include "nxl_vfs.h"
#include "ovd10.h"
#include "pack.h"
#include "tov_internal.h"
#include "voice.h"
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
    if (r != 0 || !mem) {
        // Not a stream the decoder takes (another codec in Ogg pages, a RIFF wave named so):
        // the user hears nothing, so says why.
        if (mem) GlobalFree(mem);
        FormatBox();
        return false;
    }
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

// The RIFF route: the fixed header of the system's own files, else the chunks of another
// tool's file; then the samples, in a block tagged with the path. Shows the format box for a
// file it cannot take.
bool ReadRiff(HANDLE file, uint32_t fileSize, const char* path, Loaded* out, bool* packed) {
    uint64_t pos = 0;  // where the handle stands, from the start of the file
    const ReadAt read = [&](uint64_t at, uint8_t* buf, size_t n) {
        if (at + n > fileSize) return false;
        if (at != pos) {
            const int64_t by = int64_t(at) - int64_t(pos);
            LONG high = LONG(by >> 32);
            if (SetFilePointer(file, LONG(uint32_t(by)), &high, FILE_CURRENT) ==
                    INVALID_SET_FILE_POINTER &&
                GetLastError() != NO_ERROR)
                return false;
            pos = at;
        }
        if (!ReadExactly(file, buf, DWORD(n))) return false;
        pos += n;
        return true;
    };
    uint8_t head[kWaveHeaderSize];
    WaveHeader h;
    uint64_t dataAt = kWaveHeaderSize;
    bool ok = read(0, head, sizeof head);
    if (ok && HasFixedWaveLayout(head))
        ok = ParseWaveHeader(head, sizeof head, &h);
    else if (ok)
        ok = WalkWaveChunks(read, fileSize, &h, &dataAt);
    if (!ok || !WaveHeaderFits(h, fileSize - dataAt)) {
        FormatBox();
        return false;
    }
    out->rate = h.rate;
    out->bit = h.bit;
    out->mode = h.mode;
    out->size = h.size;
    out->segmented = h.segmented;
    *packed = h.packed;
    out->data = static_cast<uint8_t*>(TOV_Alloc2(h.size ? h.size : 1, path));
    if (!out->data) return false;
    uint8_t none = 0;
    if (!read(dataAt, h.size ? out->data : &none, h.size)) {
        TOV_Free(out->data);
        out->data = nullptr;
        return false;
    }
    return true;
}

// A mixer-form wave at a rate the mixer has no routine for becomes 22050 Hz, so that it plays
// at its own length and pitch. Segmented waves are mixed as 11025 Hz whatever their rate.
bool ToMixerRate(Loaded* w, const char* path) {
    if (w->segmented || MixerPlays(w->rate, w->mode)) return true;
    const uint64_t size = ResampledSize(w->size, w->rate, w->mode);
    if (size > 0x7FFFFFFFu) {
        Box(Lib().parent, MessageText(kMsgMemory), gen::kCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    auto* out = static_cast<uint8_t*>(TOV_Alloc2(DWORD(size ? size : 1), path));
    if (!out) return false;
    ResampleTo22050(out, w->data, w->size, w->rate, w->mode);
    TOV_Free(w->data);
    w->data = out;
    w->size = uint32_t(size);
    w->rate = 22050;
    return true;
}

}  // namespace

// Reads a wave file into `out` in the given form. Shows the library's box for a missing file
// or a header that does not describe its data.
bool LoadWave(const char* path, Loaded* out, WaveForm form) {
    if (!path) return false;
    const bool keep16 = form == WaveForm::kBuffer;
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
    if (gen::kOgg && SameTextNoCase(Extension(path), g_oggExt))
        ok = ReadOgg(file, entry.size, path, out, keep16);
    else
        ok = ReadRiff(file, entry.size, path, out, &packed);
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
        out->size = HalveRate(out->data, out->size, out->mode, out->bit);
        out->rate = 22050;
    }
    if (form == WaveForm::kMixer && !ToMixerRate(out, path)) {
        TOV_Free(out->data);
        out->data = nullptr;
        return false;
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

// A new block holding the record's samples (none when it holds no data) and then `n` bytes:
// those of `bytes`, or `fill` when it is null.
uint8_t* Joined(const tagTOVWAVE* dst, const uint8_t* bytes, uint32_t n, uint8_t fill) {
    const uint32_t have = dst->data && dst->size > 0 ? uint32_t(dst->size) : 0;
    const uint64_t total = uint64_t(have) + n;
    if (total > 0x7FFFFFFFu) {
        Box(Lib().parent, MessageText(kMsgMemory), gen::kCaption, MB_OK | MB_ICONERROR);
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(TOV_Alloc2(DWORD(total ? total : 1), "append"));
    if (!block) return nullptr;
    if (have) std::memcpy(block, dst->data, have);
    if (bytes)
        std::memcpy(block + have, bytes, n);
    else
        std::memset(block + have, fill, n);
    return block;
}

void Replace(tagTOVWAVE* w, uint8_t* block, uint32_t added) {
    TOV_Free(w->data);
    w->data = block;
    w->size += LONG(added);
}

}  // namespace

void WavesReset() { lstrcpynA(g_oggExt, "rvg", sizeof g_oggExt); }

int MixerWaveRead(const char* path, tagTOVWAVE* wave) {
    Loaded l;
    if (!LoadWave(path, &l, WaveForm::kMixer)) return 0;
    Store(l, wave, true);
    ++Lib().heldWaves;
    return 1;
}

int MixerAppendWaveRead(const char* path, tagTOVWAVE* wave) {
    Loaded l;
    if (!LoadWave(path, &l, WaveForm::kMixer)) return 0;
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

tagTOVWAVE* MixerAppendWave(tagTOVWAVE* dst, tagTOVWAVE* src) {
    uint8_t* block = Joined(dst, src->data, uint32_t(src->size), 0);
    if (!block) return dst;
    if (!dst->data) {
        dst->data = block;
        dst->size = src->size;
        ++Lib().heldWaves;
    } else {
        Replace(dst, block, uint32_t(src->size));
    }
    MixerWaveFree(src);
    return dst;
}

int MixerAppendSilence(tagTOVWAVE* wave, uint32_t bytes) {
    uint8_t* block = Joined(wave, nullptr, bytes, 0x80);
    if (!block) return 0;
    Replace(wave, block, bytes);
    return 1;
}

bool MixerLockWave(tagTOVWAVE* wave, void** data, DWORD* size) {
    *data = wave->data;
    *size = DWORD(wave->size);
    return true;
}

int MixerUnlockWave(tagTOVWAVE*, void*, DWORD) { return 1; }

int MixerWaveFree(tagTOVWAVE* wave) {
    MixerForgetWave(wave);
    if (wave->data) {
        TOV_Free(wave->data);
        --Lib().heldWaves;
    }
    wave->data = nullptr;
    wave->rate = wave->bit = wave->mode = wave->size = 0;
    return 1;
}

}  // namespace tov

using namespace tov;

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
