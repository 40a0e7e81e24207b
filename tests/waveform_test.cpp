// Waveform generators: shapes at the cycle edges and for negative phases,
// the random mappings, the harmonic tables and phaseShape.
#include "waveform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

TEST(Waveforms, ShapesAtEdgesAndNegativePhases) {
    struct Case {
        Waveform wave;
        double phase;
        double expected;
    };
    const Case cases[] = {
        {WAVE_SILENCE, 0.3, 0.0},      {WAVE_SILENCE, -7.0, 0.0},
        {WAVE_SQUARE, 0.4999, 1.0},    {WAVE_SQUARE, 0.5, -1.0},     {WAVE_SQUARE, 1.0, 1.0},
        {WAVE_SQUARE, -0.25, 1.0},     {WAVE_SQUARE, -0.75, 1.0},    // fmod keeps the sign: f < 0.5
        {WAVE_SAW, 0.0, -1.0},         {WAVE_SAW, 0.75, 0.5},        {WAVE_SAW, 3.25, -0.5},
        {WAVE_SAW, -0.25, -1.5},
        {WAVE_TRIANGLE, 0.0, -1.0},    {WAVE_TRIANGLE, 0.25, 0.0},   {WAVE_TRIANGLE, 0.5, 1.0},
        {WAVE_TRIANGLE, 0.75, 0.0},    {WAVE_TRIANGLE, -0.25, -2.0},
        {WAVE_SINE, 0.25, 1.0},        {WAVE_SINE, 0.75, -1.0},      {WAVE_SINE, -0.25, -1.0},
    };
    for (const Case& c : cases) {
        double state = 0.375;
        EXPECT_DOUBLE_EQ(WaveformTable[c.wave](c.phase, &state), c.expected)
            << "wave " << int{c.wave} << " at " << c.phase;
        EXPECT_EQ(state, 0.375) << "wave " << int{c.wave} << " must leave its memory alone";
    }
}

TEST(Waveforms, RandomValueMappings) {
    struct Case {
        int r;
        double sign;
        double noise;
    };
    const Case cases[] = {
        {0, -1.0, -1.0},
        {1, -1.0, -1.0 + RANDOM_SCALE},
        {2, 1.0, -1.0 + 2 * RANDOM_SCALE},
        {3, 1.0, -1.0 + 3 * RANDOM_SCALE},
        {16383, 1.0, -3.0518509475997192e-05},
        {16384, -1.0, 3.0518509475997192e-05},
        {32767, 1.0, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(randomSign(c.r), c.sign) << c.r;
        EXPECT_NEAR(noiseValue(c.r), c.noise, 1e-15) << c.r;
        EXPECT_NE(noiseValue(c.r), 0.0) << c.r;
    }
}

TEST(Waveforms, WalkTriangleClampsItsLevel) {
    struct Case {
        double level;
        int r;
        double phase;
        double storedLevel;
        double result;
    };
    const Case cases[] = {
        {0.95, 32767, 0.5, 1.0, 1.0},     // a step of +1/9 clamps at 1: the plain triangle
        {0.95, 32767, 0.0, 1.0, -1.0},
        {-1.0, 0, 0.5, -1.0, -1.0},       // a step of -1/9 stays at -1: the negated triangle
        {0.0, 0, 0.5, -1.0 / 9.0, -1.0 / 9.0},
        {0.5, 0, -0.25, 0.5 - 1.0 / 9.0, -2.0 * (0.5 - 1.0 / 9.0)},  // the triangle's negative-phase value
    };
    for (const Case& c : cases) {
        double level = c.level;
        EXPECT_DOUBLE_EQ(walkTriangle(c.phase, &level, c.r), c.result) << c.level << " r " << c.r;
        EXPECT_DOUBLE_EQ(level, c.storedLevel) << c.level << " r " << c.r;
    }
}

TEST(Waveforms, DrawsStayInTheSixteenBitRange) {
    int highest = 0;
    for (int k = 0; k < 20000; ++k) {
        const int r = drawRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, RANDOM_MAX);
        highest = std::max(highest, r);
    }
    EXPECT_GT(highest, RANDOM_MAX - 100);
}

// Pair counts and sums of absolute amplitudes, as listed with the tables:
// a slip in transcription changes one of them.
TEST(Waveforms, HarmonicTablesAsTranscribed) {
    struct Case {
        Waveform wave;
        int pairs;
        int absoluteSum;
    };
    const Case cases[] = {
        {WAVE_ADDITIVE_8, 5, 9990},   {WAVE_ADDITIVE_9, 4, 9994},   {WAVE_ADDITIVE_10, 4, 9995},
        {WAVE_ADDITIVE_11, 4, 9996},  {WAVE_ADDITIVE_12, 7, 9996},  {WAVE_ADDITIVE_13, 7, 9994},
        {WAVE_ADDITIVE_14, 2, 9996},  {WAVE_ADDITIVE_15, 14, 9998}, {WAVE_ADDITIVE_16, 5, 9995},
        {WAVE_ADDITIVE_17, 41, 9994}, {WAVE_ADDITIVE_18, 6, 9995},  {WAVE_ADDITIVE_19, 64, 10002},
        {WAVE_ADDITIVE_20, 2, 9995},  {WAVE_ADDITIVE_21, 26, 9977}, {WAVE_ADDITIVE_22, 11, 9997},
        {WAVE_ADDITIVE_23, 9, 9993},  {WAVE_ADDITIVE_24, 28, 9995}, {WAVE_ADDITIVE_25, 9, 9993},
        {WAVE_ADDITIVE_26, 7, 15708},
    };
    for (const Case& c : cases) {
        const HarmonicTable table = harmonicTable(c.wave);
        EXPECT_EQ(table[0].harmonic, 1) << int{c.wave};
        int pairs = 0;
        int absoluteSum = 0;
        for (; table[pairs].harmonic != 0; ++pairs) {
            absoluteSum += std::abs(table[pairs].amplitude);
            if (pairs > 0) {
                EXPECT_GT(table[pairs].harmonic, table[pairs - 1].harmonic) << int{c.wave} << " pair " << pairs;
            }
        }
        EXPECT_EQ(table[pairs].amplitude, 0) << int{c.wave};
        EXPECT_EQ(pairs, c.pairs) << int{c.wave};
        EXPECT_EQ(absoluteSum, c.absoluteSum) << int{c.wave};
        double state = 0.0;
        EXPECT_EQ(WaveformTable[c.wave](0.0, &state), 0.0) << int{c.wave};
    }
}

TEST(Waveforms, AdditiveValues) {
    double state = 0.0;
    EXPECT_NEAR(WaveformTable[WAVE_ADDITIVE_20](0.25, &state), 0.8478, 1e-12);
    EXPECT_NEAR(WaveformTable[WAVE_ADDITIVE_20](-0.75, &state), 0.8478, 1e-12);

    double peak = 0.0;
    for (int k = 0; k < 16384; ++k) {
        peak = std::max(peak, std::fabs(WaveformTable[WAVE_ADDITIVE_26](k / 16384.0, &state)));
    }
    EXPECT_NEAR(peak, 1.0005, 0.0001);
}

TEST(PhaseShape, Examples) {
    struct Case {
        double phase;
        double exponent;
        double expected;
    };
    const Case cases[] = {
        {0.5, 1.0, 0.4904849415639108},  {0.5, 20.0, 0.2529430003104171},
        {2.5, 1.0, 2.4904849415639108},  {-0.5, 1.0, -0.42283542904563626},  // negative fraction and q
        {3.0, 1.0, 3.0},                 {3.0, 20.0, 3.0},                     // whole phases stay put
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(phaseShape(c.phase, c.exponent), c.expected, 1e-15) << c.phase << " ^ " << c.exponent;
    }
}

TEST(PhaseShape, ExponentZeroLeavesThePhaseExactly) {
    for (const double phase : {-2.75, -0.5, 0.0, 0.3, 1.0, 7.125, 123456.789}) {
        EXPECT_EQ(phaseShape(phase, 0.0), phase);
    }
}

}  // namespace
