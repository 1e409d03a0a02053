#include "DuiLib/Host/WndShadow.h"
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>
#include "DuiLib/Render/DibSection.h"
#include "DuiLib/Render/LayeredPush.h"
#include "DuiLib/Render/ShadowFringe.h"
#include "Runtime/CallbackGuard.h"

namespace DuiLib {

namespace {

constexpr wchar_t kClassName[] = L"TvShadowWnd";
constexpr UINT_PTR kFirstUpdateTimer = 1;
constexpr UINT kFirstUpdateDelayMs = 1000;

CWndShadow::UpdateLayeredWindowFn g_update = nullptr;
HINSTANCE g_instance = nullptr;

std::map<HWND, CWndShadow*>& Shadows()
{
    static std::map<HWND, CWndShadow*> shadows;
    return shadows;
}

CWndShadow::UpdateLayeredWindowFn LookUpUpdate()
{
    const HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
    if (!user32)
        return nullptr;
    const FARPROC found = GetProcAddress(user32, "UpdateLayeredWindow");
    return reinterpret_cast<CWndShadow::UpdateLayeredWindowFn>(reinterpret_cast<void (*)()>(found));
}

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using DcHandle = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

// Places the layered window at its rectangle and hands it the pixels (the
// fringe's rows run bottom-up).
void PushLayered(HWND window, POINT at, SIZE size, const std::vector<uint32_t>& pixels)
{
    void* bits = nullptr;
    const BitmapHandle bitmap(CDibSection::Create(nullptr, size, &bits, CDibSection::ERows::BottomUp));
    const DcHandle dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !bits || !dc)
        return;
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    SelectObject(dc.get(), bitmap.get());
    CLayeredPush::Push(g_update, window, dc.get(), at, size);
}

} // namespace

bool CWndShadow::Initialize(HINSTANCE instance)
{
    static const UpdateLayeredWindowFn found = LookUpUpdate();
    return Initialize(instance, found);
}

bool CWndShadow::Initialize(HINSTANCE instance, UpdateLayeredWindowFn update)
{
    g_update = nullptr;
    if (!update)
        return false;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    g_update = update;
    g_instance = instance;
    return true;
}

CWndShadow::~CWndShadow()
{
    if (m_parent)
        Unhook();
    if (m_shadow)
        DestroyWindow(m_shadow);
}

HWND CWndShadow::Create(HWND parent)
{
    if (!g_update || m_parent || !IsWindow(parent) || Find(parent))
        return nullptr;
    try {
        Shadows().emplace(parent, this);
    } catch (const std::exception&) {
        return nullptr;
    }
    m_parent = parent;
    m_shadow = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kClassName, kClassName, WS_POPUP, 0, 0,
                               0, 0, parent, nullptr, g_instance, nullptr);
    if (!m_shadow) {
        Shadows().erase(parent);
        m_parent = nullptr;
        return nullptr;
    }
    SetStatus(kEnabled);
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndShadow::HookProc)));
    // Beside a parent already on screen the shadow shows at once; beside a
    // hidden one it stays hidden, and says so, until the parent's own show,
    // and a one-shot update places it before then.
    ApplyShowRule();
    if (!Has(kVisible))
        SetTimer(m_shadow, kFirstUpdateTimer, kFirstUpdateDelayMs, FirstUpdate);
    return m_shadow;
}

void CWndShadow::SetScale(CDpiScale scale)
{
    m_size = scale.Scale(kSize);
    if (Has(kVisible))
        Recompute();
}

CWndShadow* CWndShadow::Find(HWND parent)
{
    const auto& shadows = Shadows();
    const auto found = shadows.find(parent);
    return found == shadows.end() ? nullptr : found->second;
}

LRESULT CALLBACK CWndShadow::HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto hooked = [&] {
        CWndShadow* shadow = Find(window);
        return shadow ? shadow->OnMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
    };
    return CCallbackGuard::Run(L"shadow hook", hooked, [&] { return DefWindowProcW(window, message, wParam, lParam); });
}

void CALLBACK CWndShadow::FirstUpdate(HWND shadow, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(shadow, timer);
    auto update = [shadow] {
        if (CWndShadow* self = Find(GetWindow(shadow, GW_OWNER)))
            self->Recompute();
    };
    CCallbackGuard::Run(L"shadow first update", update, [] {});
}

LRESULT CWndShadow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        return OnShowWindow(wParam, lParam);
    case WM_DESTROY:
        DestroyShadow();
        break;
    case WM_MOVE:
        return OnMove(wParam, lParam);
    case WM_SIZE:
        return OnSize(wParam, lParam);
    case WM_PAINT:
        return OnPaint(wParam, lParam);
    case WM_EXITSIZEMOVE:
        if (Has(kVisible))
            Recompute();
        break;
    case WM_NCDESTROY:
        return OnFinalMessage(wParam, lParam);
    default:
        break;
    }
    return CallWindowProcW(m_previous, m_parent, message, wParam, lParam);
}

// The previous procedure may destroy the window and with it this object;
// after it returns false, nothing of this object may be touched.
bool CWndShadow::PassOn(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const HWND parent = m_parent;
    result = CallWindowProcW(m_previous, parent, message, wParam, lParam);
    return Find(parent) == this;
}

LRESULT CWndShadow::OnShowWindow(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!PassOn(WM_SHOWWINDOW, wParam, lParam, result) || !Has(kEnabled))
        return result;
    if (wParam) {
        SetStatus(m_status | kVisible | kParentVisible);
        m_updatePending = true;
        ApplyShowRule();
    } else {
        HideShadow();
        SetStatus(m_status & ~(kVisible | kParentVisible));
    }
    return result;
}

LRESULT CWndShadow::OnMove(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!PassOn(WM_MOVE, wParam, lParam, result) || !Has(kVisible))
        return result;
    RECT parent = {};
    if (GetWindowRect(m_parent, &parent)) {
        const POINT at = ShadowOrigin(parent);
        SetWindowPos(m_shadow, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    return result;
}

// Growth waits for the next paint, when the parent has its new contents;
// shrinking recomputes at once.
LRESULT CWndShadow::OnSize(WPARAM wParam, LPARAM lParam)
{
    if (Has(kEnabled)) {
        const uint16_t width = LOWORD(lParam);
        const uint16_t height = HIWORD(lParam);
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            HideShadow();
            SetStatus(m_status & ~kVisible);
        } else if (IsWindowVisible(m_parent)) {
            SetStatus(m_status | kParentVisible);
            if (!Has(kVisible))
                return OnFirstSizeWhileShown(wParam, lParam);
            if (width > m_lastWidth || height > m_lastHeight)
                m_updatePending = true;
            else
                Recompute();
            m_lastWidth = width;
            m_lastHeight = height;
        }
    }
    return CallWindowProcW(m_previous, m_parent, WM_SIZE, wParam, lParam);
}

LRESULT CWndShadow::OnFirstSizeWhileShown(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!PassOn(WM_SIZE, wParam, lParam, result))
        return result;
    SetStatus(m_status | kVisible);
    Recompute();
    ShowShadow();
    m_updatePending = true;
    m_lastWidth = LOWORD(lParam);
    m_lastHeight = HIWORD(lParam);
    return result;
}

// A visible shadow is recomputed by the show rule itself, and a hidden one
// is recomputed whenever it is shown again.
LRESULT CWndShadow::OnPaint(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (PassOn(WM_PAINT, wParam, lParam, result) && m_updatePending) {
        ApplyShowRule();
        m_updatePending = false;
    }
    return result;
}

// Whoever owns this object may free it while handling the final message, so
// the hook leaves before passing it on.
LRESULT CWndShadow::OnFinalMessage(WPARAM wParam, LPARAM lParam)
{
    const HWND parent = m_parent;
    const WNDPROC previous = m_previous;
    Unhook();
    m_shadow = nullptr; // owned windows are gone before their owner's final message
    return CallWindowProcW(previous, parent, WM_NCDESTROY, wParam, lParam);
}

void CWndShadow::Unhook()
{
    SetWindowLongPtrW(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    Shadows().erase(m_parent);
    m_parent = nullptr;
    m_previous = nullptr;
}

void CWndShadow::ApplyShowRule()
{
    uint8_t status = m_status & kEnabled;
    if ((status & kEnabled) && IsWindowVisible(m_parent)) {
        status |= kParentVisible;
        if (!IsZoomed(m_parent) && !IsIconic(m_parent))
            status |= kVisible;
    }
    SetStatus(status);
    if (Has(kVisible)) {
        ShowShadow();
        Recompute();
    } else {
        HideShadow();
    }
}

void CWndShadow::SetStatus(uint8_t status)
{
    m_status = status;
}

void CWndShadow::ShowShadow()
{
    ShowWindow(m_shadow, SW_SHOWNOACTIVATE);
}

void CWndShadow::HideShadow()
{
    ShowWindow(m_shadow, SW_HIDE);
}

void CWndShadow::DestroyShadow()
{
    if (m_shadow)
        DestroyWindow(m_shadow);
    m_shadow = nullptr;
}

POINT CWndShadow::ShadowOrigin(const RECT& parent) const
{
    return {parent.left + m_offsetX - m_size, parent.top + m_offsetY - m_size};
}

// Shadows switched off since this one was made (no update operation any
// more) keep their last picture.
void CWndShadow::Recompute()
{
    RECT parent = {};
    if (!g_update || !m_shadow || !GetWindowRect(m_parent, &parent))
        return;
    const SIZE size = {parent.right - parent.left + 2 * m_size, parent.bottom - parent.top + 2 * m_size};
    std::vector<uint32_t> pixels;
    try {
        pixels = CShadowFringe::Paint(size.cx, size.cy, m_size, m_color);
    } catch (const std::exception&) {
        return; // out of memory: the shadow keeps its last picture
    }
    if (!pixels.empty())
        PushLayered(m_shadow, ShadowOrigin(parent), size, pixels);
}

} // namespace DuiLib
