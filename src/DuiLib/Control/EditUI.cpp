#include "DuiLib/Control/EditUI.h"
#include <cwchar>

namespace DuiLib {

void* CEditUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Edit") == 0 ? this : CLabelUI::GetInterface(name);
}

} // namespace DuiLib
