// The media devices' file readers (movies, MIDI files, waves) on arbitrary bytes: each must
// refuse or read within bounds, and a movie it accepts must give every frame's pixels.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/media_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    wyn::media::Movie movie;
    if (wyn::media::ParseMovie(file.data(), file.size(), &movie)) {
        std::vector<uint32_t> px;
        for (size_t i = 0; i < movie.frames.size(); ++i) movie.Pixels(file, i, &px);
        if (px.size() != size_t(movie.width) * size_t(movie.height)) __builtin_trap();
        if (movie.sound.size() % 2) __builtin_trap();
    }
    wyn::media::Song song;
    if (wyn::media::ParseSong(file.data(), file.size(), &song))
        for (size_t i = 1; i < song.events.size(); ++i)
            if (song.events[i].us < song.events[i - 1].us) __builtin_trap();  // time order
    std::vector<int16_t> frames;
    if (wyn::media::DecodeWave(file.data(), file.size(), &frames) && frames.size() % 2)
        __builtin_trap();
    return 0;
}
