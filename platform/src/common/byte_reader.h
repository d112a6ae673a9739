// The platform layer's reader of file formats: little-endian integers at offsets, checked
// against the bytes actually there. A read past the end yields 0 and marks the reader bad.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wynplat {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Size() const { return size_; }
    bool Ok() const { return ok_; }
    bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    const uint8_t* At(size_t offset, size_t count) {
        if (!Has(offset, count)) {
            ok_ = false;
            return nullptr;
        }
        return data_ + offset;
    }
    uint8_t U8(size_t o) {
        const uint8_t* p = At(o, 1);
        return p ? p[0] : 0;
    }
    uint16_t U16(size_t o) {
        const uint8_t* p = At(o, 2);
        return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
    }
    uint32_t U32(size_t o) {
        const uint8_t* p = At(o, 4);
        return p ? (p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24)) : 0;
    }
    int16_t S16(size_t o) { return static_cast<int16_t>(U16(o)); }
    int32_t S32(size_t o) { return static_cast<int32_t>(U32(o)); }

private:
    const uint8_t* data_;
    size_t size_;
    bool ok_ = true;
};

}  // namespace wynplat
