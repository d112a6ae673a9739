#include "wavefmt.h"

#include <wynbytes.h>

namespace tov {

bool ParseWaveHeader(const uint8_t* b, size_t n, WaveHeader* h) {
    if (!b || n < kWaveHeaderSize) return false;
    wyn::ByteReader r(b, n);
    r.seek(10);
    h->packed = r.u8() == 'P';
    h->segmented = r.u8() == 'L';
    r.seek(22);
    h->mode = r.u16();
    h->rate = r.i32();
    r.seek(34);
    h->bit = r.u16();
    r.seek(40);
    h->size = r.u32();
    return r.ok();
}

bool WaveHeaderFits(const WaveHeader& h, uint64_t available) {
    if (h.mode != 1 && h.mode != 2) return false;
    if (h.bit != 8 && h.bit != 16) return false;
    if (h.rate <= 0) return false;
    if (h.size > available) return false;
    if (h.packed && h.size < 4) return false;
    return true;
}

uint32_t Reduce16To8(uint8_t* data, uint32_t size) {
    const uint32_t n = size / 2;
    for (uint32_t i = 0; i < n; ++i) data[i] = uint8_t(data[2 * i + 1] + 128);
    return n;
}

uint32_t HalveRate(uint8_t* data, uint32_t size, int frameBytes) {
    if (frameBytes <= 0) return size;
    const uint32_t fb = uint32_t(frameBytes);
    const uint32_t frames = size / fb;
    const uint32_t kept = (frames + 1) / 2;
    for (uint32_t k = 0; k < kept; ++k)
        for (uint32_t c = 0; c < fb; ++c) data[k * fb + c] = data[2 * k * fb + c];
    return kept * fb;
}

void Pcm16To8(uint8_t* out, const uint8_t* pcm, uint32_t size) {
    const uint32_t n = size / 2;
    for (uint32_t i = 0; i < n; ++i) {
        const int16_t s = int16_t(uint16_t(pcm[2 * i] | pcm[2 * i + 1] << 8));
        out[i] = uint8_t((s >> 8) + 128);
    }
}

void ScanSegments(const uint8_t* data, uint32_t size, int32_t top[], int32_t bottom[],
                  int32_t length[]) {
    for (int i = 0; i < kSegments; ++i) top[i] = bottom[i] = length[i] = 0;
    uint32_t j = 0;
    for (int i = 0; i < kSegments - 1 && j < size; ++i) {
        top[i] = int32_t(j);
        length[i] = 0;
        for (;;) {
            ++j;
            ++length[i];
            if (j >= size) {
                bottom[i] = int32_t(size);
                return;
            }
            if (data[j] == 0xFF) {
                bottom[i] = int32_t(j);
                ++j;  // step over the marker
                break;
            }
        }
    }
}

}  // namespace tov
