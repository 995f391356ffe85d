#pragma once

// The frame figures the screen benches print: each frame timed by the wall clock, and the
// processor time a frame over all threads (the driver's workers too).

#include <functional>

namespace tools {

struct FrameTimes {
    int frames = 0;
    double median = 0.0;  // ms
    double worst = 0.0;  // ms
    double processor = 0.0;  // ms a frame, all threads
};

// Runs frame (given the frame's index) once a frame, at most count times; a false return
// ends the run after that frame, whose time is kept. Kept out of line under this one name, so
// that a profiler can count the instructions of the timed frames alone.
FrameTimes TimeFrames(int count, const std::function<bool(int frame)>& frame);

}  // namespace tools
