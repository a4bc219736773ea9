#include "game/Fonts.h"

#include <cstdio>
#include <cstring>

#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "game/Game.h"
#include "platform/crt.h"
#include "render/Device.h"
#include "render/Font.h"

std::vector<D3DFORMAT> TextureFormatCandidates()
{
    return {D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A4L4, D3DFMT_A1R5G5B5};
}

std::string CleanFontListLine(const char* line)
{
    char buffer[512];
    std::snprintf(buffer, sizeof(buffer), "%s", line);
    ChopNewline(buffer);
    char trimmed[512];
    TrimCopy(buffer, trimmed);
    char unquoted[512] = "";
    StripQuotes(trimmed, unquoted);
    TrimCopy(unquoted, trimmed);
    return trimmed;
}

namespace {

void Fail(std::vector<std::string>& errors, const std::string& message)
{
    errors.push_back(message);
    LogText((message + "\n").c_str());
}

}  // namespace

int LoadFontList(CDevice& device, const std::string& fontsFolder, std::vector<CRefPtr<CFont>>& fonts,
                 std::vector<std::string>& errors)
{
    FILE* list = crt::fopen((fontsFolder + "AdditionalFonts.lst").c_str(), "r");
    if (!list)
        return 0;
    const std::vector<D3DFORMAT> candidates = TextureFormatCandidates();
    int count = 0;
    char line[512];
    while (std::fgets(line, sizeof(line), list))
    {
        const std::string name = CleanFontListLine(line);
        if (name.empty())
            break;
        CRefPtr<CTexture> texture = device.LoadTextureChooseFormat(fontsFolder + name + ".tga", "___Font_" + name,
                                                                   candidates, 1, 0, D3DPOOL_MANAGED);
        if (!texture)
        {
            Fail(errors, "Unable to load Texture " + name);
            break;
        }
        CRefPtr<CFont> font(new CFont(texture));
        if (!font->Load((fontsFolder + name + ".kfd").c_str()))
        {
            Fail(errors, "Unable to load " + name + ".kfd");
            break;
        }
        fonts.push_back(font);
        ++count;
    }
    std::fclose(list);
    return count;
}

int CGame::LoadAdditionalFonts()
{
    return LoadFontList(*device, folders.fonts, fonts, errors);
}
