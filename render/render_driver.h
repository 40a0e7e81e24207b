// Offline render driver: renders a whole song channel by channel in
// WORKER_COUNT threads, sums every row into the mix, and masters the mix
// into a WAV image once all channels are done.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

#include "output_file.h"
#include "sized_buffer.h"
#include "song.h"

inline constexpr int WORKER_COUNT = 4;

struct RenderContext {
    const SongHeader* song = nullptr;
    SizedBuffer mix;                  // interleaved stereo doubles, songSamples of them
    SizedBuffer image;                // the WAV image: header and 16-bit samples
    std::mutex mixLock;               // guards every addition into mix
    std::uint16_t nextChannel = 0;    // next channel to hand out
    std::uint16_t channelEnd = 0;     // channels below this are rendered
    std::mutex channelLock;           // guards nextChannel, channelEnd and failure

    // What stopped a worker: rethrown by renderSong once all workers are joined.
    std::exception_ptr failure;

    // Rows rendered so far over all channels, for progress reports.
    std::atomic<std::uint32_t> rowsRendered{0};

    // Called by the worker that rendered a channel, with the channel's
    // finished buffer (channelBufferFrames(song) stereo frames), before the
    // buffer is released. Empty: nothing is called.
    std::function<void(std::uint8_t channel, const double* samples)> channelRendered;
};

void initRenderContext(RenderContext& context, const SongHeader& song);

// Runs the workers, then writes the WAV header and masters the whole mix
// into the image. Rethrows the first failure of a worker.
void renderSong(RenderContext& context);

// The body of each worker thread: takes channels one at a time until none is left.
void renderWorker(RenderContext& context);

// Writes the whole image through `file` and puts the file in place.
void writeOutputFile(const RenderContext& context, ReplacingFileWriter& file);

// Releases the image, then the mix.
void freeRenderContext(RenderContext& context);
