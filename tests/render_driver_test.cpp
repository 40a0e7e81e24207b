// Offline render driver: the worker pool hands out every channel once, the
// mix is the sum of the channels, and the last row's overhang stays inside.
#include "render_driver.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <vector>

#include "row_processor.h"
#include "song_fixture.h"
#include "wav.h"

namespace {

// Renders the song with the pool and counts how often each channel was rendered.
struct PoolRun {
    std::map<int, int> renders;
    std::uint16_t nextChannel = 0;
    std::vector<double> mix;
    std::vector<std::uint8_t> image;
};

PoolRun runPool(const SongHeader& song) {
    PoolRun run;
    std::mutex lock;
    RenderContext context;
    initRenderContext(context, song);
    context.channelRendered = [&](std::uint8_t channel, const double*) {
        std::lock_guard<std::mutex> guard(lock);
        ++run.renders[channel];
    };
    renderSong(context);
    run.nextChannel = context.nextChannel;
    const double* mix = bufferSamples(context.mix);
    run.mix.assign(mix, mix + song.songSamples);
    EXPECT_EQ(context.image.length, context.image.capacity);
    run.image.assign(bufferBytes(context.image), bufferBytes(context.image) + context.image.capacity);
    freeRenderContext(context);
    return run;
}

// Six channels of plain sines at different pitches, each playing its own
// notes, in a song whose output ends 64 frames before the last row does.
TestSong sixChannelSong() {
    TestSong song(6, 2, 4, 700);
    song.header.songFrames -= 64;
    deriveSongSizes(song.header);
    for (std::uint8_t channel = 0; channel < 6; ++channel) {
        setPlainSine(song.instrument(channel));
        song.order(channel, 0, 1);
        song.order(channel, 1, 1);
        song.note(channel, 1, channel % 4, 0, static_cast<std::uint8_t>(110 + 3 * channel));
        song.note(channel, 1, 3, 1, static_cast<std::uint8_t>(125 + channel));  // rings past the song's end
    }
    return song;
}

TEST(RenderPool, EveryChannelInRangeIsRenderedOnce) {
    struct Case {
        std::uint8_t firstChannel;
        std::uint8_t channelEnd;
    };
    const Case cases[] = {{0, 6}, {2, 5}, {0, 1}, {4, 4}, {5, 2}};
    for (const Case& c : cases) {
        TestSong song = sixChannelSong();
        song.header.firstChannel = c.firstChannel;
        song.header.channelEnd = c.channelEnd;
        const PoolRun run = runPool(song.header);
        std::map<int, int> expected;
        for (int channel = c.firstChannel; channel < c.channelEnd; ++channel) expected[channel] = 1;
        EXPECT_EQ(run.renders, expected) << int{c.firstChannel} << ".." << int{c.channelEnd};
        // Every worker that ends leaves the counter one higher.
        const int handedOut = c.channelEnd > c.firstChannel ? c.channelEnd - c.firstChannel : 0;
        EXPECT_EQ(run.nextChannel, c.firstChannel + handedOut + WORKER_COUNT);
    }
}

TEST(RenderPool, NoChannelsGiveAFullLengthSilentImage) {
    TestSong song = sixChannelSong();
    song.header.channelEnd = 0;
    const PoolRun run = runPool(song.header);
    ASSERT_EQ(run.image.size(), WAV_HEADER_SIZE + 2 * std::size_t{song.header.songSamples});
    for (std::size_t i = WAV_HEADER_SIZE; i < run.image.size(); ++i) ASSERT_EQ(run.image[i], 0) << i;
}

TEST(RenderPool, MixIsTheSumOfTheChannelsUpToTheSongsEnd) {
    TestSong song = sixChannelSong();
    const SongHeader& header = song.header;
    std::vector<double> expected(header.songSamples, 0.0);
    for (std::uint8_t channel = 0; channel < 6; ++channel) {
        TestSong alone = sixChannelSong();
        std::vector<double> samples(alone.bufferElements(), 0.0);
        ChannelPlayer player = makeChannelPlayer(alone.header, channel);
        std::uint16_t lastActiveRow = 0;
        for (; player.row < endSongRow(alone.header); ++player.row, player.rowStart += header.samplesPerRow) {
            processRow(player, samples.data(), lastActiveRow);
        }
        for (std::size_t k = 0; k < expected.size(); ++k) expected[k] += samples[k];
    }
    const PoolRun run = runPool(header);
    ASSERT_EQ(run.mix.size(), expected.size());
    // The order of additions depends on the workers' timing.
    for (std::size_t k = 0; k < expected.size(); ++k) ASSERT_NEAR(run.mix[k], expected[k], 1e-12) << k;
    EXPECT_NE(run.mix[expected.size() - 2], 0.0);  // the cut row still sounds up to the end
}

}  // namespace
