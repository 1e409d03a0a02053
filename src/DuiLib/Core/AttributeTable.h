#pragma once
// A control class's own attributes as a table from name to setter, so that
// SetAttribute is one lookup instead of a chain of comparisons. Each class
// builds its table once, in a static function of its own (which gives the
// setters its access); read on the UI thread.
#include <string_view>
#include <unordered_map>

namespace DuiLib {

template <class T>
using TAttributeTable = std::unordered_map<std::wstring_view, void (*)(T&, const wchar_t*)>;

// True when the table knows the name; its setter has then run.
template <class T>
bool ApplyAttribute(const TAttributeTable<T>& table, T& target, const wchar_t* name, const wchar_t* value)
{
    auto it = table.find(name);
    if (it == table.end())
        return false;
    it->second(target, value);
    return true;
}

} // namespace DuiLib
