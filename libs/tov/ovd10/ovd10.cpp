#include "ovd10.h"

#include <vorbis/vorbisfile.h>

#include <cstring>
#include <vector>

namespace {

struct Memory {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

size_t ReadMem(void* out, size_t size, size_t count, void* source) {
    auto* m = static_cast<Memory*>(source);
    if (size == 0) return 0;
    size_t n = (m->size - m->pos) / size;
    if (n > count) n = count;
    std::memcpy(out, m->data + m->pos, n * size);
    m->pos += n * size;
    return n;
}

int SeekMem(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<Memory*>(source);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? ogg_int64_t(m->pos)
                                            : ogg_int64_t(m->size);
    ogg_int64_t p = base + offset;
    if (p < 0 || p > ogg_int64_t(m->size)) return -1;
    m->pos = size_t(p);
    return 0;
}

long TellMem(void* source) { return long(static_cast<Memory*>(source)->pos); }

void Put16(unsigned char* p, unsigned v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

OVD_API int WINAPI RuvOggDecoder(const void* data, DWORD size, HGLOBAL* wav,
                                 tagRVG_HED_DATA* info) {
    if (wav) *wav = nullptr;
    if (!data || size == 0 || !wav) return RUV_ERR_PARAM;

    Memory mem{static_cast<const unsigned char*>(data), size, 0};
    ov_callbacks cb{ReadMem, SeekMem, nullptr, TellMem};
    OggVorbis_File vf;
    if (ov_open_callbacks(&mem, &vf, nullptr, 0, cb) != 0) return RUV_ERR_STREAM;

    const vorbis_info* vi = ov_info(&vf, -1);
    if (!vi || vi->channels < 1 || vi->rate <= 0) {
        ov_clear(&vf);
        return RUV_ERR_STREAM;
    }
    if (vi->channels > 2) {
        ov_clear(&vf);
        return RUV_ERR_FORMAT;
    }
    const int channels = vi->channels;
    const long rate = vi->rate;
    const long nominal = vi->bitrate_nominal;

    std::vector<unsigned char> pcm;
    char chunk[8192];
    int section = 0;
    for (;;) {
        long got = ov_read(&vf, chunk, sizeof chunk, 0 /*little-endian*/, 2, 1, &section);
        if (got == 0) break;
        if (got < 0) {
            // A hole in the stream is skipped; anything else ends the decode as broken.
            if (got == OV_HOLE) continue;
            ov_clear(&vf);
            return RUV_ERR_STREAM;
        }
        pcm.insert(pcm.end(), chunk, chunk + got);
        if (pcm.size() > 0x7FFF0000u) {
            ov_clear(&vf);
            return RUV_ERR_MEMORY;
        }
    }
    ov_clear(&vf);

    const uint32_t bytes = uint32_t(pcm.size());
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 44 + size_t(bytes));
    if (!h) return RUV_ERR_MEMORY;
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    if (!p) {
        GlobalFree(h);
        return RUV_ERR_MEMORY;
    }
    const unsigned align = unsigned(channels) * 2;
    std::memcpy(p + 0, "RIFF", 4);
    Put32(p + 4, 36 + bytes);
    std::memcpy(p + 8, "WAVE", 4);
    std::memcpy(p + 12, "fmt ", 4);
    Put32(p + 16, 16);
    Put16(p + 20, 1);
    Put16(p + 22, unsigned(channels));
    Put32(p + 24, uint32_t(rate));
    Put32(p + 28, uint32_t(rate) * align);
    Put16(p + 32, align);
    Put16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    Put32(p + 40, bytes);
    if (bytes) std::memcpy(p + 44, pcm.data(), bytes);
    GlobalUnlock(h);

    *wav = h;
    if (info) {
        info->decodeSize = bytes;
        info->samplingRate = LONG(rate);
        info->bitRate = LONG(nominal > 0 ? nominal : 0);
        info->channel = channels;
    }
    return RUV_OK;
}
