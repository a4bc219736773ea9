#include "engine/DataFolders.h"

#include "engine/SaveErrors.h"
#include "platform/crt.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char kCompany[] = "Kestrelmoor";
const char kProduct[] = "TheOrblightOfQuillacor_RU_DZR";
const char kOptionsFile[] = "Data\\Config\\Options.ini";

int g_osFlag = 0;
std::string g_userFolder;
std::string g_commonFolder;
VideoSettings g_video = {};

// special folder + "\Kestrelmoor\TheOrblightOfQuillacor_RU_DZR\", each level created.
std::string MakeGameFolder(const char* base)
{
    std::string path = std::string(base) + "\\" + kCompany;
    crt::_mkdir(path.c_str());
    path += std::string("\\") + kProduct;
    crt::_mkdir(path.c_str());
    return path + "\\";
}

} // namespace

int CheckWindowsVersion()
{
    g_osFlag = (GetVersion() & 0xFF) >= 5 ? 1 : 0;
    return g_osFlag;
}

int IsWin2000OrLater()
{
    return g_osFlag;
}

int BuildUserFolders(HWND window)
{
    char user[MAX_PATH] = {};
    char common[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(window, user, CSIDL_APPDATA, TRUE) ||
        !SHGetSpecialFolderPathA(window, common, CSIDL_COMMON_APPDATA, TRUE))
    {
        g_osFlag = 0;
        g_userFolder.clear();
        g_commonFolder.clear();
        return 0;
    }
    g_userFolder = MakeGameFolder(user);
    g_commonFolder = MakeGameFolder(common);

    crt::_mkdir((g_userFolder + "Players").c_str());
    crt::_mkdir((g_userFolder + "Data").c_str());
    crt::_mkdir((g_userFolder + "Data\\Config").c_str());
    crt::_mkdir((g_commonFolder + "Data").c_str());
    crt::_mkdir((g_commonFolder + "Data\\GameData").c_str());
    crt::_mkdir((g_commonFolder + "Data\\Sfx").c_str());

    // A first start gets a copy of the shipped options file.
    const std::string userOptions = g_userFolder + kOptionsFile;
    if (FILE* f = crt::fopen(userOptions.c_str(), "r"))
        std::fclose(f);
    else
        CopyFileA(kOptionsFile, userOptions.c_str(), FALSE);
    return 1;
}

void InitUserFolders(HWND window)
{
    if (CheckWindowsVersion() == 1)
        BuildUserFolders(window);
}

std::string GetUserDataFolder()
{
    return g_userFolder;
}

std::string GetCommonDataFolder()
{
    return g_commonFolder;
}

CDataFolders::CDataFolders()
    : graphics("Data\\Gfx\\"),
      sharedSounds(g_commonFolder + "Data\\Sfx\\"),
      sounds("Data\\Sfx\\"),
      music("Music\\"),
      config("Data\\Config\\"),
      userConfig(g_userFolder + "Data\\Config\\"),
      sharedGameData(g_commonFolder + "Data\\GameData\\"),
      texts("Data\\Txt\\"),
      fonts("Data\\Fonts\\"),
      players(g_userFolder + "Players\\"),
      models("Data\\Gfx\\Models\\"),
      forms("Data\\Forms\\"),
      data("Data\\"),
      levels("Data\\Lvl\\"),
      tuning{2000.0f, 0.05f, 0.4f, 15.0f, 3.0f, 2.0f, 1.5f, 2.0f, 50.0f}
{
}

const std::string& CDataFolders::Folder(int index) const
{
    const std::string* table[kFolderCount] = {&graphics, &sharedSounds, &sounds,  &music, &config,
                                              &userConfig, &sharedGameData, &texts, &fonts, &players,
                                              &models, &forms, &data, &levels};
    static const std::string empty;
    return index >= 0 && index < kFolderCount ? *table[index] : empty;
}

void SetVideoSettings(VideoSettings settings)
{
    g_video = settings;
}

VideoSettings* GetVideoSettings(VideoSettings* out)
{
    if (out)
        *out = g_video;
    return out;
}

std::string GetOptionsFilePath()
{
    return g_userFolder + kOptionsFile;
}

void LoadVideoOptions()
{
    const std::string file = GetOptionsFilePath();
    char buf[255];
    auto read = [&](const char* key, const char* def) {
        GetPrivateProfileStringA("Settings", key, def, buf, sizeof buf, file.c_str());
        return int32_t(std::atoi(buf));
    };
    g_video.adapter = read("Adapter", "0");
    g_video.colorMode = read("ColorMode", "-1");
    g_video.fullScreen = read("FullScreen", "0");
    g_video.width = read("Width", "640");
    g_video.height = read("Height", "480");
    g_video.videoSync = read("VideoSync", "1");
}

void SaveVideoOptions()
{
    if (g_video.adapter < 0 || g_video.colorMode < 0)
        return;
    const std::string file = GetOptionsFilePath();
    const int32_t numbers[] = {g_video.adapter,          g_video.width,
                               g_video.height,           g_video.colorMode,
                               g_video.fullScreen ? 1 : 0, g_video.videoSync ? 1 : 0};
    const char* const keys[] = {"Adapter", "Width", "Height", "ColorMode", "FullScreen", "VideoSync"};
    const size_t count = sizeof(keys) / sizeof(keys[0]);
    char texts[count][16];
    ProfileValue values[count];
    for (size_t i = 0; i < count; ++i)
    {
        std::snprintf(texts[i], sizeof texts[i], "%d", int(numbers[i]));
        values[i] = {"Settings", keys[i], texts[i]};
    }
    CheckSaved(WritePrivateProfileValues(values, count, file.c_str()) != FALSE, file);
}
