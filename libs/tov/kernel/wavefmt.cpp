#include "wavefmt.h"

#include <wynbytes.h>

#include <cmath>
#include <cstring>

namespace tov {
namespace {

// A file with more chunks than this before its samples is not a wave of any tool.
constexpr int kMaxChunks = 1024;

// The extensible format's sub-format GUID for PCM.
constexpr uint8_t kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                  0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool Tag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

}  // namespace

bool ParseWaveHeader(const uint8_t* b, size_t n, WaveHeader* h) {
    if (!b || n < kWaveHeaderSize) return false;
    wyn::ByteReader r(b, n);
    r.seek(10);
    h->packed = r.u8() == 'P';
    h->segmented = r.u8() == 'L';
    r.seek(20);
    h->tag = r.u16();
    h->mode = r.u16();
    h->rate = r.i32();
    r.seek(34);
    h->bit = r.u16();
    r.seek(40);
    h->size = r.u32();
    return r.ok();
}

bool HasFixedWaveLayout(const uint8_t* head44) {
    return head44[10] == 'P' || head44[11] == 'L' || Tag(head44 + 36, "data");
}

bool WalkWaveChunks(const ReadAt& read, uint64_t fileSize, WaveHeader* h, uint64_t* dataAt) {
    uint8_t riff[12];
    if (!read(0, riff, sizeof riff) || !Tag(riff, "RIFF") || !Tag(riff + 8, "WAVE")) return false;
    bool format = false, data = false;
    uint64_t at = 12;
    for (int n = 0; n < kMaxChunks && !(format && data) && at + 8 <= fileSize; ++n) {
        uint8_t head[8];
        if (!read(at, head, sizeof head)) return false;
        const uint32_t length = wyn::ByteReader(head + 4, 4).u32();
        const uint64_t body = at + 8;
        if (body + length > fileSize) return false;
        if (Tag(head, "fmt ") && !format) {
            if (length < 16) return false;
            uint8_t f[40] = {};
            const size_t want = length >= 40 ? 40 : 16;
            if (!read(body, f, want)) return false;
            wyn::ByteReader r(f, want);
            const uint16_t tag = r.u16();
            const bool pcm = tag == 1 || (tag == 0xFFFE && want == 40 &&
                                          std::memcmp(f + 24, kPcmGuid, sizeof kPcmGuid) == 0);
            if (!pcm) return false;
            h->tag = 1;
            h->mode = r.u16();
            h->rate = r.i32();
            r.seek(14);
            h->bit = r.u16();
            format = true;
        } else if (Tag(head, "data") && !data) {
            h->size = length;
            *dataAt = body;
            data = true;
        }
        at = body + length + (length & 1);  // chunks are padded to an even length
    }
    h->packed = h->segmented = false;
    return format && data;
}

bool WaveHeaderFits(const WaveHeader& h, uint64_t available) {
    // Without this the samples of a mu-law, A-law or float file were played as PCM noise.
    if (!h.packed && !h.segmented && h.tag != 1) return false;
    if (h.mode != 1 && h.mode != 2) return false;
    if (h.bit != 8 && h.bit != 16) return false;
    if (h.rate < kMinWaveRate || h.rate > kMaxWaveRate) return false;
    if (h.size > available) return false;
    if (h.packed && h.size < 4) return false;
    return true;
}

uint32_t Reduce16To8(uint8_t* data, uint32_t size) {
    const uint32_t n = size / 2;
    for (uint32_t i = 0; i < n; ++i) data[i] = uint8_t(data[2 * i + 1] + 128);
    return n;
}

namespace {

// The zeroth modified Bessel function of the first kind, for the Kaiser window.
double BesselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 200 && term > 1e-14 * sum; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// One sample of channel `c` of frame `i` (8-bit unsigned or 16-bit signed); frames outside the
// data repeat the first or the last one, so the ends do not fade.
struct Samples {
    const uint8_t* data;
    uint64_t frames;
    int channels, bits;
    double At(int64_t i, int c) const {
        if (i < 0) i = 0;
        if (uint64_t(i) >= frames) i = int64_t(frames) - 1;
        const uint64_t at = uint64_t(i) * uint64_t(channels) + uint64_t(c);
        if (bits == 8) return data[at];
        return double(int16_t(uint16_t(data[2 * at] | data[2 * at + 1] << 8)));
    }
    // The low-passed value at frame i.
    double Filtered(const std::vector<double>& taps, int64_t i, int c) const {
        const int64_t half = int64_t(taps.size() / 2);
        const size_t n = taps.size();
        double y = 0.0;
        if (i - half < 0 || uint64_t(i + half) >= frames) {
            for (size_t j = 0; j < n; ++j) y += taps[j] * At(i - half + int64_t(j), c);
            return y;
        }
        // Inside the data, as nearly always: no ends to look after.
        const size_t step = size_t(channels);
        const size_t first = size_t(i - half) * step + size_t(c);
        if (bits == 8) {
            const uint8_t* p = data + first;
            for (size_t j = 0; j < n; ++j) y += taps[j] * double(p[j * step]);
        } else {
            const uint8_t* p = data + 2 * first;
            for (size_t j = 0; j < n; ++j)
                y +=
                    taps[j] * double(int16_t(uint16_t(p[2 * j * step] | p[2 * j * step + 1] << 8)));
        }
        return y;
    }
};

void Store(uint8_t* out, uint64_t at, double v, int bits) {
    const double r = std::floor(v + 0.5);
    if (bits == 8) {
        out[at] = uint8_t(r < 0.0 ? 0.0 : r > 255.0 ? 255.0 : r);
        return;
    }
    const int16_t s = int16_t(r < -32768.0 ? -32768.0 : r > 32767.0 ? 32767.0 : r);
    out[2 * at] = uint8_t(uint16_t(s));
    out[2 * at + 1] = uint8_t(uint16_t(s) >> 8);
}

}  // namespace

std::vector<double> LowPassTaps(int rate) {
    if (rate <= 22050) return {};
    // Pass band to 9475 Hz, stop band from 11025 Hz; Kaiser's estimates are a little short,
    // so 65 dB are asked for 60.
    const double attenuation = 65.0, cutoff = 10250.0, width = 1550.0;
    const double beta = 0.1102 * (attenuation - 8.7);
    const double dw = 2.0 * M_PI * width / rate;
    int order = int(std::ceil((attenuation - 8.0) / (2.285 * dw)));
    order += order & 1;
    const int half = order / 2;
    const double fc = cutoff / rate;  // cycles per sample
    std::vector<double> taps(size_t(order) + 1);
    double sum = 0.0;
    for (int n = 0; n <= order; ++n) {
        const int d = n - half;
        const double sinc = d == 0 ? 2.0 * fc : std::sin(2.0 * M_PI * fc * d) / (M_PI * d);
        const double ratio = double(d) / half;
        const double window = BesselI0(beta * std::sqrt(1.0 - ratio * ratio)) / BesselI0(beta);
        taps[size_t(n)] = sinc * window;
        sum += taps[size_t(n)];
    }
    for (double& t : taps) t /= sum;
    return taps;
}

uint32_t HalveRate(uint8_t* data, uint32_t size, int channels, int bits) {
    if (channels <= 0 || (bits != 8 && bits != 16)) return size;
    const uint32_t fb = uint32_t(channels * bits / 8);
    const uint32_t frames = size / fb;
    const uint32_t kept = (frames + 1) / 2;
    // The filter reads around each kept frame, so it works from a copy.
    const std::vector<uint8_t> in(data, data + uint64_t(frames) * fb);
    const Samples s{in.data(), frames, channels, bits};
    const std::vector<double> taps = LowPassTaps(44100);
    for (uint32_t k = 0; k < kept; ++k)
        for (int c = 0; c < channels; ++c)
            Store(data, uint64_t(k) * uint64_t(channels) + uint64_t(c),
                  s.Filtered(taps, int64_t(2 * k), c), bits);
    return kept * fb;
}

void Pcm16To8(uint8_t* out, const uint8_t* pcm, uint32_t size) {
    const uint32_t n = size / 2;
    for (uint32_t i = 0; i < n; ++i) {
        const int16_t s = int16_t(uint16_t(pcm[2 * i] | pcm[2 * i + 1] << 8));
        out[i] = uint8_t((s >> 8) + 128);
    }
}

uint64_t ResampledSize(uint32_t size, int rate, int channels) {
    if (rate <= 0 || channels <= 0) return 0;
    const uint64_t frames = size / uint32_t(channels);
    return frames * 22050u / uint64_t(rate) * uint64_t(channels);
}

void ResampleTo22050(uint8_t* out, const uint8_t* in, uint32_t size, int rate, int channels) {
    const uint64_t frames = size / uint32_t(channels);
    const uint64_t outFrames = ResampledSize(size, rate, channels) / uint64_t(channels);
    if (rate > 22050) {
        const Samples s{in, frames, channels, 8};
        const std::vector<double> taps = LowPassTaps(rate);
        for (uint64_t k = 0; k < outFrames; ++k) {
            const uint64_t at = k * uint64_t(rate);
            const uint64_t i = at / 22050u, r = at % 22050u;
            for (int c = 0; c < channels; ++c) {
                const double a = s.Filtered(taps, int64_t(i), c);
                const double b = r ? s.Filtered(taps, int64_t(i) + 1, c) : a;
                Store(out, k * uint64_t(channels) + uint64_t(c),
                      (a * double(22050u - r) + b * double(r)) / 22050.0, 8);
            }
        }
        return;
    }
    for (uint64_t k = 0; k < outFrames; ++k) {
        // The source position k × rate / 22050 as a whole frame and a remainder in 22050ths.
        const uint64_t at = k * uint64_t(rate);
        const uint64_t i = at / 22050u, r = at % 22050u;
        const uint64_t j = i + 1 < frames ? i + 1 : i;
        for (int c = 0; c < channels; ++c) {
            const uint64_t a = in[i * uint64_t(channels) + uint64_t(c)];
            const uint64_t b = in[j * uint64_t(channels) + uint64_t(c)];
            out[k * uint64_t(channels) + uint64_t(c)] =
                uint8_t((a * (22050u - r) + b * r + 11025u) / 22050u);
        }
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
