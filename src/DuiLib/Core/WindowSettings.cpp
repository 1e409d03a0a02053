#include "DuiLib/Core/WindowSettings.h"
#include <map>
#include "DuiLib/Core/AttributeValue.h"

namespace DuiLib {

namespace {

using WindowAttributeSetter = void (*)(TWindowSettings& s, const wchar_t* value);
using V = CAttributeValue;

const std::map<std::wstring, WindowAttributeSetter>& WindowAttributes()
{
    static const std::map<std::wstring, WindowAttributeSetter> table = {
        {L"sizebox", [](TWindowSettings& s, const wchar_t* v) { s.sizeBox = V::Rect(v); }},
        {L"caption", [](TWindowSettings& s, const wchar_t* v) { s.caption = V::Rect(v); }},
        {L"roundcorner", [](TWindowSettings& s, const wchar_t* v) { s.roundCorner = V::Size(v); }},
        {L"shadowcorner", [](TWindowSettings& s, const wchar_t* v) { s.shadowCorner = V::Size(v); }},
        {L"mininfo", [](TWindowSettings& s, const wchar_t* v) { s.minInfo = V::Size(v); }},
        {L"maxinfo", [](TWindowSettings& s, const wchar_t* v) { s.maxInfo = V::Size(v); }},
        {L"sizegrip", [](TWindowSettings& s, const wchar_t* v) { s.sizeGrip = V::Size(v); }},
        {L"showdirty", [](TWindowSettings& s, const wchar_t* v) { s.showDirty = V::Bool(v); }},
        {L"alpha", [](TWindowSettings& s, const wchar_t* v) { s.alpha = V::Int(v); }},
        {L"bktrans", [](TWindowSettings& s, const wchar_t* v) { s.bkTrans = V::Bool(v); }},
        {L"shadow", [](TWindowSettings& s, const wchar_t* v) { s.shadow = V::Bool(v); }},
        {L"selfshadow", [](TWindowSettings& s, const wchar_t* v) { s.selfShadow = V::Bool(v); }},
        {L"shadowborder", [](TWindowSettings& s, const wchar_t* v) { s.shadowBorder = V::Rect(v); }},
        {L"shadowimage", [](TWindowSettings& s, const wchar_t* v) { s.shadowImage = v; }},
        {L"disabledfontcolor", [](TWindowSettings& s, const wchar_t* v) { s.disabledFontColor = V::Color(v); }},
        {L"defaultfontcolor", [](TWindowSettings& s, const wchar_t* v) { s.defaultFontColor = V::Color(v); }},
        {L"linkfontcolor", [](TWindowSettings& s, const wchar_t* v) { s.linkFontColor = V::Color(v); }},
        {L"linkhoverfontcolor", [](TWindowSettings& s, const wchar_t* v) { s.linkHoverFontColor = V::Color(v); }},
        {L"selectedcolor", [](TWindowSettings& s, const wchar_t* v) { s.selectedColor = V::Color(v); }},
        {L"accentcolor", [](TWindowSettings& s, const wchar_t* v) { s.accentColor = V::Color(v); }},
    };
    return table;
}

} // namespace

bool TWindowSettings::Set(const wchar_t* name, const wchar_t* value)
{
    auto it = WindowAttributes().find(name);
    if (it == WindowAttributes().end())
        return false;
    it->second(*this, value);
    return true;
}

} // namespace DuiLib
