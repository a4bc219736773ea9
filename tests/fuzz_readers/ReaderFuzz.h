// Shared by the reader fuzz targets: most readers take a path, so the input is
// written to a scratch file of the process's own first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

// A file named after the process and `name`, holding exactly the input bytes.
inline std::string WriteInput(const uint8_t* data, size_t size, const char* name)
{
    static const std::string folder = [] {
        const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(shm) + "/orb_fuzz_" + std::to_string(getpid()) + "_";
    }();
    const std::string path = folder + name;
    if (FILE* f = std::fopen(path.c_str(), "wb"))
    {
        if (size)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

} // namespace fuzz
