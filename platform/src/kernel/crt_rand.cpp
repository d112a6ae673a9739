// The C runtime's 15-bit generator as the system's programs know it: the standard linear
// congruential generator (x = x * 1103515245 + 12345, bits 16-30 of x; seed 1 until srand,
// first values 16838, 5758, 10113), the sequence the demos' random table and the weather's
// placements are described by. One state for the whole process, so a seeded run repeats
// whichever thread draws. Exported under the layer's version node: programs and
// libraries linked against the layer bind to this rand, not the C library's.
#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {
std::atomic<uint32_t> g_seed{1};
}

extern "C" __attribute__((visibility("default"))) void srand(unsigned seed) noexcept {
    g_seed.store(seed, std::memory_order_relaxed);
}

extern "C" __attribute__((visibility("default"))) int rand(void) noexcept {
    uint32_t seed = g_seed.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = seed * 1103515245u + 12345u;
    } while (!g_seed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
    return static_cast<int>((next / 65536u) % 32768u);
}
