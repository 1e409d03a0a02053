#include "ProgressDisplay.h"
#include <algorithm>
#include <cstdio>
#include "Runtime/StringConvert.h"
#include "app/CommonUtils.h"

namespace {

constexpr int kFlashStep = 3;
constexpr int kFlashOverEmpty = 80;
constexpr int kFlashOverFill = 230;
constexpr int kCornerLimit = 110;
constexpr int kSlowDownTicks = 150;
constexpr double kDownloadShare = 0.9;
constexpr double kInstallShare = 0.1;

// Every layer is followed by the same run of blanks, the last one too.
#define TARVO_LAYER_END L" \t\t\t\t\t\t\t\t\t   "
constexpr wchar_t kImageFormat[] =
    L"file='progress_bk.png' dest='0,0,%d,30'" TARVO_LAYER_END
    L"file='progress_fore.png' corner='0,10,%d,10' dest='0,0,%d,30'" TARVO_LAYER_END
    L"file='pro_flash_bk.png' corner='0,0,0,0' dest='%d,0,%d,30' source='%d,0,%d,30'" TARVO_LAYER_END
    L"file='pro_flash_fore.png' corner='0,0,0,0' dest='%d,0,%d,30' source='%d,0,%d,30'" TARVO_LAYER_END;
#undef TARVO_LAYER_END

// Longest text the format can give: every %d as wide as "-2147483648".
constexpr size_t LongestText(const wchar_t* format)
{
    size_t length = 0;
    for (; *format; ++format) {
        if (format[0] == L'%' && format[1] == L'd') {
            length += 11;
            ++format;
        } else {
            ++length;
        }
    }
    return length;
}
static_assert(LongestText(kImageFormat) < CProgressDisplay::kImageUnits,
              "the image buffer holds the string whatever the numbers are");

} // namespace

std::wstring CProgressDisplay::OnDownloadProgress(uint64_t total, uint64_t done, uint64_t speed)
{
    m_totalBytes = total;
    m_doneBytes = done;
    // A report may run past the total; nothing is left then.
    std::wstring left = FormatSize(done < total ? total - done : 0);
    return FormatString(L"剩余%s @ %s/s", left.c_str(), FormatSize(speed).c_str());
}

std::wstring CProgressDisplay::OnDownloadSucceeded()
{
    m_doneBytes = m_totalBytes;
    return L"90%";
}

int CProgressDisplay::FilledWidth(int width, uint64_t total, uint64_t done, int installTicks, bool packageBesideProgram)
{
    // Kept within the bar: late ticks and a report of more than the total
    // would otherwise run past it, or overflow the conversion.
    const int64_t limit = std::max(width, 0);
    int64_t fill = 0;
    if (packageBesideProgram) {
        fill = int64_t(installTicks) * width / kInstallEnd;
    } else if (total > 0) {
        double downloaded = width * kDownloadShare * static_cast<double>(done) / static_cast<double>(total);
        double installed = double(installTicks) * width * kInstallShare / kInstallEnd;
        fill = static_cast<int64_t>(std::clamp(downloaded + installed, 0.0, double(limit)));
    }
    return static_cast<int>(std::clamp<int64_t>(fill, 0, limit));
}

CProgressDisplay::Frame CProgressDisplay::Render(int width, int installTicks, bool packageBesideProgram, bool advanceFlash)
{
    int fill = FilledWidth(width, m_totalBytes, m_doneBytes, installTicks, packageBesideProgram);
    if (advanceFlash)
        m_flashPos += kFlashStep;
    if (m_flashPos >= width + kFlashOverEmpty)
        m_flashPos = 0;
    const int p = m_flashPos;
    const int x1 = std::max(p - kFlashOverEmpty, 0);
    const int s1 = x1 - (p - kFlashOverEmpty);
    const int x2 = std::min(fill, p);
    const int x3 = std::max(std::min(fill, p - kFlashOverFill), 0);
    const int s2l = x2 > x3 ? x3 - (p - kFlashOverFill) : 0;
    const int s2r = x2 > x3 ? x2 - (p - kFlashOverFill) : 0;
    const int corner = std::min(fill, kCornerLimit);
    _snwprintf(m_image, kImageUnits - 1, kImageFormat, width, corner, fill, x1, p, s1, kFlashOverEmpty, x3, x2, s2l,
               s2r);
    m_image[kImageUnits - 1] = L'\0';
    return {m_image, fill};
}

CProgressDisplay::InstallStep CProgressDisplay::StepInstall(int ticks, bool installerExited, bool packageBesideProgram)
{
    ticks += 2;
    if (installerExited)
        ticks += 1;
    else if (ticks > kSlowDownTicks)
        ticks -= 1;
    if (ticks > kInstallEnd)
        return {ticks, true, {}};
    int percent = packageBesideProgram ? ticks * 100 / kInstallEnd : ticks * 10 / kInstallEnd + 90;
    return {ticks, false, FormatString(L"%d%%", percent)};
}
