#pragma once
// Stacks its visible, non-floating children top to bottom: fixed ones
// at their size, the others sharing the rest. UI thread only.
#include "DuiLib/Layout/ContainerUI.h"

namespace DuiLib {

class CVerticalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override { return L"VerticalLayoutUI"; }
    void* GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
};

} // namespace DuiLib
