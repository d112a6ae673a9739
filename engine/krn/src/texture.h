// Process-wide texture state shared by all engine records.
#pragma once

namespace krn {

// Forgets the reduced-texture fallbacks and load failures, so their messages show again.
void ResetTextureCounters();
void SetSmallTextures(bool on);

}  // namespace krn
