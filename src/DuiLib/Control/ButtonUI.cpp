#include "DuiLib/Control/ButtonUI.h"
#include <cwchar>

namespace DuiLib {

void* CButtonUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Button") == 0 ? this : CLabelUI::GetInterface(name);
}

} // namespace DuiLib
