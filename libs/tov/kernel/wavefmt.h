// The wave file as the sound library reads it: a fixed 44-byte header (no chunk walking)
// and the sample data, plus the reductions made while reading and the segment scan.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tov {

inline constexpr size_t kWaveHeaderSize = 44;
inline constexpr int kSegments = 9;  // segment entries of a wave record; the ninth stays 0

struct WaveHeader {
    int mode = 0;            // channels
    int rate = 0;            // samples per second
    int bit = 0;             // bits per sample
    uint32_t size = 0;       // bytes of data behind the header (packed: the packed block's length)
    bool packed = false;     // byte 10 'P'
    bool segmented = false;  // byte 11 'L'
};

// Reads the fields of a 44-byte header. False when fewer than 44 bytes are given.
bool ParseWaveHeader(const uint8_t* bytes, size_t n, WaveHeader* h);

// Whether the header describes data the reader can take: 1 or 2 channels of 8 or 16 bits, a
// positive rate, and (packed: a block of at least the 4-byte count) no more data than the
// `available` bytes behind the header.
bool WaveHeaderFits(const WaveHeader& h, uint64_t available);

// In place: each 16-bit sample's high byte plus 128. Returns the new byte count.
uint32_t Reduce16To8(uint8_t* data, uint32_t size);
// In place: every other frame of `frameBytes` bytes (44100 Hz to 22050 Hz). Returns the new
// byte count; a trailing partial frame is dropped.
uint32_t HalveRate(uint8_t* data, uint32_t size, int frameBytes);
// 16-bit signed PCM to 8-bit unsigned: (s >> 8) + 128, modulo 256. Writes size / 2 bytes.
void Pcm16To8(uint8_t* out, const uint8_t* pcm, uint32_t size);

// Cuts 8-bit data at 0xFF markers into at most eight segments (the first byte of a segment is
// always a sample). Empty data gives no segment at all. All arrays hold kSegments entries.
void ScanSegments(const uint8_t* data, uint32_t size, int32_t top[], int32_t bottom[],
                  int32_t length[]);

}  // namespace tov
