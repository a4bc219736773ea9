#include "saves/ByteStream.h"

#include "platform/crt.h"

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out, size_t limit)
{
    out.clear();
    FILE* f = crt::fopen(path, "rb");
    if (!f)
        return false;
    uint8_t chunk[4096];
    while (out.size() < limit)
    {
        size_t want = sizeof(chunk);
        if (want > limit - out.size())
            want = limit - out.size();
        size_t got = std::fread(chunk, 1, want, f);
        out.insert(out.end(), chunk, chunk + got);
        if (got < want)
            break;
    }
    std::fclose(f);
    return true;
}

bool WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes)
{
    return crt::WriteFileAtomic(path, bytes.data(), bytes.size());
}
