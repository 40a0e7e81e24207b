// Streaming renderer: the image as it fills, the start of playback, and the
// per-row mastering, with a recording stand-in for the sound layer.
#include "stream_song.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "master_bus.h"
#include "row_processor.h"
#include "song_asset.h"
#include "player_songs.h"
#include "wav.h"

namespace {

using mivoplay::RenderContext;

constexpr std::uint32_t LEAD_IN_BYTES = 176400;
constexpr std::uint32_t SONG_START = WAV_HEADER_SIZE + LEAD_IN_BYTES;  // image byte of the song's first sample

// What the sound layer was given when playback started.
struct PlaybackStart {
    std::uint32_t published;             // bytes complete at that moment
    std::vector<std::uint8_t> complete;  // those bytes
};

struct StopStreaming {};

// The stand-in for the sound layer: records every start; can end the stream
// right there, for songs too long to render in a unit test.
struct RecordingOutput {
    std::vector<PlaybackStart> starts;
    bool stopAtStart = false;

    mivoplay::StartPlayback starter() {
        return [this](const RenderContext& context) {
            const std::uint32_t published = context.publishedBytes.load();
            const auto* bytes = bufferBytes(context.image);
            starts.push_back({published, std::vector<std::uint8_t>(bytes, bytes + published)});
            if (stopAtStart) throw StopStreaming{};
        };
    }
};

struct Stream {
    RecordingOutput output;
    std::vector<std::uint8_t> image;  // the whole image at the end
    std::uint32_t length = 0;         // its write position at the end
    std::uint32_t published = 0;      // its published bytes at the end
};

Stream streamSong(const SongHeader& song) {
    Stream stream;
    RenderContext context;
    mivoplay::initRenderContext(context, song);
    mivoplay::streamSong(context, stream.output.starter());
    const auto* bytes = bufferBytes(context.image);
    stream.image.assign(bytes, bytes + context.image.capacity);
    stream.length = context.image.length;
    stream.published = context.publishedBytes.load();
    mivoplay::freeRenderContext(context);
    return stream;
}

std::uint32_t readU32(const std::vector<std::uint8_t>& bytes, std::uint32_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The header announces the lead-in and the song, and the lead-in is silent.
void expectHeaderAndLeadIn(const std::vector<std::uint8_t>& image, const SongHeader& song) {
    ASSERT_GE(image.size(), SONG_START);
    const std::uint32_t dataSize = 2 * (song.songSamples + 88200);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "RIFF");
    EXPECT_EQ(readU32(image, 4), dataSize + 36);
    EXPECT_EQ(std::string(image.begin() + 8, image.begin() + 12), "WAVE");
    EXPECT_EQ(std::string(image.begin() + 36, image.begin() + 40), "data");
    EXPECT_EQ(readU32(image, 40), dataSize);
    for (std::uint32_t i = WAV_HEADER_SIZE; i < SONG_START; ++i) ASSERT_EQ(image[i], 0) << "lead-in byte " << i;
}

TEST(StreamSong, CompiledInSongStartsPlaybackAfterFourRows) {
    SongHeader song = compiledInSongHeader();
    ASSERT_EQ(song.songDataSize, SONG_ASSET_SIZE);
    std::vector<std::uint8_t> data(SONG_ASSET, SONG_ASSET + SONG_ASSET_SIZE);
    song.songData = data.data();

    RecordingOutput output;
    output.stopAtStart = true;
    RenderContext context;
    mivoplay::initRenderContext(context, song);
    EXPECT_THROW(mivoplay::streamSong(context, output.starter()), StopStreaming);
    mivoplay::freeRenderContext(context);

    ASSERT_EQ(output.starts.size(), 1u);
    EXPECT_EQ(output.starts[0].published, 259132u);  // header, 1 s of lead-in, 4 rows of 5,168 frames
    EXPECT_EQ(readU32(output.starts[0].complete, 40), 42512400u);
    expectHeaderAndLeadIn(output.starts[0].complete, song);
}

TEST(StreamSong, PlaybackStartsOnceAfterTheFirstRows) {
    struct Case {
        const char* what;
        PlayerSongShape shape;
        std::size_t starts;
        std::uint32_t songBytesAtStart;  // behind header and lead-in
    };
    PlayerSongShape later;  // rows counted from the start order, not from row 0
    later.startOrder = 2;
    PlayerSongShape threeRows;
    threeRows.rowsPerPattern = 3;
    threeRows.orderLength = 1;
    threeRows.endOrder = 1;
    threeRows.songFrames = 300;
    PlayerSongShape shortOutput;  // four rows reach past the song's end
    shortOutput.songFrames = 250;
    PlayerSongShape noRows;
    noRows.startOrder = 8;
    const Case cases[] = {
        {"four rows of eight patterns", PlayerSongShape{}, 1, 4 * 100 * 4},
        {"start order 2", later, 1, 4 * 100 * 4},
        {"three rows in all", threeRows, 1, 3 * 100 * 4},
        {"250 frames in all", shortOutput, 1, 250 * 4},
        {"no rows", noRows, 0, 0},
    };
    for (const Case& c : cases) {
        TestSong song = makePlayerSong(c.shape);
        const Stream stream = streamSong(song.header);
        const std::uint32_t capacity = WAV_HEADER_SIZE + 2 * (song.header.songSamples + 88200);
        ASSERT_EQ(stream.output.starts.size(), c.starts) << c.what;
        EXPECT_EQ(stream.image.size(), capacity) << c.what;
        EXPECT_EQ(stream.published, capacity) << c.what;
        expectHeaderAndLeadIn(stream.image, song.header);
        if (c.starts == 0) continue;

        const PlaybackStart& start = stream.output.starts[0];
        EXPECT_EQ(start.published, SONG_START + c.songBytesAtStart) << c.what;
        expectHeaderAndLeadIn(start.complete, song.header);
        // Bytes once published never change.
        EXPECT_TRUE(std::equal(start.complete.begin(), start.complete.end(), stream.image.begin())) << c.what;
    }
}

// The expected image, computed another way: each channel rendered alone,
// the channels summed over the whole song at once, then mastered row by row
// (the follower starting from 0 at every row) or in one pass.
enum class Mastering { RowByRow, WholeSong };

std::vector<std::uint8_t> referenceImage(const TestSong& testSong, Mastering mastering, std::int32_t fadeStart,
                                         std::int32_t fadeEnd) {
    SongHeader song = testSong.header;
    std::vector<std::uint8_t> data = testSong.data;
    song.songData = data.data();

    std::vector<double> mix(song.songSamples, 0.0);
    for (std::uint8_t channel = 0; channel < song.channelCount; ++channel) {
        std::vector<double> buffer(2 * std::size_t{channelBufferFrames(song)}, 0.0);
        ChannelPlayer player = makeChannelPlayer(song, channel);
        std::uint16_t lastActiveRow = 0;
        for (; player.row < endSongRow(song); ++player.row, player.rowStart += song.samplesPerRow) {
            processRow(player, buffer.data(), lastActiveRow);
        }
        for (std::uint32_t k = 0; k < song.songSamples; ++k) mix[k] += buffer[k];
    }

    SizedBuffer image;
    allocateBuffer(image, WAV_HEADER_SIZE + 2 * (song.songSamples + 88200));
    writeWavHeader(image, 2 * (song.songSamples + 88200));
    image.length += LEAD_IN_BYTES;
    const std::uint32_t span = mastering == Mastering::RowByRow ? 2u * song.samplesPerRow : song.songSamples;
    for (std::uint32_t first = 0; first < song.songSamples; first += span) {
        const std::uint32_t end = std::min(first + span, song.songSamples);
        runMasterBus(mix.data(), {static_cast<std::int32_t>(first), static_cast<std::int32_t>(end), fadeStart, fadeEnd},
                     image);
    }
    std::vector<std::uint8_t> bytes(bufferBytes(image), bufferBytes(image) + image.capacity);
    releaseBuffer(image);
    return bytes;
}

bool silent(const std::vector<std::uint8_t>& image, std::uint32_t firstSample, std::uint32_t endSample) {
    return std::all_of(image.begin() + SONG_START + 2 * firstSample, image.begin() + SONG_START + 2 * endSample,
                       [](std::uint8_t byte) { return byte == 0; });
}

TEST(StreamSong, ImageIsThePerRowMasterOfAllChannels) {
    TestSong song = makePlayerSong(fadingSongShape());
    // Every channel is rendered, whatever mivo's channel range says.
    song.header.firstChannel = 1;
    song.header.channelEnd = 1;
    // 120 and 128 patterns of 400 frames, counted in interleaved samples,
    // plus the lead-in's 88,200 samples.
    constexpr std::int32_t FADE_START = 120 * 400 + 88200;
    constexpr std::int32_t FADE_END = 128 * 400 + 88200;
    const auto expected = referenceImage(song, Mastering::RowByRow, FADE_START, FADE_END);
    const auto masteredInOnePass = referenceImage(song, Mastering::WholeSong, FADE_START, FADE_END);

    const Stream stream = streamSong(song.header);
    EXPECT_EQ(stream.length, expected.size());
    ASSERT_EQ(stream.image.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(stream.image[i], expected[i]) << "image byte " << i;

    // The song is loud enough for the compressor, so one pass would differ.
    EXPECT_TRUE(stream.image != masteredInOnePass);
    // Sound goes on past the point where mivo's fade ends, and the fade ends
    // before the song does.
    EXPECT_FALSE(silent(stream.image, 128 * 400, FADE_START));
    EXPECT_TRUE(silent(stream.image, FADE_END, song.header.songSamples));
}

}  // namespace
