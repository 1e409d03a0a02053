#pragma once
// A self-describing value: null, integer, real, narrow or wide string, list,
// or a map keyed by wide strings. Values own their content and copy deeply;
// one thread at a time. Map and list access create what is missing, so
// records are written in one expression: v[L"process"][L"total"] = n.
// References returned by operator[] stay valid while the entry exists.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include "ProtoValueException.h"

class ProtoValue {
public:
    enum Type : int32_t { Null = 0, Integer = 1, Real = 2, NarrowString = 3, WideString = 4, List = 5, Map = 6 };
    using ListType = std::deque<ProtoValue>; // appends keep earlier references valid
    using MapType = std::map<std::wstring, ProtoValue>;

    ProtoValue() = default;
    explicit ProtoValue(Type type);
    ProtoValue(const wchar_t* text);
    ProtoValue(int64_t value);
    ProtoValue(const ProtoValue& other);
    ProtoValue& operator=(const ProtoValue& other);
    ~ProtoValue();

    Type type() const { return m_type; }
    void clear();

    ProtoValue& operator[](const wchar_t* key);
    ProtoValue& operator[](uint32_t index);
    ProtoValue& operator[](int index) { return (*this)[static_cast<uint32_t>(index)]; }
    bool has(const wchar_t* key) const;
    // Read-only lookup: null when this is not a map or lacks the key.
    const ProtoValue* find(const wchar_t* key) const;
    // Null reads as 0 or as the empty string; the answers are read-only so
    // the shared null answers cannot be changed through them.
    const int64_t& integer() const;
    const std::wstring& string() const;
    size_t size() const;

private:
    void swap(ProtoValue& other) noexcept;

    Type m_type = Null;
    union {
        int64_t integer;
        double real;
        std::string* narrow;
        std::wstring* wide;
        ListType* list;
        MapType* map;
    } m_value = {0};
};
