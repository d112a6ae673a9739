// Pitched reading: a cubic-convolution resampler over 8-bit unsigned samples.
#pragma once

#include <cstdint>

namespace tov {

// The kernel weight for a neighbour at distance d.
float CubicWeight(float d);

// One output at source position i + t (0 <= t < 1) of `count` samples spaced `stride` bytes
// apart; neighbours outside the wave are its first or last sample. Clamped to 0..255.
uint8_t CubicAt(const uint8_t* s, int count, int stride, int i, float t);

// Writes n outputs (frames of `channels` bytes) starting at source position x and moving by
// p per output; returns the position after the last one (x + n * p, single precision).
float PitchedRead(uint8_t* out, const uint8_t* src, int count, int channels, float x, float p,
                  int n);

}  // namespace tov
