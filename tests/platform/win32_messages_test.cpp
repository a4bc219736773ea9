// The message queue fed by synthetic SDL events: keys, text, mouse, the close path, quit.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "platform/win32/sdl_window.h"

namespace {

struct Call
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Call> g_calls;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_calls.push_back(Call{msg, wParam, lParam});
    if (msg == WM_DESTROY)
    {
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A window under the offscreen driver when there is no display.
class Win32Messages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS | SDL_INIT_VIDEO), 0) << SDL_GetError();
        // Keep the GL driver loaded for the process: unloading it between cases leaves its
        // allocations without a module name, beyond the leak checker's suppressions.
        static bool glPinned = SDL_GL_LoadLibrary(nullptr) == 0;
        (void)glPinned;
        g_calls.clear();
        WNDCLASS wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "OrbTest";
        ASSERT_NE(RegisterClass(&wc), 0);
        hwnd = CreateWindowEx(0, "OrbTest", "Test", 0x10CA0000, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr) << SDL_GetError();
        Drain();  // whatever the window's creation queued
        g_calls.clear();
    }

    // SDL stays up between cases (see SetUp); the queue and windows start afresh.
    void TearDown() override { platform::DestroyAllWindows(); }

    // Every message up to and including WM_QUIT, removed from the queue.
    static std::vector<MSG> Drain()
    {
        std::vector<MSG> out;
        MSG msg{};
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            out.push_back(msg);
            if (msg.message == WM_QUIT)
                break;
        }
        return out;
    }

    static void PushKey(Uint32 type, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod = 0,
                        Uint8 repeat = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = scancode;
        e.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    static void PushText(const char* utf8)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, utf8, sizeof(e.text.text));
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    static void PushButton(Uint32 type, Uint8 button, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    static void PushType(Uint32 type)
    {
        SDL_Event e{};
        e.type = type;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    HWND hwnd = nullptr;
};

TEST_F(Win32Messages, KeysMapToVirtualKeysAndOthersProduceNothing)
{
    struct Case
    {
        SDL_Keycode sym;
        SDL_Scancode scancode;
        Uint16 mod;
        WPARAM vk;  // 0: nothing queued
    } cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 0, 'A'},
        {SDLK_p, SDL_SCANCODE_P, KMOD_SHIFT, 80},
        {SDLK_z, SDL_SCANCODE_Z, KMOD_CAPS, 'Z'},
        {SDLK_0, SDL_SCANCODE_0, 0, 48},
        {SDLK_9, SDL_SCANCODE_9, 0, 57},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0, 8},
        {SDLK_TAB, SDL_SCANCODE_TAB, 0, 9},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, 0x0D},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0, 0x1B},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 0, 32},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 0x25},
        {SDLK_F1, SDL_SCANCODE_F1, 0, 112},
        {SDLK_F5, SDL_SCANCODE_F5, 0, 116},
        {SDLK_F12, SDL_SCANCODE_F12, 0, 123},
        // A Cyrillic layout: the key's position names the letter.
        {0x0444, SDL_SCANCODE_A, 0, 'A'},
        // System keys and keys the game never reads.
        {SDLK_F10, SDL_SCANCODE_F10, 0, 0},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LALT, 0},
        {SDLK_F4, SDL_SCANCODE_F4, KMOD_RALT, 0},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0, 0},
        {SDLK_KP_5, SDL_SCANCODE_KP_5, 0, 0},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "sym " << c.sym << " mod " << c.mod);
        PushKey(SDL_KEYDOWN, c.sym, c.scancode, c.mod);
        PushKey(SDL_KEYUP, c.sym, c.scancode, c.mod);
        std::vector<MSG> got = Drain();
        if (c.vk == 0)
        {
            EXPECT_TRUE(got.empty());
            continue;
        }
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].hwnd, hwnd);
        EXPECT_EQ(got[0].message, WM_KEYDOWN);
        EXPECT_EQ(got[0].wParam, c.vk);
        EXPECT_EQ(got[1].message, WM_KEYUP);
        EXPECT_EQ(got[1].wParam, c.vk);
    }
}

TEST_F(Win32Messages, AutoRepeatGivesRepeatedKeyDowns)
{
    PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
    PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 1);
    PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 1);
    PushKey(SDL_KEYUP, SDLK_LEFT, SDL_SCANCODE_LEFT);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 4u);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(got[i].message, WM_KEYDOWN);
        EXPECT_EQ(got[i].wParam, WPARAM(VK_LEFT));
        // Bit 30: the key was already down.
        EXPECT_EQ((got[i].lParam >> 30) & 1, i == 0 ? 0 : 1);
    }
    EXPECT_EQ(got[3].message, WM_KEYUP);
}

TEST_F(Win32Messages, TextInputBecomesOneCp1251CharPerByte)
{
    struct Case
    {
        const char* utf8;
        std::vector<WPARAM> chars;
    } cases[] = {
        {"Hi!", {'H', 'i', '!'}},
        {"\xD0\x9F\xD1\x80\xD0\xB8", {0xCF, 0xF0, 0xE8}},             // При
        {"\xD0\x81\xD1\x91", {168, 184}},                            // Ёё
        {"a\xE2\x98\x83" "b", {'a', 'b'}},                           // the snowman has no byte
        {"\xD0\x90\xD1\x8F", {192, 255}},                            // Ая
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.utf8);
        PushText(c.utf8);
        std::vector<MSG> got = Drain();
        ASSERT_EQ(got.size(), c.chars.size());
        for (size_t i = 0; i < got.size(); ++i)
        {
            EXPECT_EQ(got[i].message, WM_CHAR);
            EXPECT_EQ(got[i].wParam, c.chars[i]);
        }
    }
}

TEST_F(Win32Messages, TranslateMessageQueuesCharsForControlKeysOnly)
{
    struct Case
    {
        SDL_Keycode sym;
        SDL_Scancode scancode;
        bool makesChar;
    } cases[] = {
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, true},
        {SDLK_TAB, SDL_SCANCODE_TAB, true},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, true},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, true},
        {SDLK_a, SDL_SCANCODE_A, false},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, false},  // its character comes as text input
        {SDLK_F5, SDL_SCANCODE_F5, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.sym);
        PushKey(SDL_KEYDOWN, c.sym, c.scancode);
        PushKey(SDL_KEYUP, c.sym, c.scancode);
        std::vector<MSG> got;
        MSG msg{};
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            got.push_back(msg);
            TranslateMessage(&msg);
        }
        std::vector<UINT> expected = {WM_KEYDOWN, WM_KEYUP};
        if (c.makesChar)
            expected = {WM_KEYDOWN, WM_CHAR, WM_KEYUP};
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i].message, expected[i]);
        if (c.makesChar)
        {
            EXPECT_EQ(got[1].wParam, got[0].wParam);
        }
    }
}

TEST_F(Win32Messages, MouseButtonsComeAfterSetCursorWithPackedCoordinates)
{
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 10;
    motion.motion.y = 20;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 200);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 639, 479);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 101, 201);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 0, 0);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 5);  // never reaches the game

    struct Expected
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } expected[] = {
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT | (WM_MOUSEMOVE << 16)},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT | (WM_LBUTTONDOWN << 16)},
        {WM_LBUTTONDOWN, MK_LBUTTON, 100 | (200 << 16)},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT | (WM_RBUTTONDOWN << 16)},
        {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 639 | (479 << 16)},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT | (WM_LBUTTONUP << 16)},
        {WM_LBUTTONUP, MK_RBUTTON, 101 | (201 << 16)},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT | (WM_RBUTTONUP << 16)},
        {WM_RBUTTONUP, 0, 0},
    };
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), std::size(expected));
    for (size_t i = 0; i < got.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].hwnd, hwnd);
        EXPECT_EQ(got[i].message, expected[i].message);
        EXPECT_EQ(got[i].wParam, expected[i].wParam);
        EXPECT_EQ(got[i].lParam, expected[i].lParam);
    }
}

TEST_F(Win32Messages, EveryCloseRouteDestroysExactlyOnceThenQuits)
{
    // The quit request, the close box and a posted WM_CLOSE all arrive together.
    PushType(SDL_QUIT);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    PostMessage(hwnd, WM_CLOSE, 0, 0);

    MSG msg{};
    int closes = 0;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
    {
        closes += msg.message == WM_CLOSE;
        DispatchMessage(&msg);
        // Input after the destroy is dropped.
        PushKey(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    }
    EXPECT_GE(closes, 1);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM(7));

    // Late closes on the dead window change nothing.
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, WM_CLOSE, 0, 0));
    EXPECT_FALSE(DestroyWindow(hwnd));
    DefWindowProc(hwnd, WM_CLOSE, 0, 0);
    int destroys = 0;
    for (const Call& c : g_calls)
    {
        destroys += c.message == WM_DESTROY;
        EXPECT_NE(c.message, WM_KEYDOWN);
    }
    EXPECT_EQ(destroys, 1);
    // The SDL window stays (hidden) for the GL context until everything is torn down.
    SDL_Window* sdl = platform::SdlWindowOf(hwnd);
    ASSERT_NE(sdl, nullptr);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Win32Messages, QuitWaitsUntilTheQueueIsOtherwiseEmpty)
{
    PostQuitMessage(3);
    PostMessage(hwnd, WM_USER, 1, 0);
    PushKey(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE);

    MSG msg{};
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    // Looking without removing leaves the quit in place.
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM(3));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Win32Messages, GetMessageReturnsZeroOnQuit)
{
    PostMessage(hwnd, WM_USER, 0, 0);
    PostQuitMessage(5);
    MSG msg{};
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM(5));
}

TEST_F(Win32Messages, RestoringAMinimisedWindowWakesGetMessage)
{
    SDL_Event restored{};
    restored.type = SDL_WINDOWEVENT;
    restored.window.event = SDL_WINDOWEVENT_RESTORED;
    restored.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
    ASSERT_EQ(SDL_PushEvent(&restored), 1);
    MSG msg{};
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_EQ(msg.hwnd, hwnd);
}

TEST_F(Win32Messages, CursorPositionRoundTripsThroughScreenCoordinates)
{
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SDL_WarpMouseInWindow(platform::SdlWindowOf(hwnd), 100, 50);
    Drain();
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    ASSERT_TRUE(ScreenToClient(hwnd, &p));
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 50);
    ASSERT_TRUE(ClientToScreen(hwnd, &p));
    POINT screen{};
    GetCursorPos(&screen);
    EXPECT_EQ(p.x, screen.x);
    EXPECT_EQ(p.y, screen.y);
}

TEST_F(Win32Messages, GeometryAndStyleWord)
{
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    ASSERT_TRUE(GetWindowRect(hwnd, &outer));
    // No frame: the entry's outer-size arithmetic lands on the client size.
    EXPECT_EQ(outer.right - outer.left, 640);
    EXPECT_EQ(outer.bottom - outer.top, 480);

    ASSERT_TRUE(SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 800, 600, SWP_NOMOVE));
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_EQ(platform::GetBackBufferSize(hwnd).width, 800);

    EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE), LONG(0x10CA0000));
    EXPECT_EQ(SetWindowLongA(hwnd, GWL_STYLE, LONG(0x90080000u)), LONG(0x10CA0000));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), 0x90080000u);
}

TEST_F(Win32Messages, FullScreenKeepsTheBackBufferAsTheClientArea)
{
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    // A back buffer of the desktop's height and half its width: bars left and right.
    const int backW = desktop.w / 2, backH = desktop.h;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    ASSERT_TRUE(platform::SetBackBufferMode(hwnd, backW, backH, true)) << SDL_GetError();
    Drain();
    EXPECT_TRUE(platform::IsFullScreenMode(hwnd));
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, backW);
    EXPECT_EQ(client.bottom, backH);
    // The window itself covers the desktop; SetWindowPos leaves full screen alone.
    int winW = 0, winH = 0;
    SDL_GetWindowSize(platform::SdlWindowOf(hwnd), &winW, &winH);
    ASSERT_EQ(winW, desktop.w);
    ASSERT_TRUE(SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 320, 200, SWP_NOMOVE));
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, backW);

    SDL_Rect shown = platform::PresentRect(hwnd);
    EXPECT_EQ(shown.w, backW);
    EXPECT_EQ(shown.h, backH);
    EXPECT_EQ(shown.x, (desktop.w - backW) / 2);

    // A click at the window's centre is the back buffer's centre.
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, desktop.w / 2, desktop.h / 2);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].message, WM_LBUTTONDOWN);
    EXPECT_EQ(LOWORD(got[1].lParam), backW / 2);
    EXPECT_EQ(HIWORD(got[1].lParam), backH / 2);

    // The polled cursor maps the same way.
    SDL_WarpMouseInWindow(platform::SdlWindowOf(hwnd), desktop.w / 2, desktop.h / 2);
    Drain();
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    ASSERT_TRUE(ScreenToClient(hwnd, &p));
    EXPECT_EQ(p.x, backW / 2);
    EXPECT_EQ(p.y, backH / 2);

    // Back to a window of the back buffer's size.
    ASSERT_TRUE(platform::SetBackBufferMode(hwnd, 640, 480, false));
    EXPECT_FALSE(platform::IsFullScreenMode(hwnd));
    SDL_GetWindowSize(platform::SdlWindowOf(hwnd), &winW, &winH);
    EXPECT_EQ(winW, 640);
    EXPECT_EQ(winH, 480);
}

TEST_F(Win32Messages, SystemCursorFollowsSetCursorAndTheClassArrow)
{
    SetCursor(nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    // The default window procedure puts up the class cursor for the client area only.
    EXPECT_EQ(DefWindowProc(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                            HTCLIENT | (WM_MOUSEMOVE << 16)),
              TRUE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SetCursor(nullptr), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(DefWindowProc(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), 2), FALSE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST(Win32Window, FullScreenScalingIsUndoneForThePointer)
{
    struct Case
    {
        int winW, winH, backW, backH, x, y, bx, by;
    } cases[] = {
        {640, 480, 640, 480, 17, 33, 17, 33},          // windowed: as is
        {1280, 960, 640, 480, 640, 480, 320, 240},     // doubled
        {1920, 1080, 640, 480, 240, 0, 0, 0},          // bars left and right (scale 2.25)
        {1920, 1080, 640, 480, 1679, 1079, 639, 479},
        {1920, 1080, 640, 480, 100, 500, -63, 222},    // on the left bar: outside the buffer
        {1024, 1024, 1024, 768, 512, 128, 512, 0},     // bars above and below
    };
    for (const Case& c : cases)
    {
        SDL_Point p = platform::WindowToBackBuffer(c.winW, c.winH, c.backW, c.backH, c.x, c.y);
        EXPECT_EQ(p.x, c.bx) << c.winW << "x" << c.winH << " at " << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.by) << c.winW << "x" << c.winH << " at " << c.x << "," << c.y;
    }
}

}  // namespace
