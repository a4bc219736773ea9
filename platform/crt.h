// The C runtime subset game code calls qualified as crt:: (files, rand, find).
// Paths keep the Windows spelling and go through the file layer (cp1251, '\\',
// case-insensitive lookup). Text-mode reads deliver CR LF as LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace crt {

// Text mode ("r", "rt") strips the '\r' of every CR LF; "rb" reads bytes as
// they are. Writes never add '\r'.
FILE* fopen(const char* path, const char* mode);
int remove(const char* path);
// Replaces an existing destination.
int rename(const char* from, const char* to);

// The 15-bit generator: state = state * 214013 + 2531011, result
// (state >> 16) & 0x7fff. The default seed is 1.
enum { RAND_MAX_15 = 0x7fff };
int rand();
void srand(unsigned seed);

// Directory listing. "*.*" matches every name, "." and ".." included; other
// patterns use '*' and '?' and ignore case. Names come back in cp1251.
// _A_LINK marks a symbolic link (the other flags then describe what it points to).
enum { _A_NORMAL = 0x00, _A_RDONLY = 0x01, _A_HIDDEN = 0x02, _A_SUBDIR = 0x10, _A_LINK = 0x400 };

struct _finddata_t
{
    unsigned attrib; // _A_SUBDIR for folders, _A_LINK for symbolic links
    int64_t time_write;
    uint32_t size;
    char name[260];
};

// -1 when nothing matches (or the folder is missing); else a handle for
// _findnext, which returns 0 per further entry and -1 at the end.
intptr_t _findfirst(const char* spec, _finddata_t* data);
int _findnext(intptr_t handle, _finddata_t* data);
int _findclose(intptr_t handle);

int _mkdir(const char* path);
int _rmdir(const char* path);

// Every file the game writes whole goes through this: the bytes go to a
// temporary file in the same folder, which is flushed to disk and renamed over
// the old file, and the folder is flushed so that the rename lasts. False on any
// failure, with the old file untouched. The temporary file is named
// ".<name>.partial-XXXXXX"; one is left behind only when the process dies mid-write.
bool WriteFileAtomic(const char* path, const void* data, size_t size);

// Removes the temporary files that interrupted atomic writes left in a folder;
// returns how many went. Run at start-up, before anything is written.
int RemoveStaleTemporaries(const char* folder);

// Faults of the file layer, for tests only (the game never sets them). A write
// budget of n bytes lets atomic writes go through until they have written n bytes
// in all, and fails every one after that as a full disk would (-1: no limit). The
// step hook is called before each step that changes the disk (the flush and the
// rename of an atomic write, a removal), named "fsync", "rename" or "remove", so
// that a test can stop the process exactly there.
struct FileFaults
{
    int64_t writeBudget = -1;
    void (*beforeStep)(const char* step, const char* path) = nullptr;
};
void SetFileFaults(const FileFaults& faults);

// True when path names a folder itself, not a symbolic link to one.
bool IsRealFolder(const char* path);

} // namespace crt
