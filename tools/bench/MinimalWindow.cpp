// The smallest window program built like the installer (static, wide GUI
// entry): one plain 540 x 355 popup, centred, that ends on Esc. The
// benchmark compares the installer's start-to-first-window time with it.
#include <windows.h>

namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 355;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0x2a, 0x6f, 0xb0));
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassW(&windowClass);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"MinimalWindow", WS_POPUP,
                                  work.left + (work.right - work.left - kWidth) / 2,
                                  work.top + (work.bottom - work.top - kHeight) / 2, kWidth, kHeight, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
