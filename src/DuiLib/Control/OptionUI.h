#pragma once
// The Option control of the skins. It takes its place in the tree and in
// layout like any control; its own attributes, painting and input join when
// the toolkit's controls are built. UI thread only.
#include "DuiLib/Control/ButtonUI.h"

namespace DuiLib {

class COptionUI : public CButtonUI {
public:
    const wchar_t* GetClass() const override { return L"OptionUI"; }
    void* GetInterface(const wchar_t* name) override;
};

} // namespace DuiLib
