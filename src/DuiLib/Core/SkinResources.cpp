#include "DuiLib/Core/SkinResources.h"

namespace DuiLib {

namespace {

struct SkinState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceModule = nullptr;
    std::wstring resourcePath;
    std::wstring archiveName;
    bool cached = false;
    CZipArchive archive;
    std::vector<uint8_t> fileArchive; // bytes of a ZIP file archive
    std::vector<uint8_t> buffer;      // copy of the "ZIPRES" resource
    size_t resourceReads = 0;
};

SkinState& State()
{
    static SkinState state;
    return state;
}

} // namespace

void CSkinResources::SetInstance(HINSTANCE instance) { State().instance = instance; }
HINSTANCE CSkinResources::GetInstance() { return State().instance; }
void CSkinResources::SetResourceModule(HINSTANCE module) { State().resourceModule = module; }

HINSTANCE CSkinResources::GetResourceModule()
{
    return State().resourceModule ? State().resourceModule : State().instance;
}

void CSkinResources::SetResourcePath(const std::wstring& path)
{
    State().resourcePath = path;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        State().resourcePath += L'\\';
}

const std::wstring& CSkinResources::GetResourcePath() { return State().resourcePath; }

std::wstring CSkinResources::GetInstancePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(State().instance, path, MAX_PATH);
    std::wstring folder = path;
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

void CSkinResources::SetArchiveFile(const std::wstring& name, bool cached)
{
    SkinState& s = State();
    s.archive.Close();
    s.archiveName = name;
    s.cached = cached;
    std::wstring error;
    if (cached && ReadPlainFile(s.resourcePath + name, s.fileArchive, error))
        s.archive.Open(s.fileArchive.data(), s.fileArchive.size());
}

void CSkinResources::SetArchiveMemory(const uint8_t* data, size_t length)
{
    SkinState& s = State();
    if (s.archiveName == L"membuffer")
        return;
    s.archive.Close();
    s.archiveName = L"membuffer";
    s.cached = true;
    s.archive.Open(data, length);
}

const std::wstring& CSkinResources::GetArchiveName() { return State().archiveName; }
bool CSkinResources::IsArchiveCached() { return State().cached; }
size_t CSkinResources::ResourceReads() { return State().resourceReads; }

void CSkinResources::DefaultResourcePath(const std::wstring& skinFolder)
{
    if (State().resourcePath.empty())
        SetResourcePath(GetInstancePath() + skinFolder);
}

bool CSkinResources::LoadZipResource(int resourceId, const std::wstring& skinFolder)
{
    SkinState& s = State();
    DefaultResourcePath(skinFolder);
    if (s.buffer.empty()) {
        HINSTANCE module = GetResourceModule();
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"ZIPRES");
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        DWORD size = found ? SizeofResource(module, found) : 0;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes || size == 0)
            return false;
        s.buffer.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
        ++s.resourceReads;
    }
    SetArchiveMemory(s.buffer.data(), s.buffer.size());
    return true;
}

void CSkinResources::FreeArchiveBuffer()
{
    // The open in-memory archive reads from the buffer, so it goes too; the
    // next window loads the resource again.
    SkinState& s = State();
    if (s.archiveName == L"membuffer") {
        s.archive.Close();
        s.archiveName.clear();
        s.cached = false;
    }
    std::vector<uint8_t>().swap(s.buffer);
}

void CSkinResources::CloseArchive()
{
    SkinState& s = State();
    if (s.cached) {
        s.archive.Close();
        s.cached = false;
    }
}

bool CSkinResources::ReadFile(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error)
{
    SkinState& s = State();
    if (s.archiveName.empty())
        return ReadPlainFile(s.resourcePath + name, bytes, error);
    if (s.cached)
        return s.archive.Read(name, bytes, error);
    std::vector<uint8_t> zip;
    CZipArchive archive;
    if (!ReadPlainFile(s.resourcePath + s.archiveName, zip, error) || !archive.Open(zip.data(), zip.size())) {
        error = L"Error opening zip file";
        return false;
    }
    return archive.Read(name, bytes, error);
}

bool CSkinResources::ReadPlainFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = L"Error opening file";
        return false;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bool ok = false;
    if (size.QuadPart == 0) {
        error = L"File is empty";
    } else if (size.QuadPart > kMaxFileSize) {
        error = L"File too large";
    } else {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
        if (!ok)
            error = L"Could not read file";
    }
    CloseHandle(file);
    return ok;
}

} // namespace DuiLib
