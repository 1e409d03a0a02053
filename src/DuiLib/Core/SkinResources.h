#pragma once
// Where skin files come from, process-wide and shared by every window: the
// program's instance and resource module, the resource path, and the skin
// archive (a ZIP file, or the "ZIPRES" resource copied into memory once and
// kept open for the life of the program). UI thread only.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "DuiLib/Core/ZipArchive.h"

namespace DuiLib {

class CSkinResources {
public:
    static constexpr uint32_t kMaxFileSize = CZipArchive::kMaxEntrySize;

    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static void SetResourceModule(HINSTANCE module);
    static HINSTANCE GetResourceModule();
    static void SetResourcePath(const std::wstring& path);
    static const std::wstring& GetResourcePath();
    static std::wstring GetInstancePath();

    static void SetArchiveFile(const std::wstring& name, bool cached);
    static void SetArchiveMemory(const uint8_t* data, size_t length);
    static const std::wstring& GetArchiveName();
    static bool IsArchiveCached();

    // Without a resource path: the instance folder followed by skinFolder.
    static void DefaultResourcePath(const std::wstring& skinFolder);
    // Copies the "ZIPRES" resource into the archive buffer (once per process)
    // and opens it as the in-memory archive. False only when the resource is
    // missing or empty; one that holds no readable archive counts as loaded,
    // so that reading the skin from it fails as a damaged skin does.
    static bool LoadZipResource(int resourceId, const std::wstring& skinFolder);
    static size_t ResourceReads();
    // Frees the buffer copy (the window's final message) and closes a
    // cached archive (toolkit termination).
    static void FreeArchiveBuffer();
    static void CloseArchive();

    // The bytes of a skin file, from the archive when one is set, else from
    // the resource path. On failure error holds the toolkit's message.
    static bool ReadFile(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error);
    // A file by its own path, under the same size limits.
    static bool ReadPlainFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error);
};

} // namespace DuiLib
