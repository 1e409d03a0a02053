#pragma once
// Writes ZIP archives in memory for the archive tests, with optional lies
// in the recorded sizes, checksum and offsets to build hostile archives.
#include <zlib.h>
#include <cstdint>
#include <string>
#include <vector>

struct ZipEntrySpec {
    std::string name;
    std::string data;
    bool deflate = true;
    int64_t sizeOverride = -1;       // recorded uncompressed size
    int64_t compressedOverride = -1; // recorded compressed size
    int64_t crcOverride = -1;
    int64_t offsetOverride = -1;     // recorded local header offset
};

inline std::string Deflated(const std::string& data)
{
    z_stream z = {};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::vector<uint8_t> BuildZip(const std::vector<ZipEntrySpec>& entries)
{
    std::vector<uint8_t> out, directory;
    auto put16 = [](std::vector<uint8_t>& v, uint32_t x) {
        v.push_back(static_cast<uint8_t>(x));
        v.push_back(static_cast<uint8_t>(x >> 8));
    };
    auto put32 = [&](std::vector<uint8_t>& v, uint32_t x) {
        put16(v, x & 0xFFFF);
        put16(v, x >> 16);
    };
    for (const ZipEntrySpec& e : entries) {
        std::string body = e.deflate ? Deflated(e.data) : e.data;
        uint32_t crc = e.crcOverride >= 0 ? static_cast<uint32_t>(e.crcOverride)
                                          : static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                                        static_cast<uInt>(e.data.size())));
        uint32_t size = e.sizeOverride >= 0 ? static_cast<uint32_t>(e.sizeOverride) : static_cast<uint32_t>(e.data.size());
        uint32_t packed = e.compressedOverride >= 0 ? static_cast<uint32_t>(e.compressedOverride)
                                                    : static_cast<uint32_t>(body.size());
        uint32_t offset = e.offsetOverride >= 0 ? static_cast<uint32_t>(e.offsetOverride) : static_cast<uint32_t>(out.size());
        uint16_t method = e.deflate ? 8 : 0;
        put32(out, 0x04034b50);
        put16(out, 20), put16(out, 0), put16(out, method), put16(out, 0), put16(out, 0);
        put32(out, crc), put32(out, packed), put32(out, size);
        put16(out, static_cast<uint32_t>(e.name.size())), put16(out, 0);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.insert(out.end(), body.begin(), body.end());
        put32(directory, 0x02014b50);
        put16(directory, 20), put16(directory, 20), put16(directory, 0), put16(directory, method);
        put16(directory, 0), put16(directory, 0);
        put32(directory, crc), put32(directory, packed), put32(directory, size);
        put16(directory, static_cast<uint32_t>(e.name.size())), put16(directory, 0), put16(directory, 0);
        put16(directory, 0), put16(directory, 0), put32(directory, 0), put32(directory, offset);
        directory.insert(directory.end(), e.name.begin(), e.name.end());
    }
    uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    put32(out, 0x06054b50);
    put16(out, 0), put16(out, 0);
    put16(out, static_cast<uint32_t>(entries.size())), put16(out, static_cast<uint32_t>(entries.size()));
    put32(out, static_cast<uint32_t>(directory.size())), put32(out, directoryOffset);
    put16(out, 0);
    return out;
}
