// The wave exports: each is one call into the table of the wave output the start opened (the
// mixer or DirectSound), after the argument checks both outputs share.
#include "tov_internal.h"

using namespace tov;

// ---- waves ----

TOVDLL_API int WINAPI TOV_WaveRead(LPCSTR path, tagTOVWAVE* wave) {
    const auto guard = Guard();
    return wave ? Output().read(path, wave) : 0;
}

TOVDLL_API int WINAPI TOV_AppendWaveRead(LPCSTR path, tagTOVWAVE* wave) {
    const auto guard = Guard();
    return wave ? Output().appendRead(path, wave) : 0;
}

// The DirectSound output's own readers, whichever output is open: without the sound object
// no buffer can be made and they give 0.
TOVDLL_API int WINAPI TOV_WaveRead16(LPCSTR path, tagTOVWAVE* wave) {
    const auto guard = Guard();
    return wave ? kDsOutput.read(path, wave) : 0;
}

TOVDLL_API int WINAPI TOV_AppendWaveRead16(LPCSTR path, tagTOVWAVE* wave) {
    const auto guard = Guard();
    return wave ? kDsOutput.appendRead(path, wave) : 0;
}

TOVDLL_API tagTOVWAVE* WINAPI TOV_AppendWave(tagTOVWAVE* dst, tagTOVWAVE* src) {
    const auto guard = Guard();
    if (!dst || !src || src == dst || !src->data) return dst;
    return Output().appendWave(dst, src);
}

TOVDLL_API int WINAPI TOV_AppendSpace(tagTOVWAVE* wave, int amount, int) {
    const auto guard = Guard();
    if (!wave || !wave->data || amount < 0) return 0;
    uint32_t bytes = uint32_t(amount);
    if (amount == 1) {
        // One millisecond of silence.
        const int channels = wave->mode == 2 ? 2 : 1;
        bytes = uint32_t(wave->rate / 1000 * (wave->bit / 8) * channels);
    }
    return Output().appendSilence(wave, bytes);
}

TOVDLL_API int WINAPI TOV_LockWave(tagTOVWAVE* wave, void** data, DWORD* size) {
    const auto guard = Guard();
    void* p = nullptr;
    DWORD n = 0;
    const bool has = wave && wave->data && Output().lock(wave, &p, &n);
    if (data) *data = has ? p : nullptr;
    if (size) *size = has ? n : 0;
    return has ? 1 : 0;
}

TOVDLL_API int WINAPI TOV_UnlockWave(tagTOVWAVE* wave, void* data, DWORD size) {
    const auto guard = Guard();
    return wave ? Output().unlock(wave, data, size) : 0;
}

TOVDLL_API int WINAPI TOV_WaveFree(tagTOVWAVE* wave) {
    const auto guard = Guard();
    return wave ? Output().free(wave) : 0;
}

TOVDLL_API int WINAPI TOV_WavePitch(tagTOVWAVE* wave, double ratio) {
    const auto guard = Guard();
    return wave && wave->data ? Output().pitchWave(wave, ratio) : 0;
}

// ---- channels ----

TOVDLL_API int WINAPI TOV_WavePlay(int channel, tagTOVWAVE* wave, int count, int offset) {
    const auto guard = Guard();
    return Output().play(channel, wave, count, offset);
}

TOVDLL_API int WINAPI TOV_WavePlayJust(int channel, tagTOVWAVE* wave, int count, int offset) {
    const auto guard = Guard();
    return Output().playJust(channel, wave, count, offset);
}

TOVDLL_API int WINAPI TOV_WaveStop(int channel) {
    const auto guard = Guard();
    return Output().stop(channel);
}

TOVDLL_API int WINAPI TOV_WavePause(int channel, int flag) {
    const auto guard = Guard();
    return Output().pause(channel, flag);
}

TOVDLL_API int WINAPI TOV_WaveStatus(int channel) {
    const auto guard = Guard();
    return Output().status(channel);
}

TOVDLL_API int WINAPI TOV_WaveSkip(int channel, int segment) {
    const auto guard = Guard();
    return Output().skip(channel, segment);
}

TOVDLL_API int WINAPI TOV_WavePlayCount(int channel, int count) {
    const auto guard = Guard();
    return Output().playCount(channel, count);
}

TOVDLL_API int WINAPI TOV_WaveSetMasterVol(int volume) {
    const auto guard = Guard();
    return Output().setMasterVol(volume);
}

TOVDLL_API int WINAPI TOV_WaveGetMasterVol(void) {
    const auto guard = Guard();
    return Output().getMasterVol();
}

TOVDLL_API int WINAPI TOV_WaveSetLocalVol(int channel, int volume) {
    const auto guard = Guard();
    return Output().setLocalVol(channel, volume);
}

TOVDLL_API int WINAPI TOV_WaveGetLocalVol(int channel) {
    const auto guard = Guard();
    return Output().getLocalVol(channel);
}

// Fading in or out takes 15 steps of ms / 15 each whatever the volume stands at (so from a
// middle volume it ends early); a fade to a target takes one step per volume step.
TOVDLL_API int WINAPI TOV_WaveFadeIn(int channel, int ms) {
    const auto guard = Guard();
    return Output().fade(channel, 15, ms, 15);
}

TOVDLL_API int WINAPI TOV_WaveFadeOut(int channel, int ms) {
    const auto guard = Guard();
    return Output().fade(channel, 0, ms, 15);
}

TOVDLL_API int WINAPI TOV_WaveFade(int channel, int target, int ms) {
    const auto guard = Guard();
    return Output().fade(channel, target, ms, 0);
}

TOVDLL_API int WINAPI TOV_WaveSetPitch(int channel, int percent) {
    const auto guard = Guard();
    return Output().setPitch(channel, percent, true);
}

TOVDLL_API int WINAPI TOV_WaveSetPitchDirect(int channel, int hz) {
    const auto guard = Guard();
    return Output().setPitch(channel, hz, false);
}

// ---- the output ----

TOVDLL_API int WINAPI TOV_SetWaveBufferInfo(int count, int bytes, int prequeued) {
    const auto guard = Guard();
    return Output().setBufferInfo(count, bytes, prequeued);
}

TOVDLL_API int WINAPI TOV_GetWaveBufferInfo(int* count, int* bytes, int* prequeued) {
    const auto guard = Guard();
    Output().getBufferInfo(count, bytes, prequeued);
    return 0;
}

TOVDLL_API int WINAPI TOV_WaveCharge(void) {
    const auto guard = Guard();
    return Output().charge();
}
