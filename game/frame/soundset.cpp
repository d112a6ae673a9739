// The stage's sound set, read at start and freed at the end: the game's waves with the radio
// rows' waves and the positional effects' places.
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "world/world.h"

void LoadGameSounds() {
    LoadGameWaves();
    for (int p = 0; p < kExchangeRows; ++p) FreeWave(GetExchangeWave(p));
    ClearEffectPlaces();
}

void FreeGameSounds() {
    FreeGameWaves();
    for (int p = 0; p < kExchangeRows; ++p) {
        TOV_WaveStop(14 + p);
        FreeWave(GetExchangeWave(p));
    }
}
