// The wave file as the sound library reads it: the fixed 44-byte header of the system's own
// files, the chunks of other tools' files, and the sample data, plus the conversions made
// while reading and the segment scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tov {

inline constexpr size_t kWaveHeaderSize = 44;
inline constexpr int kSegments = 9;  // segment entries of a wave record; the ninth stays 0

struct WaveHeader {
    int tag = 0;             // format tag (1: PCM)
    int mode = 0;            // channels
    int rate = 0;            // samples per second
    int bit = 0;             // bits per sample
    uint32_t size = 0;       // bytes of data behind the header (packed: the packed block's length)
    bool packed = false;     // byte 10 'P'
    bool segmented = false;  // byte 11 'L'
};

// Reads the fields of a 44-byte header. False when fewer than 44 bytes are given.
bool ParseWaveHeader(const uint8_t* bytes, size_t n, WaveHeader* h);

// Whether the first 44 bytes of a file have the fixed layout of the system's own files: the
// form marks a packed or segmented wave, or the "data" chunk starts at 36, right behind a
// 16-byte "fmt " chunk. Such files are read as their fixed header says, and nothing else is.
bool HasFixedWaveLayout(const uint8_t* head44);

// Reads `n` bytes at offset `at` of a file; false when they are not all there.
using ReadAt = std::function<bool(uint64_t at, uint8_t* out, size_t n)>;

// Walks the chunks of a RIFF WAVE file of `fileSize` bytes from offset 12 to its "fmt " chunk
// (16 bytes or more, PCM: format 1, or the extensible format with the PCM sub-format) and its
// "data" chunk. Fills the header's channels, rate, bits and data length, and the offset of the
// data. False when the file is not a RIFF WAVE, either chunk is missing, the format is not
// PCM, or a chunk runs past the end of the file.
bool WalkWaveChunks(const ReadAt& read, uint64_t fileSize, WaveHeader* h, uint64_t* dataAt);

// The sample rates the reader takes; outside them a file is not a sound anyone plays, and a
// rate conversion could blow a small file up.
inline constexpr int kMinWaveRate = 1000;
inline constexpr int kMaxWaveRate = 400000;

// Whether the header describes data the reader can take: PCM (format tag 1; the packed and
// segmented forms are the system's own and their tag is not read), 1 or 2 channels of 8 or 16
// bits, a rate inside the bounds above, and (packed: a block of at least the 4-byte count) no
// more data than the `available` bytes behind the header.
bool WaveHeaderFits(const WaveHeader& h, uint64_t available);

// In place: each 16-bit sample's high byte plus 128. Returns the new byte count.
uint32_t Reduce16To8(uint8_t* data, uint32_t size);
// The low-pass filter taken before a rate above 22050 Hz comes down to it: a Kaiser-windowed
// sinc that keeps what 22050 Hz can hold (to 9.5 kHz within 0.01 dB) and takes what would fold
// back below 11025 Hz (all from 11025 Hz up) at least 60 dB down. Odd length, symmetric, its
// taps summing to 1; empty for rates of 22050 Hz and below, which need none.
std::vector<double> LowPassTaps(int rate);

// In place, 44100 Hz to 22050 Hz: every other frame of the low-passed samples (8-bit unsigned
// or 16-bit signed little-endian, `channels` interleaved). Returns the new byte count; a
// trailing partial frame is dropped.
uint32_t HalveRate(uint8_t* data, uint32_t size, int channels, int bits);
// 16-bit signed PCM to 8-bit unsigned: (s >> 8) + 128, modulo 256. Writes size / 2 bytes.
void Pcm16To8(uint8_t* out, const uint8_t* pcm, uint32_t size);

// The byte count of 8-bit data of `channels` channels at `rate` converted to 22050 Hz: whole
// frames only, frames × 22050 / rate of them (rounded down).
uint64_t ResampledSize(uint32_t size, int rate, int channels);
// Converts 8-bit data at `rate` to 22050 Hz by linear interpolation: output frame k takes the
// source at k × rate / 22050, rounded to the nearest value; `out` holds ResampledSize bytes.
// Above 22050 Hz the source is low-passed first (LowPassTaps), so that nothing folds back.
void ResampleTo22050(uint8_t* out, const uint8_t* in, uint32_t size, int rate, int channels);

// Cuts 8-bit data at 0xFF markers into at most eight segments (the first byte of a segment is
// always a sample). Empty data gives no segment at all. All arrays hold kSegments entries.
void ScanSegments(const uint8_t* data, uint32_t size, int32_t top[], int32_t bottom[],
                  int32_t length[]);

}  // namespace tov
