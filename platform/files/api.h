// Profile strings (INI files), CopyFileA and directory calls.
// Paths keep the Windows spelling and go through the file layer.
#pragma once

#include "platform/win32/types.h"

// [section] and key=value lines (CR LF or LF). Section and key names match
// ignoring case and surrounding blanks; the first match wins. The value is
// trimmed and loses one pair of surrounding quotes. A missing file, section or
// key gives def (NULL = ""); an empty value is not a missing key. At most
// size - 1 bytes are copied, zero-terminated; the count is returned.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR file);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file);

// Replaces an existing key in place, appends a new key after its section's last
// key, creates a missing section or file and keeps every other line byte for
// byte. A NULL value removes the key, a NULL key the whole section. The file is
// rewritten whole through a temporary file renamed over the old one.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

// Several keys in one rewrite, applied in order as WritePrivateProfileStringA
// would: the file on disk holds all of them or none.
struct ProfileValue
{
    LPCSTR section;
    LPCSTR key;
    LPCSTR value;
};
BOOL WritePrivateProfileValues(const ProfileValue* values, size_t count, LPCSTR file);

// Copies a file whole (atomically at the destination).
BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists);
BOOL CreateDirectoryA(LPCSTR path, LPVOID security);
BOOL RemoveDirectoryA(LPCSTR path);
BOOL DeleteFileA(LPCSTR path);

#define INVALID_FILE_ATTRIBUTES ((DWORD)0xFFFFFFFF)
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
DWORD GetFileAttributesA(LPCSTR path);

// Both application-data folders are $XDG_DATA_HOME (default ~/.local/share),
// created when asked. Fails without a home folder or when the path has no
// cp1251 spelling. The path has no trailing separator.
#define CSIDL_APPDATA 26
#define CSIDL_COMMON_APPDATA 35
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);

// Low byte 5: "Windows 2000 or later".
DWORD GetVersion();
