// Channel effects: gain, auto-pan, reverb, echo, activity tracking.
#include "channel_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "instrument.h"
#include "reverb.h"
#include "song.h"

namespace {

constexpr std::int32_t ROW = 100;  // frames per row in these fixtures

// One channel's block and buffer; rows are processed by index.
struct EffectsFixture {
    std::uint8_t block[INSTRUMENT_SIZE] = {};
    std::vector<double> samples = std::vector<double>(2 * 8 * ROW, 0.0);
    std::uint16_t lastActiveRow = 1;

    EffectsFixture() {
        block[CHANNEL_GAIN] = 128;
        block[PAN_DEPTH] = 128;
    }
    double& left(std::int32_t frame) { return samples[2 * static_cast<std::size_t>(frame)]; }
    double& right(std::int32_t frame) { return samples[2 * static_cast<std::size_t>(frame) + 1]; }
    void process(std::uint16_t row) {
        applyChannelEffects(block, row, static_cast<std::uint32_t>(row * ROW), ROW, samples.data(), lastActiveRow);
    }
};

TEST(ChannelEffects, RunsOnlyWhileTheChannelIsActive) {
    struct Case {
        std::uint16_t lastActiveRow;
        std::uint16_t row;
        bool runs;
    };
    const Case cases[] = {
        {0, 0, false},  // never sounded
        {1, 1, true},
        {1, 7, true},   // 6 rows later
        {1, 9, true},   // lastActiveRow + 8: still the tail
        {1, 10, false}, // lastActiveRow + 9: skipped
    };
    for (const Case& c : cases) {
        EffectsFixture fixture;
        fixture.lastActiveRow = c.lastActiveRow;
        fixture.block[CHANNEL_GAIN] = 64;  // gain 0.25 shows whether the row was processed
        const std::int32_t frame = c.row % 8 * ROW;
        fixture.left(frame) = 0.5;
        applyChannelEffects(fixture.block, c.row, static_cast<std::uint32_t>(frame), ROW, fixture.samples.data(),
                            fixture.lastActiveRow);
        EXPECT_EQ(fixture.left(frame), c.runs ? 0.125 : 0.5) << c.row;
        EXPECT_EQ(fixture.right(frame), c.runs ? 0.125 : 0.0) << c.row;
    }
}

TEST(ChannelEffects, CentredPanGivesEqualSides) {
    EffectsFixture fixture;
    fixture.block[PAN_RATE] = 8;
    for (std::int32_t f = ROW; f < 2 * ROW; ++f) fixture.left(f) = std::sin(f * 0.1);
    fixture.process(1);
    for (std::int32_t f = ROW; f < 2 * ROW; ++f) {
        EXPECT_EQ(fixture.left(f), std::sin(f * 0.1));
        EXPECT_EQ(fixture.right(f), fixture.left(f));
    }
}

TEST(ChannelEffects, AutoPanMovesSoundBetweenSidesKeepingTheSum) {
    EffectsFixture fixture;
    fixture.block[PAN_DEPTH] = 255;
    fixture.block[PAN_RATE] = 8;  // one cycle per row
    for (std::int32_t f = ROW; f < 2 * ROW; ++f) fixture.left(f) = 0.5;
    fixture.process(1);
    const std::int32_t quarter = ROW + ROW / 4;  // sin = 1: left loudest
    EXPECT_GT(fixture.left(quarter), 0.99);
    EXPECT_LT(fixture.right(quarter), 0.01);
    for (std::int32_t f = ROW; f < 2 * ROW; ++f) EXPECT_NEAR(fixture.left(f) + fixture.right(f), 1.0, 1e-12);
}

TEST(ChannelEffects, PanRateByteWrapsAt32) {
    EffectsFixture plain;
    EffectsFixture wrapped;
    plain.block[PAN_DEPTH] = wrapped.block[PAN_DEPTH] = 200;
    wrapped.block[PAN_RATE] = 32;
    for (std::int32_t f = ROW; f < 2 * ROW; ++f) plain.left(f) = wrapped.left(f) = 0.3;
    plain.process(1);
    wrapped.process(1);
    EXPECT_EQ(plain.samples, wrapped.samples);
}

TEST(ChannelEffects, EchoRepeatsTheOtherSideOfEarlierOutput) {
    EffectsFixture fixture;
    fixture.block[ECHO_GAIN] = 255;
    fixture.block[ECHO_DISTANCE] = 1;  // half a row: 50 frames, 100 elements
    fixture.block[PAN_DEPTH] = 255;
    fixture.block[PAN_RATE] = 8;
    fixture.left(ROW + 10) = 0.5;
    fixture.process(1);
    const double earlierLeft = fixture.left(ROW + 10);
    const double earlierRight = fixture.right(ROW + 10);
    EXPECT_NE(earlierLeft, earlierRight);
    EXPECT_EQ(fixture.right(ROW + 60), earlierLeft);  // ping: left goes right
    EXPECT_EQ(fixture.left(ROW + 60), earlierRight);  // pong: right goes left
}

TEST(ChannelEffects, SilentDirectSoundStillCarriesEchoAndReverb) {
    // Byte 21 = 0 silences the frame's own input; a frame whose input is
    // exactly 0 takes another path; both still receive echo and reverb.
    for (const double input : {0.0, 0.7}) {
        EffectsFixture fixture;
        fixture.block[CHANNEL_GAIN] = 0;
        fixture.block[ECHO_GAIN] = 255;
        fixture.block[ECHO_DISTANCE] = 1;
        fixture.block[REVERB_WET] = 100;
        fixture.block[REVERB_SIZE] = 10;
        for (std::int32_t f = 0; f < ROW; ++f) fixture.right(f) = fixture.left(f) = 0.25;  // earlier output
        fixture.left(ROW + 20) = input;
        fixture.process(1);
        EXPECT_NE(fixture.left(ROW + 20), 0.0) << input;
        EXPECT_NE(fixture.right(ROW + 20), 0.0) << input;
    }
}

TEST(ChannelEffects, EchoDistanceZeroSendsTheFramesOwnInputRight) {
    EffectsFixture fixture;
    fixture.block[CHANNEL_GAIN] = 0;
    fixture.block[ECHO_GAIN] = 255;
    fixture.block[ECHO_DISTANCE] = 0;
    fixture.left(ROW + 5) = 0.5;
    fixture.process(1);
    EXPECT_EQ(fixture.right(ROW + 5), 0.5);
    EXPECT_EQ(fixture.left(ROW + 5), 0.0);
}

TEST(ChannelEffects, ReverbSizeZeroReadsOnlyTheCurrentFrame) {
    EffectsFixture fixture;
    fixture.block[CHANNEL_GAIN] = 0;
    fixture.block[REVERB_WET] = 255;
    fixture.block[REVERB_SIZE] = 0;
    for (std::int32_t f = 0; f < ROW; ++f) fixture.right(f) = fixture.left(f) = 0.25;  // must not be heard
    fixture.left(ROW + 5) = 0.5;
    fixture.process(1);
    EXPECT_NE(fixture.right(ROW + 5), 0.0);
    EXPECT_EQ(fixture.left(ROW + 5), 0.0);  // it reads the right element, still 0
    EXPECT_EQ(fixture.right(ROW + 6), 0.0);
}

TEST(ChannelEffects, TapsBeforeTheSongStartGiveNothing) {
    EffectsFixture fixture;
    fixture.block[REVERB_WET] = 255;
    fixture.block[REVERB_SIZE] = 200;  // every tap reaches far before frame 0
    fixture.left(3) = 0.5;
    fixture.process(0);
    EXPECT_EQ(fixture.left(3), 0.5);
    EXPECT_EQ(fixture.right(3), 0.5);
}

TEST(ChannelEffects, ActivityRaisesLastActiveRowAboveTheThreshold) {
    struct Case {
        double input;
        std::uint16_t expected;
    };
    // L^2 + R^2 = 2 x^2 against 1.6e-8.
    const Case cases[] = {{1e-4, 5}, {8.9e-5, 3}, {8.95e-5, 5}, {0.0, 3}};
    for (const Case& c : cases) {
        EffectsFixture fixture;
        fixture.lastActiveRow = 3;
        fixture.left(5 * ROW) = c.input;
        applyChannelEffects(fixture.block, 5, 5 * ROW, ROW, fixture.samples.data(), fixture.lastActiveRow);
        EXPECT_EQ(fixture.lastActiveRow, c.expected) << c.input;
    }
}

TEST(Reverb, TapFactorsArePowersOfThePrimes) {
    for (int tap = 0; tap < REVERB_TAPS; ++tap) {
        EXPECT_NEAR(REVERB_TAP_FACTORS[tap], std::pow(REVERB_PRIMES[tap], -0.4), 1e-15) << tap;
    }
}

TEST(Reverb, TapsReadTheChosenSideAtAnEvenDistance) {
    std::vector<double> samples(4000, 0.0);
    for (std::size_t i = 0; i < samples.size(); i += 2) samples[i] = 1.0;  // left elements only
    for (int tap = 0; tap < REVERB_TAPS; ++tap) {
        const ReverbTapContext context{samples.data(), 3000, 1.0, 10.0};
        EXPECT_NE(reverbTap(context, tap, REVERB_SOURCE_LEFT, REVERB_VARIANT_FEEDS_RIGHT), 0.0) << tap;
        EXPECT_EQ(reverbTap(context, tap, REVERB_SOURCE_RIGHT, REVERB_VARIANT_FEEDS_LEFT), 0.0) << tap;
    }
}

}  // namespace
