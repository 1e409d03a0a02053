#pragma once
// The installer's own small helpers: the folder dialog and the byte counts
// the progress texts show. UI thread only (FormatSize fills one shared
// buffer).
#include <windows.h>
#include <cstdint>
#include <string>

std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder);
std::wstring FormatSize(uint64_t bytes);
