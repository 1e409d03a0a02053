// The demo's stand-in for the launcher: one small window that shows the
// launch id it was started with ("<exe> -i "<id>" -d") and closes on Esc or
// its close box. It logs its command line for the demo script.
#include <windows.h>
#include <shellapi.h>
#include <string>
#include "DemoRecords.h"

namespace {

constexpr int kClientWidth = 380;
constexpr int kClientHeight = 170;
constexpr int kBandHeight = 44;
constexpr COLORREF kBandColour = RGB(0x00, 0x39, 0x6a);

std::wstring g_idText;

std::wstring LaunchId()
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring id = L"?";
    for (int i = 1; args && i + 1 < count; ++i) {
        if (std::wstring(args[i]) == L"-i")
            id = args[i + 1];
    }
    LocalFree(args);
    return id;
}

HFONT MakeFont(int height, int weight)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"微软雅黑");
}

void DrawLine(HDC dc, const std::wstring& text, RECT box, int height, int weight, COLORREF colour)
{
    HFONT font = MakeFont(height, weight);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

void Paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT band = {0, 0, client.right, kBandHeight};
    HBRUSH bandBrush = CreateSolidBrush(kBandColour);
    FillRect(dc, &band, bandBrush);
    DeleteObject(bandBrush);
    SetBkMode(dc, TRANSPARENT);
    DrawLine(dc, L"塔沃岚盒", band, 18, FW_BOLD, RGB(0xff, 0xff, 0xff));
    DrawLine(dc, L"启动编号：" + g_idText, {0, kBandHeight, client.right, client.bottom - 30}, 24, FW_NORMAL,
             RGB(0x33, 0x33, 0x33));
    DrawLine(dc, L"演示启动器 · 按 Esc 关闭", {0, client.bottom - 36, client.right, client.bottom - 8}, 12,
             FW_NORMAL, RGB(0x99, 0x99, 0x99));
    EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateMainWindow(HINSTANCE instance)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"TarvoDemoLauncher";
    RegisterClassW(&windowClass);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return CreateWindowW(windowClass.lpszClassName, L"塔沃岚盒 (演示)", style,
                         work.left + (work.right - work.left - width) / 2,
                         work.top + (work.bottom - work.top - height) / 2, width, height, nullptr, nullptr,
                         instance, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    DemoRecords::LogCommandLine(L"launcher");
    g_idText = LaunchId();
    HWND window = CreateMainWindow(instance);
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
