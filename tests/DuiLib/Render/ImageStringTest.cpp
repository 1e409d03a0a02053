#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <random>
#include <string>
#include "DuiLib/Render/ImageString.h"

using DuiLib::CImageString;
using DuiLib::DestAnchor;
using DuiLib::TImageLayer;

namespace {

std::wstring Quad(const RECT& r)
{
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
           std::to_wstring(r.bottom);
}

// Each image's name (@type) and the settings that differ from the defaults.
std::wstring Summary(const std::vector<TImageLayer>& layers)
{
    std::wstring out;
    for (const TImageLayer& s : layers) {
        out += (out.empty() ? L"" : L" | ") + s.name + (s.resType.empty() ? L"" : L"@" + s.resType);
        if (s.anchor != DestAnchor::Control)
            out += (s.anchor == DestAnchor::TopLeft ? L" dest=" : L" rdest=") + Quad(s.dest);
        RECT zero = {0, 0, 0, 0};
        if (!EqualRect(&s.source, &zero))
            out += L" source=" + Quad(s.source);
        if (!EqualRect(&s.corner, &zero))
            out += L" corner=" + Quad(s.corner);
        wchar_t mask[16];
        swprintf(mask, 16, L"%08X", s.mask);
        out += s.mask ? std::wstring(L" mask=") + mask : L"";
        out += s.fade != 255 ? L" fade=" + std::to_wstring(s.fade) : L"";
        out += std::wstring(s.hole ? L" hole" : L"") + (s.xTiled ? L" xtiled" : L"") + (s.yTiled ? L" ytiled" : L"") +
               (s.stretch ? L"" : L" nostretch") + (s.center ? L" center" : L"");
        if (s.roundCorner.cx || s.roundCorner.cy)
            out += L" round=" + std::to_wstring(s.roundCorner.cx) + L"," + std::to_wstring(s.roundCorner.cy);
    }
    return out;
}

} // namespace

TEST(ImageString, GrammarAndItsDeviations)
{
    const std::wstring tabs = L" \t\t\t\t\t\t\t\t\t   ";
    struct Case {
        std::wstring image, modifier, expected;
    } cases[] = {
        {L"btn_free_000.png", L"", L"btn_free_000.png"},
        {L"file='install_1.png' source='5,5,189,49'", L"", L"install_1.png source=5,5,189,49"},
        {L"  file = 'a.png' \t\t dest=\t'1,2,3,4'  ", L"", L"a.png dest=1,2,3,4"},
        // A value without its closing quote, or a quote not followed by a
        // space, ends the string; what came before stays.
        {L"file='a.png' dest='1,2,3,4", L"", L"a.png"},
        {L"file='a.png'dest='1,2,3,4'", L"", L"a.png"},
        {L"file='a's.png' fade='9'", L"", L"a"},
        {L"file='a.png'\tfade='9'", L"", L"a.png"},
        {L"file=\"a.png\"", L"", L"file=\"a.png\""},
        {L"file='a.png' ", L"", L"a.png"},
        {L"", L"", L""},
        {std::wstring(L"file='a.png' \0 fade='9'", 23), L"", L"a.png"},
        // Empty values and unknown keys are passed over; booleans are
        // "true" exactly; numbers that do not parse read as 0.
        {L"file='' fade='7'", L"", L"file='' fade='7' fade=7"},
        {L"file='a.png' bogus='1' fade='300' mask='#FF00FF00' hole='True' xtiled='true'", L"",
         L"a.png mask=FF00FF00 xtiled"},
        {L"fade='x' mask='zz' file='a.png'", L"", L"a.png fade=0"},
        {L"file='a.png' rdest='-5,-5,0,0' roundcorner='3,3,3,3' stretch='false' center='true' ytiled='true'", L"",
         L"a.png rdest=-5,-5,0,0 ytiled nostretch center round=3,3"},
        // Several images in one string, each starting from what was read;
        // after the first file or restype every opening setting splits.
        {L"file='a.png' dest='0,0,5,5' file='b.png' res='7' restype='PNG'", L"",
         L"a.png dest=0,0,5,5 | b.png dest=0,0,5,5 | 7 dest=0,0,5,5 | 7@PNG dest=0,0,5,5"},
        {L"res='5' restype='X' res='6' restype='X'", L"", L"5@X | 6@X | 6@X"},
        {L"file='a.png' res='1' file='b.png'", L"", L"a.png | 1 | b.png"},
        {L"file='bk.png' dest='0,0,500,30'" + tabs + L"file='fore.png' corner='0,10,250,10' dest='0,0,250,30'" + tabs,
         L"", L"bk.png dest=0,0,500,30 | fore.png dest=0,0,250,30 corner=0,10,250,10"},
        // The modifier speaks to the last image and never splits it off.
        {L"file='a.png' file='b.png'", L"dest='1,2,3,4'", L"a.png | b.png dest=1,2,3,4"},
        {L"file='a.png'", L"file='c.png' source='1,1,2,2", L"c.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Summary(CImageString::Parse(c.image, c.modifier)), c.expected) << "image string: " << c.image;
}

// Strings are placed so that they end where readable memory ends: a read
// past the end stops the test binary.
TEST(ImageString, FuzzNeverReadsPastTheString)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t page = system.dwPageSize;
    auto* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
    auto* end = reinterpret_cast<wchar_t*>(base + page);

    const wchar_t* tokens[] = {L"file", L"res", L"restype", L"dest", L"source", L"fade", L"mask", L"corner",
                               L"=", L"'", L"''", L" ", L"\t", L"  ", L"0,4,16,20", L"a.png", L"#FF00FF00",
                               L",", L"x", L"\x01", L"-", L"true", L"99999999999999999999"};
    std::mt19937 random(20240611);
    for (int run = 0; run < 20000; ++run) {
        std::wstring text;
        while (text.size() < 120 && random() % 24)
            text += tokens[random() % std::size(tokens)];
        wchar_t* start = end - text.size();
        std::copy(text.begin(), text.end(), start);
        std::wstring_view whole(start, text.size()), half = whole.substr(text.size() / 2);
        auto layers = CImageString::Parse(whole, half);
        size_t settings = std::count(whole.begin(), whole.end(), L'=') + std::count(half.begin(), half.end(), L'=');
        ASSERT_GE(layers.size(), 1u);
        ASSERT_LE(layers.size(), 1 + settings) << "each extra image needs a setting of its own";
    }
    VirtualFree(base, 0, MEM_RELEASE);
}
