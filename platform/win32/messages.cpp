// The message queue: SDL events become window messages, posted messages join them, and
// WM_QUIT comes last once everything else has been taken.
#include <SDL.h>

#include <deque>
#include <string>

#include "platform/files/cp1251.h"
#include "platform/win32/sdl_window.h"
#include "platform/win32/window_internal.h"

namespace {

constexpr int kWaitSliceMs = 250;

std::deque<MSG> g_queue;
bool g_quitPending = false;
int g_quitCode = 0;
WPARAM g_mouseButtons = 0;  // MK_ flags of the buttons held

void Push(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    GetCursorPos(&msg.pt);
    g_queue.push_back(msg);
}

// The virtual key of an SDL key, or 0 for keys the game never sees. Letters and digits
// follow the key's label when it is Latin, else its position (Cyrillic layouts).
WPARAM VirtualKey(const SDL_Keysym& key)
{
    SDL_Keycode sym = key.sym;
    if (sym >= SDLK_a && sym <= SDLK_z)
        return static_cast<WPARAM>('A' + (sym - SDLK_a));
    if (sym >= 'A' && sym <= 'Z')
        return static_cast<WPARAM>(sym);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return static_cast<WPARAM>('0' + (sym - SDLK_0));
    switch (sym)
    {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    default: break;
    }
    if (sym >= SDLK_F1 && sym <= SDLK_F12)
        return static_cast<WPARAM>(VK_F1 + (sym - SDLK_F1));
    SDL_Scancode sc = key.scancode;
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z)
        return static_cast<WPARAM>('A' + (sc - SDL_SCANCODE_A));
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9)
        return static_cast<WPARAM>('1' + (sc - SDL_SCANCODE_1));
    if (sc == SDL_SCANCODE_0)
        return '0';
    return 0;
}

void TranslateKey(HWND hwnd, const SDL_KeyboardEvent& key)
{
    // Alt+key and F10 are system keys: the game never gets them.
    if ((key.keysym.mod & KMOD_ALT) || key.keysym.sym == SDLK_F10)
        return;
    WPARAM vk = VirtualKey(key.keysym);
    if (!vk)
        return;
    if (key.type == SDL_KEYDOWN)
    {
        // Auto-repeat gives another key-down with the previous-state bit set.
        LPARAM lParam = 1 | (key.repeat ? (LPARAM(1) << 30) : 0);
        Push(hwnd, WM_KEYDOWN, vk, lParam);
    }
    else
    {
        Push(hwnd, WM_KEYUP, vk, 1 | (LPARAM(3) << 30));
    }
}

void TranslateText(HWND hwnd, const char* utf8)
{
    std::string bytes = platform::Utf8ToCp1251(utf8);
    for (unsigned char c : bytes)
        Push(hwnd, WM_CHAR, c, 1);
}

LPARAM SetCursorParam(UINT mouseMessage)
{
    return static_cast<LPARAM>(HTCLIENT | (static_cast<uint32_t>(mouseMessage) << 16));
}

void TranslateButton(HWND hwnd, const SDL_MouseButtonEvent& button)
{
    UINT message = 0;
    WPARAM flag = 0;
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    if (button.button == SDL_BUTTON_LEFT)
    {
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        flag = MK_LBUTTON;
    }
    else if (button.button == SDL_BUTTON_RIGHT)
    {
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        flag = MK_RBUTTON;
    }
    else
    {
        return;
    }
    if (down)
        g_mouseButtons |= flag;
    else
        g_mouseButtons &= ~flag;

    HWND__* w = platform::LiveWindow(hwnd);
    int winW = w->backWidth, winH = w->backHeight;
    if (w->sdl)
        SDL_GetWindowSize(w->sdl, &winW, &winH);
    SDL_Point p = platform::WindowToBackBuffer(winW, winH, w->backWidth, w->backHeight,
                                               button.x, button.y);
    Push(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), SetCursorParam(message));
    Push(hwnd, message, g_mouseButtons, MAKELPARAM(p.x, p.y));
}

void Translate(const SDL_Event& e)
{
    switch (e.type)
    {
    case SDL_QUIT:
        if (HWND__* w = platform::WindowForSdlId(0))
            Push(w, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        if (HWND__* w = platform::WindowForSdlId(e.window.windowID))
        {
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                Push(w, WM_CLOSE, 0, 0);
            // A restored window needs repainting; the message also wakes a loop that
            // waits in GetMessage while minimised.
            else if (e.window.event == SDL_WINDOWEVENT_RESTORED)
                Push(w, WM_PAINT, 0, 0);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (HWND__* w = platform::WindowForSdlId(e.key.windowID))
            TranslateKey(w, e.key);
        break;
    case SDL_TEXTINPUT:
        if (HWND__* w = platform::WindowForSdlId(e.text.windowID))
            TranslateText(w, e.text.text);
        break;
    case SDL_MOUSEMOTION:
        // WM_MOUSEMOVE itself is never queued: the game polls the cursor.
        if (HWND__* w = platform::WindowForSdlId(e.motion.windowID))
            Push(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(static_cast<HWND>(w)),
                 SetCursorParam(WM_MOUSEMOVE));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (HWND__* w = platform::WindowForSdlId(e.button.windowID))
            TranslateButton(w, e.button);
        break;
    default:
        break;
    }
}

void PumpEvents()
{
    if (SDL_WasInit(SDL_INIT_EVENTS))
    {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            Translate(e);
    }
    if (platform::TakeShowRequest())
        platform::BringWindowToFront();
    platform::ReapShellChildren();
}

bool Matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (hwnd && msg.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Takes the first matching message, or WM_QUIT once nothing else is queued.
bool Take(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, bool remove)
{
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it)
    {
        if (!Matches(*it, hwnd, filterMin, filterMax))
            continue;
        if (out)
            *out = *it;
        if (remove)
            g_queue.erase(it);
        return true;
    }
    bool quitWanted = (filterMin == 0 && filterMax == 0) ||
                      (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
    if (g_quitPending && g_queue.empty() && quitWanted)
    {
        if (out)
        {
            *out = MSG{};
            out->message = WM_QUIT;
            out->wParam = static_cast<WPARAM>(g_quitCode);
            out->time = timeGetTime();
        }
        if (remove)
            g_quitPending = false;
        return true;
    }
    return false;
}

}  // namespace

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    PumpEvents();
    return Take(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    for (;;)
    {
        PumpEvents();
        if (Take(msg, hwnd, filterMin, filterMax, true))
            return msg && msg->message == WM_QUIT ? FALSE : TRUE;
        if (!SDL_WasInit(SDL_INIT_EVENTS))
            return -1;  // nothing could ever arrive
        // Waits in slices, so that requests from outside SDL (another copy asking for the
        // window) are seen while the game sleeps minimised.
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, kWaitSliceMs))
            Translate(e);
    }
}

// Enter, Backspace, Tab and Escape carry no text from SDL: their characters come from here.
BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message != WM_KEYDOWN)
        return FALSE;
    WPARAM key = msg->wParam;
    if (key != VK_BACK && key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE)
        return FALSE;
    MSG ch = *msg;
    ch.message = WM_CHAR;
    g_queue.push_front(ch);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    HWND__* w = platform::LiveWindow(msg->hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !platform::LiveWindow(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!hwnd && message == WM_QUIT)
    {
        PostQuitMessage(static_cast<int>(wParam));
        return TRUE;
    }
    Push(hwnd, message, wParam, lParam);
    return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND__* w = platform::LiveWindow(hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    g_quitPending = true;
    g_quitCode = exitCode;
}

namespace platform {

void PurgeMessagesFor(HWND hwnd)
{
    for (auto it = g_queue.begin(); it != g_queue.end();)
        it = it->hwnd == hwnd ? g_queue.erase(it) : it + 1;
}

void ResetMessageQueue()
{
    g_queue.clear();
    g_quitPending = false;
    g_quitCode = 0;
}

void ResetMouseButtons() { g_mouseButtons = 0; }

}  // namespace platform
