#pragma once
// Reads entries of a ZIP archive held in memory (stored and deflate
// entries). Every offset and size in the archive is checked against the
// buffer before use, and an entry must inflate to exactly its declared size
// and checksum, so a lying or hostile archive fails cleanly. The archive
// does not own the buffer: it must outlive the archive. One thread at a time.
#include <cstdint>
#include <string>
#include <vector>

namespace DuiLib {

class CZipArchive {
public:
    static constexpr uint32_t kMaxEntrySize = 4194304;

    // False when the bytes hold no readable central directory.
    bool Open(const uint8_t* data, size_t length);
    void Close();
    bool IsOpen() const { return m_data != nullptr; }

    // Looks an entry up without regard to ASCII case, '\' read as '/'.
    // On failure error holds the toolkit's message for it.
    bool Read(const std::wstring& name, std::vector<uint8_t>& out, std::wstring& error) const;

private:
    struct Entry {
        std::string name;
        uint16_t method;
        uint32_t crc;
        uint32_t compressedSize;
        uint32_t size;
        uint32_t localOffset;
    };

    const Entry* Find(const std::wstring& name) const;
    bool Extract(const Entry& entry, std::vector<uint8_t>& out) const;

    const uint8_t* m_data = nullptr;
    size_t m_length = 0;
    std::vector<Entry> m_entries;
};

} // namespace DuiLib
