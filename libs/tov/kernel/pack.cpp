#include "pack.h"

namespace tov {
namespace {

class BitWriter {
  public:
    explicit BitWriter(uint8_t* dst) : dst_(dst) {}
    // Writes the `bits` low bits of v, highest first.
    void put(uint32_t v, int bits) {
        for (int b = bits - 1; b >= 0; --b) {
            if (fill_ == 0) dst_[len_++] = 0;
            if ((v >> b) & 1) dst_[len_ - 1] |= uint8_t(0x80 >> fill_);
            fill_ = (fill_ + 1) & 7;
        }
    }
    int length() const { return int(len_); }

  private:
    uint8_t* dst_;
    size_t len_ = 0;
    int fill_ = 0;
};

class BitReader {
  public:
    BitReader(const uint8_t* src, size_t len) : src_(src), bits_(len * 8) {}
    bool has(size_t n) const { return pos_ + n <= bits_; }
    uint32_t get(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++pos_)
            v = (v << 1) | ((src_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1u);
        return v;
    }

  private:
    const uint8_t* src_;
    size_t bits_;
    size_t pos_ = 0;
};

}  // namespace

int PackSamples(uint8_t* dst, const uint8_t* src, int n) {
    if (n <= 0) return 0;
    BitWriter out(dst);
    out.put(0, 1);
    out.put(src[0] >> 1, 7);
    int i = 1;
    while (i < n) {
        const int p = src[i - 1] >> 1;
        int r = 0;
        while (i + r < n && r < 287 && (src[i + r] >> 1) == p) ++r;
        if (r > 0) {
            if (r < 32) {
                out.put(0b111, 3);
                out.put(uint32_t(r - 1), 5);
            } else {
                out.put(0xFF, 8);
                out.put(uint32_t(r - 32), 8);
            }
            i += r;
            continue;
        }
        const int c = src[i] >> 1;
        switch (c - p) {
            case -2:
                out.put(0b1000, 4);
                break;
            case -1:
                out.put(0b1001, 4);
                break;
            case 1:
                out.put(0b1010, 4);
                break;
            case 2:
                out.put(0b1011, 4);
                break;
            case -4:
                out.put(0b11000, 5);
                break;
            case -3:
                out.put(0b11001, 5);
                break;
            case 3:
                out.put(0b11010, 5);
                break;
            case 4:
                out.put(0b11011, 5);
                break;
            default:
                out.put(0, 1);
                out.put(uint32_t(c), 7);
        }
        ++i;
    }
    return out.length();
}

int UnpackSamples(uint8_t* dst, int n, const uint8_t* src, size_t srcLen) {
    if (n <= 0 || !src) return 0;
    BitReader in(src, srcLen);
    int w = 0;
    uint8_t prev = 0;
    auto emit = [&](uint8_t v, int times) {
        while (times-- > 0 && w < n) dst[w++] = v;
    };
    static const int kSteps4[4] = {-4, -2, 2, 4};
    static const int kSteps5[4] = {-8, -6, 6, 8};
    while (w < n && in.has(1)) {
        if (in.get(1) == 0) {
            if (!in.has(7)) break;
            emit(uint8_t(in.get(7) * 2), 1);
        } else {
            if (!in.has(1)) break;
            if (in.get(1) == 0) {
                if (!in.has(2)) break;
                emit(uint8_t(prev + kSteps4[in.get(2)]), 1);
            } else {
                if (!in.has(1)) break;
                if (in.get(1) == 0) {
                    if (!in.has(2)) break;
                    emit(uint8_t(prev + kSteps5[in.get(2)]), 1);
                } else {
                    if (!in.has(5)) break;
                    const uint32_t r = in.get(5);
                    if (r < 31) {
                        emit(prev, int(r) + 1);
                    } else {
                        if (!in.has(8)) break;
                        emit(prev, int(in.get(8)) + 32);
                    }
                }
            }
        }
        // A 0xFE would lose a segment marker to the 7-bit reduction: it stands for 0xFF.
        if (w > 0 && dst[w - 1] == 0xFE) dst[w - 1] = 0xFF;
        if (w > 0) prev = dst[w - 1];
    }
    return w;
}

}  // namespace tov
