// Kills a process that writes saves in a loop, at random moments, and reads every
// file back after each kill: each must be a complete old or new version, and the
// temporary files the kills leave are cleared by the start-up sweep.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/crt.h"
#include "tests/game/crash/SaveCrashFiles.h"

namespace fs = std::filesystem;

namespace {

const int kKills = 200;
// A round (nine files, each flushed) takes some milliseconds where fsync reaches a
// disk, so most kills land in the middle of one of its writes and some rounds end.
const int kLongestDelayMicroseconds = 40000;
// Kills that must land inside a write (each leaves a temporary file behind).
const int kMidWriteKills = kKills / 10;

int CountTemporaries(const fs::path& folder)
{
    int count = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".partial-") != std::string::npos)
            ++count;
    return count;
}

// Starts the writer with its standard output on a pipe, waits for its byte, then
// lets it run for `delay` microseconds and kills it (or, with `aim`, lets it kill
// itself before its aim-th disk step and appends what it said to `said`). False
// when it did not start.
bool RunAndKill(const std::string& root, int delay, int aim = 0, std::string* said = nullptr)
{
    const std::string aimText = std::to_string(aim);
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl(ORB_SAVE_CRASH_WRITER, ORB_SAVE_CRASH_WRITER, root.c_str(), aim ? aimText.c_str() : nullptr,
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char ready = 0;
    const bool started = child > 0 && ::read(fds[0], &ready, 1) == 1;
    if (started && aim)
    {
        char buffer[512];
        ssize_t got;
        while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0)
            if (said)
                said->append(buffer, size_t(got));
    }
    ::close(fds[0]);
    if (child <= 0)
        return false;
    if (started && !aim)
        ::usleep(static_cast<useconds_t>(delay));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string FreshRoot(const char* name)
{
    const std::string root = ::testing::TempDir() + name;
    fs::remove_all(root);
    fs::create_directories(save_crash::PlayerFolder(root));
    EXPECT_TRUE(save_crash::WriteRound(root, 0));
    EXPECT_TRUE(save_crash::WriteRound(root, 1));
    return root;
}

// The writer stops itself before each disk step of a round in turn, through rounds
// of every kind (the quest's end among them): after each stop every file is whole
// and no autosave outlives an ended quest.
TEST(SaveCrash, AKillBeforeAnyStepOfAnySaveLosesNothing)
{
    const std::string root = FreshRoot("save_crash_aimed/");
    std::map<std::string, int> stepsHit;
    uint32_t last = 1;
    // Six rounds see every kind: the first autosave deleted, copied, and the quest ended.
    const int kRounds = 6;
    int aim = 1;
    for (int rounds = 0; rounds < kRounds;)
    {
        std::string said;
        ASSERT_TRUE(RunAndKill(root, 0, aim, &said)) << "aim " << aim;
        const size_t stepAt = said.rfind("round\n");
        ASSERT_NE(stepAt, std::string::npos);
        const std::string step = said.substr(stepAt + 6);
        ASSERT_FALSE(step.empty()) << "aim " << aim;
        ++stepsHit[step.substr(0, step.find(' '))];
        uint32_t generation = 0;
        EXPECT_EQ("", save_crash::CheckFiles(root, &generation)) << "killed before " << step;
        EXPECT_GE(generation, last) << "killed before " << step;
        last = generation;
        crt::RemoveStaleTemporaries(save_crash::PlayerFolder(root).c_str());
        crt::RemoveStaleTemporaries(root.c_str());
        // A run that finished its round starts the next one from its first step.
        const bool finished = stepAt > 0;
        rounds += finished ? 1 : 0;
        aim = finished ? 1 : aim + 1;
    }
    for (const char* kind : {"fsync", "rename", "remove"})
        EXPECT_GT(stepsHit[kind], 0) << kind;
    std::printf("%d steps aimed at: %d flushes, %d renames, %d removals\n",
                stepsHit["fsync"] + stepsHit["rename"] + stepsHit["remove"], stepsHit["fsync"], stepsHit["rename"],
                stepsHit["remove"]);
    fs::remove_all(root);
}

TEST(SaveCrash, EveryFileIsAWholeVersionAfterEachKill)
{
    const std::string root = FreshRoot("save_crash/");

    std::mt19937 random(20261210u);
    std::uniform_int_distribution<int> delay(0, kLongestDelayMicroseconds);
    uint32_t last = 1;
    int advanced = 0, damaged = 0, leftovers = 0, kill = 0;
    // On a loaded machine the writer may not get a core before its kill: the run goes
    // on (up to twice as long) until enough kills have landed inside a write.
    for (; kill < kKills || (leftovers <= kMidWriteKills && kill < 2 * kKills); ++kill)
    {
        ASSERT_TRUE(RunAndKill(root, delay(random))) << "kill " << kill;
        uint32_t generation = 0;
        const std::string problems = save_crash::CheckFiles(root, &generation);
        EXPECT_EQ("", problems) << "kill " << kill;
        damaged += problems.empty() ? 0 : 1;
        EXPECT_GE(generation, last) << "kill " << kill;
        advanced += generation > last ? 1 : 0;
        last = generation;

        // The sweep the game runs at start-up takes what the kill left behind.
        const int left = CountTemporaries(save_crash::PlayerFolder(root)) + CountTemporaries(root);
        leftovers += left;
        EXPECT_EQ(left, crt::RemoveStaleTemporaries(save_crash::PlayerFolder(root).c_str()) +
                            crt::RemoveStaleTemporaries(root.c_str()));
        EXPECT_EQ(0, CountTemporaries(save_crash::PlayerFolder(root)) + CountTemporaries(root));
    }
    std::printf("%d kills, %d files checked after each, %d damaged or lost, %d rounds saved, "
                "%d temporary files swept\n",
                kill, 9, damaged, int(last), leftovers);
    // The kills came in the middle of writes (each left a temporary file behind),
    // and rounds were completed between them.
    EXPECT_GT(leftovers, kMidWriteKills);
    EXPECT_GT(advanced, 0);
    fs::remove_all(root);
}

}  // namespace
