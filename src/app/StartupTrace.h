#pragma once
// Where the installer's start goes, for the benchmark: the wall-clock time
// of each start-up mark, and once the window is ready for input one line to
// the debugger output with every mark and the image decoding of the first
// frame (nothing listens in normal use; under Wine, WINEDEBUG=+debugstr
// prints it). UI thread only.
#include <cstddef>
#include <cstdint>

class CStartupTrace {
public:
    enum Mark { kMain, kBuilt, kShown, kPainted, kReady, kMarkCount };

    static void Reach(Mark mark);
    // Marks kPainted with what the first frame decoded, the first time only.
    static void FirstPaintDone(uint64_t decodeMicros, size_t images);
    // Marks kReady (what the first frame did not wait for is done) and
    // reports, the first time only.
    static void Ready();
};
