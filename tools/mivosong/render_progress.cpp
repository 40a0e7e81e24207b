// Progress bar: redrawn in place with a carriage return.
#include "render_progress.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(200);
constexpr int BAR_WIDTH = 30;

}  // namespace

RenderProgress::RenderProgress(const RenderContext& context, std::uint32_t totalRows, double songSeconds,
                               std::ostream* stream)
    : context_(context), totalRows_(totalRows), songSeconds_(songSeconds), stream_(stream),
      start_(std::chrono::steady_clock::now()) {
    if (stream_) thread_ = std::thread(&RenderProgress::run, this);
}

RenderProgress::~RenderProgress() {
    if (!stream_) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        done_ = true;
    }
    wake_.notify_one();
    thread_.join();
    draw();
    *stream_ << '\n' << std::flush;
}

void RenderProgress::run() {
    std::unique_lock<std::mutex> guard(lock_);
    while (!wake_.wait_for(guard, REDRAW_INTERVAL, [this] { return done_; })) draw();
}

void RenderProgress::draw() {
    const std::uint32_t done = std::min(context_.rowsRendered.load(std::memory_order_relaxed), totalRows_);
    const double fraction = totalRows_ == 0 ? 1.0 : static_cast<double>(done) / totalRows_;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const int filled = static_cast<int>(fraction * BAR_WIDTH);
    const std::string bar = std::string(filled, '#') + std::string(BAR_WIDTH - filled, '-');
    const int seconds = static_cast<int>(elapsed);
    char line[160];
    std::snprintf(line, sizeof line, "\r[%s] %3d%%  %u/%u rows  %d:%02d  %.1fx real time", bar.c_str(),
                  static_cast<int>(fraction * 100), done, totalRows_, seconds / 60, seconds % 60,
                  elapsed > 0 ? fraction * songSeconds_ / elapsed : 0.0);
    *stream_ << line << std::flush;
}
