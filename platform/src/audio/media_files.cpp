#include "audio/media_files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

#include <wynbytes.h>

namespace wyn::media {
namespace {

constexpr uint64_t kRate = 22050;

// Reads at offsets through the tree's one byte reader; a read past the end gives 0 and
// leaves the reader failed.
class At {
  public:
    At(const uint8_t* data, size_t size) : r_(data, size), size_(size) {}
    bool Ok() const { return r_.ok(); }
    bool Has(size_t offset, size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    const uint8_t* Bytes(size_t offset, size_t count) {
        return r_.seek(offset) ? r_.take(count) : nullptr;
    }
    uint8_t U8(size_t o) { return r_.seek(o) ? r_.u8() : 0; }
    uint16_t U16(size_t o) { return r_.seek(o) ? r_.u16() : 0; }
    uint32_t U32(size_t o) { return r_.seek(o) ? r_.u32() : 0; }
    int32_t S32(size_t o) { return int32_t(U32(o)); }

  private:
    wyn::ByteReader r_;
    size_t size_;
};

bool Tag(At& r, size_t at, const char* tag) {
    const uint8_t* p = r.Bytes(at, 4);
    return p && std::memcmp(p, tag, 4) == 0;
}

// Calls `each(id, offset, size)` for every chunk in [begin, end), sizes cut to the bytes
// there. LIST chunks are reported with their list type in place of the id.
template <class F>
void Chunks(At& r, size_t begin, size_t end, F each) {
    size_t at = begin;
    while (at + 8 <= end && r.Has(at, 8)) {
        char id[5] = {};
        std::memcpy(id, r.Bytes(at, 4), 4);
        size_t size = r.U32(at + 4);
        size_t body = at + 8;
        size = std::min(size, end - body);
        if (std::strcmp(id, "LIST") == 0 && size >= 4) {
            char type[5] = {};
            std::memcpy(type, r.Bytes(body, 4), 4);
            each(std::string(type), body + 4, size - 4, true);
        } else {
            each(std::string(id), body, size, false);
        }
        at = body + size + (size & 1);
    }
}

// Rates outside this range are no sound anyone recorded, and a tiny one would blow a small
// file up to gigabytes at the output's rate.
bool PlausibleRate(int rate) { return rate >= 1000 && rate <= 400000; }

}  // namespace

uint64_t MsToFrames(uint64_t ms) { return (ms * kRate + 999) / 1000; }
uint64_t FramesToMs(uint64_t frames) { return frames * 1000 / kRate; }

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes->insert(bytes->end(), buf, buf + n);
    std::fclose(f);
    return true;
}

void ConvertPcm(const uint8_t* data, size_t size, int channels, int bits, int rate,
                std::vector<int16_t>* frames) {
    frames->clear();
    if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || !PlausibleRate(rate)) return;
    const size_t frameBytes = size_t(channels) * (bits / 8);
    const uint64_t in = size / frameBytes;
    const uint64_t out = in * kRate / uint64_t(rate);
    frames->resize(out * 2);
    auto sample = [&](uint64_t i, int c) -> int16_t {
        const uint8_t* p = data + i * frameBytes + c * (bits / 8);
        if (bits == 8) return int16_t((int(p[0]) - 128) << 8);
        return int16_t(uint16_t(p[0] | (p[1] << 8)));
    };
    for (uint64_t o = 0; o < out; ++o) {
        const uint64_t i = std::min(in - 1, o * uint64_t(rate) / kRate);
        const int16_t l = sample(i, 0);
        (*frames)[2 * o] = l;
        (*frames)[2 * o + 1] = channels == 2 ? sample(i, 1) : l;
    }
}

bool DecodeWave(const uint8_t* data, size_t size, std::vector<int16_t>* frames) {
    At r(data, size);
    if (!Tag(r, 0, "RIFF") || !Tag(r, 8, "WAVE")) return false;
    int channels = 0, bits = 0, rate = 0;
    bool format = false;
    size_t dataAt = 0, dataSize = 0;
    bool haveData = false;
    Chunks(r, 12, size, [&](const std::string& id, size_t at, size_t n, bool) {
        if (id == "fmt " && n >= 16) {
            format = r.U16(at) == 1;
            channels = r.U16(at + 2);
            rate = int(r.U32(at + 4));
            bits = r.U16(at + 14);
        } else if (id == "data" && !haveData) {
            dataAt = at;
            dataSize = n;
            haveData = true;
        }
    });
    if (!format || !haveData || channels < 1 || channels > 2 || (bits != 8 && bits != 16) ||
        !PlausibleRate(rate))
        return false;
    ConvertPcm(data + dataAt, dataSize, channels, bits, rate, frames);
    return true;
}

void Movie::Pixels(const std::vector<uint8_t>& file, size_t index,
                   std::vector<uint32_t>* out) const {
    out->assign(size_t(width) * height, 0);
    if (index >= frames.size()) return;
    const size_t stride = (size_t(width) * (bits / 8) + 3) & ~size_t(3);
    const uint8_t* base = file.data() + frames[index];
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = base + stride * size_t(bottomUp ? height - 1 - y : y);
        uint32_t* dst = out->data() + size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            if (bits == 8) {
                dst[x] = palette[row[x]];
            } else {
                const uint8_t* p = row + 3 * x;
                dst[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
        }
    }
}

bool ParseMovie(const uint8_t* data, size_t size, Movie* movie) {
    At r(data, size);
    if (!Tag(r, 0, "RIFF") || !Tag(r, 8, "AVI ")) return false;
    Movie m;
    int videoStream = -1, soundStream = -1, stream = 0;
    int channels = 0, bits = 0, rate = 0, format = 0;
    size_t frameBytes = 0;
    std::vector<std::pair<size_t, size_t>> soundChunks;
    bool ok = true;
    Chunks(r, 12, size, [&](const std::string& id, size_t at, size_t n, bool list) {
        if (id == "hdrl" && list) {
            Chunks(r, at, at + n, [&](const std::string& id2, size_t at2, size_t n2, bool list2) {
                if (id2 == "avih" && n2 >= 40) {
                    m.usPerFrame = r.U32(at2);
                } else if (id2 == "strl" && list2) {
                    std::string type;
                    Chunks(
                        r, at2, at2 + n2, [&](const std::string& id3, size_t at3, size_t n3, bool) {
                            if (id3 == "strh" && n3 >= 4) {
                                type.assign(reinterpret_cast<const char*>(r.Bytes(at3, 4)), 4);
                            } else if (id3 == "strf" && type == "vids" && videoStream < 0 &&
                                       n3 >= 40) {
                                videoStream = stream;
                                m.width = r.S32(at3 + 4);
                                const int32_t h = r.S32(at3 + 8);
                                m.bottomUp = h > 0;
                                // -2^31 has no positive twin: held so that it is refused as
                                // too tall below.
                                m.height = h > 0 ? h : h == INT32_MIN ? INT32_MAX : -h;
                                m.bits = r.U16(at3 + 14);
                                if (r.U32(at3 + 16) != 0) ok = false;  // compressed frames
                                const size_t header = r.U32(at3);
                                uint32_t used = r.U32(at3 + 32);
                                if (m.bits == 8) {
                                    if (used == 0 || used > 256) used = 256;
                                    for (uint32_t i = 0; i < used && header + 4 * i + 4 <= n3; ++i)
                                        m.palette[i] = r.U32(at3 + header + 4 * i) & 0xFFFFFF;
                                }
                            } else if (id3 == "strf" && type == "auds" && soundStream < 0 &&
                                       n3 >= 16) {
                                soundStream = stream;
                                format = r.U16(at3);
                                channels = r.U16(at3 + 2);
                                rate = int(r.U32(at3 + 4));
                                bits = r.U16(at3 + 14);
                            }
                        });
                    ++stream;
                }
            });
        } else if (id == "movi" && list) {
            auto take = [&](const std::string& id2, size_t at2, size_t n2) {
                if (id2.size() != 4 || id2[0] < '0' || id2[0] > '9' || id2[1] < '0' || id2[1] > '9')
                    return;
                const int s = (id2[0] - '0') * 10 + (id2[1] - '0');
                if (s == videoStream && (id2.substr(2) == "db" || id2.substr(2) == "dc")) {
                    if (n2 >= frameBytes)
                        m.frames.push_back(at2);
                    else
                        ok = false;
                } else if (s == soundStream && id2.substr(2) == "wb") {
                    soundChunks.emplace_back(at2, n2);
                }
            };
            frameBytes =
                ((size_t(std::max(m.width, 0)) * (m.bits / 8) + 3) & ~size_t(3)) * size_t(m.height);
            Chunks(r, at, at + n, [&](const std::string& id2, size_t at2, size_t n2, bool list2) {
                if (list2 && id2 == "rec ")
                    Chunks(r, at2, at2 + n2,
                           [&](const std::string& id3, size_t at3, size_t n3, bool) {
                               take(id3, at3, n3);
                           });
                else
                    take(id2, at2, n2);
            });
        }
    });
    if (!ok || !r.Ok() || videoStream < 0 || (m.bits != 8 && m.bits != 24) || m.width <= 0 ||
        m.height <= 0 || m.width > 4096 || m.height > 4096 || m.usPerFrame == 0 || m.frames.empty())
        return false;
    // Every frame whole inside the file, whatever order the lists came in.
    const size_t wholeFrame =
        ((size_t(m.width) * (m.bits / 8) + 3) & ~size_t(3)) * size_t(m.height);
    for (size_t at : m.frames)
        if (!r.Has(at, wholeFrame)) return false;
    if (soundStream >= 0) {
        if (format != 1 || channels < 1 || channels > 2 || (bits != 8 && bits != 16) ||
            !PlausibleRate(rate))
            return false;
        std::vector<uint8_t> pcm;
        for (auto [at, n] : soundChunks) pcm.insert(pcm.end(), data + at, data + at + n);
        ConvertPcm(pcm.data(), pcm.size(), channels, bits, rate, &m.sound);
    }
    *movie = std::move(m);
    return true;
}

bool ParseSong(const uint8_t* data, size_t size, Song* song) {
    At r(data, size);
    if (!Tag(r, 0, "MThd") || r.U32(4) < 6) return false;
    auto be16 = [&](size_t at) { return uint32_t(r.U8(at)) << 8 | r.U8(at + 1); };
    auto be32 = [&](size_t at) { return be16(at) << 16 | be16(at + 2); };
    const uint32_t format = be16(8), tracks = be16(10), division = be16(12);
    if (format > 1 || tracks == 0 || division == 0) return false;
    struct Raw {
        uint64_t tick;
        uint32_t order;
        uint32_t tempo;  // non-zero: a tempo change
        uint8_t bytes[3];
        uint8_t size;
    };
    std::vector<Raw> raw;
    uint64_t lastTick = 0;
    size_t at = 8 + be32(4);
    for (uint32_t t = 0; t < tracks; ++t) {
        if (!r.Has(at, 8) || !Tag(r, at, "MTrk")) return false;
        const size_t len = be32(at + 4);
        size_t p = at + 8;
        const size_t end = p + len;
        if (!r.Has(p, len)) return false;
        uint64_t tick = 0;
        uint8_t running = 0;
        auto vlq = [&](uint64_t* v) {
            *v = 0;
            for (int i = 0; i < 4; ++i) {
                if (p >= end) return false;
                const uint8_t b = r.U8(p++);
                *v = (*v << 7) | (b & 0x7F);
                if (!(b & 0x80)) return true;
            }
            return false;
        };
        while (p < end) {
            uint64_t delta;
            if (!vlq(&delta)) return false;
            tick += delta;
            if (p >= end) return false;
            uint8_t status = r.U8(p);
            if (status & 0x80)
                ++p;
            else if (running)
                status = running;
            else
                return false;
            if (status == 0xFF) {
                if (p >= end) return false;
                const uint8_t type = r.U8(p++);
                uint64_t n;
                if (!vlq(&n) || n > end - p) return false;
                if (type == 0x51 && n == 3)
                    raw.push_back(
                        {tick,
                         uint32_t(raw.size()),
                         std::max<uint32_t>(
                             1, uint32_t(r.U8(p)) << 16 | uint32_t(r.U8(p + 1)) << 8 | r.U8(p + 2)),
                         {},
                         0});
                p += n;
                if (type == 0x2F) break;
            } else if (status == 0xF0 || status == 0xF7) {
                uint64_t n;
                if (!vlq(&n) || n > end - p) return false;
                p += n;
            } else if (status >= 0x80 && status < 0xF0) {
                running = status;
                const uint8_t n = (status & 0xE0) == 0xC0 ? 1 : 2;
                if (end - p < n) return false;
                Raw e{tick,
                      uint32_t(raw.size()),
                      0,
                      {status, r.U8(p), n == 2 ? r.U8(p + 1) : uint8_t(0)},
                      uint8_t(n + 1)};
                raw.push_back(e);
                p += n;
            } else {
                return false;
            }
        }
        lastTick = std::max(lastTick, tick);
        at = end;
    }
    std::stable_sort(raw.begin(), raw.end(),
                     [](const Raw& a, const Raw& b) { return a.tick < b.tick; });
    Song s;
    // Ticks to microseconds through the tempo map; SMPTE divisions have a fixed tick length.
    const bool smpte = division & 0x8000;
    const double smpteUs =
        smpte
            ? 1e6 / (double(256 - (division >> 8)) * double(division & 0xFF ? division & 0xFF : 1))
            : 0;
    uint64_t baseTick = 0;
    double baseUs = 0;
    uint32_t tempo = 500000;
    auto toUs = [&](uint64_t tick) {
        if (smpte) return uint64_t(double(tick) * smpteUs);
        return uint64_t(baseUs + double(tick - baseTick) * tempo / division);
    };
    for (const Raw& e : raw) {
        if (e.tempo) {
            if (!smpte) {
                baseUs = baseUs + double(e.tick - baseTick) * tempo / division;
                baseTick = e.tick;
                tempo = e.tempo;
            }
            continue;
        }
        MidiEvent m{toUs(e.tick), {e.bytes[0], e.bytes[1], e.bytes[2]}, e.size};
        s.events.push_back(m);
    }
    s.lengthUs = toUs(std::max(lastTick, baseTick));
    *song = std::move(s);
    return true;
}

}  // namespace wyn::media
