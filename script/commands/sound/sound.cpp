// Sound commands: a thin layer over the older sound library. Waves live in wave values (a
// record of the task library filled by the library's reader); numbers are passed on with the
// library's meaning. Video belongs to the screen's window and so to the host's thread: its
// requests go through the host's mailbox.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tov42.h"
#include "vskcmd.h"
#include "vskcmd_refs.h"
#include "vskcmd_screens.h"
#include "vskexec.h"
#include "vskfile.h"
#include "vsktask.h"

using namespace vskcmd;

namespace {

constexpr WORD kWaveVar = VSK_SIG_REF | VSK_MODE_WAVE;
constexpr WORD kSigNumber[] = {'N', 0};
constexpr WORD kSigTwoNumbers[] = {'N', 'N', 0};
constexpr WORD kSigMidi[] = {'S', 'N', 0};
constexpr WORD kSigRead[] = {'S', VSK_SIG_REF | VSK_SIG_ANY, 0};
constexpr WORD kSigWave[] = {kWaveVar, 0};
constexpr WORD kSigPlay[] = {'N', kWaveVar, 'N', 'N', 0};
constexpr WORD kSigVideo[] = {'N', 'S', 'R', 'N', 0};
// The system's wave record is 128 bytes; the record here is never smaller than that.
constexpr SIZE_T kWaveRecordBytes = std::max<SIZE_T>(128, sizeof(tagTOVWAVE));

// Commands that take one number they do not use, and answer with the library's number or
// nothing.
template <class Call>
int Unused(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, Call call) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigNumber, frame)) return 0;
    return call();
}

tagTOVWAVE* ArgWave(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame, int k) {
    tagTOVWAVE* wave = HeldRecord<tagTOVWAVE>(Referenced(frame, k), VSK_MODE_WAVE);
    if (!wave) TypeMessage(ctx, label, k, "ウェーブ");
    return wave;
}

int Play(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label,
         int(WINAPI* play)(int, tagTOVWAVE*, int, int)) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigPlay, frame)) return 0;
    tagTOVWAVE* wave = ArgWave(ctx, label, frame, 2);
    if (!wave) return 0;
    return ResultNumber(
        ctx, frame,
        play(ArgInt(ctx, frame, 1), wave, ArgInt(ctx, frame, 3), ArgInt(ctx, frame, 4)));
}

}  // namespace

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_PLAYCD(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:PlayCD", kSigTwoNumbers, frame)) return 0;
    TOV_CddaPlay(ArgInt(ctx, frame, 1), ArgInt(ctx, frame, 2));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_STOPCD(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Unused(ctx, frame, "Sound:StopCD", [&] {
        TOV_CddaStop();
        return ResultEmpty(ctx, frame);
    });
}

VSKCMD_EXPORT int WINAPI VSK_PAUSECD(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:PauseCD", kSigNumber, frame)) return 0;
    TOV_CddaPause(ArgInt(ctx, frame, 1));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_STATUSCD(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Unused(ctx, frame, "Sound:StatusCD",
                  [&] { return ResultNumber(ctx, frame, TOV_CddaStatus()); });
}

VSKCMD_EXPORT int WINAPI VSK_PLAYMIDI(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:PlayMIDI", kSigMidi, frame)) return 0;
    char name[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 1, name);
    TOV_MidiPlay(name, ArgInt(ctx, frame, 2));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_STOPMIDI(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Unused(ctx, frame, "Sound:StopMIDI", [&] {
        TOV_MidiStop();
        return ResultEmpty(ctx, frame);
    });
}

VSKCMD_EXPORT int WINAPI VSK_STATUSMIDI(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Unused(ctx, frame, "Sound:StatusMIDI",
                  [&] { return ResultNumber(ctx, frame, TOV_MidiStatus()); });
}

// Reads a wave file into a new wave value. A file that cannot be opened or read stops the
// task (after the file or sound library's message) and the variable keeps what it held; a
// wave it held is freed once the new one is in.
VSKCMD_EXPORT int WINAPI VSK_READWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:ReadWAVE", kSigRead, frame)) return 0;
    char* name = ctx->bytebuf1;
    name[0] = '\0';
    VSKVAL_ArgString(ctx, frame, 1, name);
    HFILE file = VSKFILE_ReadOpen(ctx->hwnd, name);
    if (!file || file == HFILE_ERROR) return 0;
    VSKFILE_Close(ctx->hwnd, file);
    auto* wave = static_cast<tagTOVWAVE*>(VSKTASK_AllocMemory(ctx->hwnd, kWaveRecordBytes));
    if (!wave) return 0;
    if (!TOV_WaveRead(name, wave)) {
        VSKTASK_FreeMemory(ctx->hwnd, wave);
        return 0;
    }
    tagVALUEBLOCK block = RefBlock(frame, 2);
    int index = RefIndex(frame, 2);
    VSKVAL_Clear(ctx, &block, index);
    tagVALUE v{};
    VskSetWave(&v, wave);
    if (!VSKVAL_Set(ctx, &block, index, &v)) {
        VSKFAQ_Clear(ctx, &v);
        return 0;
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DELETEWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:DeleteWAVE", kSigWave, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    VSKVAL_Clear(ctx, &block, RefIndex(frame, 1));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_PLAYWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Play(ctx, frame, "Sound:PlayWAVE", TOV_WavePlay);
}

VSKCMD_EXPORT int WINAPI VSK_PLAYWAVEJUST(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Play(ctx, frame, "Sound:PlayWAVEJUST", TOV_WavePlayJust);
}

VSKCMD_EXPORT int WINAPI VSK_STOPWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:StopWAVE", kSigNumber, frame)) return 0;
    TOV_WaveStop(ArgInt(ctx, frame, 1));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_STATUSWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:StatusWAVE", kSigNumber, frame)) return 0;
    return ResultNumber(ctx, frame, TOV_WaveStatus(ArgInt(ctx, frame, 1)));
}

VSKCMD_EXPORT int WINAPI VSK_PAUSEWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:PauseWAVE", kSigTwoNumbers, frame)) return 0;
    TOV_WavePause(ArgInt(ctx, frame, 1), ArgInt(ctx, frame, 2));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_SKIPWAVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Sound:SkipWAVE", kSigTwoNumbers, frame)) return 0;
    TOV_WaveSkip(ArgInt(ctx, frame, 1), ArgInt(ctx, frame, 2));
    return ResultEmpty(ctx, frame);
}

// The host plays the video into the area of screen n's window. The screen is checked as the
// screen commands check it; a file name that does not fit the request's 256 bytes is refused.
VSKCMD_EXPORT int WINAPI VSK_PLAYVIDEO(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:PlayVideo";
    if (!VSKVAL_CheckArgument(ctx, label, kSigVideo, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    tagVSKAVIREQUEST request{};
    char name[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 2, name);
    if (std::strlen(name) >= sizeof request.file) {
        Message(ctx, label, "ファイル名が長すぎます。");
        return 0;
    }
    request.screen = n;
    request.hwnd = ScreenWindow(ctx, n);
    std::snprintf(request.file, sizeof request.file, "%s", name);
    request.area = ArgRect(ctx, frame, 3);
    request.count = ArgInt(ctx, frame, 4);
    DWORD_PTR data = reinterpret_cast<DWORD_PTR>(&request);
    VSKEXEC_HostRequest(ctx, VSK_HOST_VIDEOPLAY, &data);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_STOPVIDEO(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Unused(ctx, frame, "Screen:StopVideo", [&] {
        DWORD_PTR data = 0;
        VSKEXEC_HostRequest(ctx, VSK_HOST_VIDEOSTOP, &data);
        return ResultEmpty(ctx, frame);
    });
}

VSKCMD_EXPORT int WINAPI VSK_STATUSVIDEO(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return Unused(ctx, frame, "Screen:StatusVideo",
                  [&] { return ResultNumber(ctx, frame, TOV_AviStatus()); });
}
