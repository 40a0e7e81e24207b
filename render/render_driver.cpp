// Offline render driver: worker pool, mix accumulation, master bus.
#include "render_driver.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "master_bus.h"
#include "row_processor.h"
#include "wav.h"

namespace {

constexpr std::uint32_t BYTES_PER_SAMPLE_VALUE = sizeof(double);
constexpr std::uint32_t BYTES_PER_CHANNEL_FRAME = 2 * sizeof(double);

// Hands out the next channel, or returns false when none is left. The
// counter advances in both cases.
bool takeChannel(RenderContext& context, std::uint16_t& channel) {
    std::lock_guard<std::mutex> lock(context.channelLock);
    channel = context.nextChannel;
    context.nextChannel = static_cast<std::uint16_t>(channel + 1);
    return static_cast<std::uint16_t>(channel + 1) <= context.channelEnd;
}

// Adds the channel's span of one row into the mix. The last row can reach
// past songSamples; that part never reaches the output, so it is left out.
void addRowToMix(RenderContext& context, const double* channelSamples, std::uint32_t rowStart) {
    const SongHeader& song = *context.song;
    const std::uint32_t first = 2 * rowStart;
    const std::uint32_t end = std::min(first + 2u * song.samplesPerRow, song.songSamples);
    double* mix = bufferSamples(context.mix);
    std::lock_guard<std::mutex> lock(context.mixLock);
    for (std::uint32_t k = first; k < end; ++k) mix[k] += channelSamples[k];
}

void renderChannel(RenderContext& context, std::uint8_t channel) {
    const SongHeader& song = *context.song;
    ChannelPlayer player = makeChannelPlayer(song, channel);
    SizedBuffer buffer;
    allocateBuffer(buffer, channelBufferFrames(song) * BYTES_PER_CHANNEL_FRAME);
    std::uint16_t lastActiveRow = 0;
    const double* samples = bufferSamples(buffer);

    try {
        while (player.row < endSongRow(song)) {
            processRow(player, bufferSamples(buffer), lastActiveRow);
            addRowToMix(context, samples, player.rowStart);
            player.rowStart += song.samplesPerRow;
            player.row = static_cast<std::uint16_t>(player.row + 1);
            context.rowsRendered.fetch_add(1, std::memory_order_relaxed);
        }
        if (context.channelRendered) context.channelRendered(channel, samples);
    } catch (...) {
        releaseBuffer(buffer);
        throw;
    }
    releaseBuffer(buffer);
}

// Keeps the first failure and stops further channels from being handed out.
void recordFailure(RenderContext& context, std::exception_ptr failure) {
    std::lock_guard<std::mutex> lock(context.channelLock);
    if (!context.failure) context.failure = failure;
    context.nextChannel = context.channelEnd;
}

void joinAll(std::vector<std::thread>& workers) {
    for (std::thread& worker : workers) worker.join();
}

}  // namespace

void initRenderContext(RenderContext& context, const SongHeader& song) {
    context.song = &song;
    context.nextChannel = song.firstChannel;
    context.channelEnd = song.channelEnd;
    allocateBuffer(context.mix, song.songSamples * BYTES_PER_SAMPLE_VALUE);
    allocateBuffer(context.image, WAV_BYTES_PER_SAMPLE * song.songSamples + WAV_HEADER_SIZE);
}

void renderWorker(RenderContext& context) {
    try {
        std::uint16_t channel = 0;
        while (takeChannel(context, channel)) renderChannel(context, static_cast<std::uint8_t>(channel));
    } catch (...) {
        recordFailure(context, std::current_exception());
    }
}

void renderSong(RenderContext& context) {
    std::vector<std::thread> workers;
    workers.reserve(WORKER_COUNT);
    try {
        for (int i = 0; i < WORKER_COUNT; ++i) workers.emplace_back(renderWorker, std::ref(context));
    } catch (...) {
        recordFailure(context, std::current_exception());
    }
    joinAll(workers);
    if (context.failure) std::rethrow_exception(context.failure);

    const SongHeader& song = *context.song;
    writeWavHeader(context.image, WAV_BYTES_PER_SAMPLE * song.songSamples);
    const auto framesPerPattern = static_cast<std::int32_t>(patternFrames(song));
    const MasterBusSpan span{0, static_cast<std::int32_t>(song.songSamples), FADE_START_PATTERNS * framesPerPattern,
                             FADE_END_PATTERNS * framesPerPattern};
    runMasterBus(bufferSamples(context.mix), span, context.image);
}

void writeOutputFile(const RenderContext& context, ReplacingFileWriter& file) {
    file.write(context.image.data, context.image.capacity);
    file.commit();
}

void freeRenderContext(RenderContext& context) {
    releaseBuffer(context.image);
    releaseBuffer(context.mix);
}
