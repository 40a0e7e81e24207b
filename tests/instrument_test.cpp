// Instrument parameter block: decoding of the voice bytes, with its single
// precision roundings, the pitch depths, the rate rule and unknown values.
#include "instrument.h"

#include <gtest/gtest.h>

#include <array>

#include "waveform.h"

namespace {

constexpr std::int32_t SONG_ROW = 5168;

using Params = std::array<std::uint8_t, 72>;

VoiceParams decodeWith(std::uint32_t byte, std::uint8_t value) {
    Params params{};
    params[byte] = value;
    return decodeVoiceParams(params.data(), SONG_ROW);
}

// Expected values are the single precision results widened; where a double
// computation rounds differently, the case says so.
TEST(VoiceParamsDecoding, ScaledBytes) {
    struct Case {
        std::uint32_t byte;
        std::uint8_t value;
        double (*field)(const VoiceParams&);
        double expected;
    };
    const auto fine = [](const VoiceParams& v) -> double { return v.osc2Fine; };
    const auto shape1 = [](const VoiceParams& v) -> double { return v.osc1ShapeOffset; };
    const auto shape2 = [](const VoiceParams& v) -> double { return v.osc2ShapeOffset; };
    const auto depth1 = [](const VoiceParams& v) -> double { return v.osc1ShapeDepth; };
    const auto depth2 = [](const VoiceParams& v) -> double { return v.osc2ShapeDepth; };
    const auto amp = [](const VoiceParams& v) -> double { return v.osc1AmpDepth; };
    const auto damping = [](const VoiceParams& v) -> double { return v.damping; };
    const auto drive = [](const VoiceParams& v) -> double { return v.drive; };
    const auto cutoff = [](const VoiceParams& v) -> double { return v.cutoffDepth; };
    const Case cases[] = {
        {OSC2_FINE, 5, fine, 0.049999997019767761},  // b x 0.01 in double would give 0.050000000745
        {OSC2_FINE, 50, fine, 0.5},                  // cancels the half semitone of oscillator 2
        {OSC2_FINE, 62, fine, 0.62000000476837158},
        {OSC1_SHAPE_OFFSET, 128, shape1, 0.0},
        {OSC1_SHAPE_OFFSET, 0, shape1, -10.0},
        {OSC1_SHAPE_OFFSET, 255, shape1, 29.6881103515625},
        {OSC2_SHAPE_OFFSET, 97, shape2, -4.2572021484375},
        {OSC1_SHAPE_DEPTH, 128, depth1, 0.0},
        {OSC1_SHAPE_DEPTH, 0, depth1, -20.0},
        {OSC1_SHAPE_DEPTH, 255, depth1, 19.84375},
        {OSC2_SHAPE_DEPTH, 50, depth2, -12.1875},
        {OSC1_AMP_DEPTH, 128, amp, 0.0},
        {OSC1_AMP_DEPTH, 0, amp, -1.0},
        {OSC1_AMP_DEPTH, 255, amp, 0.9921875},
        {RESONANCE, 0, damping, 1.0},
        {RESONANCE, 65, damping, 0.74509799480438232},  // in double: 0.745098054
        {RESONANCE, 255, damping, 0.0},
        {DRIVE, 9, drive, 3.6000001430511475},          // in double: 3.599999905
        {CUTOFF_DEPTH, 97, cutoff, -1.2916666269302368},
        {CUTOFF_DEPTH, 128, cutoff, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.field(decodeWith(c.byte, c.value)), c.expected) << "byte " << c.byte << " = " << int{c.value};
    }
}

TEST(VoiceParamsDecoding, PitchDepthBoundaries) {
    struct Case {
        std::uint8_t b;
        float depth;
    };
    const Case cases[] = {
        {0, -64.0f}, {63, -1.0f}, {64, -1.0f}, {65, -0.984375f}, {127, -0.015625f},
        {128, 0.0f}, {192, 1.0f}, {193, 1.0f}, {255, 63.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pitchDepth(c.b), c.depth) << int{c.b};
    }
}

TEST(VoiceParamsDecoding, StageLengthsInStageOrder) {
    Params params{};
    params[ATTACK_LENGTH] = 1;
    params[DECAY_LENGTH] = 2;
    params[SUSTAIN_LENGTH] = 3;
    params[RELEASE_LENGTH] = 255;
    const VoiceParams v = decodeVoiceParams(params.data(), SONG_ROW);
    EXPECT_EQ(v.stageLength[STAGE_ATTACK], 4);
    EXPECT_EQ(v.stageLength[STAGE_DECAY], 16);
    EXPECT_EQ(v.stageLength[STAGE_SUSTAIN], 36);
    EXPECT_EQ(v.stageLength[STAGE_RELEASE], 260100);
}

TEST(VoiceParamsDecoding, ArpeggioStep) {
    struct Case {
        std::uint8_t b;
        std::int32_t step;
    };
    const Case cases[] = {{0, 20672}, {1, 10336}, {2, 5168}, {14, 1}, {15, 0}, {31, 0}, {32, 20672}};
    for (const Case& c : cases) {
        EXPECT_EQ(decodeWith(ARPEGGIO_SPEED, c.b).arpStep, c.step) << int{c.b};
    }
}

TEST(VoiceParamsDecoding, RateRule) {
    struct Case {
        std::uint8_t b;
        double rate;
    };
    const Case cases[] = {
        {0, 7.5585330705507658e-07},     // one cycle per 256 rows
        {8, 0.00019349844660609961},     // one cycle per row, in single precision
        {31, -1623.1826171875},          // q = -2^31: runs backwards
        {32, 7.5585330705507658e-07},    // the shift is taken modulo 32
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lfoRate(c.b, SONG_ROW), c.rate) << int{c.b};
        EXPECT_EQ(decodeWith(LFO1_RATE, c.b).lfo1Rate, c.rate) << int{c.b};
        EXPECT_EQ(decodeWith(LFO2_RATE, c.b).lfo2Rate, c.rate) << int{c.b};
    }
    Params params{};
    params[LFO1_RATE] = 8;
    params[LFO1_LIMIT] = 3;
    EXPECT_EQ(decodeVoiceParams(params.data(), SONG_ROW).lfo1Limit, 3 * 0.00019349844660609961);
    EXPECT_EQ(decodeWith(LFO1_RATE, 8).lfo1Limit, 0.0);  // byte 35 = 0: runs throughout
}

// Effect commands can rewrite any byte while a song plays, so a waveform byte
// can point past the table.
TEST(VoiceParamsDecoding, UnknownWaveformsAreSilence) {
    struct Case {
        std::uint32_t byte;
        std::uint8_t (*field)(const VoiceParams&);
    };
    const Case cases[] = {
        {OSC1_WAVE, [](const VoiceParams& v) { return v.osc1Wave; }},
        {OSC2_WAVE, [](const VoiceParams& v) { return v.osc2Wave; }},
        {LFO1_WAVE, [](const VoiceParams& v) { return v.lfo1Wave; }},
        {LFO2_WAVE, [](const VoiceParams& v) { return v.lfo2Wave; }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.field(decodeWith(c.byte, WAVE_ADDITIVE_26)), WAVE_ADDITIVE_26) << c.byte;
        EXPECT_EQ(c.field(decodeWith(c.byte, static_cast<std::uint8_t>(WAVEFORM_COUNT))), WAVE_SILENCE) << c.byte;
        EXPECT_EQ(c.field(decodeWith(c.byte, 255)), WAVE_SILENCE) << c.byte;
    }
}

}  // namespace
