#include "DuiLib/Core/WndShadow.h"

namespace DuiLib {

// Shadows stay off until the shadow window lands.
bool CWndShadow::Initialize(HINSTANCE) { return false; }

HWND CWndShadow::Create(HWND) { return nullptr; }

CWndShadow::~CWndShadow() = default;

} // namespace DuiLib
