// wavemake: makes the sample waves from a text description.
//
//   wavemake <description> <output folder>
//
// A description holds blocks of the form
//
//   out <path> rate <hz> bits <8|16> channels <1|2> [packed] [segmented] [ogg [quality <q>]]
//       [tool]
//     <content lines>
//   end
//
// Content lines, appended in order (volumes 0..1, times in milliseconds):
//   tone <hz> <ms> [vol <v>] [pan <-1..1>]    sine
//   square <hz> <ms> [vol <v>]
//   sweep <hz0> <hz1> <ms> [vol <v>]          sine gliding linearly between the two
//   noise <ms> [vol <v>] [seed <n>]           the classic 15-bit generator, repeatable
//   silence <ms>
//   level <byte> <ms>                         a constant 8-bit sample value (0..255)
//   bytes <b> <b> ...                         exact 8-bit sample values, one per frame
//   marker                                    a segment end marker (segmented waves)
//   tempo <bpm>                               the beat of the notes lines (default 120)
//   notes <sine|square|triangle|saw|noise> [vol <v>] [pan <p>] [attack <ms>] [release <ms>]
//         [decay <ms>] : <note> <note> ...
//       a tune, one beat a note: a note is a letter A-G, then # or b, then an octave 0-8
//       (A4 = 440 Hz), or R for a rest; "/n" after it lasts n beats (/0.5 half a beat) and
//       "+" joins notes into a chord (C4+E4+G4/2). Each note rises over `attack` ms (default
//       5), falls away over its last `release` ms (default 20) and, with a decay, dies away
//       to about a third every `decay` ms. Noise plays its notes as hits of any name (x).
//   at <ms>                                   the lines that follow are mixed into what is
//                                             there from that time on (parts of a tune)
//   repeat <n>                                the wave so far, played n more times
// Two one-line makers stand beside the wave blocks:
//   avi <path> width <w> height <h> bits <8|24> fps <n> frames <n> [tone <hz>]
//       an uncompressed movie whose frame k is a colour band moving right on a solid ground
//       of colour k (8-bit frames with a palette), with 8-bit mono 22050 Hz sound (a sine of
//       the given frequency, else silence);
//   midi <path> bpm <n> notes <n> beats <n> [program <n>] [rest <ms>]
//       a one-track standard MIDI file (format 0): a program change, then `notes` notes of
//       `beats` quarter notes each climbing a scale, then a rest before the end;
//   words <folder> voice <espeak-ng voice> speed <wpm> pitch <0-99> list <word list>
//         [state <file>]
//       every word of the list spoken by espeak-ng into <folder>/<word>.wav, 11025 Hz 8-bit
//       mono, silence trimmed (the radio voices). With a state file only the words whose
//       text or voice changed since the last run are spoken again, and the waves of words
//       that left the list are removed.
// '#' starts a comment (inside a word it is a sharp). Waves are RIFF WAVE files with the fixed
// 44-byte header the sound library reads; "packed" and "segmented" set bytes 10 ('P') and 11
// ('L') of the form type; "ogg" writes an Ogg Vorbis file instead (the extension is the path's
// own); "tool" writes the layout most other tools write: an 18-byte "fmt " chunk and a
// LIST/INFO chunk before "data".
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pack.h"
#include "words.h"

namespace fs = std::filesystem;

namespace {

struct Wave {
    std::string path;
    int rate = 22050, bits = 8, channels = 1;
    bool packed = false, segmented = false, ogg = false, tool = false;
    float quality = 0.4f;
    std::vector<int32_t> s;       // interleaved samples on the 16-bit scale, held when written
    std::vector<size_t> markers;  // frame indices holding a segment marker
    size_t at = 0;                // where the next sample goes; below s.size() it is mixed in
    double tempo = 120;
};

int16_t Clamp16(int32_t v) { return int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

void Put(Wave& w, int16_t v) {
    if (w.at < w.s.size())
        w.s[w.at] += v;
    else
        w.s.push_back(v);
    ++w.at;
}

[[noreturn]] void Fail(int line, const std::string& what) {
    std::cerr << "wavemake: line " << line << ": " << what << "\n";
    std::exit(1);
}

int16_t FromByte(int b) { return int16_t((b - 128) * 256); }

int16_t FromUnit(double v) {
    v = v < -1.0 ? -1.0 : v > 1.0 ? 1.0 : v;
    return int16_t(std::lround(v * 32767.0));
}

size_t Frames(const Wave& w, double ms) { return size_t(std::llround(ms * w.rate / 1000.0)); }

void Push(Wave& w, double left, double right) {
    Put(w, FromUnit(left));
    if (w.channels == 2) Put(w, FromUnit(right));
}

void PushByte(Wave& w, int b) {
    for (int c = 0; c < w.channels; ++c) Put(w, FromByte(b));
}

// Options after the positional arguments: "vol 0.5", "pan -1", "seed 3", "quality 0.2".
double Option(std::istringstream& in, const char* name, double def) {
    std::streampos at = in.tellg();
    std::string key;
    double value = def, found = def;
    std::vector<std::pair<std::string, double>> opts;
    while (in >> key >> value) opts.emplace_back(key, value);
    for (auto& [k, v] : opts)
        if (k == name) found = v;
    in.clear();
    in.seekg(at);
    return found;
}

// The frequency of a note name ("A4", "C#5", "Bb3"), or 0 when the text is not one.
double NoteHz(const std::string& n) {
    static const int kFromC[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (n.size() < 2 || n.size() > 3) return 0;
    const char letter = char(std::toupper(static_cast<unsigned char>(n[0])));
    if (letter < 'A' || letter > 'G') return 0;
    int semitone = kFromC[letter - 'A'];
    size_t i = 1;
    if (n[i] == '#' || n[i] == 'b') semitone += n[i++] == '#' ? 1 : -1;
    if (i + 1 != n.size() || n[i] < '0' || n[i] > '8') return 0;
    const int midi = 12 * (n[i] - '0' + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// One line of a tune: "notes <wave> [options] : <note> ...".
void Notes(int line, Wave& w, const std::string& text, unsigned& noiseState) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) Fail(line, "notes need a ':' before the notes");
    std::istringstream head(text.substr(0, colon)), body(text.substr(colon + 1));
    std::string cmd, wave, key;
    head >> cmd >> wave;
    static const char* kWaves[] = {"sine", "square", "triangle", "saw", "noise"};
    const auto kind = std::find(std::begin(kWaves), std::end(kWaves), wave) - std::begin(kWaves);
    if (kind == 5) Fail(line, "unknown wave " + wave);
    double vol = 0.5, pan = 0, attack = 5, release = 20, decay = 0;
    while (head >> key) {
        double v;
        if (!(head >> v)) Fail(line, "option " + key + " needs a value");
        if (key == "vol")
            vol = v;
        else if (key == "pan")
            pan = v;
        else if (key == "attack")
            attack = v;
        else if (key == "release")
            release = v;
        else if (key == "decay")
            decay = v;
        else
            Fail(line, "unknown option " + key);
    }
    if (attack < 0 || release < 0 || decay < 0) Fail(line, "negative time");
    const double gl = std::min(1.0, 1.0 - pan), gr = std::min(1.0, 1.0 + pan);
    std::string token;
    while (body >> token) {
        double beats = 1;
        const size_t slash = token.find('/');
        if (slash != std::string::npos) {
            char* end = nullptr;
            beats = std::strtod(token.c_str() + slash + 1, &end);
            if (*end || !(beats > 0 && beats <= 64)) Fail(line, "bad length in " + token);
            token.erase(slash);
        }
        std::vector<double> hz;
        bool rest = token == "R" || token == "r";
        for (size_t from = 0; !rest && from <= token.size();) {
            size_t plus = token.find('+', from);
            if (plus == std::string::npos) plus = token.size();
            const std::string name = token.substr(from, plus - from);
            const double f = kind == 4 ? 1.0 : NoteHz(name);
            if (f <= 0 || name.empty()) Fail(line, "not a note: " + name);
            hz.push_back(f);
            from = plus + 1;
        }
        const size_t n = Frames(w, beats * 60000.0 / w.tempo);
        const double a = attack * w.rate / 1000.0, r = release * w.rate / 1000.0;
        for (size_t i = 0; i < n; ++i) {
            double v = 0;
            if (!rest) {
                double e = 1;
                if (double(i) < a) e = double(i) / a;
                if (double(n - i) < r) e = std::min(e, double(n - i) / r);
                if (decay > 0) e *= std::exp(-double(i) * 1000.0 / (decay * w.rate));
                for (double f : hz) {
                    const double p = f * double(i) / w.rate, frac = p - std::floor(p);
                    double o = 0;
                    switch (kind) {
                        case 0:
                            o = std::sin(2.0 * M_PI * p);
                            break;
                        case 1:
                            o = frac < 0.5 ? 1.0 : -1.0;
                            break;
                        case 2:
                            o = 1.0 - 4.0 * std::fabs(frac - 0.5);
                            break;
                        case 3:
                            o = 2.0 * frac - 1.0;
                            break;
                        default:
                            noiseState = noiseState * 214013u + 2531011u;
                            o = double((noiseState >> 16) & 0x7FFF) / 16383.5 - 1.0;
                    }
                    v += o * vol * e;
                }
            }
            Push(w, v * gl, v * gr);
        }
    }
}

void Put16(std::vector<uint8_t>& o, unsigned v) {
    o.push_back(uint8_t(v));
    o.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> SampleBytes(const Wave& w) {
    std::vector<uint8_t> d;
    if (w.bits == 16) {
        for (int32_t v : w.s) Put16(d, uint16_t(Clamp16(v)));
        return d;
    }
    d.reserve(w.s.size());
    for (int32_t v : w.s) {
        int b = (Clamp16(v) >> 8) + 128;
        // In a segmented wave 0xFF is the segment marker (and 0xFE packs to it).
        if (w.segmented && b > 0xFC) b = 0xFC;
        d.push_back(uint8_t(b));
    }
    for (size_t f : w.markers) d[f] = 0xFF;
    return d;
}

void PutTag(std::vector<uint8_t>& o, const char* tag) { o.insert(o.end(), tag, tag + 4); }

// A chunk: tag, size, body, pad byte.
void PutChunk(std::vector<uint8_t>& o, const char* tag, const std::vector<uint8_t>& body) {
    PutTag(o, tag);
    Put32(o, uint32_t(body.size()));
    o.insert(o.end(), body.begin(), body.end());
    if (body.size() & 1) o.push_back(0);
}
void PutList(std::vector<uint8_t>& o, const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> b;
    PutTag(b, type);
    b.insert(b.end(), body.begin(), body.end());
    PutChunk(o, "LIST", b);
}

std::vector<uint8_t> RiffWave(const Wave& w) {
    std::vector<uint8_t> data = SampleBytes(w);
    if (w.packed) {
        std::vector<uint8_t> block(4 + tov::PackBound(int(data.size())));
        const uint32_t n = uint32_t(data.size());
        for (int i = 0; i < 4; ++i) block[i] = uint8_t(n >> (8 * i));
        int len = tov::PackSamples(block.data() + 4, data.data(), int(data.size()));
        block.resize(4 + size_t(len));
        data.swap(block);
    }
    const unsigned align = unsigned(w.channels * w.bits / 8);
    std::vector<uint8_t> fmt;
    Put16(fmt, 1);
    Put16(fmt, unsigned(w.channels));
    Put32(fmt, uint32_t(w.rate));
    Put32(fmt, uint32_t(w.rate) * align);
    Put16(fmt, align);
    Put16(fmt, unsigned(w.bits));
    std::vector<uint8_t> body = {'W', 'A', uint8_t(w.packed ? 'P' : 'V'),
                                 uint8_t(w.segmented ? 'L' : 'E')};
    if (w.tool) {
        Put16(fmt, 0);  // no extension
        PutChunk(body, "fmt ", fmt);
        std::vector<uint8_t> info;
        PutChunk(info, "ISFT", {'w', 'a', 'v', 'e', 'm', 'a', 'k', 'e', 0});  // odd: padded
        PutList(body, "INFO", info);
    } else {
        PutChunk(body, "fmt ", fmt);
    }
    PutChunk(body, "data", data);
    std::vector<uint8_t> o;
    PutChunk(o, "RIFF", body);
    return o;
}

std::vector<uint8_t> OggVorbis(const Wave& w) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, w.channels, w.rate, w.quality) != 0) {
        std::cerr << "wavemake: the encoder refuses " << w.path << "\n";
        std::exit(1);
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x52564731);  // a fixed serial keeps the output repeatable
    std::vector<uint8_t> out;
    auto emit = [&](const ogg_page& pg) {
        out.insert(out.end(), pg.header, pg.header + pg.header_len);
        out.insert(out.end(), pg.body, pg.body + pg.body_len);
    };
    ogg_packet hdr, comm, code;
    vorbis_analysis_headerout(&vd, &vc, &hdr, &comm, &code);
    ogg_stream_packetin(&os, &hdr);
    ogg_stream_packetin(&os, &comm);
    ogg_stream_packetin(&os, &code);
    ogg_page pg;
    while (ogg_stream_flush(&os, &pg)) emit(pg);

    const size_t frames = w.s.size() / size_t(w.channels);
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = std::min<size_t>(1024, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < w.channels; ++c)
                    buf[c][i] =
                        float(Clamp16(w.s[(done + i) * size_t(w.channels) + size_t(c)])) / 32768.0f;
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &pg)) {
                    emit(pg);
                    if (ogg_page_eos(&pg)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

void Write(const Wave& w, const fs::path& outDir) {
    fs::path p = outDir / w.path;
    fs::create_directories(p.parent_path());
    std::vector<uint8_t> bytes = w.ogg ? OggVorbis(w) : RiffWave(w);
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) {
        std::cerr << "wavemake: cannot write " << p << "\n";
        std::exit(1);
    }
}

void WriteBytes(const fs::path& p, const std::vector<uint8_t>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) {
        std::cerr << "wavemake: cannot write " << p << "\n";
        std::exit(1);
    }
}

uint32_t FrameColour(int k) {
    static const uint32_t kColours[] = {0xC03020, 0x20A040, 0x2040C0, 0xC0C020, 0x20C0C0, 0xC020C0};
    return kColours[k % 6];
}

void MakeAvi(int line, std::istringstream& ls, const fs::path& outDir) {
    std::string path, key;
    if (!(ls >> path)) Fail(line, "avi needs a path");
    int width = 32, height = 24, bits = 24, fps = 10, frames = 8;
    double tone = 0;
    while (ls >> key) {
        if (key == "width")
            ls >> width;
        else if (key == "height")
            ls >> height;
        else if (key == "bits")
            ls >> bits;
        else if (key == "fps")
            ls >> fps;
        else if (key == "frames")
            ls >> frames;
        else if (key == "tone")
            ls >> tone;
        else
            Fail(line, "unknown option " + key);
    }
    if ((bits != 8 && bits != 24) || width <= 0 || height <= 0 || fps <= 0 || frames <= 0)
        Fail(line, "bad movie sizes");
    const int rate = 22050;
    const size_t perFrame = size_t(rate / fps);
    const size_t stride = (size_t(width) * (bits / 8) + 3) & ~size_t(3);
    std::vector<uint8_t> avih;
    Put32(avih, uint32_t(1000000 / fps));
    Put32(avih, 0);
    Put32(avih, 0);
    Put32(avih, 0x10);
    Put32(avih, uint32_t(frames));
    Put32(avih, 0);
    Put32(avih, 2);
    Put32(avih, 0);
    Put32(avih, uint32_t(width));
    Put32(avih, uint32_t(height));
    for (int i = 0; i < 4; ++i) Put32(avih, 0);
    auto strh = [&](const char* type, uint32_t scale, uint32_t rateV, uint32_t length) {
        std::vector<uint8_t> h;
        PutTag(h, type);
        Put32(h, 0);
        Put32(h, 0);
        Put32(h, 0);
        Put32(h, 0);
        Put32(h, scale);
        Put32(h, rateV);
        Put32(h, 0);
        Put32(h, length);
        Put32(h, 0);
        Put32(h, 0xFFFFFFFF);
        Put32(h, 0);
        Put16(h, 0);
        Put16(h, 0);
        Put16(h, 0);
        Put16(h, 0);
        return h;
    };
    std::vector<uint8_t> vf;  // the picture header, then the palette
    Put32(vf, 40);
    Put32(vf, uint32_t(width));
    Put32(vf, uint32_t(height));
    Put16(vf, 1);
    Put16(vf, unsigned(bits));
    Put32(vf, 0);
    Put32(vf, uint32_t(stride * height));
    Put32(vf, 0);
    Put32(vf, 0);
    Put32(vf, bits == 8 ? 256 : 0);
    Put32(vf, 0);
    if (bits == 8)
        for (int i = 0; i < 256; ++i) Put32(vf, i < 6 ? FrameColour(i) : i == 6 ? 0xFFFFFF : 0);
    std::vector<uint8_t> af;
    Put16(af, 1);
    Put16(af, 1);
    Put32(af, rate);
    Put32(af, rate);
    Put16(af, 1);
    Put16(af, 8);
    std::vector<uint8_t> vl, al, hdrl;
    PutChunk(vl, "strh", strh("vids", 1, uint32_t(fps), uint32_t(frames)));
    PutChunk(vl, "strf", vf);
    PutChunk(al, "strh", strh("auds", 1, rate, uint32_t(perFrame * frames)));
    PutChunk(al, "strf", af);
    PutChunk(hdrl, "avih", avih);
    PutList(hdrl, "strl", vl);
    PutList(hdrl, "strl", al);
    std::vector<uint8_t> movi;
    for (int k = 0; k < frames; ++k) {
        std::vector<uint8_t> px(stride * size_t(height), 0);
        const int band = width * k / frames;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool inBand = x >= band && x < band + std::max(1, width / frames);
                uint8_t* p = px.data() + stride * size_t(y) + size_t(x) * (bits / 8);
                if (bits == 8) {
                    *p = inBand ? 6 : uint8_t(k % 6);
                } else {
                    const uint32_t c = inBand ? 0xFFFFFF : FrameColour(k);
                    p[0] = uint8_t(c);
                    p[1] = uint8_t(c >> 8);
                    p[2] = uint8_t(c >> 16);
                }
            }
        PutChunk(movi, "00db", px);
        std::vector<uint8_t> snd(perFrame);
        for (size_t i = 0; i < perFrame; ++i) {
            const double t = double(size_t(k) * perFrame + i) / rate;
            snd[i] =
                tone > 0 ? uint8_t(128 + std::lround(90 * std::sin(2 * M_PI * tone * t))) : 128;
        }
        PutChunk(movi, "01wb", snd);
    }
    std::vector<uint8_t> body;
    PutTag(body, "AVI ");
    PutList(body, "hdrl", hdrl);
    PutList(body, "movi", movi);
    std::vector<uint8_t> file;
    PutChunk(file, "RIFF", body);
    WriteBytes(outDir / path, file);
}

void PutVlq(std::vector<uint8_t>& o, uint32_t v) {
    uint8_t b[5];
    int n = 0;
    b[n++] = uint8_t(v & 0x7F);
    while (v >>= 7) b[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) o.push_back(b[--n]);
}

void MakeMidi(int line, std::istringstream& ls, const fs::path& outDir) {
    std::string path, key;
    if (!(ls >> path)) Fail(line, "midi needs a path");
    int bpm = 120, notes = 4, beats = 1, program = 0;
    double rest = 0;
    while (ls >> key) {
        if (key == "bpm")
            ls >> bpm;
        else if (key == "notes")
            ls >> notes;
        else if (key == "beats")
            ls >> beats;
        else if (key == "program")
            ls >> program;
        else if (key == "rest")
            ls >> rest;
        else
            Fail(line, "unknown option " + key);
    }
    if (bpm <= 0 || notes < 0 || beats <= 0) Fail(line, "bad tune");
    const uint32_t division = 480, tempo = uint32_t(60000000 / bpm);
    std::vector<uint8_t> t = {
        0x00, 0xFF, 0x51, 0x03, uint8_t(tempo >> 16), uint8_t(tempo >> 8), uint8_t(tempo)};
    t.insert(t.end(), {0x00, 0xC0, uint8_t(program & 0x7F)});
    static const int kScale[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (int i = 0; i < notes; ++i) {
        const uint8_t key2 = uint8_t(kScale[i % 8]);
        t.insert(t.end(), {0x00, 0x90, key2, 100});
        PutVlq(t, division * uint32_t(beats));
        t.insert(t.end(), {0x80, key2, 0});
    }
    // The rest in ticks at the file's tempo.
    PutVlq(t, uint32_t(std::llround(rest * 1000.0 * division / tempo)));
    t.insert(t.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> f = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, uint8_t(division >> 8), uint8_t(division)};
    const uint32_t n = uint32_t(t.size());
    f.insert(f.end(),
             {'M', 'T', 'r', 'k', uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    f.insert(f.end(), t.begin(), t.end());
    WriteBytes(outDir / path, f);
}

// The state of a folder of spoken words: one line per word made, "<word>\t<text>", after a
// first line naming the voice. A word whose line and wave are there is not spoken again.
std::map<std::string, std::string> ReadWordState(const fs::path& path, const std::string& voice) {
    std::map<std::string, std::string> made;
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != voice) return made;
    while (std::getline(in, line))
        if (size_t tab = line.find('\t'); tab != std::string::npos)
            made[line.substr(0, tab)] = line.substr(tab + 1);
    return made;
}

void MakeWords(int line, std::istringstream& ls, const fs::path& outDir) {
    std::string folder, key, voice, list, state;
    int speed = 160, pitch = 50;
    if (!(ls >> folder)) Fail(line, "words needs a folder");
    while (ls >> key) {
        if (key == "voice")
            ls >> voice;
        else if (key == "speed")
            ls >> speed;
        else if (key == "pitch")
            ls >> pitch;
        else if (key == "list")
            ls >> list;
        else if (key == "state")
            ls >> state;
        else
            Fail(line, "unknown option " + key);
    }
    if (voice.empty() || list.empty()) Fail(line, "words needs a voice and a list");
    std::vector<wavemake::SpokenWord> words;
    std::string error;
    if (!wavemake::ReadWordList(list, &words, &error)) Fail(line, error);
    const std::string settings = voice + " " + std::to_string(speed) + " " + std::to_string(pitch);
    std::map<std::string, std::string> made;
    if (!state.empty()) made = ReadWordState(state, settings);
    const fs::path dir = outDir / folder;
    fs::create_directories(dir);
    std::string next = settings + "\n";
    for (const wavemake::SpokenWord& word : words) {
        const fs::path file = dir / (word.name + ".wav");
        auto old = made.find(word.name);
        if (old == made.end() || old->second != word.text || !fs::exists(file)) {
            Wave w;
            w.path = folder + "/" + word.name + ".wav";
            w.rate = 11025;
            std::vector<int16_t> spoken;
            if (!wavemake::SpeakWord(voice, speed, pitch, word.text, &spoken, &error))
                Fail(line, word.name + ": " + error);
            w.s.assign(spoken.begin(), spoken.end());
            Write(w, outDir);
        }
        if (old != made.end()) made.erase(old);
        next += word.name + "\t" + word.text + "\n";
    }
    for (const auto& gone : made) fs::remove(dir / (gone.first + ".wav"));
    if (!state.empty()) {
        std::ofstream out(state, std::ios::binary);
        out << next;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: wavemake <description> <output folder>\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "wavemake: cannot read " << argv[1] << "\n";
        return 1;
    }
    const fs::path outDir = argv[2];
    std::string raw;
    int line = 0;
    Wave w;
    bool open = false;
    unsigned noiseState = 1;
    while (std::getline(in, raw)) {
        ++line;
        // A comment starts with a '#' of its own; inside a word it is a sharp (C#4).
        for (size_t h = raw.find('#'); h != std::string::npos; h = raw.find('#', h + 1))
            if (h == 0 || raw[h - 1] == ' ' || raw[h - 1] == '\t') {
                raw.erase(h);
                break;
            }
        std::istringstream ls(raw);
        std::string cmd;
        if (!(ls >> cmd)) continue;
        if (cmd == "avi" || cmd == "midi" || cmd == "words") {
            if (open) Fail(line, cmd + " inside a wave");
            if (cmd == "avi")
                MakeAvi(line, ls, outDir);
            else if (cmd == "midi")
                MakeMidi(line, ls, outDir);
            else
                MakeWords(line, ls, outDir);
            continue;
        }
        if (cmd == "out") {
            if (open) Fail(line, "out inside a wave");
            w = Wave{};
            if (!(ls >> w.path)) Fail(line, "out needs a path");
            std::string key;
            while (ls >> key) {
                if (key == "rate")
                    ls >> w.rate;
                else if (key == "bits")
                    ls >> w.bits;
                else if (key == "channels")
                    ls >> w.channels;
                else if (key == "packed")
                    w.packed = true;
                else if (key == "segmented")
                    w.segmented = true;
                else if (key == "ogg")
                    w.ogg = true;
                else if (key == "quality")
                    ls >> w.quality;
                else if (key == "tool")
                    w.tool = true;
                else
                    Fail(line, "unknown option " + key);
            }
            if (w.channels != 1 && w.channels != 2) Fail(line, "channels must be 1 or 2");
            if (w.bits != 8 && w.bits != 16) Fail(line, "bits must be 8 or 16");
            if ((w.packed || w.segmented) && w.bits != 8)
                Fail(line, "packed and segmented waves are 8-bit");
            if (w.segmented && w.channels != 1) Fail(line, "segmented waves are mono");
            if (w.tool && (w.packed || w.segmented))
                Fail(line, "packed and segmented waves have the fixed header");
            open = true;
            continue;
        }
        if (!open) Fail(line, "content outside a wave");
        if (cmd == "notes") {
            Notes(line, w, raw, noiseState);
        } else if (cmd == "tempo") {
            if (!(ls >> w.tempo) || w.tempo < 20 || w.tempo > 400) Fail(line, "tempo 20-400");
        } else if (cmd == "at") {
            double ms = -1;
            if (!(ls >> ms) || ms < 0) Fail(line, "at needs a time");
            w.at = Frames(w, ms) * size_t(w.channels);
            if (w.s.size() < w.at) w.s.resize(w.at, 0);
        } else if (cmd == "repeat") {
            int n = 0;
            if (!(ls >> n) || n < 1 || n > 100) Fail(line, "repeat 1-100");
            if (w.segmented) Fail(line, "a segmented wave is not repeated");
            const std::vector<int32_t> once = w.s;
            for (int i = 0; i < n; ++i) w.s.insert(w.s.end(), once.begin(), once.end());
            w.at = w.s.size();
        } else if (cmd == "end") {
            Write(w, outDir);
            open = false;
        } else if (cmd == "tone" || cmd == "square") {
            double hz = 0, ms = 0;
            ls >> hz >> ms;
            const double vol = Option(ls, "vol", 0.8), pan = Option(ls, "pan", 0.0);
            const double gl = std::min(1.0, 1.0 - pan), gr = std::min(1.0, 1.0 + pan);
            for (size_t i = 0, n = Frames(w, ms); i < n; ++i) {
                double v = std::sin(2.0 * M_PI * hz * double(i) / w.rate);
                if (cmd == "square") v = v >= 0 ? 1.0 : -1.0;
                Push(w, vol * v * gl, vol * v * gr);
            }
        } else if (cmd == "sweep") {
            double f0 = 0, f1 = 0, ms = 0;
            ls >> f0 >> f1 >> ms;
            const double vol = Option(ls, "vol", 0.8);
            const size_t n = Frames(w, ms);
            double phase = 0;
            for (size_t i = 0; i < n; ++i) {
                const double f = f0 + (f1 - f0) * double(i) / double(n ? n : 1);
                phase += 2.0 * M_PI * f / w.rate;
                Push(w, vol * std::sin(phase), vol * std::sin(phase));
            }
        } else if (cmd == "noise") {
            double ms = 0;
            ls >> ms;
            const double vol = Option(ls, "vol", 0.5);
            const double seed = Option(ls, "seed", -1);
            if (seed >= 0) noiseState = unsigned(seed);
            for (size_t i = 0, n = Frames(w, ms); i < n; ++i) {
                noiseState = noiseState * 214013u + 2531011u;
                const double v = double((noiseState >> 16) & 0x7FFF) / 16383.5 - 1.0;
                Push(w, vol * v, vol * v);
            }
        } else if (cmd == "silence") {
            double ms = 0;
            ls >> ms;
            for (size_t i = 0, n = Frames(w, ms); i < n; ++i) PushByte(w, 128);
        } else if (cmd == "level") {
            int b = 128;
            double ms = 0;
            ls >> b >> ms;
            for (size_t i = 0, n = Frames(w, ms); i < n; ++i) PushByte(w, b);
        } else if (cmd == "bytes") {
            int b;
            while (ls >> b) PushByte(w, b);
        } else if (cmd == "marker") {
            if (!w.segmented) Fail(line, "marker outside a segmented wave");
            w.markers.push_back(w.at);
            PushByte(w, 255);
        } else {
            Fail(line, "unknown line " + cmd);
        }
    }
    if (open) Fail(line, "missing end");
    return 0;
}
