#include "DuiLib/Core/ZipArchive.h"
#include <zlib.h>
#include <cstring>
#include "Runtime/StringConvert.h"

namespace DuiLib {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;

std::string Normalised(std::string name)
{
    for (char& c : name) {
        if (c == '\\')
            c = '/';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

} // namespace

// 1. Find the end record in the last 64 KiB + 22 bytes.
// 2. Walk the central directory it points at, every header inside the
//    buffer and before the end record.
bool CZipArchive::Open(const uint8_t* data, size_t length)
{
    Close();
    if (!data || length < 22)
        return false;
    size_t lowest = length > 65557 ? length - 65557 : 0;
    size_t end = length - 22;
    while (U32(data + end) != kEndSignature) {
        if (end == lowest)
            return false;
        --end;
    }
    uint16_t count = U16(data + end + 10);
    uint32_t directorySize = U32(data + end + 12);
    uint32_t directoryOffset = U32(data + end + 16);
    if (static_cast<uint64_t>(directoryOffset) + directorySize > end)
        return false;
    size_t at = directoryOffset;
    std::vector<Entry> entries;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + 46 > end || U32(data + at) != kCentralSignature)
            return false;
        uint16_t nameLength = U16(data + at + 28);
        size_t next = at + 46 + nameLength + U16(data + at + 30) + U16(data + at + 32);
        if (next > end)
            return false;
        entries.push_back({Normalised(std::string(reinterpret_cast<const char*>(data + at + 46), nameLength)),
                           U16(data + at + 10), U32(data + at + 16), U32(data + at + 20), U32(data + at + 24),
                           U32(data + at + 42)});
        at = next;
    }
    m_data = data;
    m_length = length;
    m_entries = std::move(entries);
    return true;
}

void CZipArchive::Close()
{
    m_data = nullptr;
    m_length = 0;
    m_entries.clear();
}

const CZipArchive::Entry* CZipArchive::Find(const std::wstring& name) const
{
    std::string wanted = Normalised(WideToUtf8(name));
    if (wanted.size() >= 256)
        return nullptr;
    for (const Entry& entry : m_entries)
        if (entry.name == wanted)
            return &entry;
    return nullptr;
}

bool CZipArchive::Read(const std::wstring& name, std::vector<uint8_t>& out, std::wstring& error) const
{
    out.clear();
    if (!IsOpen()) {
        error = L"Error opening zip file";
        return false;
    }
    const Entry* entry = Find(name);
    if (!entry) {
        error = L"Could not find ziped file";
        return false;
    }
    if (entry->size == 0) {
        error = L"File is empty";
        return false;
    }
    if (entry->size > kMaxEntrySize) {
        error = L"File too large";
        return false;
    }
    if (!Extract(*entry, out)) {
        out.clear();
        error = L"Could not unzip file";
        return false;
    }
    return true;
}

// The entry's data must lie inside the buffer and inflate to exactly its
// declared size and checksum: an entry that would grow past its size stops
// at the buffer's end and fails.
bool CZipArchive::Extract(const Entry& entry, std::vector<uint8_t>& out) const
{
    size_t local = entry.localOffset;
    if (local + 30 > m_length || U32(m_data + local) != kLocalSignature)
        return false;
    uint64_t start = local + 30 + U16(m_data + local + 26) + U16(m_data + local + 28);
    if (start + entry.compressedSize > m_length)
        return false;
    const uint8_t* source = m_data + start;
    out.resize(entry.size);
    if (entry.method == 0) {
        if (entry.compressedSize != entry.size)
            return false;
        memcpy(out.data(), source, entry.size);
    } else if (entry.method == 8) {
        z_stream z = {};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return false;
        z.next_in = const_cast<Bytef*>(source);
        z.avail_in = entry.compressedSize;
        z.next_out = out.data();
        z.avail_out = entry.size;
        int result = inflate(&z, Z_FINISH);
        if (result != Z_STREAM_END && z.avail_out == 0) {
            uint8_t probe;
            z.next_out = &probe;
            z.avail_out = 1;
            result = inflate(&z, Z_FINISH);
            if (z.avail_out == 0)
                result = Z_DATA_ERROR; // more data than the declared size
        }
        bool whole = result == Z_STREAM_END && z.total_out == entry.size;
        inflateEnd(&z);
        if (!whole)
            return false;
    } else {
        return false;
    }
    return crc32(0, out.data(), entry.size) == entry.crc;
}

} // namespace DuiLib
