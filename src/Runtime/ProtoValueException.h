#pragma once
// Raised by ProtoValue on misuse: 1 list index, 2 map access on a non-map,
// 3 integer()/string() on the wrong kind.
#include <cstdint>
#include <string>

class ProtoValueException {
public:
    ProtoValueException(int32_t code, std::wstring message) : m_code(code), m_message(std::move(message)) {}
    int32_t Code() const { return m_code; }
    const std::wstring& Message() const { return m_message; }

private:
    int32_t m_code;
    std::wstring m_message;
};
