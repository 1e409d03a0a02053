#include "ProgressDisplay.h"
#include <algorithm>
#include <cstdio>
#include "Runtime/StringConvert.h"
#include "app/CommonUtils.h"

namespace {

constexpr int kSlowDownTicks = 150;
constexpr double kDownloadShare = 0.9;
constexpr double kInstallShare = 0.1;

// Every layer is followed by the same run of blanks, the last one too.
#define TARVO_LAYER_END L" \t\t\t\t\t\t\t\t\t   "
constexpr wchar_t kImageFormat[] =
    L"file='progress_bk.png' dest='0,0,%d,%d'" TARVO_LAYER_END
    L"file='progress_fore.png' corner='0,%d,%d,%d' dest='0,0,%d,%d'" TARVO_LAYER_END
    L"file='pro_flash_bk.png' corner='0,0,0,0' dest='%d,0,%d,%d' source='%d,0,%d,%d'" TARVO_LAYER_END
    L"file='pro_flash_fore.png' corner='0,0,0,0' dest='%d,0,%d,%d' source='%d,0,%d,%d'" TARVO_LAYER_END;
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

CProgressDisplay::Lengths CProgressDisplay::At(DuiLib::CDpiScale scale)
{
    return {scale.Scale(30), scale.Scale(10), scale.Scale(3), scale.Scale(80), scale.Scale(230), scale.Scale(110)};
}

void CProgressDisplay::SetScale(DuiLib::CDpiScale scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    m_lengths = At(scale);
    m_flashPos = 0;
}

CProgressDisplay::Frame CProgressDisplay::Render(int width, int installTicks, bool packageBesideProgram, bool advanceFlash)
{
    const Lengths& n = m_lengths;
    int fill = FilledWidth(width, m_totalBytes, m_doneBytes, installTicks, packageBesideProgram);
    if (advanceFlash)
        m_flashPos += n.flashStep;
    if (m_flashPos >= width + n.flashOverEmpty)
        m_flashPos = 0;
    const int p = m_flashPos;
    const int x1 = std::max(p - n.flashOverEmpty, 0);
    const int s1 = x1 - (p - n.flashOverEmpty);
    const int x2 = std::min(fill, p);
    const int x3 = std::max(std::min(fill, p - n.flashOverFill), 0);
    const int s2l = x2 > x3 ? x3 - (p - n.flashOverFill) : 0;
    const int s2r = x2 > x3 ? x2 - (p - n.flashOverFill) : 0;
    const int corner = std::min(fill, n.cornerLimit);
    const int h = n.height;
    _snwprintf(m_image, kImageUnits - 1, kImageFormat, width, h, n.fillCorner, corner, n.fillCorner, fill, h, x1, p,
               h, s1, n.flashOverEmpty, h, x3, x2, h, s2l, s2r, h);
    m_image[kImageUnits - 1] = L'\0';
    const Layout now = {width, h, fill, {x1, std::min(p, width)}, {x3, x2}};
    const Span changed = ChangedColumns(m_last, now);
    m_last = now;
    return {m_image, fill, changed};
}

// The empty bar and the filled part stay put while the size and the fill
// do; then only the two flashes move, and only where they were or are now
// can a pixel differ.
CProgressDisplay::Span CProgressDisplay::ChangedColumns(const Layout& before, const Layout& now)
{
    if (before.width != now.width || before.height != now.height || before.fill != now.fill)
        return {0, now.width};
    Span all{now.width, 0};
    if (before == now)
        return {};
    for (const Span& s : {before.flashOverEmpty, now.flashOverEmpty, before.flashOverFill, now.flashOverFill}) {
        if (s.left >= s.right)
            continue;
        all.left = std::min(all.left, s.left);
        all.right = std::max(all.right, s.right);
    }
    return all.left < all.right ? all : Span{};
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
