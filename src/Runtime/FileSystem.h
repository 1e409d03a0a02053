#pragma once
// Folder, file and path helpers. None throws; failures come back as false,
// -1, an empty string or, where the reason is shown, the system's pair. Any thread, except the first GetModuleDir (fills a
// shared cache): UI thread only.
#include <cstdint>
#include <string>
#include "ErrorPair.h"

const std::wstring& GetModuleDir();
int64_t GetFileSize64(const std::wstring& path);
// An existing folder counts as made.
ErrorPair CreateDir(const std::wstring& path);
bool DeleteFileIfExists(const std::wstring& path);
bool MoveFileReplace(const std::wstring& source, const std::wstring& target);
std::wstring ParentDir(const std::wstring& path);
