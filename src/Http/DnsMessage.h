#pragma once
// The DNS message codec of the spare resolver: pure functions over plain
// bytes, no sockets. Every read is bounded by the datagram's length and
// compression pointers may only point backwards, so a hostile reply fails
// cleanly instead of reading out of bounds or looping.
#include <cstdint>
#include <string>
#include <vector>

class CDnsMessage {
public:
    static constexpr size_t kQueryBufferSize = 271;
    static constexpr size_t kMaxHostLength = 253;
    static constexpr size_t kMaxNameText = 128;

    // A recursive A/IN query for host, or empty when the name cannot be
    // encoded (empty, longer than 253 bytes, or a label over 63 bytes).
    static std::vector<uint8_t> EncodeQuery(const std::string& host, uint16_t id);
    static bool EncodeName(const std::string& host, std::vector<uint8_t>& out);

    // True when the reply answers query (same identifier, one question equal
    // to the one asked) with at least one answer and no error; addresses then
    // holds the A records in answer order (possibly none). False for a reply
    // to ignore or a malformed one.
    static bool AcceptReply(const uint8_t* data, size_t length, const std::vector<uint8_t>& query);
    static bool ParseAnswers(const uint8_t* data, size_t length, std::vector<std::string>& addresses);

    // Decodes the name at position; size is the bytes it occupies there.
    // Without allowPointers a compression pointer fails the name.
    static bool DecodeName(const uint8_t* data, size_t length, size_t position, bool allowPointers,
                           std::string& text, size_t& size);

    static std::string Join(const std::vector<std::string>& addresses);

private:
    static bool SameQuestion(const uint8_t* reply, size_t length, const uint8_t* asked, size_t askedLength);
};
