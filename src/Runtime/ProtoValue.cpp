#include "ProtoValue.h"
#include <utility>

namespace {
const int64_t kZero = 0;
const std::wstring kEmpty;
} // namespace

ProtoValue::ProtoValue(Type type) : m_type(type)
{
    switch (type) {
    case Real: m_value.real = 0.0; break;
    case NarrowString: m_value.narrow = new std::string; break;
    case WideString: m_value.wide = new std::wstring; break;
    case List: m_value.list = new ListType; break;
    case Map: m_value.map = new MapType; break;
    default: m_value.integer = 0; break;
    }
}

ProtoValue::ProtoValue(const wchar_t* text) : m_type(WideString) { m_value.wide = new std::wstring(text); }

ProtoValue::ProtoValue(int64_t value) : m_type(Integer) { m_value.integer = value; }

// Strings are copied through their C-string form, so a copy ends at the
// first zero character.
ProtoValue::ProtoValue(const ProtoValue& other) : m_type(other.m_type)
{
    switch (m_type) {
    case NarrowString: m_value.narrow = new std::string(other.m_value.narrow->c_str()); break;
    case WideString: m_value.wide = new std::wstring(other.m_value.wide->c_str()); break;
    case List: m_value.list = new ListType(*other.m_value.list); break;
    case Map: m_value.map = new MapType(*other.m_value.map); break;
    default: m_value = other.m_value; break;
    }
}

ProtoValue& ProtoValue::operator=(const ProtoValue& other)
{
    ProtoValue copy(other);
    swap(copy);
    return *this;
}

ProtoValue::~ProtoValue() { clear(); }

void ProtoValue::swap(ProtoValue& other) noexcept
{
    std::swap(m_type, other.m_type);
    std::swap(m_value, other.m_value);
}

void ProtoValue::clear()
{
    switch (m_type) {
    case NarrowString: delete m_value.narrow; break;
    case WideString: delete m_value.wide; break;
    case List: delete m_value.list; break;
    case Map: delete m_value.map; break;
    default: break;
    }
    m_type = Null;
    m_value.integer = 0;
}

ProtoValue& ProtoValue::operator[](const wchar_t* key)
{
    if (m_type == Null)
        *this = ProtoValue(Map);
    if (m_type != Map)
        throw ProtoValueException(2, L"ProtoValue operator[string] wrong type");
    return (*m_value.map)[key];
}

ProtoValue& ProtoValue::operator[](uint32_t index)
{
    if (m_type == Null)
        *this = ProtoValue(List);
    if (m_type != List || index > m_value.list->size())
        throw ProtoValueException(1, L"ProtoValue operator[int] out of range");
    if (index == m_value.list->size())
        m_value.list->emplace_back();
    return (*m_value.list)[index];
}

bool ProtoValue::has(const wchar_t* key) const
{
    return m_type == Map && m_value.map->count(key) != 0;
}

const ProtoValue* ProtoValue::find(const wchar_t* key) const
{
    if (m_type != Map)
        return nullptr;
    auto it = m_value.map->find(key);
    return it == m_value.map->end() ? nullptr : &it->second;
}

const int64_t& ProtoValue::integer() const
{
    if (m_type == Null)
        return kZero;
    if (m_type != Integer)
        throw ProtoValueException(3, L"ProtoValue::integer wrong type");
    return m_value.integer;
}

const std::wstring& ProtoValue::string() const
{
    if (m_type == Null)
        return kEmpty;
    if (m_type != WideString)
        throw ProtoValueException(3, L"ProtoValue::string wrong type");
    return *m_value.wide;
}

size_t ProtoValue::size() const
{
    if (m_type == List)
        return m_value.list->size();
    return m_type == Map ? m_value.map->size() : 0;
}
