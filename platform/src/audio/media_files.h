// The files the media devices play: waves (CD tracks), AVI movies (uncompressed 8-bit or
// 24-bit frames, PCM sound) and standard MIDI files. Each is read field by field from its
// bytes; sound is converted to the audio output's 22050 Hz stereo 16-bit frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wyn::media {

// Frames of the audio output (22050 Hz) and milliseconds: a position converted to frames
// and back gives the same millisecond.
uint64_t MsToFrames(uint64_t ms);
uint64_t FramesToMs(uint64_t frames);

// Reads a whole file (a Linux path). False when it cannot be read.
bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes);

// A RIFF WAVE file of PCM (8 or 16 bits, mono or stereo, any rate) as 22050 Hz stereo
// 16-bit frames, interleaved. False when it is not such a file.
bool DecodeWave(const uint8_t* data, size_t size, std::vector<int16_t>* frames);
// Converts PCM samples of the given format to 22050 Hz stereo 16-bit frames.
void ConvertPcm(const uint8_t* data, size_t size, int channels, int bits, int rate,
                std::vector<int16_t>* frames);

struct Movie {
    int width = 0, height = 0;  // frame size; rows are stored bottom-up when bottomUp
    bool bottomUp = true;
    int bits = 0;                // 8 or 24
    uint32_t palette[256] = {};  // 0x00RRGGBB for 8-bit frames
    uint64_t usPerFrame = 0;
    std::vector<size_t> frames;  // offsets of each frame's pixels in the file
    std::vector<int16_t> sound;  // 22050 Hz stereo frames
    uint64_t LengthMs() const { return frames.size() * usPerFrame / 1000; }
    // Frame `index` as 0x00RRGGBB pixels, rows top-down.
    void Pixels(const std::vector<uint8_t>& file, size_t index, std::vector<uint32_t>* out) const;
};
// An AVI file: false unless it holds one uncompressed 8-bit or 24-bit video stream (and at
// most one PCM sound stream).
bool ParseMovie(const uint8_t* data, size_t size, Movie* movie);

struct MidiEvent {
    uint64_t us;       // time from the start
    uint8_t bytes[3];  // a channel message
    uint8_t size;
};
struct Song {
    uint64_t lengthUs = 0;          // the time of the last event of any track
    std::vector<MidiEvent> events;  // channel messages in time order
};
// A standard MIDI file of format 0 or 1 (tempo changes of every track apply to all).
bool ParseSong(const uint8_t* data, size_t size, Song* song);

}  // namespace wyn::media
