// Master bus: compressor, make-up gain, fade-out and 16-bit conversion.
#include "master_bus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "wav.h"

namespace {

// Runs the master bus over a mix and returns the samples it appended.
std::vector<std::int16_t> master(const std::vector<double>& mix, MasterBusSpan span) {
    SizedBuffer image;
    allocateBuffer(image, static_cast<std::uint32_t>(span.end - span.first) * 2);
    runMasterBus(mix.data(), span, image);
    EXPECT_EQ(image.length, image.capacity);
    std::vector<std::int16_t> samples(image.length / 2);
    const std::uint8_t* bytes = bufferBytes(image);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    releaseBuffer(image);
    return samples;
}

// A span without fade over the whole mix.
MasterBusSpan wholeSpan(const std::vector<double>& mix) {
    const auto end = static_cast<std::int32_t>(mix.size());
    return {0, end, end + 1, end + 2};
}

TEST(MasterBus, ConstantInputs) {
    struct Case {
        double level;
        std::int16_t first;
        std::int16_t settled;
    };
    const Case cases[] = {
        {0.0, 0, 0},
        {0.1, 9174, 9174},       // below the threshold: 0.1 x 2.8 x 32767, truncated
        {0.5, 32767, 25566},     // clamped until the follower rises, then compressed 3:1
        {-0.5, -32767, -25566},  // symmetric
        {100.0, 32767, 32767},
        {-100.0, -32767, -32767},  // never -32768
    };
    for (const Case& c : cases) {
        const std::vector<double> mix(200000, c.level);
        const auto out = master(mix, wholeSpan(mix));
        EXPECT_EQ(out.front(), c.first) << c.level;
        EXPECT_EQ(out[150000], c.settled) << c.level;
    }
}

TEST(MasterBus, ExactlyFullScaleNegativePassesThrough) {
    const std::vector<double> mix(4, -32767.0 / 32767.0 / MAKEUP_GAIN);
    EXPECT_EQ(master(mix, wholeSpan(mix)).front(), -32767);
}

TEST(MasterBus, SpanShorterThanLookAheadNeverCompresses) {
    const std::vector<double> mix(88, 0.5);
    for (const std::int16_t s : master(mix, wholeSpan(mix))) EXPECT_EQ(s, 32767);
}

TEST(MasterBus, FollowerStartsAtZeroInEveryCall) {
    const std::vector<double> mix(20000, 0.5);
    const auto first = master(mix, {0, 10000, 100000, 100001});
    const auto second = master(mix, {10000, 20000, 100000, 100001});
    EXPECT_LT(first.back(), 32767);
    EXPECT_EQ(second.front(), 32767);
    EXPECT_EQ(first, second);
}

TEST(MasterBus, FadeFactorsOfBothPrograms) {
    constexpr std::int32_t PATTERN_FRAMES = 5168 * 32;
    constexpr std::int32_t LEAD_IN = 88200;
    constexpr std::int32_t OFFLINE_START = FADE_START_PATTERNS * PATTERN_FRAMES;  // 19,845,120
    constexpr std::int32_t OFFLINE_END = FADE_END_PATTERNS * PATTERN_FRAMES;      // 21,168,128
    struct Case {
        std::int32_t fadeStart;
        std::int32_t fadeEnd;
        std::int32_t k;
        std::int16_t expected;  // 0.16 x 2.8 x fade factor x 32767, truncated
    };
    const Case cases[] = {
        {OFFLINE_START, OFFLINE_END, 19845120, 14679},                   // factor 1: not yet fading
        {OFFLINE_START, OFFLINE_END, 21167999, 1},                       // factor about 0.0000975
        {OFFLINE_START + LEAD_IN, OFFLINE_END + LEAD_IN, 21167999, 980},  // mivoplay: about 0.0668
        {OFFLINE_START, OFFLINE_END, OFFLINE_END, 0},                    // past the fade: silent
    };
    for (const Case& c : cases) {
        std::vector<double> mix(static_cast<std::size_t>(c.k) + 1, 0.0);
        mix[static_cast<std::size_t>(c.k)] = 0.16;
        EXPECT_EQ(master(mix, {c.k, c.k + 1, c.fadeStart, c.fadeEnd}).front(), c.expected) << c.k;
    }
}

TEST(MasterBus, FirstFadedSampleIsScaledByOneStep) {
    // Level chosen so that one fade step, 1/1,323,008, moves the truncated value.
    constexpr std::int32_t START = 1000;
    std::vector<double> mix(START + 2, 0.0);
    mix[START] = mix[START + 1] = 1.0 / MAKEUP_GAIN;  // 32767 unfaded
    const auto out = master(mix, {START, START + 2, START, START + 1323008});
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], 32766);
}

}  // namespace
