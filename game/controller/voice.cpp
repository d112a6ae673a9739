// The voice: a message's English text read as a voice script, its tokens turned into word waves
// of one speaker's voice folder and joined into one wave, with radio noise for pilots and an
// echo for announcements; the same pass writes the caption.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "controller/controller.h"
#include "base/base.h"
#include "nxlib.h"
#include "simulation/simulation.h"
#include "wynbytes.h"

namespace {

constexpr int kVoiceRate = 11025;
constexpr int kPauseBytes = 4096;
constexpr int kEchoDelay = 1200;
constexpr size_t kToken = 512;

HWND g_window = nullptr;
char g_folder[MAX_PATH] = {};
tagTOVWAVE g_noise = {};
SpeakerRecord g_speakers[kSpeakers] = {};

// The words error.wav stood in for in the current (or last) BuildVoice.
int g_missing = 0;
char g_missingwords[256] = {};

void NoteMissing(const char* word) {
    ++g_missing;
    const size_t n = std::strlen(g_missingwords);
    std::snprintf(g_missingwords + n, sizeof g_missingwords - n, "%s%s", n ? " " : "", word);
}

// Samples pass through the sound library's lock, so the DirectSound records work too.
uint8_t* Samples(tagTOVWAVE* wave, DWORD* size) {
    void* data = nullptr;
    if (!TOV_LockWave(wave, &data, size)) return nullptr;
    return static_cast<uint8_t*>(data);
}

// ---- the files of the voice folder ----
// The radio speaks the same few hundred words again and again: after its first use a word file's
// existence, stored format and samples are kept, so that a message costs one file read (its
// first word, which makes the message's wave record) instead of two file probes per word.
struct CachedWord {
    int exists = -1;  // -1 not asked yet
    int formatted = -1;
    int rate = 0, bits = 0, channels = 0;
    bool loaded = false;
    std::vector<uint8_t> samples;
};
std::unordered_map<std::string, CachedWord> g_cache;

CachedWord& Cached(const char* path) { return g_cache[path]; }

int FileExistsAt(const char* path) {
    CachedWord& c = Cached(path);
    if (c.exists < 0) c.exists = NXL_FILE_Exist(path) ? 1 : 0;
    return c.exists;
}
int FileRead(const char* path, tagTOVWAVE* wave) { return TOV_WaveRead(path, wave); }
int FileAppend(const char* path, tagTOVWAVE* wave) { return TOV_AppendWaveRead(path, wave); }
// The format the file stores (the sound library's reader turns 16 bits into 8).
int FileFormat(const char* path, int* rate, int* bits, int* channels) {
    CachedWord& c = Cached(path);
    if (c.formatted < 0) {
        c.formatted = 0;
        if (HANDLE f = NXL_FILE_ReadOpen(path)) {
            uint8_t head[44];
            const int n = NXL_FILE_Read(f, head, sizeof head);
            NXL_FILE_Close(f);
            wyn::ByteReader r(head, n > 0 ? size_t(n) : 0);
            if (r.at("RIFF") && r.skip(12) && r.at("fmt ") && r.skip(10)) {
                c.channels = r.u16();
                c.rate = int(r.u32());
                r.skip(6);
                c.bits = r.u16();
                c.formatted = r.ok() ? 1 : 0;
            }
        }
    }
    if (!c.formatted) return 0;
    *rate = c.rate, *bits = c.bits, *channels = c.channels;
    return 1;
}
// The samples of a word file as the sound library reads them.
const std::vector<uint8_t>& FileSamples(const char* path) {
    CachedWord& c = Cached(path);
    if (!c.loaded) {
        c.loaded = true;
        tagTOVWAVE w = {};
        DWORD size = 0;
        if (TOV_WaveRead(path, &w))
            if (uint8_t* data = Samples(&w, &size)) {
                c.samples.assign(data, data + size);
                TOV_UnlockWave(&w, data, size);
            }
        TOV_WaveFree(&w);
    }
    return c.samples;
}
const VoiceWordStore kFiles = {FileExistsAt, FileRead, FileAppend, FileFormat};
const VoiceWordStore* g_store = &kFiles;

// While BuildVoice runs over the files, the words after the first are gathered here and added
// to the wave in one piece at its end.
bool g_assembling = false;
std::vector<uint8_t> g_pending;

void FlushPending(tagTOVWAVE* wave) {
    if (g_pending.empty() || !wave->data) return g_pending.clear();
    // TOV_AppendSpace reads an amount of 1 as one millisecond: a lone sample gets a twin.
    if (g_pending.size() == 1) g_pending.push_back(128);
    const DWORD before = DWORD(wave->size);
    if (TOV_AppendSpace(wave, int(g_pending.size()), 0)) {
        DWORD size = 0;
        if (uint8_t* s = Samples(wave, &size)) {
            if (size >= before + g_pending.size())
                std::memcpy(s + before, g_pending.data(), g_pending.size());
            TOV_UnlockWave(wave, s, size);
        }
    }
    g_pending.clear();
}

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\\'; }
// A Shift-JIS lead byte: it and the byte after it are one character, so a second byte that
// looks like '\\', ']' or '_' ("ソ", "ゾ", "ダ") neither cuts a word nor changes in a caption.
bool IsLead(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x81 && u <= 0x9f) || (u >= 0xe0 && u <= 0xfc);
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Digits(const char* s) {
    int d = 0;
    while (IsDigit(s[d])) ++d;
    return d;
}

// "%s%s\%s.wav": folder, voice, word; false when it does not fit.
bool WordPath(char* path, size_t cap, const char* voice, const char* word) {
    const int n = std::snprintf(path, cap, "%s%s\\%s.wav", g_folder, voice, word);
    return n > 0 && size_t(n) < cap;
}

void AppendWave(const char* path, tagTOVWAVE* wave) {
    if (!wave->data) {
        if (g_store->read(path, wave)) CheckVoiceFormat(path, wave);
    } else if (g_assembling) {
        const std::vector<uint8_t>& s = FileSamples(path);
        g_pending.insert(g_pending.end(), s.begin(), s.end());
    } else {
        g_store->append(path, wave);
    }
}

// The pause after a word ending in "."; like any append it needs a wave to add to.
void AppendPause(tagTOVWAVE* wave) {
    if (!wave->data) return;
    if (g_assembling)
        g_pending.insert(g_pending.end(), kPauseBytes, 128);
    else
        TOV_AppendSpace(wave, kPauseBytes, 0);
}

void Say(const char* voice, tagTOVWAVE* wave, const char* word) {
    AppendVoiceWord(voice, wave, word);
}
void SayChar(const char* voice, tagTOVWAVE* wave, char c) {
    const char word[2] = {c, 0};
    AppendVoiceWord(voice, wave, word);
}

void MixNoise(tagTOVWAVE* wave) {
    DWORD nsize = 0, size = 0;
    uint8_t* noise = Samples(&g_noise, &nsize);
    if (!noise || nsize == 0) return;
    uint8_t* s = Samples(wave, &size);
    if (!s) return;
    // In runs of the noise wave's length, so that the inner loop has no wrap test and vectorizes.
    for (DWORD at = 0; at < size; at += nsize) {
        const DWORD n = size - at < nsize ? size - at : nsize;
        uint8_t* run = s + at;
        for (DWORD j = 0; j < n; ++j) run[j] = uint8_t(noise[j] + (int(run[j]) - 128) * 70 / 100);
    }
    TOV_UnlockWave(wave, s, size);
    TOV_UnlockWave(&g_noise, noise, nsize);
}

void MixEcho(tagTOVWAVE* wave) {
    DWORD size = 0;
    uint8_t* s = Samples(wave, &size);
    if (!s) return;
    for (long i = 0; i < long(size) - kEchoDelay; ++i)
        s[i + kEchoDelay] =
            uint8_t((int(s[i]) - 128) * 30 / 100 + (int(s[i + kEchoDelay]) - 128) * 70 / 100 + 128);
    TOV_UnlockWave(wave, s, size);
}

// The first ']' of `p` (Shift-JIS second bytes skipped), or its end.
const char* FindClose(const char* p) {
    while (*p && *p != ']') p += IsLead(p[0]) && p[1] ? 2 : 1;
    return p;
}

// The caption of a voice text: "_" a blank, "#" and "%" dropped, bracket words their shown part.
void WriteCaption(const char* text, char* caption) {
    size_t n = 0;
    auto put = [&](char c) {
        if (n + 1 < size_t(kAtcText)) caption[n++] = c;
    };
    for (const char* p = text; *p;) {
        if (p[0] == '@' && p[1] == '[') {
            const char* mid = FindClose(p + 2);
            if (!*mid) break;
            const char* shown = mid[1] ? mid + 2 : mid + 1;
            const char* end = FindClose(shown);
            for (const char* q = shown; q != end; ++q) put(*q);
            p = *end ? end + 1 : end;
            continue;
        }
        if (IsLead(p[0]) && p[1]) {
            put(*p++);
            put(*p++);
            continue;
        }
        if (*p == '_')
            put(' ');
        else if (*p != '#' && *p != '%')
            put(*p);
        ++p;
    }
    caption[n] = 0;
}

// The default candidate lists, by speaker: 0-4 the controllers, 7-27 cabin crews, announcers
// and the odd pilots (kinds 5 and 9, JCG), 29-48 the pilots; each list has the length the
// speakers are sorted by. The controllers' lists hold the five controller voices and voices
// that the shorter lists handled before them have taken (the female voices by the cabin crews,
// the pilot voices by the pilots), so that each position gets a controller voice of its own
// whatever the random pick; the pilots' lists hold the eleven pilot voices only.
constexpr const char* kAllVoices = "cta,ctb,ctc,ctd,cte,fma,fmb,fmc";
const char* const kDefaultLists[kSpeakers] = {
    "cta,ctb,ctc,ctd,cte,pla,plb,plc,pld,ple,plf,plg,plh,pli",  // 0 approach
    "cta,ctb,ctc,ctd,cte,fma,fmb,fmc",                          // 1 tower
    "cta,ctb,ctc,ctd,cte,fmb,fmc,fma",                          // 2 ground
    "cta,ctb,ctc,ctd,cte,pld,ple,plf,plg,plh,pli,plj,plk,pla",  // 3 delivery
    "cta,ctb,ctc,ctd,cte,plg,plh,pli,plj,plk,pla,plb,plc,pld",  // 4 departure
    "fma",
    "fmb",
    "fma,fmb",          // 7
    "fma,fmb,fmc,fma",  // 8-17 cabin crews
    "fmb,fmc,fma,fmb",
    "fmc,fma,fmb,fmc",
    "fma,fmb,fmc,fma",
    "fmb,fmc,fma,fmb",
    "fmc,fma,fmb,fmc",
    "fma,fmb,fmc,fma",
    "fmb,fmc,fma,fmb",
    "fmc,fma,fmb,fmc",
    "fma,fmb,fmc,fma",
    "fmb,fmc,fma,fmb",  // 18-21 gate announcers
    "fmc,fma,fmb,fmc",
    "fma,fmb,fmc,fma",
    "fmb,fmc,fma,fmb",
    "fmc,fma",  // 22-24
    "fma,fmb",
    "fmb,fmc",
    "pla,plb,plc,pld,ple,plf,plg,plh,pli,plj,plk,fma",  // 25
    "fma,fmb,fmc",                                      // 26 terminal notices
    "fmc,fmb",
    "fmc",
    "pla,plb,plc,pld,ple,plf,plg,plh,pli,plj,plk",  // 29-48 pilots
    "plb,plc,pld,ple,plf,plg,plh,pli,plj,plk,pla",
    "plc,pld,ple,plf,plg,plh,pli,plj,plk,pla,plb",
    "pld,ple,plf,plg,plh,pli,plj,plk,pla,plb,plc",
    "ple,plf,plg,plh,pli,plj,plk,pla,plb,plc,pld",
    "plf,plg,plh,pli,plj,plk,pla,plb,plc,pld,ple",
    "plg,plh,pli,plj,plk,pla,plb,plc,pld,ple,plf",
    "plh,pli,plj,plk,pla,plb,plc,pld,ple,plf,plg",
    "pli,plj,plk,pla,plb,plc,pld,ple,plf,plg,plh",
    "plj,plk,pla,plb,plc,pld,ple,plf,plg,plh,pli",
    "plk,pla,plb,plc,pld,ple,plf,plg,plh,pli,plj",
    "pla,plb,plc,pld,ple,plf,plg,plh,pli,plj,plk",
    "plb,plc,pld,ple,plf,plg,plh,pli,plj,plk,pla",
    "plc,pld,ple,plf,plg,plh,pli,plj,plk,pla,plb",
    "pld,ple,plf,plg,plh,pli,plj,plk,pla,plb,plc",
    "ple,plf,plg,plh,pli,plj,plk,pla,plb,plc,pld",
    "plf,plg,plh,pli,plj,plk,pla,plb,plc,pld,ple",
    "plg,plh,pli,plj,plk,pla,plb,plc,pld,ple,plf",
    "plh,pli,plj,plk,pla,plb,plc,pld,ple,plf,plg",
    "pli,plj,plk,pla,plb,plc,pld,ple,plf,plg,plh",
};

int RandomBelow(int n) { return int((GetTickCount() / 100 + unsigned(std::rand())) % unsigned(n)); }

}  // namespace

// ---- speakers ----

SpeakerRecord* GetSpeakerRecords() { return g_speakers; }

void CopyDefaultSpeakerLists(SpeakerRecord* records, int otherset) {
    for (int i = 0; i < kSpeakers; ++i) {
        const bool eight = otherset && (i <= 4 || i == 41 || i == 42);
        lstrcpynA(records[i].list, eight ? kAllVoices : kDefaultLists[i], sizeof records[i].list);
        records[i].voice[0] = 0;
    }
}

void AssignSpeakerVoices(SpeakerRecord* records, int count) {
    if (count <= 0) return;
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) order[size_t(i)] = i;
    // Swaps only on strictly greater lengths, so equal lengths keep table order.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 0; i + 1 < count; ++i)
            if (std::strlen(records[order[size_t(i)]].list) >
                std::strlen(records[order[size_t(i + 1)]].list)) {
                std::swap(order[size_t(i)], order[size_t(i + 1)]);
                swapped = true;
            }
    }
    for (int k = 0; k < count; ++k) {
        SpeakerRecord& s = records[order[size_t(k)]];
        s.voice[0] = 0;
        char names[41][8];
        int n = 0;
        for (const char* p = s.list; *p && n < 41;) {
            const char* comma = std::strchr(p, ',');
            const size_t len = comma ? size_t(comma - p) : std::strlen(p);
            if (len > 0) lstrcpynA(names[n++], p, int(len < 7 ? len : 7) + 1);
            p += len + (comma ? 1 : 0);
        }
        if (n == 0) continue;
        bool taken[41] = {};
        int free = 0;
        for (int c = 0; c < n; ++c) {
            for (int j = 0; j < k && !taken[c]; ++j)
                taken[c] = std::strcmp(records[order[size_t(j)]].voice, names[c]) == 0;
            free += taken[c] ? 0 : 1;
        }
        int pick = 0;
        if (free == 0) {
            pick = RandomBelow(n);
        } else {
            int nth = free == 1 ? 0 : RandomBelow(free);
            for (pick = 0; pick < n; ++pick)
                if (!taken[pick] && nth-- == 0) break;
        }
        lstrcpynA(s.voice, names[pick], sizeof s.voice);
    }
}

int ClampSpeaker(int speaker) { return speaker >= 0 && speaker < kSpeakers ? speaker : 29; }

// ---- the voice folder ----

void SetVoiceWordStore(const VoiceWordStore* store) {
    g_store = store ? store : &kFiles;
    g_cache.clear();
}

const char* GetVoiceFolder() { return g_folder; }

void LoadVoiceNoise() {
    if (g_noise.data) TOV_WaveFree(&g_noise);
    char path[MAX_PATH + 16];
    std::snprintf(path, sizeof path, "%snoise.wav", g_folder);
    if (g_store->exists(path)) g_store->read(path, &g_noise);
}

void VoiceInit(HWND window, const char* folder) {
    g_window = window;
    lstrcpynA(g_folder, folder ? folder : "", sizeof g_folder);
    g_cache.clear();
    LoadVoiceNoise();
}

void VoiceEnd() {
    if (g_noise.data) TOV_WaveFree(&g_noise);
}

// ---- tokens and words ----

const char* NextVoiceToken(const char* text, char* token, int* bracket) {
    while (IsSeparator(*text)) ++text;
    size_t n = 0;
    auto put = [&](char c) {
        if (n + 1 < kToken) token[n++] = c;
    };
    if (bracket) *bracket = text[0] == '@';
    if (text[0] == '@') {
        const char* p = text + (text[1] ? 2 : 1);
        const char* close = FindClose(p);
        for (; p != close; ++p) put(*p);
        if (*p) {
            p = FindClose(p + 1);
            if (*p) ++p;
        }
        token[n] = 0;
        return p;
    }
    const char* p = text;
    if (*p == '#' || *p == '%') {
        put(*p++);
        while (IsDigit(*p)) put(*p++);
    } else {
        while (*p && !IsSeparator(*p)) {
            if (IsLead(p[0]) && p[1]) put(*p++);
            put(*p++);
        }
    }
    token[n] = 0;
    return p;
}

int AppendVoiceWord(const char* voice, tagTOVWAVE* wave, const char* word) {
    if (!word[0]) return 1;
    char w[kToken];
    lstrcpynA(w, word, sizeof w);
    for (char* p = w; *p; ++p)
        if (*p == '/') *p = '_';
    size_t len = std::strlen(w);
    const bool pause = w[len - 1] == '.';
    if (pause) w[--len] = 0;
    int result = 1;
    if (len > 0) {
        char path[1024];
        const bool space = std::strcmp(w, "\\") == 0;
        if (space) std::snprintf(path, sizeof path, "%sspace.wav", g_folder);
        if ((space && !g_store->exists(path)) ||
            (!space && (!WordPath(path, sizeof path, voice, w) || !g_store->exists(path)))) {
            NoteMissing(w);
            result = 0;
            std::snprintf(path, sizeof path, "%serror.wav", g_folder);
        }
        // Without error.wav itself the word is left out rather than boxed for every message.
        if (result || g_store->exists(path)) AppendWave(path, wave);
    }
    if (pause) AppendPause(wave);
    return result;
}

void SpeakChars(const char* voice, const char* text, int n, tagTOVWAVE* wave) {
    for (int i = 0; i < n && text[i]; ++i) SayChar(voice, wave, text[i]);
}

void SpeakToken(const char* voice, const char* token, tagTOVWAVE* wave) {
    const int d = Digits(token);
    const char* t = token;
    if (d > 0) {
        switch (d) {
            case 1:
                return SayChar(voice, wave, t[0]);
            case 2:
                SpeakChars(voice, t, 2, wave);
                if (t[2] == 'L') Say(voice, wave, "LEFT");
                if (t[2] == 'R') Say(voice, wave, "RIGHT");
                return;
            case 3:
                SpeakChars(voice, t, 3, wave);
                if (t[3] == '.' && IsDigit(t[4])) {
                    Say(voice, wave, "DECIMAL");
                    SayChar(voice, wave, t[4]);
                }
                return;
            case 4:
            case 5: {
                const int lead = d - 3;  // the digits before "1000"
                SpeakChars(voice, t, lead, wave);
                Say(voice, wave, "1000");
                if (t[lead] != '0') {
                    SayChar(voice, wave, t[lead]);
                    Say(voice, wave, "100");
                }
                return;
            }
            default:
                return;  // six digits and more say nothing
        }
    }
    if (t[0] == 'J' && t[1] == 'A' && IsDigit(t[2])) {
        Say(voice, wave, "JA");
        return SpeakChars(voice, t + 2, 4, wave);
    }
    if (t[0] == '%') return SpeakChars(voice, t + 1, Digits(t + 1), wave);
    if (t[0] >= 'A' && t[0] <= 'Z' && IsDigit(t[1])) {
        SayChar(voice, wave, t[0]);
        const int k = IsDigit(t[2]) ? 2 : 1;
        char number[3] = {t[1], k == 2 ? t[2] : char(0), 0};
        Say(voice, wave, number);
        static const char kPoints[] = "NWSE";
        static const char* const kWords[] = {"north", "west", "south", "east"};
        if (const char* q = t[1 + k] ? std::strchr(kPoints, t[1 + k]) : nullptr)
            Say(voice, wave, kWords[q - kPoints]);
        return;
    }
    if (t[0] == '#') {
        const int k = Digits(t + 1);
        if (k < 1 || k > 4) return;
        for (int i = 0; i < k; ++i) {
            if (t[1 + i] == '0') continue;
            char word[8] = {'#', t[1 + i]};
            for (int z = 0; z < k - 1 - i; ++z) word[2 + z] = '0';
            Say(voice, wave, word);
        }
        return;
    }
    if (t[0] && IsDigit(t[1])) {
        SayChar(voice, wave, t[0]);
        return SayChar(voice, wave, t[1]);
    }
    Say(voice, wave, t);
}

void CheckVoiceFormat(const char* path, tagTOVWAVE* wave) {
    int rate = wave->rate, bits = wave->bit, channels = wave->mode == 2 ? 2 : 1;
    if (g_store->format) g_store->format(path, &rate, &bits, &channels);
    static const char* const kTexts[] = {
        "音源データ %s は、11.025KHzではありません。",
        "音源データ %s は、8ビットではありません。",
        "音源データ %s は、モノラルではありません。",
    };
    const bool faults[] = {rate != kVoiceRate, bits != 8, channels == 2};
    for (int i = 0; i < 3; ++i) {
        if (!faults[i]) continue;
        char text[1200];
        std::snprintf(text, sizeof text, kTexts[i], path);
        MessageBoxA(g_window, text, "ATCVOICE", MB_OK | MB_ICONEXCLAMATION);
    }
}

int BuildVoice(const char* voice, const char* text, tagTOVWAVE* wave, char* caption, int noise,
               int echo) {
    if (wave->data) TOV_WaveFree(wave);
    g_missing = 0;
    g_missingwords[0] = 0;
    char token[kToken];
    g_assembling = g_store == &kFiles;
    for (const char* p = text;;) {
        int bracket = 0;
        const char* next = NextVoiceToken(p, token, &bracket);
        if (next == p || (!*token && !bracket && !*next)) break;
        if (bracket)
            AppendVoiceWord(voice, wave, token);
        else if (*token)
            SpeakToken(voice, token, wave);
        p = next;
    }
    g_assembling = false;
    FlushPending(wave);
    if (wave->data && noise) MixNoise(wave);
    if (echo) MixEcho(wave);
    WriteCaption(text, caption);
    return 1;
}

int GetVoiceMissing(const char** words) {
    if (words) *words = g_missingwords;
    return g_missing;
}

int SpeakAnnouncement(int aircraft, int speaker, int n, int echo) {
    int voice = 7;
    if (TOV_WaveStatus(7) != 0) {
        if (TOV_WaveStatus(8) != 0) return 0;
        voice = 8;
    }
    char text[kAtcText], expanded[kAtcText], caption[kAtcText];
    const int length = GetAnnounceText(n, text);
    ExpandAtcMacros(aircraft, expanded, text, length, 0);
    tagTOVWAVE* wave = GetVoiceWave(voice);
    const SpeakerRecord& s = g_speakers[ClampSpeaker(speaker)];
    BuildVoice(s.voice, expanded, wave, caption, 0, echo);
    TOV_WavePlay(voice, wave, 1, 0);
    if (GameTraceOn()) {
        const char* missing = "";
        const int count = GetVoiceMissing(&missing);
        GameTrace(
            "announce %d aircraft %d speaker %d voice %s wave %d bytes %ld missing %d%s%s "
            "caption %s",
            n, aircraft, ClampSpeaker(speaker), s.voice, voice, long(wave->size), count,
            count ? " " : "", missing, caption);
    }
    return 1;
}
