#include "DuiLib/Layout/HorizontalLayoutUI.h"
#include <cwchar>

namespace DuiLib {

void* CHorizontalLayoutUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"HorizontalLayout") == 0 ? this : CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    StackItems(false);
}

} // namespace DuiLib
