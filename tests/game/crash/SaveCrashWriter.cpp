// The process the save crash test kills: it writes the player's files round after
// round through the game's own save code until it is stopped. It carries on from
// the generation the files on disk hold, and tells the test it is under way by
// writing one byte to standard output.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "SaveCrashFiles.h"

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: save_crash_writer <folder/>\n");
        return 2;
    }
    const std::string root = argv[1];
    uint32_t g = 0;
    if (!save_crash::CheckFiles(root, &g).empty())
        return 3;
    const char ready = 'r';
    if (::write(STDOUT_FILENO, &ready, 1) != 1)
        return 4;
    for (;;)
        if (!save_crash::WriteRound(root, ++g))
            return 5;
}
