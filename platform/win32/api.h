// Window, messages, keys, cursor, time, mutex, shell, GUID: the USER32, KERNEL32, WINMM,
// SHELL32, ADVAPI32 and ole32 calls the game makes, implemented over SDL2 and POSIX.
// Strings crossing these calls are cp1251 bytes.
#pragma once

#include "platform/win32/types.h"

// ---------------------------------------------------------------------------
// Window procedure, class and window.

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};
typedef WNDCLASSA WNDCLASS;

// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_VISIBLE 0x10000000u
#define WS_MINIMIZE 0x20000000u
#define WS_CAPTION 0x00C00000u
#define WS_SYSMENU 0x00080000u
#define WS_MINIMIZEBOX 0x00020000u

// Get/SetWindowLongA indices.
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9

// SetWindowPos.
#define HWND_TOP ((HWND)0)
#define HWND_NOTOPMOST ((HWND)(intptr_t)-2)
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_SHOWWINDOW 0x0040u

// Resources: integer identifiers passed where a name is expected.
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)(WORD)(i))
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEA(i)
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define BLACK_BRUSH 4

ATOM RegisterClassA(const WNDCLASSA* wc);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL UpdateWindow(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL DestroyWindow(HWND hwnd);
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
LONG GetWindowLongA(HWND hwnd, int index);
LONG SetWindowLongA(HWND hwnd, int index, LONG value);
// The frame adds nothing: the window rectangle is the client rectangle.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
HWND GetDesktopWindow();

HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ GetStockObject(int object);

inline ATOM RegisterClass(const WNDCLASSA* wc) { return RegisterClassA(wc); }
inline HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                           int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                           LPVOID param)
{
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                           instance, param);
}
inline LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
inline LONG GetWindowLong(HWND hwnd, int index) { return GetWindowLongA(hwnd, index); }
inline LONG SetWindowLong(HWND hwnd, int index, LONG value) { return SetWindowLongA(hwnd, index, value); }
inline HICON LoadIcon(HINSTANCE instance, LPCSTR name) { return LoadIconA(instance, name); }
inline HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) { return LoadCursorA(instance, name); }

// ---------------------------------------------------------------------------
// Messages.

#define WM_NULL 0x0000u
#define WM_DESTROY 0x0002u
#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_SETCURSOR 0x0020u
#define WM_NCHITTEST 0x0084u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_CHAR 0x0102u
#define WM_SYSCOMMAND 0x0112u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u
#define WM_USER 0x0400u

// Hit-test result and system commands (never produced here; the window procedure reads them).
#define HTCLIENT 1
#define SC_SIZE 0xF000u
#define SC_MOVE 0xF010u
#define SC_MAXIMIZE 0xF030u
#define SC_KEYMENU 0xF100u
#define SC_MONITORPOWER 0xF170u

// Mouse-message wParam: the buttons held.
#define MK_LBUTTON 0x0001u
#define MK_RBUTTON 0x0002u

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

inline BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    return PeekMessageA(msg, hwnd, filterMin, filterMax, removeFlags);
}
inline BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    return GetMessageA(msg, hwnd, filterMin, filterMax);
}
inline LRESULT DispatchMessage(const MSG* msg) { return DispatchMessageA(msg); }
inline BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(hwnd, msg, wParam, lParam);
}
inline LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Virtual keys: only these are produced; letters and digits are their ASCII capitals.

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

// ---------------------------------------------------------------------------
// Message box and cursor.

#define MB_OK 0x00000000u
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define IDOK 1

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
inline int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

HCURSOR SetCursor(HCURSOR cursor);
BOOL GetCursorPos(POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
BOOL ClientToScreen(HWND hwnd, POINT* point);

// ---------------------------------------------------------------------------
// Process: named mutex, last error, handles.

#define ERROR_SUCCESS 0u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_INVALID_WINDOW_HANDLE 1400u
#define ERROR_CLASS_ALREADY_EXISTS 1410u

struct SECURITY_ATTRIBUTES
{
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// A lock file held for the process's life; a second holder gets the handle with
// GetLastError() == ERROR_ALREADY_EXISTS.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
inline HANDLE CreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name)
{
    return CreateMutexA(attributes, initialOwner, name);
}
BOOL CloseHandle(HANDLE handle);
DWORD GetLastError();
void SetLastError(DWORD error);

// ---------------------------------------------------------------------------
// Multimedia timer and sleeping.

typedef UINT MMRESULT;
#define TIMERR_NOERROR 0u
#define TIMERR_NOCANDO 97u

struct TIMECAPS
{
    UINT wPeriodMin;
    UINT wPeriodMax;
};

// Milliseconds of a monotonic clock since boot, wrapping at 32 bits.
DWORD timeGetTime();
MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
void Sleep(DWORD milliseconds);

// ---------------------------------------------------------------------------
// Shell: opens http(s) addresses and .url files in the desktop's browser; never runs programs.

#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

// Returns a value above 32 on success, else one of the SE_ERR_ codes.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCmd);
inline HINSTANCE ShellExecute(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                              LPCSTR directory, INT showCmd)
{
    return ShellExecuteA(owner, operation, file, parameters, directory, showCmd);
}

// ---------------------------------------------------------------------------
// GUIDs and file security.

#define S_OK ((HRESULT)0)
#define E_FAIL ((HRESULT)0x80004005u)

HRESULT CoCreateGuid(GUID* guid);

typedef void* PSID;
typedef void* PACL;
typedef int SE_OBJECT_TYPE;
typedef DWORD SECURITY_INFORMATION;
#define SE_FILE_OBJECT 1
#define DACL_SECURITY_INFORMATION 0x00000004u

// Per-user files need no access changes: always succeeds.
DWORD SetNamedSecurityInfoA(LPSTR objectName, SE_OBJECT_TYPE objectType,
                            SECURITY_INFORMATION securityInfo, PSID owner, PSID group, PACL dacl,
                            PACL sacl);

// ---------------------------------------------------------------------------
// The program entry the game defines; main() calls it.

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCmd);

namespace platform {

// The game's log function; the layer writes its own messages (message boxes, refused
// shell opens) through it. NULL turns it off.
void SetLogSink(void (*sink)(const char* text));

// Writes text to the sink, if one is set.
void LogToSink(const char* text);

// Asks the process holding the named mutex (CreateMutexA found it taken) to bring its
// window to the front; false when nobody listens.
bool AskMutexOwnerToShowWindow(LPCSTR mutexName);

// Where Sleep's pause goes: a scripted run that drives its own clock passes a
// function that does not wait on the wall clock. NULL puts the real sleep back.
void SetSleepHandler(void (*handler)(DWORD milliseconds));

// What the game does when its display goes away under it (an X server that ends, a
// dropped forwarded display): the handler saves what a close would save, touching no
// graphics, and the process then ends with status 0 before any static object is
// destroyed. Watched from the start of video on an X11 display. NULL: just end.
void SetDisplayLostHandler(void (*handler)());

// Starts watching the X11 display SDL video runs on (nothing on other drivers).
void WatchDisplay();

}  // namespace platform
