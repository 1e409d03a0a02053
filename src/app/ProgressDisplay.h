#pragma once
// The arithmetic and texts of the install progress bar. The first 90 % of the
// bar belong to the download and the last 10 % to a pseudo progress of the
// install phase, or all of it when nothing is downloaded. The bar is drawn as
// four image layers (empty bar, filled part, a flash over each) whose string
// is rebuilt every 20 ms into one buffer this object keeps. The art's
// lengths (bar height, flash widths, corners) are the skin's at 96 DPI,
// multiplied by the window's scale. Each frame also says which columns of
// the bar can differ from the frame before, so that only those are
// repainted.
// UI thread only; the window owns the object and applies what it returns.
#include <cstdint>
#include <string>
#include "DuiLib/Core/DpiScale.h"

class CProgressDisplay {
public:
    static constexpr size_t kImageUnits = 519;
    static constexpr int kInstallEnd = 300;
    // The bar as the skin first draws it, for a fresh download.
    static constexpr const wchar_t* kEmptyBarImage = L"file='progress_bk.png' corner='3,3,3,3'";

    // Columns [left, right) of the bar; empty when left >= right.
    struct Span {
        int left = 0, right = 0;
        bool operator==(const Span&) const = default;
    };
    struct Frame {
        const wchar_t* image;  // the kept buffer: valid until the next Render
        int fill;              // filled width, also the control's value
        Span changed;          // where this frame can differ from the last one
    };
    struct InstallStep {
        int ticks;             // the new tick count, stored in every case
        bool finished;         // past the end: stop the tick timer, show nothing new
        std::wstring percent;  // text for the speed label unless finished
    };

    // Keeps the report's numbers; returns the remaining-and-speed text.
    std::wstring OnDownloadProgress(uint64_t total, uint64_t done, uint64_t speed);
    // The download is complete; returns the text the install phase opens with.
    std::wstring OnDownloadSucceeded();
    Frame Render(int width, int installTicks, bool packageBesideProgram, bool advanceFlash);
    // The window's scale; a new one restarts the flash.
    void SetScale(DuiLib::CDpiScale scale);
    int FlashPos() const { return m_flashPos; }
    // The last frame's image string (empty before the first).
    const wchar_t* Image() const { return m_image; }

    // Filled width, kept within 0..width.
    static int FilledWidth(int width, uint64_t total, uint64_t done, int installTicks, bool packageBesideProgram);
    // One 100 ms tick of the install pseudo progress; it runs faster once the
    // package installer has ended.
    static InstallStep StepInstall(int ticks, bool installerExited, bool packageBesideProgram);

private:
    // The art's lengths at the scale.
    struct Lengths {
        int height, fillCorner, flashStep, flashOverEmpty, flashOverFill, cornerLimit;
    };
    static Lengths At(DuiLib::CDpiScale scale);

    DuiLib::CDpiScale m_scale;
    Lengths m_lengths = At(m_scale);

    struct Layout {
        int width = -1, height = 0, fill = 0;
        Span flashOverEmpty, flashOverFill;
        bool operator==(const Layout&) const = default;
    };
    static Span ChangedColumns(const Layout& before, const Layout& now);

    Layout m_last;
    uint64_t m_totalBytes = 0;
    uint64_t m_doneBytes = 0;
    int m_flashPos = 0;
    wchar_t m_image[kImageUnits] = {};
};
