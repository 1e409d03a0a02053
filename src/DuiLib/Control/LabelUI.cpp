#include "DuiLib/Control/LabelUI.h"
#include <cwchar>

namespace DuiLib {

void* CLabelUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"Label") == 0 ? this : CControlUI::GetInterface(name);
}

} // namespace DuiLib
