// The spoken words of the radio voices: a word list, and one word spoken by espeak-ng and made
// into the voices' form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wavemake {

// An entry of a word list: the word (the wave's file name, UTF-8) and the text spoken for it.
struct SpokenWord {
    std::string name;
    std::string text;
};

// Reads a word list: one word a line, "<word>" or "<word> = <spoken text>" (without a text the
// word is spoken with its "_" read as blanks); a line starting with "#" and a blank is a
// comment. False with a message for a line it cannot use or a word given twice.
bool ReadWordList(const std::string& path, std::vector<SpokenWord>* words, std::string* error);

// Speaks `text` with espeak-ng in `voice` at `speed` words a minute and `pitch` 0-99, trims the
// silence at both ends and turns it into 11025 Hz mono samples (16-bit, peak near full scale).
// False with a message when espeak-ng cannot be run or says nothing.
bool SpeakWord(const std::string& voice, int speed, int pitch, const std::string& text,
               std::vector<int16_t>* samples, std::string* error);

// Samples of `rate` Hz brought to `to` Hz by averaging the samples each output one covers.
std::vector<int16_t> Resample(const std::vector<int16_t>& in, int rate, int to);
// Cuts the quiet ends (|sample| at most `threshold`), keeping `margin` samples of each.
std::vector<int16_t> TrimSilence(const std::vector<int16_t>& in, int threshold, size_t margin);

}  // namespace wavemake
