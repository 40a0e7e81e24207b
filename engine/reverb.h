// Reverb: the eight-tap reverb of a channel's effects.
//
// Each side of a channel gathers eight taps that read the other side's
// earlier output from the channel buffer. A tap's length is spread by
// p^-0.4 over the primes below and wobbles slowly with the song position;
// its gain grows with sqrt(p) and is modulated as well. Taps feeding the
// right output use variant 10, those feeding the left variant 0, so the two
// sides differ in length, modulation speed and depth.
#pragma once

#include <cstdint>

inline constexpr int REVERB_TAPS = 8;
inline constexpr std::int32_t REVERB_PRIMES[REVERB_TAPS] = {2, 7, 13, 19, 31, 41, 67, 101};
// p^-0.4 to fifteen significant digits. Written out rather than computed:
// pow(p, -0.4) differs from these in the last bit for six of the eight.
inline constexpr double REVERB_TAP_FACTORS[REVERB_TAPS] = {
    0.757858283255199, 0.459156549959434, 0.358445109233544, 0.30796301275838,
    0.253195115038775, 0.226405231252358, 0.186024471306991, 0.15785976446759,
};

inline constexpr int REVERB_SOURCE_LEFT = 0;
inline constexpr int REVERB_SOURCE_RIGHT = 1;
inline constexpr int REVERB_VARIANT_FEEDS_RIGHT = 10;
inline constexpr int REVERB_VARIANT_FEEDS_LEFT = 0;

struct ReverbTapContext {
    const double* samples;  // the channel buffer
    std::int32_t index;     // interleaved index of the current frame's left element
    double wetGain;
    double timeScale;       // the reverb size
};

// One tap: `source` picks the elements read (0 left, 1 right); `variant` is
// 10 for taps feeding the right output, 0 for the left. Taps that reach
// before the song's first frame give 0.
double reverbTap(const ReverbTapContext& context, int tap, int source, int variant);
