// The radio: the five exchange rows with their wait lists and listening order, the phrase
// tables with the message composer, and the voice assembled from word waves. Rows, lists and
// tables are indexed by control position 0-4 and aircraft slot 0-19; lists store slot + 1.
#pragma once

#include <array>
#include <cstdint>

#include <windows.h>

#include "controller/controller.h"
#include "tov42.h"

// ---- phrase tables ----
// A phrase table is a file's bytes: u32 (not read), then u32 offsets of the records of messages
// 0, 1, 2...; a record is u32 speaker word (0 pilot, 1 controller) and the NUL-terminated text.
// Message n of the `size` bytes of `table`: *text points at its text and *speaker gets its word.
// Returns the text length, or 0 (a missing message) when the offset entry, the record or the
// text's NUL lies outside the bytes, or the text is empty.
int FindPhrase(const uint8_t* table, int size, int n, const char** text, int* speaker);
// Reads "port\<airport>\atc\app_ee.ms", "app_jj.ms" and "announ.ms" into the three phrase blocks
// (each cut at 65536 bytes); a file the game's reader cannot read leaves its table empty.
void ReadPhraseTables(const char* airport);
// Puts `size` bytes into phrase block `which` as if its file held them (cut at 65536; no block:
// nothing). Tests and fuzzing fill the tables this way.
void SetPhraseBytes(int which, const void* bytes, int size);

constexpr int kAtcText = 512;  // one composed text, NUL included
// Copies English message n (at most 511 bytes, NUL-terminated) and its speaker word; returns the
// length, 0 when the message is missing (then `text` is empty and *speaker 0).
int GetAtcTextE(int n, char* text, int* speaker);
// Japanese message n and announcement n, the same way.
int GetAtcTextJ(int n, char* text);
int GetAnnounceText(int n, char* text);

// Expands the first `length` bytes of `in` (fewer when a NUL comes first) for aircraft slot
// `aircraft` into `out`, at most 511 bytes and a NUL: each `$` and the byte after it become the
// macro's text, language 0 Japanese, 1 English. A macro whose data is missing (no table, a slot
// outside 0-19, an index outside its table, a name too short) inserts nothing.
void ExpandAtcMacros(int aircraft, char* out, const char* in, int length, int language);
// Composes message `code` for row `position`: sets the row's state (and the closing pause for a
// last message), the aircraft's `talking`, splices a pending correction, and writes the expanded
// Japanese text to out[0..511] and the English one to out[512..1023]. Returns the speaker word.
int ComposeExchangeMessage(int position, ExchangeMessageCode code, char* out);

// The numbers `$V` speaks for spots 0-14.
constexpr std::array<int, 15> kSpotNumbers = {2,   5,   9,   12,  15,  20,  45,  1000,
                                              401, 113, 210, 213, 207, 204, 1021};

// ---- the voice ----
// Speaker records: speakers 0-4 are the controllers of the five positions; the others are the
// pilots (an aircraft's `speaker`) and the announcers (ground events).
constexpr int kSpeakers = 49;
struct SpeakerRecord {
    char list[81];  // voice folder names separated by commas, each at most 7 characters
    char voice[8];  // the chosen voice folder; empty = none
};
// The stage's speaker records (filled by AtcInit).
SpeakerRecord* GetSpeakerRecords();
// Copies the default candidate lists into 49 records; with `otherset` speakers 0-4, 41 and 42
// get the list of all eight voice folders.
void CopyDefaultSpeakerLists(SpeakerRecord* records, int otherset);
// Chooses each speaker's voice from its list: shortest lists first, a voice already taken is
// given again only when no other candidate is left.
void AssignSpeakerVoices(SpeakerRecord* records, int count);
// The speaker record the voice of `speaker` comes from: numbers outside 0-48 speak with 29.
int ClampSpeaker(int speaker);

// Where the voice takes its word waves from: the files of the voice folder through the sound
// library (the default), or a set a test or a fuzz target keeps in memory. `format` answers the
// stored rate, bits and channels of a wave file (0 when it cannot tell).
struct VoiceWordStore {
    int (*exists)(const char* path);
    int (*read)(const char* path, tagTOVWAVE* wave);
    int (*append)(const char* path, tagTOVWAVE* wave);
    int (*format)(const char* path, int* rate, int* bits, int* channels);
};
// Null restores the files.
void SetVoiceWordStore(const VoiceWordStore* store);
// The voice folder kept by VoiceInit ("<program folder>\VOICE\", or one given by a test).
const char* GetVoiceFolder();
// Reads the radio noise "<folder>noise.wav" again (VoiceInit does it once); a missing or empty
// noise wave leaves pilot speech unmixed.
void LoadVoiceNoise();

// The token that starts `text` (separators: blank, comma, tab, backslash) into `token` (at most
// 511 bytes): the spoken part of a bracket word "@[spoken][shown]", a "#" or "%" with its
// digits, or a plain word. Returns the position after it (and its shown part); an "@[" without
// "]" ends at the end of the text. *bracket (may be null) tells a bracket word.
const char* NextVoiceToken(const char* text, char* token, int* bracket = nullptr);
// Appends the words of one token: digits, runways (34L), frequencies (118.1), thousands and
// hundreds, "JA" registrations, "%" digit strings, grid letters (W5N), "#" place values, else the
// token as one word.
void SpeakToken(const char* voice, const char* token, tagTOVWAVE* wave);
// Appends the word wave "<folder><voice>\<word>.wav" ("/" read as "_"; a final "." adds a pause
// of 4096 silent bytes; the word "\" is space.wav). Returns 1, or 0 when error.wav stood in.
int AppendVoiceWord(const char* voice, tagTOVWAVE* wave, const char* word);
// Appends the first `n` characters of `text`, each as a word of its own.
void SpeakChars(const char* voice, const char* text, int n, tagTOVWAVE* wave);
// Shows an "ATCVOICE" box for each way the first wave of a message is not 11025 Hz, 8-bit mono.
void CheckVoiceFormat(const char* path, tagTOVWAVE* wave);
// Assembles `text` with voice folder `voice` into `wave` (its old samples freed), mixes in the
// radio noise (`noise`) and an echo (`echo`), and writes the caption (at most 511 bytes) into
// `caption`: "_" a blank, "#" and "%" dropped, a bracket word its shown part. Returns 1.
int BuildVoice(const char* voice, const char* text, tagTOVWAVE* wave, char* caption, int noise,
               int echo);
// The words of the last BuildVoice that error.wav stood in for: their count, and their names
// separated by blanks (at most 255 bytes).
int GetVoiceMissing(const char** words);
// Expands announcement n for the aircraft in Japanese and speaks it with the speaker's voice on
// one-shot voice 7, or 8 when 7 plays. Returns 1, or 0 when both play.
int SpeakAnnouncement(int aircraft, int speaker, int n, int echo);

// ---- the exchange rows ----
constexpr int kWaitPlaces = 8;
using ExchangeWaitList = std::array<std::array<int32_t, kWaitPlaces>, kExchangeRows>;
constexpr int kListenPlaces = 6;
using ListenOrder = std::array<int32_t, kListenPlaces>;
// Per position eight places of aircraft slot + 1, packed towards place 1.
ExchangeWaitList& GetWaitLists();
// Six places of position + 1, packed towards the head; the first `multi` are heard in full.
ListenOrder& GetListenOrder();
// The wave holding the position's current voice (played on sound voice 14 + position), or null
// for a position outside 0-4.
tagTOVWAVE* GetExchangeWave(int position);

// Ticks of a voice of `bytes` samples: bytes x 30 / 11025.
int ExchangeFrames(int bytes);
// Where the caption of a panel `width` pixels wide stands after `scroll` of `frames` ticks, for
// a caption of `length` characters: it enters from the right and its end reaches the right edge
// after 90 % of the voice; with `frames` 0 it stands at width - 7 x length.
int CaptionX(int width, int scroll, int length, int frames);

// Stores `code` at the first empty queue place (1), or finds it already queued (1); 0 when full.
int PushExchangeMessage(int position, ExchangeMessageCode code);
// Stores `code` at queue place `place` (0-4) and sets the row's timer and state to 0. Returns 1.
int SetExchangeMessage(int place, int position, ExchangeMessageCode code);
// Moves the queue up one place.
void PopExchangeMessage(int position);
// 0 when the row is idle or its caption has run its `frames` (the voice is stopped then), else 1.
int IsExchangeSpeaking(int position);
// The place 1-8 of `aircraft` (slot) in the wait list, appended when absent; 0 when full.
int JoinWaitList(int position, int aircraft);
// Removes the entry at 1-based `place`, moving the later ones up.
void RemoveWaitListAt(int position, int place);
// Removes the entry `entry` (slot + 1) if present.
void RemoveFromWaitList(int position, int entry);
// Joins the wait list and answers 1 when the aircraft may start an exchange now: it is not
// talking, the row has no other talking aircraft, the row is idle with an empty queue and the
// aircraft is first in line (then it leaves the list).
int TryCallPosition(int aircraft, int position);
// The same with the row counted free whenever bit 0 of its state is clear (states 0 and 2).
int TryCallPositionNow(int aircraft, int position);
// The player's choice of the row heard at full volume (a click on its mode icon).
void ListenToPosition(int position);
// The steps of a message's start and end, for the frame and the tests.
void PlayExchangeVoice(int position);
void LeaveListenOrder(int position);
void DrawExchangeText(int position, const char* text);

// Stage set-up and exit of the radio: the text cell, the rows, the speakers, the phrase tables,
// the icon sprites; and their release.
void AtcInit();
void AtcEnd();
// The panel's width beside the small (0: 371 pixels) or the large radar (1: 560 pixels).
void SetAtcPanelWidth(int large);
int GetAtcPanelWidth();
