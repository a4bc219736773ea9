// The process the save crash test kills: it writes the player's files round after
// round through the game's own save code until it is stopped. It carries on from
// the generation the files on disk hold, and tells the test it is under way by
// writing one byte to standard output. With a second argument n it kills itself just
// before the n-th step that changes the disk (a flush, a rename or a removal), after
// writing the step and the file's name to standard output, where it also notes the
// start of each round ("round").
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "SaveCrashFiles.h"
#include "platform/crt.h"

namespace {

long g_aim = 0;
long g_steps = 0;

void KillAtAim(const char* step, const char* path)
{
    if (++g_steps != g_aim)
        return;
    const std::string line = std::string(step) + " " + path + "\n";
    if (::write(STDOUT_FILENO, line.data(), line.size()) < 0)
        ::_exit(6);
    ::raise(SIGKILL);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: save_crash_writer <folder/>\n");
        return 2;
    }
    const std::string root = argv[1];
    if (argc > 2)
    {
        g_aim = std::strtol(argv[2], nullptr, 10);
        crt::FileFaults faults;
        faults.beforeStep = &KillAtAim;
        crt::SetFileFaults(faults);
    }
    uint32_t g = 0;
    if (!save_crash::CheckFiles(root, &g).empty())
        return 3;
    const char ready = 'r';
    if (::write(STDOUT_FILENO, &ready, 1) != 1)
        return 4;
    for (;;)
    {
        if (g_aim && ::write(STDOUT_FILENO, "round\n", 6) != 6)
            return 4;
        if (!save_crash::WriteRound(root, ++g))
            return 5;
    }
}
