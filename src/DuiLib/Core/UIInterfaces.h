#pragma once
// The hooks a window's manager offers to code outside the control tree:
// message filters (seen before the manager's own handling, or before
// dispatch for pre-message filters) and accelerator translators. All are
// called on the UI thread; the manager only refers to them, their owners
// remove them before they go away.
#include <windows.h>

namespace DuiLib {

class IMessageFilterUI {
public:
    // Returns the message's result; setting handled ends its processing.
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // S_OK when the message was translated and must not be dispatched.
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

} // namespace DuiLib
