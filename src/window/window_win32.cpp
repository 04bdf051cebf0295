#include <windows.h>
// After windows.h, which it needs.
#include <timeapi.h>

#include "os/system_error_win32.h"
#include "window/window.h"

namespace quorvel {
namespace {

constexpr char kClassName[] = "plinth";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Full screen: no frame, and still a caption and a system menu for the task bar.
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
// Under Wine another X client can destroy the X window behind ours without any message
// reaching us; Wine then removes this property, which names that X window. Windows never sets it.
constexpr char kWineXWindowProperty[] = "__wine_x11_whole_window";
constexpr ULONGLONG kXWindowCheckMilliseconds = 100;

}  // namespace

// A Win32 window and what its procedure last saw; the window carries a pointer to it.
struct DesktopWindow {
    HWND window = nullptr;
    HDC context = nullptr;
    BITMAPINFOHEADER bitmap{};
    SIZE outer{};  // the whole window, frame and caption included
    WindowEvent dispatched{WindowEventKind::Other, 0};
    bool closed = false;  // destroyed through our own procedure: the quit comes next
    bool onWineX11 = false;
    bool fullscreen = false;
    ULONGLONG xWindowCheckedAt = 0;
};

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Null for the messages CreateWindowExA sends before it returns.
    auto* found = reinterpret_cast<DesktopWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (found == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    DesktopWindow& state = *found;
    switch (message) {
        case WM_KEYDOWN:
            state.dispatched = {WindowEventKind::KeyDown, wParam == VK_SPACE    ? kKeySpace
                                                          : wParam == VK_ESCAPE ? kKeyEscape
                                                                                : -1};
            return 0;
        case WM_DESTROY:
            state.dispatched = {WindowEventKind::Destroyed, 0};
            state.closed = true;
            return 0;
        case WM_GETMINMAXINFO: {
            // By default a window may be no taller than the screen plus its frame, which
            // would cut the caption's height off a client area asked for nearly as tall.
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
            if (limits.ptMaxTrackSize.x < state.outer.cx) limits.ptMaxTrackSize.x = state.outer.cx;
            if (limits.ptMaxTrackSize.y < state.outer.cy) limits.ptMaxTrackSize.y = state.outer.cy;
            return result;
        }
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The system's own words for an error code, on one line.
std::string describeError(DWORD code) {
    if (code == 0) return "no reason given; is there a desktop to open a window on?";
    return systemErrorText(code);
}

// The whole window around a client area; a full-screen window is the screen.
RECT outerRect(const ScreenRect& client, bool fullscreen) {
    if (fullscreen) return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT outer = {client.x, client.y, client.x + client.width, client.y + client.height};
    AdjustWindowRect(&outer, kStyle, FALSE);
    return outer;
}

bool windowStillExists(DesktopWindow& state) {
    if (!IsWindow(state.window)) return false;
    if (!state.onWineX11) return true;
    const ULONGLONG now = GetTickCount64();
    if (now - state.xWindowCheckedAt < kXWindowCheckMilliseconds) return true;
    state.xWindowCheckedAt = now;
    return GetPropA(state.window, kWineXWindowProperty) != nullptr;
}

}  // namespace

// Sleep() then wakes to the millisecond, as --max-fps needs, rather than to the default tick
// of about 16 ms.
bool openDisplay(Desktop& desktop, std::string&) {
    timeBeginPeriod(1);
    desktop.screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work{};
    desktop.usable = SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)
                         ? ScreenRect{work.left, work.top, work.right - work.left, work.bottom - work.top}
                         : ScreenRect{0, 0, desktop.screen.width, desktop.screen.height};
    return true;
}

// Hidden until placeWindow: Windows knows the frame before showing anything.
DesktopWindow* openWindow(const ScreenRect& client, const char* caption, bool fullscreen,
                          std::string& error) {
    const HINSTANCE module = GetModuleHandleA(nullptr);
    const RECT outer = outerRect(client, fullscreen);
    auto* window = new DesktopWindow;
    DesktopWindow& state = *window;
    state.fullscreen = fullscreen;
    state.outer = {outer.right - outer.left, outer.bottom - outer.top};

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    state.window =
        CreateWindowExA(0, kClassName, caption, fullscreen ? kFullscreenStyle : kStyle, outer.left, outer.top,
                        state.outer.cx, state.outer.cy, nullptr, nullptr, nullptr, nullptr);
    if (state.window == nullptr) {
        error = "CreateWindowExA failed: " + describeError(GetLastError());
        delete window;
        return nullptr;
    }
    SetWindowLongPtrA(state.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    state.context = GetDC(state.window);
    // As full-screen players do: nothing to point at covers the picture.
    if (fullscreen) ShowCursor(FALSE);
    return window;
}

WindowFrame windowFrame(DesktopWindow& state) {
    if (state.fullscreen) return {};
    const RECT outer = outerRect({0, 0, 0, 0}, false);
    return {-outer.left, -outer.top, outer.right, outer.bottom};
}

bool placeWindow(DesktopWindow& state, const ScreenRect& client, std::string&) {
    // Sized once the procedure can find this record: creation alone would have held the
    // window to the screen's height.
    const RECT outer = outerRect(client, state.fullscreen);
    state.outer = {outer.right - outer.left, outer.bottom - outer.top};
    SetWindowPos(state.window, nullptr, outer.left, outer.top, state.outer.cx, state.outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(state.window, SW_SHOW);
    state.onWineX11 = GetPropA(state.window, kWineXWindowProperty) != nullptr;

    // A top-down 32-bit bitmap: bytes blue, green, red, 0, first row on top.
    state.bitmap.biSize = sizeof(BITMAPINFOHEADER);
    state.bitmap.biWidth = client.width;
    state.bitmap.biHeight = -client.height;
    state.bitmap.biPlanes = 1;
    state.bitmap.biBitCount = 32;
    state.bitmap.biCompression = BI_RGB;
    return true;
}

int sharedFrames(DesktopWindow&, uint32_t* (&)[kMaxSharedFrames]) { return 0; }

bool awaitSharedFrame(DesktopWindow&, int, bool& free, std::string&) {
    free = true;
    return true;
}

void awaitRefresh(DesktopWindow&) {}

// The whole frame every time, in one call; `changed` is not needed here. Windows clips it
// to a smaller window; the rest of a larger one is painted black.
bool present(DesktopWindow& state, const uint32_t* pixels, int width, int height, const ChangedArea&,
             std::string& error) {
    if (state.closed) return true;
    if (!windowStillExists(state)) {
        error = "the window was destroyed by another program";
        return false;
    }
    RECT client{};
    GetClientRect(state.window, &client);
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    if (client.right > width) {
        const RECT right = {width, 0, client.right, client.bottom};
        FillRect(state.context, &right, black);
    }
    if (client.bottom > height) {
        const RECT below = {0, height, width, client.bottom};
        FillRect(state.context, &below, black);
    }
    if (StretchDIBits(state.context, 0, 0, width, height, 0, 0, width, height, pixels,
                      reinterpret_cast<const BITMAPINFO*>(&state.bitmap), DIB_RGB_COLORS, SRCCOPY) == 0) {
        error = "cannot draw into the window: " + describeError(GetLastError());
        return false;
    }
    return true;
}

// Messages are taken straight from the queue, one at a time.
void gatherEvents(DesktopWindow&) {}

// One message: translated and dispatched to the window procedure, which reports what it was.
bool nextEvent(DesktopWindow& state, WindowEvent& event) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return false;
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
        event = {WindowEventKind::Destroyed, 0};
        return true;
    }
    state.dispatched = {WindowEventKind::Other, 0};
    TranslateMessage(&message);
    DispatchMessageA(&message);
    event = state.dispatched;
    return true;
}

void sleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void sleepUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::round<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() > 0) Sleep(static_cast<DWORD>(left.count()));
}

void showError(const char* text) { MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONERROR); }

void closeWindow(DesktopWindow* window) {
    if (window == nullptr) return;
    if (IsWindow(window->window)) {
        ReleaseDC(window->window, window->context);
        SetWindowLongPtrA(window->window, GWLP_USERDATA, 0);
        DestroyWindow(window->window);
    }
    delete window;
}

}  // namespace quorvel
