#pragma once
// A notification a control sends to its window's listeners ("click",
// "tabselect", ...), and the listener interface. UI thread only; the sender
// is valid during the call.
#include <windows.h>
#include <string>

namespace DuiLib {

class CControlUI;

struct TNotifyMsg {
    std::wstring sType;
    std::wstring sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void Notify(TNotifyMsg& msg) = 0;

protected:
    ~INotifyUI() = default;
};

} // namespace DuiLib
