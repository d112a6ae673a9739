// The one little-endian byte reader and writer of the tree. Every file format is read and
// written field by field through these, each access checked against the bytes actually
// there: a read past the end yields 0 and marks the reader failed, so a parser checks ok()
// once after a group of fields instead of before each one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace wyn {

class ByteReader {
  public:
    ByteReader(const void* data, size_t size)
        : p_(static_cast<const uint8_t*>(data)), n_(data ? size : 0) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t size() const { return n_; }
    size_t left() const { return pos_ <= n_ ? n_ - pos_ : 0; }
    bool has(size_t count) const { return ok_ && count <= left(); }

    bool seek(size_t offset) {
        if (offset > n_) return fail();
        pos_ = offset;
        return ok_;
    }
    bool skip(size_t count) {
        if (!has(count)) return fail();
        pos_ += count;
        return true;
    }
    uint8_t u8() {
        if (!has(1)) return fail(), 0;
        return p_[pos_++];
    }
    uint16_t u16() {
        if (!has(2)) return fail(), 0;
        uint16_t v = uint16_t(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!has(4)) return fail(), 0;
        uint32_t v = uint32_t(p_[pos_]) | uint32_t(p_[pos_ + 1]) << 8 |
                     uint32_t(p_[pos_ + 2]) << 16 | uint32_t(p_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    int32_t i32() { return int32_t(u32()); }
    // The next `count` bytes in place, or nullptr (and failed) when fewer are there.
    const uint8_t* take(size_t count) {
        if (!has(count)) return fail(), nullptr;
        const uint8_t* q = p_ + pos_;
        pos_ += count;
        return q;
    }
    bool bytes(void* out, size_t count) {
        const uint8_t* q = take(count);
        if (!q) return false;
        if (count) std::memcpy(out, q, count);
        return true;
    }
    // A text field of `field` bytes: the bytes up to its first 0, cut to fit `cap` - 1 and
    // always terminated.
    bool text(char* out, size_t cap, size_t field) {
        const uint8_t* q = take(field);
        if (cap == 0) return q != nullptr;
        size_t n = 0;
        if (q)
            while (n < field && n + 1 < cap && q[n]) {
                out[n] = char(q[n]);
                ++n;
            }
        out[n] = 0;
        return q != nullptr;
    }
    // Whether the 4 bytes here equal `tag` (does not move).
    bool at(const char tag[4]) const { return has(4) && std::memcmp(p_ + pos_, tag, 4) == 0; }

  private:
    bool fail() {
        ok_ = false;
        pos_ = n_;
        return false;
    }
    const uint8_t* p_;
    size_t n_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Writes into a caller's buffer of fixed capacity; writing past it marks the writer failed
// and writes nothing more.
class ByteWriter {
  public:
    ByteWriter(void* data, size_t cap) : p_(static_cast<uint8_t*>(data)), n_(data ? cap : 0) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    uint8_t* data() const { return p_; }

    bool u8(uint8_t v) {
        if (!room(1)) return false;
        p_[pos_++] = v;
        return true;
    }
    bool u16(uint16_t v) {
        if (!room(2)) return false;
        p_[pos_++] = uint8_t(v);
        p_[pos_++] = uint8_t(v >> 8);
        return true;
    }
    bool u32(uint32_t v) {
        if (!room(4)) return false;
        for (int i = 0; i < 4; ++i) p_[pos_++] = uint8_t(v >> (8 * i));
        return true;
    }
    bool bytes(const void* src, size_t count) {
        if (!room(count)) return false;
        if (count) std::memcpy(p_ + pos_, src, count);
        pos_ += count;
        return true;
    }
    bool fill(uint8_t v, size_t count) {
        if (!room(count)) return false;
        std::memset(p_ + pos_, v, count);
        pos_ += count;
        return true;
    }
    bool seek(size_t offset) {
        if (offset > n_) return ok_ = false;
        pos_ = offset;
        return ok_;
    }

  private:
    bool room(size_t count) {
        if (!ok_ || count > n_ - pos_) return ok_ = false;
        return true;
    }
    uint8_t* p_;
    size_t n_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace wyn
