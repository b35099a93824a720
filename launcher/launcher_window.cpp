// The window class "Install", the two windows and the message loop.
#include <windows.h>

#include "launcher_app.h"
#include "menu_page.h"

namespace {

constexpr char kWindowClass[] = "Install";
constexpr char kInitialTitle[] = "Install";
// The main window keeps its LauncherApp pointer in these, at index 0.
constexpr int kWindowExtraBytes = 16;

LauncherApp* AppOf(HWND window) {
  return reinterpret_cast<LauncherApp*>(GetWindowLongPtrA(window, 0));
}

}  // namespace

int LauncherApp::Run(HINSTANCE instance, HINSTANCE previous_instance) {
  if (!previous_instance && !RegisterWindowClass(instance)) return 0;
  // The show command given to the program is not used.
  CreateWindows(instance, SW_SHOWNORMAL);
  arrow_cursor_ = LoadCursorA(nullptr, IDC_ARROW);
  hand_cursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(kHandCursorResource));
  wait_cursor_ = LoadCursorA(nullptr, IDC_WAIT);
  if (!main_window_) return 0;
  MSG msg{};
  RunMessageLoop(msg);
  return static_cast<int>(msg.wParam);
}

void LauncherApp::RunMessageLoop(MSG& msg) {
  // GetMessageA returns 0 for WM_QUIT and -1 on error, which with no filter cannot happen.
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool LauncherApp::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = WindowProcedure;
  window_class.cbClsExtra = 0;
  window_class.cbWndExtra = kWindowExtraBytes;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszMenuName = nullptr;
  window_class.lpszClassName = kWindowClass;
  return RegisterClassA(&window_class) != 0;
}

HWND LauncherApp::CreateWindows(HINSTANCE instance, int show_command) {
  instance_ = instance;
  frame_window_ = CreateWindowExA(
      0, kWindowClass, kInitialTitle, WS_POPUP, 0, 0, GetSystemMetrics(SM_CXFULLSCREEN),
      GetSystemMetrics(SM_CYFULLSCREEN), nullptr, nullptr, instance, nullptr);
  ShowWindow(frame_window_, SW_SHOWMAXIMIZED);

  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  // The picture size is the window's outer size: the title bar and borders cut off the
  // picture's right and bottom edges.
  const HWND window =
      CreateWindowExA(0, kWindowClass, kInitialTitle, WS_OVERLAPPED,
                      (desktop.right - picture_width_) / 2, (desktop.bottom - picture_height_) / 2,
                      picture_width_, picture_height_, frame_window_, nullptr, instance_, this);
  if (!window) return nullptr;

  // Recorded before the window is shown: UpdateWindow below already paints through it.
  main_window_ = window;
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(window, show_command);
  SetWindowTextA(window, CurrentPage() ? CurrentPage()->Caption().c_str() : "");
  UpdateWindow(window);
  return window;
}

LRESULT CALLBACK LauncherApp::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  // Only the main window carries the pointer, and only between its creation and destruction.
  LauncherApp* app = AppOf(window);
  if (!app) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      SetWindowLongPtrA(window, 0, 0);
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      app->PaintCurrentPage();
      return 0;
    case WM_MOUSEMOVE:
      app->MouseMove(lParam);
      return 0;
    case WM_LBUTTONDOWN:
      app->LeftButtonDown(lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYDOWN:
      return app->KeyDown(wParam, lParam) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
