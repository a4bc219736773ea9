#include "audio/SoundConversion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/DataFolders.h"
#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "platform/bass.h"
#include "platform/crt.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kChunkBytes = 20000;

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v & 0xFF);
    p[1] = uint8_t((v >> 8) & 0xFF);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

bool Write32At(FILE* f, long offset, uint32_t v)
{
    uint8_t b[4];
    Put32(b, v);
    return std::fseek(f, offset, SEEK_SET) == 0 && std::fwrite(b, 1, 4, f) == 4;
}

}  // namespace

void MakeWavHeader(uint8_t header[44], uint32_t rate, uint32_t channels, bool eightBit)
{
    uint32_t bits = eightBit ? 8 : 16;
    uint32_t block = channels * bits / 8;
    std::memcpy(header, "RIFF", 4);
    Put32(header + 4, 0);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    Put32(header + 16, 16);
    Put16(header + 20, 1);
    Put16(header + 22, channels);
    Put32(header + 24, rate);
    Put32(header + 28, block * rate);
    Put16(header + 32, block);
    Put16(header + 34, bits);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, 0);
}

int32_t ConvertOggToWav(const char* source, const char* target)
{
    HSTREAM stream = BASS_StreamCreateFile(FALSE, source, 0, 0, BASS_FLAG_DECODE_ONLY);
    if (!stream)
    {
        LogText("Unable to stream file ");
        LogText(source);
        LogText("\n");
        return 0;
    }
    FILE* f = crt::fopen(target, "wb");
    if (!f)
    {
        LogText("Unable to create file ");
        LogText(target);
        LogText("\n");
        BASS_StreamFree(stream);
        return 0;
    }

    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(stream, &info);
    uint8_t header[44];
    MakeWavHeader(header, info.freq, info.chans, (info.flags & BASS_FLAG_8BIT) != 0);
    bool ok = std::fwrite(header, 1, sizeof(header), f) == sizeof(header);

    std::vector<uint8_t> buffer(kChunkBytes);
    while (ok && BASS_ChannelIsActive(stream))
    {
        DWORD got = BASS_ChannelGetData(stream, buffer.data(), kChunkBytes);
        // A decoding error ends the conversion of this file: its data would be
        // cut short or garbled, and the bank would load it as if it were whole.
        if (got == BASS_DATA_ERROR || got > kChunkBytes)
        {
            LogText("Unable to decode file ");
            LogText(source);
            LogText("\n");
            ok = false;
            break;
        }
        if (got > 0 && std::fwrite(buffer.data(), 1, got, f) != got)
        {
            LogText("Unable to write file ");
            LogText(target);
            LogText("\n");
            ok = false;
            break;
        }
        Sleep(1);  // let the rest of the system breathe while decoding
    }

    if (ok)
    {
        long size = (std::fseek(f, 0, SEEK_END) == 0) ? std::ftell(f) : -1;
        ok = size >= 44 && Write32At(f, 4, uint32_t(size - 8)) && Write32At(f, 40, uint32_t(size - 44));
    }
    if (std::fclose(f) != 0)
        ok = false;
    BASS_StreamFree(stream);
    if (!ok)
    {
        crt::remove(target);
        return 0;
    }
    return 1;
}

int32_t ConvertSoundsFirstRun(const char* optionsFile, const char* soundFolder, const char* convertedFolder)
{
    CSoundConversion conversion(optionsFile, soundFolder, convertedFolder);
    while (conversion.Step())
    {
    }
    return conversion.Result();
}

CSoundConversion::CSoundConversion(const char* optionsFile, const char* soundFolder, const char* convertedFolder)
    : options(optionsFile ? optionsFile : ""),
      sounds(soundFolder ? soundFolder : ""),
      converted(convertedFolder ? convertedFolder : "")
{
    separate = IsWin2000OrLater() && sounds != converted;
}

CSoundConversion::~CSoundConversion()
{
    if (list)
        std::fclose(list);
}

bool CSoundConversion::Step()
{
    if (!begun)
    {
        begun = true;
        return Begin();
    }
    return list && ConvertNext();
}

// Finds the mark of an earlier run, else opens the list; true when there are sounds to convert.
bool CSoundConversion::Begin()
{
    if (separate)
    {
        if (FILE* mark = crt::fopen((converted + "Vol.cfg").c_str(), "r"))
        {
            std::fclose(mark);
            return false;
        }
    }
    else
    {
        char value[256] = {};
        GetPrivateProfileStringA("Sound", "Converted", "0", value, 255, options.c_str());
        if (std::atoi(value) == 1)
            return false;
    }

    LogText("Firs time sound convertion...\n");
    list = crt::fopen((sounds + "Ogg.lst").c_str(), "r");
    if (!list)
    {
        LogText("Unable to open file Ogg.lst");
        result = 0;
        return false;
    }
    return true;
}

// Converts the next listed sound; at the list's end leaves the mark and returns false.
bool CSoundConversion::ConvertNext()
{
    char line[512];
    while (std::fgets(line, sizeof(line), list))
    {
        ChopNewline(line);
        if (!line[0])
            continue;
        std::string source = sounds + line + ".ogg";
        std::string target = converted + line + ".wav";
        if (!ConvertOggToWav(source.c_str(), target.c_str()))
            LogText("Fist time sound convertion error!\n");
        return true;
    }
    std::fclose(list);
    list = nullptr;
    LogText("Done\n");

    if (separate)
        CopyFileA((sounds + "Vol.cfg").c_str(), (converted + "Vol.cfg").c_str(), FALSE);
    else
        WritePrivateProfileStringA("Sound", "Converted", "1", options.c_str());
    return false;
}
