#include "DuiLib/Control/ProgressUI.h"
#include <cwchar>

namespace DuiLib {

void* CProgressUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Progress") == 0 ? this : CLabelUI::GetInterface(name);
}

} // namespace DuiLib
