#pragma once
// The Label control of the skins. It takes its place in the tree and in
// layout like any control; its own attributes, painting and input join when
// the toolkit's controls are built. UI thread only.
#include "DuiLib/Control/ControlUI.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
public:
    const wchar_t* GetClass() const override { return L"LabelUI"; }
    void* GetInterface(const wchar_t* name) override;
};

} // namespace DuiLib
