#pragma once
// The Progress control of the skins. It takes its place in the tree and in
// layout like any control; its own attributes, painting and input join when
// the toolkit's controls are built. UI thread only.
#include "DuiLib/Control/LabelUI.h"

namespace DuiLib {

class CProgressUI : public CLabelUI {
public:
    const wchar_t* GetClass() const override { return L"ProgressUI"; }
    void* GetInterface(const wchar_t* name) override;
};

} // namespace DuiLib
