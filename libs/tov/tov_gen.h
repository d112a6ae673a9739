// What differs between the two generations built from these sources: tov42 (the default)
// and the older tov33 (TOV_GENERATION=33). Code asks these constants, never the number.
#pragma once

#ifndef TOV_GENERATION
#define TOV_GENERATION 42
#endif

namespace tov::gen {

#if TOV_GENERATION == 33
inline constexpr char kWindowClass[] = "TOV32";
inline constexpr char kCaption[] = "TOV32";
inline constexpr char kMciCaption[] = "TOV32(MCI)";
inline constexpr char kOutputCaption[] = "TOV32(WAVE)";
inline constexpr char kReadCaption[] = "TOV32(WAVE)";
inline constexpr char kLeakCaption[] = "TOV32";
inline constexpr bool kChooseLanguage = true;  // by the country code
inline constexpr bool kVolumes = false;        // every channel at full level
inline constexpr bool kPitch = false;
inline constexpr bool kOgg = false;
inline constexpr bool kBufferSettings = false;  // two fixed buffers
inline constexpr int kDefaultBufferCount = 2;
inline constexpr int kDefaultBufferBytes = 16384;
inline constexpr int kDefaultPrequeued = 2;
inline constexpr bool kAlwaysMixOnDone = true;  // every finished buffer is mixed again
inline constexpr bool kPauseGivesFlag = true;   // TOV_WavePause of a channel
inline constexpr int kArchiveEntry = 32;        // archive entries of the older width
inline constexpr bool kCdDriveChoice = false;   // the default CD device, no drive search
#else
inline constexpr char kWindowClass[] = "TOV40";
inline constexpr char kCaption[] = "TOV40";
inline constexpr char kMciCaption[] = "TOV40(MCI)";
inline constexpr char kOutputCaption[] = "TOV42(WAVE)";
inline constexpr char kReadCaption[] = "TOV40(WAVE)";
inline constexpr char kLeakCaption[] = "TOV40";
inline constexpr bool kChooseLanguage = false;  // always the Japanese texts
inline constexpr bool kVolumes = true;
inline constexpr bool kPitch = true;
inline constexpr bool kOgg = true;
inline constexpr bool kBufferSettings = true;
inline constexpr int kDefaultBufferCount = 8;
inline constexpr int kDefaultBufferBytes = 4096;
inline constexpr int kDefaultPrequeued = 2;
inline constexpr bool kAlwaysMixOnDone = false;
inline constexpr bool kPauseGivesFlag = false;
inline constexpr int kArchiveEntry = 36;
inline constexpr bool kCdDriveChoice = true;
#endif

}  // namespace tov::gen
