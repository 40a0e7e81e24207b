// Streaming renderer: header and lead-in, then one row at a time across all
// channels, each row summed and mastered as soon as every channel has it.
#include "stream_song.h"

#include <algorithm>
#include <vector>

#include "master_bus.h"
#include "row_processor.h"
#include "wav.h"

namespace mivoplay {
namespace {

constexpr std::uint32_t LEAD_IN_SAMPLES = 2 * LEAD_IN_FRAMES;
constexpr std::uint32_t BYTES_PER_CHANNEL_FRAME = 2 * sizeof(double);

// One channel's renderer for the whole stream.
struct StreamChannel {
    ChannelPlayer player;
    SizedBuffer buffer;  // channelBufferFrames(song) stereo frames
    std::uint16_t lastActiveRow = 0;
};

// The channels of one stream; their buffers are released however the
// stream ends.
struct StreamChannels {
    std::vector<StreamChannel> channels;

    StreamChannels() = default;
    StreamChannels(const StreamChannels&) = delete;
    StreamChannels& operator=(const StreamChannels&) = delete;
    ~StreamChannels() {
        for (StreamChannel& channel : channels) releaseBuffer(channel.buffer);
    }
};

// Every channel of the song, whatever firstChannel and channelEnd say.
void createChannels(const SongHeader& song, StreamChannels& stream) {
    stream.channels.reserve(song.channelCount);
    for (std::uint32_t k = 0; k < song.channelCount; ++k) {
        stream.channels.push_back({makeChannelPlayer(song, static_cast<std::uint8_t>(k)), SizedBuffer{}, 0});
        allocateBuffer(stream.channels.back().buffer, channelBufferFrames(song) * BYTES_PER_CHANNEL_FRAME);
    }
}

void publish(RenderContext& context, std::uint32_t completeBytes) {
    context.publishedBytes.store(completeBytes, std::memory_order_release);
}

// The master bus over one row. The fade positions count the lead-in while
// the row's indices do not, so the fade starts one second of song later
// than in mivo; that is intended.
MasterBusSpan masterSpan(const SongHeader& song, std::uint32_t first, std::uint32_t end) {
    const auto framesPerPattern = static_cast<std::int32_t>(patternFrames(song));
    const auto leadIn = static_cast<std::int32_t>(LEAD_IN_SAMPLES);
    return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(end),
            FADE_START_PATTERNS * framesPerPattern + leadIn, FADE_END_PATTERNS * framesPerPattern + leadIn};
}

// Renders the row at frame rowStart for every channel, adds each channel's
// span into the mix and masters the row into the image. The master bus of a
// row never looks into the next one, which is not rendered yet.
void streamRow(RenderContext& context, std::vector<StreamChannel>& channels, std::uint32_t rowStart) {
    const SongHeader& song = *context.song;
    const std::uint32_t first = 2 * rowStart;
    // The last row can reach past the song's end; that part never reaches the image.
    const std::uint32_t end = std::min(first + 2u * song.samplesPerRow, song.songSamples);
    double* mix = bufferSamples(context.mix);

    for (StreamChannel& channel : channels) {
        processRow(channel.player, bufferSamples(channel.buffer), channel.lastActiveRow);
        const double* samples = bufferSamples(channel.buffer);
        for (std::uint32_t k = first; k < end; ++k) mix[k] += samples[k];
        channel.player.rowStart += song.samplesPerRow;
        channel.player.row = static_cast<std::uint16_t>(channel.player.row + 1);
    }
    if (first < end) runMasterBus(mix, masterSpan(song, first, end), context.image);
}

}  // namespace

std::uint32_t streamedSamples(const SongHeader& song) {
    return song.songSamples + LEAD_IN_SAMPLES;
}

void initRenderContext(RenderContext& context, const SongHeader& song) {
    context.song = &song;
    allocateBuffer(context.mix, streamedSamples(song) * sizeof(double));
    allocateBuffer(context.image, WAV_BYTES_PER_SAMPLE * streamedSamples(song) + WAV_HEADER_SIZE);
    publish(context, 0);
}

void freeRenderContext(RenderContext& context) {
    releaseBuffer(context.image);
    releaseBuffer(context.mix);
}

void streamSong(RenderContext& context, const StartPlayback& startPlayback) {
    const SongHeader& song = *context.song;
    writeWavHeader(context.image, WAV_BYTES_PER_SAMPLE * streamedSamples(song));
    // The lead-in's bytes are zero since allocation: appending it only moves the write position.
    context.image.length += WAV_BYTES_PER_SAMPLE * LEAD_IN_SAMPLES;
    publish(context, context.image.length);

    StreamChannels stream;
    createChannels(song, stream);

    const std::uint32_t firstRow = firstSongRow(song);
    const std::uint32_t endRow = endSongRow(song);
    // Playback starts after the fourth row rendered, counted from the first
    // row whatever the start order, or after the last row of a shorter song.
    const std::uint32_t playStartRow = firstRow + std::min(PLAY_START_ROW, endRow > firstRow ? endRow - firstRow : 0);

    std::uint32_t rowStart = 0;
    for (std::uint32_t row = firstRow; row < endRow; ++row) {
        streamRow(context, stream.channels, rowStart);
        rowStart += song.samplesPerRow;
        publish(context, context.image.length);
        if (row + 1 == playStartRow) startPlayback(context);
    }
    // Bytes the rows never reached keep their zeros: they are complete too.
    publish(context, context.image.capacity);
}

}  // namespace mivoplay
