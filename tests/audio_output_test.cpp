// Sound output: what the device gets from an image that is still filling.
#include "audio_output.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint32_t IMAGE_SIZE = 44 + 400;

// An image whose byte i holds i mod 251 (never 0 past the first byte, so a
// zero in the output shows silence).
std::vector<std::uint8_t> countingImage() {
    std::vector<std::uint8_t> image(IMAGE_SIZE);
    for (std::uint32_t i = 0; i < IMAGE_SIZE; ++i) image[i] = static_cast<std::uint8_t>(i % 251 + 1);
    return image;
}

TEST(ImagePlayback, PlaysOnlyCompleteBytes) {
    struct Case {
        const char* what;
        std::uint32_t position;   // play position before the request
        std::uint32_t complete;   // bytes published
        std::uint32_t request;
        std::uint32_t played;     // image bytes in the output; the rest is zero
        std::uint32_t underruns;
    };
    const Case cases[] = {
        {"well ahead", 44, 300, 64, 64, 0},
        {"exactly enough", 44, 108, 64, 64, 0},
        {"running short", 44, 100, 64, 56, 1},
        {"nothing complete ahead", 100, 100, 64, 0, 1},
        {"published count below the position", 100, 60, 64, 0, 1},
        {"the image's end, all published", IMAGE_SIZE - 16, IMAGE_SIZE, 64, 16, 0},
        {"past the image's end", IMAGE_SIZE, IMAGE_SIZE, 64, 0, 0},
        {"a count past the image's end", IMAGE_SIZE - 16, IMAGE_SIZE + 100, 64, 16, 0},
    };
    const std::vector<std::uint8_t> image = countingImage();
    for (const Case& c : cases) {
        std::atomic<std::uint32_t> complete{c.complete};
        ImagePlayback playback;
        beginImagePlayback(playback, image.data(), IMAGE_SIZE, complete);
        playback.position = c.position;
        std::vector<std::uint8_t> out(c.request, 0xEE);
        fillFromImage(playback, out.data(), c.request);

        EXPECT_EQ(playback.position, c.position + c.played) << c.what;
        for (std::uint32_t i = 0; i < c.request; ++i) {
            const std::uint8_t expected = i < c.played ? image[c.position + i] : 0;
            ASSERT_EQ(out[i], expected) << c.what << ", byte " << i;
        }
        EXPECT_EQ(playback.stats.underruns, c.underruns) << c.what;
    }
}

TEST(ImagePlayback, StartsBehindTheHeader) {
    const std::vector<std::uint8_t> image = countingImage();
    std::atomic<std::uint32_t> complete{IMAGE_SIZE};
    ImagePlayback playback;
    beginImagePlayback(playback, image.data(), IMAGE_SIZE, complete);
    std::uint8_t first = 0;
    fillFromImage(playback, &first, 1);
    EXPECT_EQ(first, image[44]);
}

// A renderer that falls behind delays the song: after the gap the song goes
// on where it stopped, nothing skipped, nothing repeated.
TEST(ImagePlayback, ResumesWhereItStoppedAfterAnUnderrun) {
    const std::vector<std::uint8_t> image = countingImage();
    std::atomic<std::uint32_t> complete{44 + 100};
    ImagePlayback playback;
    beginImagePlayback(playback, image.data(), IMAGE_SIZE, complete);

    std::vector<std::uint8_t> heard;
    std::vector<std::uint8_t> out(80);
    const std::uint32_t publishedBeforeRequest[] = {144, 144, 144, 300, IMAGE_SIZE, IMAGE_SIZE, IMAGE_SIZE};
    for (const std::uint32_t published : publishedBeforeRequest) {
        complete.store(published);
        fillFromImage(playback, out.data(), static_cast<std::uint32_t>(out.size()));
        for (const std::uint8_t byte : out) {
            if (byte != 0) heard.push_back(byte);
        }
    }
    EXPECT_EQ(heard, std::vector<std::uint8_t>(image.begin() + 44, image.end()));
    EXPECT_EQ(playback.stats.underruns, 2u);
    EXPECT_TRUE(playback.stats.leadMeasured);
    EXPECT_EQ(playback.stats.smallestLeadBytes, 0u);
}

TEST(ImagePlayback, LeadIsMeasuredOnlyWhileRendering) {
    const std::vector<std::uint8_t> image = countingImage();
    std::atomic<std::uint32_t> complete{44 + 300};
    ImagePlayback playback;
    beginImagePlayback(playback, image.data(), IMAGE_SIZE, complete);
    std::vector<std::uint8_t> out(100);
    fillFromImage(playback, out.data(), 100);
    EXPECT_EQ(playback.stats.smallestLeadBytes, 200u);
    complete.store(IMAGE_SIZE);
    fillFromImage(playback, out.data(), 100);
    fillFromImage(playback, out.data(), 100);
    fillFromImage(playback, out.data(), 100);
    EXPECT_EQ(playback.stats.smallestLeadBytes, 200u);
    EXPECT_EQ(playback.stats.underruns, 0u);
}

}  // namespace
