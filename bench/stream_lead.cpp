// How far mivoplay's rendering runs ahead of playback, without a sound
// device: streams the compiled-in song exactly as mivoplay does, as fast as
// it renders, and notes when each row's bytes are published. Playback is
// taken to start when the first rows are in (as mivoplay starts it) and to
// run at 44,100 frames per second behind the second of lead-in, so row r is
// needed at start + 1 s + r x 5,168 / 44,100 s. Prints the smallest lead over
// the whole song, the row where it falls, the slowest row and the total time.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "song.h"
#include "song_asset.h"
#include "stream_song.h"
#include "wav.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto POLL_INTERVAL = std::chrono::microseconds(200);

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Watches the published byte count and notes when each row became complete.
void watchRows(const mivoplay::RenderContext& context, std::uint32_t rowBytes, std::uint32_t rows,
               std::vector<Clock::time_point>& completed, const std::atomic<bool>& done) {
    const std::uint32_t songStart = WAV_HEADER_SIZE + WAV_BYTES_PER_SAMPLE * 2 * mivoplay::LEAD_IN_FRAMES;
    std::uint32_t next = 0;
    while (next < rows) {
        const std::uint32_t published = context.publishedBytes.load(std::memory_order_acquire);
        const auto now = Clock::now();
        while (next < rows && published >= songStart + (next + 1) * rowBytes) completed[next++] = now;
        if (done.load(std::memory_order_acquire) && next < rows) {
            for (; next < rows; ++next) completed[next] = now;  // the clipped last row
        }
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
}

}  // namespace

int main() {
    SongHeader song = compiledInSongHeader();
    copySongData(song, SONG_ASSET);
    mivoplay::RenderContext context;
    mivoplay::initRenderContext(context, song);

    const std::uint32_t rows = endSongRow(song) - firstSongRow(song);
    const std::uint32_t rowBytes = WAV_BYTES_PER_SAMPLE * 2 * song.samplesPerRow;
    const double rowSeconds = static_cast<double>(song.samplesPerRow) / SAMPLE_RATE;
    std::vector<Clock::time_point> completed(rows);
    std::atomic<bool> done{false};
    Clock::time_point playbackStart{};

    const auto begin = Clock::now();
    std::thread watcher(watchRows, std::cref(context), rowBytes, rows, std::ref(completed), std::cref(done));
    mivoplay::streamSong(context, [&](const mivoplay::RenderContext&) { playbackStart = Clock::now(); });
    done.store(true, std::memory_order_release);
    watcher.join();

    double smallestLead = 1e9;
    std::uint32_t smallestRow = 0;
    double slowestRow = 0.0;
    std::uint32_t slowestRowIndex = 0;
    for (std::uint32_t r = 0; r < rows; ++r) {
        const double needed = 1.0 + r * rowSeconds;
        const double lead = needed - secondsBetween(playbackStart, completed[r]);
        if (lead < smallestLead) {
            smallestLead = lead;
            smallestRow = r;
        }
        const double took = secondsBetween(r == 0 ? begin : completed[r - 1], completed[r]);
        if (took > slowestRow) {
            slowestRow = took;
            slowestRowIndex = r;
        }
    }
    const double total = secondsBetween(begin, completed[rows - 1]);
    std::printf("smallest lead: %.3f s (row %u)\n", smallestLead, smallestRow);
    std::printf("slowest row:   %.1f ms (row %u; a row plays for %.1f ms)\n", 1000 * slowestRow, slowestRowIndex,
                1000 * rowSeconds);
    std::printf("total:         %.1f s for %.1f s of song (%.2fx real time)\n", total, rows * rowSeconds,
                rows * rowSeconds / total);

    mivoplay::freeRenderContext(context);
    releaseSongData(song);
    return smallestLead > 0.0 ? 0 : 1;
}
