#pragma once
// What the demo's package installer and launcher share: the all-users data
// folder (where a real launcher keeps its settings) and the demo's command
// log there, "TarvoDemo\commands.log", one UTF-8 line per start:
// "<program>\t<command line>", so the demo script can show how each program
// was started. Any thread; a log that cannot be written is skipped, it is
// only for show.
#include <string>

namespace DemoRecords {
std::wstring CommonAppDataFolder();
void LogCommandLine(const wchar_t* program);
} // namespace DemoRecords
