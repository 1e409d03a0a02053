#pragma once
// Where the installer's start goes, for the benchmark: the wall-clock time
// of each start-up mark, and once the first frame is painted one line to the
// debugger output with every mark and the image decoding so far (nothing
// listens in normal use; under Wine, WINEDEBUG=+debugstr prints it).
// UI thread only.
#include <cstddef>
#include <cstdint>

class CStartupTrace {
public:
    enum Mark { kMain, kBuilt, kShown, kPainted, kMarkCount };

    static void Reach(Mark mark);
    // Marks kPainted and reports, the first time only.
    static void FirstPaintDone(uint64_t decodeMicros, size_t images);
};
