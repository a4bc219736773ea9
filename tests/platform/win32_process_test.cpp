// Single-instance lock, GUIDs, the timer and the headless message box.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "platform/win32/window_internal.h"

namespace fs = std::filesystem;

namespace {

// Points $XDG_RUNTIME_DIR at a fresh folder for the test's life.
class ScopedRuntimeDir
{
public:
    ScopedRuntimeDir()
    {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        char pattern[] = "/tmp/orb-lock-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    ~ScopedRuntimeDir()
    {
        if (hadOld_)
            setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const std::string& Path() const { return dir_; }

private:
    std::string dir_;
    std::string old_;
    bool hadOld_ = false;
};

// Runs CreateMutexA in a child process; returns the child's GetLastError().
int LastErrorInChild(const char* name)
{
    pid_t pid = fork();
    if (pid == 0)
    {
        CreateMutexA(nullptr, TRUE, name);
        _exit(GetLastError() == ERROR_ALREADY_EXISTS ? 183 : static_cast<int>(GetLastError()));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char kLockName[] = "OrblightCopyCheckMutex32545";

TEST(Win32Lock, SecondInstanceIsRefusedUntilTheFirstLetsGo)
{
    ScopedRuntimeDir runtime;
    // Nobody holds it: another process gets it (and lets go when it exits).
    EXPECT_EQ(LastErrorInChild(kLockName), 0);

    HANDLE first = CreateMutexA(nullptr, TRUE, kLockName);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(runtime.Path() + "/" + kLockName + ".lock"));

    // A second process, and a second open in this one, both find it taken.
    EXPECT_EQ(LastErrorInChild(kLockName), 183);
    HANDLE second = CreateMutexA(nullptr, TRUE, kLockName);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // Another name is another lock.
    HANDLE other = CreateMutexA(nullptr, TRUE, "SomeOtherMutex");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    EXPECT_TRUE(CloseHandle(second));
    EXPECT_EQ(LastErrorInChild(kLockName), 183);  // the refused handle held nothing
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(LastErrorInChild(kLockName), 0);
    EXPECT_TRUE(CloseHandle(other));
    EXPECT_FALSE(CloseHandle(first));
}

TEST(Win32Lock, FallsBackToTmpWithoutARuntimeFolder)
{
    ScopedRuntimeDir runtime;
    setenv("XDG_RUNTIME_DIR", (runtime.Path() + "/missing").c_str(), 1);
    std::string name = "OrbLockFallback" + std::to_string(getpid());
    HANDLE h = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(h, nullptr);
    std::string path = "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(LastErrorInChild(name.c_str()), 183);
    CloseHandle(h);
    fs::remove(path);
}

// Asks, from another process, the lock's holder to show its window; the exit code says
// whether anybody listened (1) or not (0).
int AskInChild(const char* name)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(platform::AskMutexOwnerToShowWindow(name) ? 1 : 0);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Win32Lock, ACopyFindingTheLockTakenAsksTheHolderToShowItsWindow)
{
    ScopedRuntimeDir runtime;
    const std::string socket = runtime.Path() + "/" + kLockName + ".show";
    EXPECT_EQ(AskInChild(kLockName), 0);  // nobody runs
    EXPECT_FALSE(platform::TakeShowRequest());

    HANDLE first = CreateMutexA(nullptr, TRUE, kLockName);
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(socket));
    EXPECT_FALSE(platform::TakeShowRequest());
    EXPECT_EQ(AskInChild(kLockName), 1);
    EXPECT_EQ(AskInChild(kLockName), 1);
    EXPECT_TRUE(platform::TakeShowRequest());   // two requests, one answer
    EXPECT_FALSE(platform::TakeShowRequest());  // and then nothing more

    // Letting go stops listening before the lock opens to the next holder.
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_FALSE(fs::exists(socket));
    EXPECT_EQ(AskInChild(kLockName), 0);
}

TEST(Win32Lock, AHolderThatDiedLeavesNoListenerAndTheNextOneListensAgain)
{
    ScopedRuntimeDir runtime;
    const std::string socket = runtime.Path() + "/" + kLockName + ".show";
    pid_t pid = fork();
    if (pid == 0)
    {
        CreateMutexA(nullptr, TRUE, kLockName);
        _exit(0);  // dies holding it: the socket file stays behind
    }
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(fs::exists(socket));
    EXPECT_FALSE(platform::AskMutexOwnerToShowWindow(kLockName));

    HANDLE next = CreateMutexA(nullptr, TRUE, kLockName);
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(AskInChild(kLockName), 1);
    EXPECT_TRUE(platform::TakeShowRequest());
    CloseHandle(next);
}

TEST(Win32Guid, RandomVersionFourIdentifiers)
{
    GUID a{}, b{};
    ASSERT_EQ(CoCreateGuid(&a), S_OK);
    ASSERT_EQ(CoCreateGuid(&b), S_OK);
    EXPECT_NE(std::memcmp(&a, &b, sizeof(GUID)), 0);
    EXPECT_EQ(a.Data3 >> 12, 4);
    EXPECT_EQ(a.Data4[0] & 0xC0, 0x80);
    EXPECT_EQ(CoCreateGuid(nullptr), E_FAIL);
    EXPECT_EQ(SetNamedSecurityInfoA(const_cast<char*>("x"), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST(Win32Time, TimerCapsAndMonotonicMilliseconds)
{
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(caps.wPeriodMin), TIMERR_NOERROR);
    DWORD t0 = timeGetTime();
    Sleep(2);
    DWORD t1 = timeGetTime();
    EXPECT_GE(static_cast<DWORD>(t1 - t0), 2u);
}

DWORD g_paused = 0;
void RecordPause(DWORD milliseconds) { g_paused += milliseconds; }

// A run that drives its own clock takes Sleep's pauses without the wall clock: a
// minute's sleep returns at once, and the handler hears every pause.
TEST(Win32Time, SleepGoesToTheHandlerWhileOneIsSet)
{
    g_paused = 0;
    platform::SetSleepHandler(&RecordPause);
    Sleep(60000);
    Sleep(1);
    platform::SetSleepHandler(nullptr);
    EXPECT_EQ(60001u, g_paused);
    Sleep(1);
    EXPECT_EQ(60001u, g_paused);
}

std::string g_logged;
void CaptureLog(const char* text) { g_logged += text; }

TEST(Win32MessageBox, HeadlessBoxGoesToStderrAndTheLog)
{
    setenv("PLATFORM_MSGBOX", "stderr", 1);
    g_logged.clear();
    platform::SetLogSink(CaptureLog);
    testing::internal::CaptureStderr();
    // "Ошибка" in cp1251: the log keeps the bytes, standard error shows UTF-8.
    int r = MessageBoxA(nullptr, "Unable to create Direct3D object!", "\xCE\xF8\xE8\xE1\xEA\xE0",
                        MB_ICONHAND);
    std::string err = testing::internal::GetCapturedStderr();
    platform::SetLogSink(nullptr);
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(err, "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0: Unable to create Direct3D object!\n");
    EXPECT_EQ(g_logged, "\xCE\xF8\xE8\xE1\xEA\xE0: Unable to create Direct3D object!\n");
}

}  // namespace
