// Helpers shared by the script command libraries: the frame's slots, results, arguments, the
// library version every command library exports, and the messages a command shows under its
// own label.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "vskval.h"

#define VSKCMD_EXPORT extern "C" __attribute__((visibility("default")))

namespace vskcmd {

inline tagVALUE* Arg(tagVALUEBLOCK* frame, int k) { return frame->lpvalue + k; }
// The number of arguments given (slot 0 holds that count + 1).
int ArgCount(tagVALUEBLOCK* frame);
// The call record of the running command (slot 0's reserved word).
inline const BYTE* Record(tagVALUEBLOCK* frame) {
    return reinterpret_cast<const BYTE*>(frame->lpvalue[0].reserved);
}

// Results in slot 0 (what it held is released; the call record stays in its reserved word).
// Each returns 1, so that a command can end with `return Result...`.
int Result(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const tagVALUE& value);
int ResultEmpty(tagVALUAREA* ctx, tagVALUEBLOCK* frame);
int ResultNumber(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int n);
int ResultBool(tagVALUAREA* ctx, tagVALUEBLOCK* frame, bool b);
// A new string of `bytes` as the result; 0 when the string could not be made.
int ResultString(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* bytes);

// A whole number value (sign from the integer).
tagVALUE Number(tagVALUAREA* ctx, int n);
// The integer form of argument k (0 for a value that is no number).
int ArgInt(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k);

// The block and index a reference argument ('V') names.
inline tagVALUEBLOCK RefBlock(tagVALUEBLOCK* frame, int k) { return VskVaqBlock(Arg(frame, k)); }
inline int RefIndex(tagVALUEBLOCK* frame, int k) { return VskVaqIndex(Arg(frame, k)); }

// A message box of a command: its label as caption (the task error box of the task library).
void Message(tagVALUAREA* ctx, const char* label, const char* format, ...);

// Data words of a system variable that the host thread also writes.
inline uint64_t SysWord(tagVALUAREA* ctx, int slot, int k) {
    return std::atomic_ref<uint64_t>(ctx->vbsystem.lpvalue[slot].word[k]).load();
}
inline void SetSysWord(tagVALUAREA* ctx, int slot, int k, uint64_t v) {
    std::atomic_ref<uint64_t>(ctx->vbsystem.lpvalue[slot].word[k]).store(v);
}

// The version every command library reports: 3.319980601.
int Version(tagVALUAREA* ctx, tagVALUEBLOCK* frame);

}  // namespace vskcmd

// Every command library exports VSK_Version; this defines it in the library that includes it.
#define VSKCMD_DEFINE_VERSION                                                      \
    VSKCMD_EXPORT int WINAPI VSK_Version(tagVALUAREA* ctx, tagVALUEBLOCK* frame) { \
        return vskcmd::Version(ctx, frame);                                        \
    }
