// The spoken words: espeak-ng is run once a word, its wave read from a pipe.
#include "words.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>

extern char** environ;

namespace wavemake {

namespace {

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Runs espeak-ng with `text` on its input; its whole output.
bool Run(const std::vector<std::string>& args, const std::string& text, std::string* out,
         std::string* error) {
    int in[2], res[2];
    if (pipe(in) != 0) return *error = "no pipe", false;
    if (pipe(res) != 0) {
        close(in[0]);
        close(in[1]);
        return *error = "no pipe", false;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, res[1], 1);
    for (int fd : {in[0], in[1], res[0], res[1]}) posix_spawn_file_actions_addclose(&fa, fd);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(res[1]);
    if (rc != 0) {
        close(in[1]);
        close(res[0]);
        *error = "espeak-ng cannot be run (the Debian package espeak-ng makes the spoken words)";
        return false;
    }
    // The text is short: written whole before the wave is read, the pipe cannot fill.
    const char* p = text.data();
    for (size_t left = text.size(); left > 0;) {
        const ssize_t n = write(in[1], p, left);
        if (n <= 0) break;
        p += n;
        left -= size_t(n);
    }
    close(in[1]);
    char buf[65536];
    for (ssize_t n; (n = read(res[0], buf, sizeof buf)) > 0;) out->append(buf, size_t(n));
    close(res[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "espeak-ng failed";
        return false;
    }
    return true;
}

}  // namespace

bool ReadWordList(const std::string& path, std::vector<SpokenWord>* words, std::string* error) {
    std::ifstream in(path);
    if (!in) return *error = "cannot read " + path, false;
    std::set<std::string> seen;
    std::string raw;
    for (int line = 1; std::getline(in, raw); ++line) {
        const std::string s = Trim(raw);
        if (s.empty() || (s[0] == '#' && (s.size() == 1 || s[1] == ' '))) continue;
        SpokenWord w;
        const size_t eq = s.find(" =");
        w.name = Trim(s.substr(0, eq));
        if (eq != std::string::npos) {
            w.text = Trim(s.substr(eq + 2));
        } else {
            w.text = w.name;
            std::replace(w.text.begin(), w.text.end(), '_', ' ');
        }
        const auto bad = [&](const std::string& what) {
            *error = path + ":" + std::to_string(line) + ": " + what;
            return false;
        };
        if (w.name.empty() || w.text.empty()) return bad("a word needs a name and a text");
        if (w.name.find_first_of("/\\ ") != std::string::npos)
            return bad("a word's name holds no blank, '/' or '\\'");
        if (!seen.insert(w.name).second) return bad("word " + w.name + " given twice");
        words->push_back(w);
    }
    return true;
}

std::vector<int16_t> Resample(const std::vector<int16_t>& in, int rate, int to) {
    std::vector<int16_t> out;
    if (rate <= 0 || to <= 0 || in.empty()) return out;
    const size_t n = size_t(uint64_t(in.size()) * uint64_t(to) / uint64_t(rate));
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        size_t a = size_t(uint64_t(i) * uint64_t(rate) / uint64_t(to));
        size_t b = size_t(uint64_t(i + 1) * uint64_t(rate) / uint64_t(to));
        b = std::min(std::max(b, a + 1), in.size());
        a = std::min(a, b - 1);
        long sum = 0;
        for (size_t k = a; k < b; ++k) sum += in[k];
        out.push_back(int16_t(sum / long(b - a)));
    }
    return out;
}

std::vector<int16_t> TrimSilence(const std::vector<int16_t>& in, int threshold, size_t margin) {
    const auto loud = [&](int16_t s) { return std::abs(int(s)) > threshold; };
    const auto first = std::find_if(in.begin(), in.end(), loud);
    if (first == in.end()) return {};
    const auto last = std::find_if(in.rbegin(), in.rend(), loud).base();
    const size_t a = size_t(first - in.begin()), b = size_t(last - in.begin());
    return std::vector<int16_t>(in.begin() + long(a > margin ? a - margin : 0),
                                in.begin() + long(std::min(in.size(), b + margin)));
}

bool SpeakWord(const std::string& voice, int speed, int pitch, const std::string& text,
               std::vector<int16_t>* samples, std::string* error) {
    std::string wav;
    if (!Run({"espeak-ng", "-v", voice, "-s", std::to_string(speed), "-p", std::to_string(pitch),
              "--stdin", "--stdout"},
             text, &wav, error))
        return false;
    // The header as espeak-ng streams it: "fmt " then "data" whose size it could not know.
    const auto* b = reinterpret_cast<const uint8_t*>(wav.data());
    if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 4, "WAVE") != 0)
        return *error = "espeak-ng gave no wave", false;
    int rate = 0, bits = 0, channels = 0;
    size_t at = 12;
    while (at + 8 <= wav.size()) {
        const uint32_t size = Le32(b + at + 4);
        if (wav.compare(at, 4, "fmt ") == 0 && at + 24 <= wav.size()) {
            channels = b[at + 10] | b[at + 11] << 8;
            rate = int(Le32(b + at + 12));
            bits = b[at + 22] | b[at + 23] << 8;
        } else if (wav.compare(at, 4, "data") == 0) {
            at += 8;
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (bits != 16 || channels != 1 || rate <= 0 || at > wav.size())
        return *error = "espeak-ng gave a wave of another form", false;
    std::vector<int16_t> pcm((wav.size() - at) / 2);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = int16_t(b[at + 2 * i] | b[at + 2 * i + 1] << 8);
    // A soft edge of 15 ms stays around the word, so its first and last sounds are not clipped.
    pcm = TrimSilence(pcm, 300, size_t(rate) * 15 / 1000);
    *samples = Resample(pcm, rate, 11025);
    if (samples->empty()) return *error = "espeak-ng said nothing for \"" + text + "\"", false;
    int peak = 1;
    for (int16_t s : *samples) peak = std::max(peak, std::abs(int(s)));
    for (int16_t& s : *samples) s = int16_t(long(s) * 29000 / peak);
    return true;
}

}  // namespace wavemake
