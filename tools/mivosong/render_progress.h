// A progress bar for a render on a terminal.
//
// While the render's workers run, a thread of its own redraws one line on
// the given stream a few times a second: a bar of the rows done of all rows,
// the elapsed time and the speed as a multiple of real time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <thread>

#include "render_driver.h"

class RenderProgress {
public:
    // Starts drawing when `stream` is not null; totalRows counts every row
    // of every channel rendered, songSeconds is the length of the output.
    RenderProgress(const RenderContext& context, std::uint32_t totalRows, double songSeconds, std::ostream* stream);
    // Stops drawing and ends the line.
    ~RenderProgress();
    RenderProgress(const RenderProgress&) = delete;
    RenderProgress& operator=(const RenderProgress&) = delete;

private:
    void run();
    void draw();

    const RenderContext& context_;
    std::uint32_t totalRows_;
    double songSeconds_;
    std::ostream* stream_;
    std::chrono::steady_clock::time_point start_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};
