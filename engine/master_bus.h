// Master bus: turns the summed channels into the 16-bit samples of a WAV image.
//
// Per interleaved sample, in this order: a look-ahead peak compressor (one
// level follower shared by left and right, 3:1 above the threshold), a fixed
// make-up gain, a linear fade-out, scaling to 16 bits with a symmetric clamp,
// and truncation toward zero.
#pragma once

#include <cstdint>

#include "sized_buffer.h"

inline constexpr std::int32_t LOOKAHEAD_SAMPLES = 88;              // interleaved samples, 1 ms
inline constexpr double ATTACK_COEFF = 500.0 / 44100.0;            // follower rising
inline constexpr double RELEASE_COEFF = 50.0 / 44100.0;            // follower falling
inline constexpr double COMP_THRESHOLD = 0.16799999999999998;      // one ulp below 0.168, on purpose
inline constexpr double COMP_SLOPE = 0.3333333333333333;           // output slope above the threshold
inline constexpr double MAKEUP_GAIN = 2.8;
inline constexpr std::int32_t FADE_START_PATTERNS = 120;           // in patternFrames, counted in interleaved samples
inline constexpr std::int32_t FADE_END_PATTERNS = 128;
inline constexpr std::int32_t PCM_LIMIT = 32767;                   // clamp bound on both sides

// Where one call of the master bus works: the interleaved indices
// first <= k < end (end also bounds the look-ahead) and the fade-out from
// fadeStart to fadeEnd, all counted from the song's first sample.
struct MasterBusSpan {
    std::int32_t first;
    std::int32_t end;
    std::int32_t fadeStart;
    std::int32_t fadeEnd;
};

// Reads mix[first .. end) (and the look-ahead within it) and appends
// end - first samples to the image at image.length. The follower starts at 0
// at every call. The image must have room for them.
void runMasterBus(const double* mix, const MasterBusSpan& span, SizedBuffer& image);
