#include "DnsMessage.h"
#include <cctype>
#include <cstdio>

namespace {

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
}

} // namespace

bool CDnsMessage::EncodeName(const std::string& host, std::vector<uint8_t>& out)
{
    if (host.empty() || host.size() > kMaxHostLength)
        return false;
    size_t start = 0;
    while (start <= host.size()) {
        size_t dot = host.find('.', start);
        size_t end = dot == std::string::npos ? host.size() : dot;
        size_t length = end - start;
        if (length > 63)
            return false; // would read back as a pointer or a reserved label
        if (length > 0) {
            out.push_back(static_cast<uint8_t>(length));
            out.insert(out.end(), host.begin() + static_cast<long>(start), host.begin() + static_cast<long>(end));
        }
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    out.push_back(0);
    return true;
}

std::vector<uint8_t> CDnsMessage::EncodeQuery(const std::string& host, uint16_t id)
{
    // The identifier goes in as the value's bytes in memory order, and the
    // reply is compared the same way.
    std::vector<uint8_t> message = {static_cast<uint8_t>(id & 0xFF), static_cast<uint8_t>(id >> 8)};
    Put16(message, 0x0100);
    Put16(message, 1);
    Put16(message, 0);
    Put16(message, 0);
    Put16(message, 0);
    if (!EncodeName(host, message))
        return {};
    Put16(message, 1);
    Put16(message, 1);
    return message;
}

bool CDnsMessage::AcceptReply(const uint8_t* data, size_t length, const std::vector<uint8_t>& query)
{
    if (length < 12 || query.size() < 12)
        return false;
    if (data[0] != query[0] || data[1] != query[1])
        return false;
    if ((Read16(data + 2) & ~0x0480) != 0x8100)
        return false;
    if (Read16(data + 4) != 1 || Read16(data + 6) == 0)
        return false;
    return SameQuestion(data + 12, length - 12, query.data() + 12, query.size() - 12);
}

// Names compare without regard to letter case; the label lengths, type and
// class bytes are below 'A' and so compare exactly.
bool CDnsMessage::SameQuestion(const uint8_t* reply, size_t length, const uint8_t* asked, size_t askedLength)
{
    if (length < askedLength)
        return false;
    for (size_t i = 0; i < askedLength; ++i)
        if (std::tolower(reply[i]) != std::tolower(asked[i]))
            return false;
    return true;
}

// 1. Follow labels from position, bounded by the datagram.
// 2. Each pointer must point before the previous jump's target (the first
//    one before itself), so targets strictly decrease and every chain ends;
//    the jump count is capped as well.
// 3. The text may not pass 128 bytes.
bool CDnsMessage::DecodeName(const uint8_t* data, size_t length, size_t position, bool allowPointers,
                             std::string& text, size_t& size)
{
    text.clear();
    size_t cursor = position;
    size_t jumps = 0;
    bool jumped = false;
    size_t lastTarget = 0;
    size = 0;
    for (;;) {
        if (cursor >= length)
            return false;
        uint8_t label = data[cursor];
        if ((label & 0xC0) == 0xC0) {
            if (!allowPointers || cursor + 1 >= length || ++jumps > 32)
                return false;
            size_t target = Read16(data + cursor) & 0x3FFF;
            if (target >= (jumped ? lastTarget : cursor))
                return false;
            lastTarget = target;
            if (!jumped)
                size = cursor - position + 2;
            jumped = true;
            cursor = target;
            continue;
        }
        if (label & 0xC0)
            return false; // reserved label kinds
        if (label == 0) {
            if (!jumped)
                size = cursor - position + 1;
            if (!text.empty())
                text.pop_back();
            return true;
        }
        if (cursor + 1 + label > length || text.size() + label + 1 > kMaxNameText + 1)
            return false;
        text.append(reinterpret_cast<const char*>(data + cursor + 1), label);
        text.push_back('.');
        cursor += 1 + label;
    }
}

bool CDnsMessage::ParseAnswers(const uint8_t* data, size_t length, std::vector<std::string>& addresses)
{
    addresses.clear();
    if (length < 12)
        return false;
    size_t position = 12;
    std::string name;
    size_t size = 0;
    for (uint16_t q = Read16(data + 4); q > 0; --q) {
        if (!DecodeName(data, length, position, false, name, size))
            return false;
        position += size + 4;
    }
    for (uint16_t a = Read16(data + 6); a > 0; --a) {
        if (position > length || !DecodeName(data, length, position, true, name, size))
            return false;
        position += size;
        if (position + 10 > length)
            return false;
        uint16_t type = Read16(data + position);
        uint16_t dataLength = Read16(data + position + 8);
        position += 10;
        if (position + dataLength > length)
            return false;
        if (type == 1) {
            if (dataLength < 4)
                return false;
            char dotted[16];
            const uint8_t* ip = data + position;
            snprintf(dotted, sizeof(dotted), "%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
            addresses.push_back(dotted);
        } else if (type == 5 && !DecodeName(data, length, position, true, name, size)) {
            return false;
        }
        position += dataLength;
    }
    return true;
}

std::string CDnsMessage::Join(const std::vector<std::string>& addresses)
{
    std::string list;
    for (const auto& address : addresses)
        list += (list.empty() ? "" : ";") + address;
    return list;
}
