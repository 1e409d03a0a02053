#include "DuiLib/Render/ImageString.h"
#include <algorithm>
#include "DuiLib/Core/AttributeValue.h"

namespace DuiLib {

namespace {

using V = CAttributeValue;

struct Setting {
    const wchar_t* key;
    bool opensImage; // may close the pending image and start another
    bool armsNext;   // every later opening setting closes the pending image
    void (*apply)(TImageLayer& layer, const wchar_t* value);
};

const Setting kSettings[] = {
    {L"file", true, true, [](TImageLayer& s, const wchar_t* v) { s.name = v, s.resType.clear(); }},
    {L"res", true, false, [](TImageLayer& s, const wchar_t* v) { s.name = v; }},
    {L"restype", true, true, [](TImageLayer& s, const wchar_t* v) { s.resType = v; }},
    {L"dest", false, false, [](TImageLayer& s, const wchar_t* v) { s.anchor = DestAnchor::TopLeft, s.dest = V::Rect(v); }},
    {L"rdest", false, false,
     [](TImageLayer& s, const wchar_t* v) { s.anchor = DestAnchor::BottomRight, s.dest = V::Rect(v); }},
    {L"source", false, false, [](TImageLayer& s, const wchar_t* v) { s.source = V::Rect(v); }},
    {L"corner", false, false, [](TImageLayer& s, const wchar_t* v) { s.corner = V::Rect(v); }},
    {L"mask", false, false, [](TImageLayer& s, const wchar_t* v) { s.mask = V::Color(v); }},
    {L"fade", false, false,
     [](TImageLayer& s, const wchar_t* v) { s.fade = static_cast<uint8_t>(std::clamp(V::Int(v), 0, 255)); }},
    {L"hole", false, false, [](TImageLayer& s, const wchar_t* v) { s.hole = V::Bool(v); }},
    {L"xtiled", false, false, [](TImageLayer& s, const wchar_t* v) { s.xTiled = V::Bool(v); }},
    {L"ytiled", false, false, [](TImageLayer& s, const wchar_t* v) { s.yTiled = V::Bool(v); }},
    {L"stretch", false, false, [](TImageLayer& s, const wchar_t* v) { s.stretch = V::Bool(v); }},
    {L"center", false, false, [](TImageLayer& s, const wchar_t* v) { s.center = V::Bool(v); }},
    {L"roundcorner", false, false, [](TImageLayer& s, const wchar_t* v) { s.roundCorner = V::Size(v); }},
};

bool IsBlank(wchar_t c) { return c >= 1 && c <= 32; }

// Reads one string's settings into the pending record, handing finished
// images to the output.
class SettingReader {
public:
    SettingReader(std::wstring_view text, TImageLayer& pending, std::vector<TImageLayer>& out)
        : m_text(text.substr(0, text.find(L'\0'))), m_pending(pending), m_out(out)
    {
    }

    void Run()
    {
        for (;;) {
            SkipBlanks();
            std::wstring_view key = ReadUntil([](wchar_t c) { return c == L'=' || IsBlank(c); });
            SkipBlanks();
            if (!Take(L'='))
                return;
            SkipBlanks();
            if (!Take(L'\''))
                return;
            std::wstring_view value = ReadUntil([](wchar_t c) { return c == L'\''; });
            if (!Take(L'\''))
                return;
            Apply(key, std::wstring(value));
            if (m_pos + 1 >= m_text.size() || m_text[m_pos] != L' ')
                return;
            ++m_pos;
        }
    }

private:
    void SkipBlanks()
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
    }

    template <typename Stop>
    std::wstring_view ReadUntil(Stop stop)
    {
        size_t start = m_pos;
        while (m_pos < m_text.size() && !stop(m_text[m_pos]))
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

    bool Take(wchar_t c)
    {
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    void Apply(std::wstring_view key, const std::wstring& value)
    {
        const Setting* setting = std::find_if(std::begin(kSettings), std::end(kSettings),
                                              [key](const Setting& s) { return key == s.key; });
        if (setting == std::end(kSettings) || value.empty())
            return;
        // Once armed a string stays armed: every later opening setting
        // closes the image before it.
        if (setting->opensImage && m_armed)
            m_out.push_back(m_pending);
        setting->apply(m_pending, value.c_str());
        m_armed = m_armed || setting->armsNext;
    }

    std::wstring_view m_text;
    size_t m_pos = 0;
    bool m_armed = false;
    TImageLayer& m_pending;
    std::vector<TImageLayer>& m_out;
};

} // namespace

std::vector<TImageLayer> CImageString::Parse(std::wstring_view image, std::wstring_view modifier)
{
    std::vector<TImageLayer> out;
    TImageLayer pending;
    pending.name = image.substr(0, image.find(L'\0'));
    SettingReader(image, pending, out).Run();
    SettingReader(modifier, pending, out).Run();
    out.push_back(pending);
    return out;
}

} // namespace DuiLib
