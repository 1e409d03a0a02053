#include "DuiLib/Control/OptionUI.h"
#include <cwchar>

namespace DuiLib {

void* COptionUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Option") == 0 ? this : CButtonUI::GetInterface(name);
}

} // namespace DuiLib
