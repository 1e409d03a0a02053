#include "DuiLib/Layout/VerticalLayoutUI.h"
#include <cwchar>

namespace DuiLib {

void* CVerticalLayoutUI::GetInterface(const wchar_t* name)
{
    return wcscmp(name, L"VerticalLayout") == 0 ? this : CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    StackItems(true);
}

} // namespace DuiLib
