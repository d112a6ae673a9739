// The packed-wave codec: 8-bit samples reduced to 7 bits and coded as literals, small steps
// and runs in a bit stream written most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tov {

// Packs n samples into dst and returns the packed length in bytes (a partly filled last byte
// counts; its unused low bits are 0). dst must hold PackBound(n) bytes.
int PackSamples(uint8_t* dst, const uint8_t* src, int n);
// The most bytes PackSamples can write for n samples (every sample a literal of 8 bits).
inline size_t PackBound(int n) { return n > 0 ? size_t(n) + 1 : 1; }

// Unpacks until n bytes are written or the `srcLen` bytes of input are used up, whichever
// comes first. Returns the number of bytes written.
int UnpackSamples(uint8_t* dst, int n, const uint8_t* src, size_t srcLen);

// The most bytes `srcLen` bytes of packed stream can unpack to: the densest code is the long
// run (16 bits for 287 bytes). A header that claims more does not describe its data.
inline uint64_t UnpackBound(size_t srcLen) { return uint64_t(srcLen) * 8 * 287 / 16 + 287; }

}  // namespace tov
