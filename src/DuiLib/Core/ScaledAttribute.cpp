#include "DuiLib/Core/ScaledAttribute.h"
#include <algorithm>
#include <cwctype>
#include <iterator>

namespace DuiLib {

namespace {

// Control and window attributes whose numbers are all lengths. A name that
// is a length for one class and a flag for another ("roundcorner" of the
// window and of the progress bar) is safe: a flag has no number to scale.
constexpr std::wstring_view kLengths[] = {
    L"pos", L"padding", L"width", L"height", L"minwidth", L"minheight", L"maxwidth", L"maxheight",
    L"textpadding", L"inset", L"childpadding", L"borderround", L"bordersize", L"leftbordersize",
    L"topbordersize", L"rightbordersize", L"bottombordersize", L"size", L"mininfo", L"maxinfo", L"caption",
    L"roundcorner", L"shadowborder", L"shadowcorner", L"sizebox", L"sizegrip",
};

// Settings of an image string that measure the control or the picture.
constexpr std::wstring_view kImageLengths[] = {L"dest", L"rdest", L"source", L"corner", L"roundcorner"};

constexpr std::wstring_view kImageSuffix = L"image";

bool Contains(const std::wstring_view* begin, const std::wstring_view* end, std::wstring_view name)
{
    return std::find(begin, end, name) != end;
}

bool IsImage(std::wstring_view name)
{
    return name.size() >= kImageSuffix.size() && name.substr(name.size() - kImageSuffix.size()) == kImageSuffix;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The setting name written before the quote at `quote` ("key = '"), or
// nothing when no '=' comes first.
std::wstring_view KeyBefore(std::wstring_view text, size_t quote)
{
    const std::wstring_view head = text.substr(0, quote);
    size_t end = head.find_last_not_of(L" \t");
    if (end == std::wstring_view::npos || head[end] != L'=' || end == 0)
        return {};
    end = head.find_last_not_of(L" \t", end - 1);
    if (end == std::wstring_view::npos)
        return {};
    const size_t start = head.find_last_of(L" \t'", end);
    const size_t from = start == std::wstring_view::npos ? 0 : start + 1;
    return head.substr(from, end + 1 - from);
}

} // namespace

bool CScaledAttribute::IsScaled(std::wstring_view name)
{
    return IsImage(name) || Contains(std::begin(kLengths), std::end(kLengths), name);
}

std::wstring CScaledAttribute::Value(std::wstring_view name, std::wstring_view value, CDpiScale scale)
{
    if (scale.IsIdentity() || !IsScaled(name))
        return std::wstring(value);
    return IsImage(name) ? ImageString(value, scale) : Numbers(value, scale);
}

std::wstring CScaledAttribute::Numbers(std::wstring_view text, CDpiScale scale)
{
    std::wstring out;
    out.reserve(text.size() + 8);
    size_t i = 0;
    while (i < text.size()) {
        const bool sign = text[i] == L'-' && i + 1 < text.size() && IsDigit(text[i + 1]);
        if (!sign && !IsDigit(text[i])) {
            out += text[i++];
            continue;
        }
        size_t end = i + (sign ? 1 : 0);
        long long number = 0;
        for (; end < text.size() && IsDigit(text[end]); ++end)
            number = std::min(number * 10 + (text[end] - L'0'), 0x7FFFFFFFLL);
        out += std::to_wstring(scale.Scale(static_cast<int>(sign ? -number : number)));
        i = end;
    }
    return out;
}

// key='value' pairs: values of the length settings go through Numbers,
// everything else (a bare file name too) is copied as it stands.
std::wstring CScaledAttribute::ImageString(std::wstring_view text, CDpiScale scale)
{
    std::wstring out;
    size_t copied = 0;
    for (size_t open = text.find(L'\''); open != std::wstring_view::npos;) {
        const size_t close = text.find(L'\'', open + 1);
        if (close == std::wstring_view::npos)
            break;
        const std::wstring_view key = KeyBefore(text, open);
        if (Contains(std::begin(kImageLengths), std::end(kImageLengths), key)) {
            out.append(text.substr(copied, open + 1 - copied));
            out += Numbers(text.substr(open + 1, close - open - 1), scale);
            copied = close;
        }
        open = text.find(L'\'', close + 1);
    }
    out.append(text.substr(copied));
    return out;
}

} // namespace DuiLib
