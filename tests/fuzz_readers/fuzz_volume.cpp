// libFuzzer target: the sound tuning file ("Vol.cfg").
#include "ReaderFuzz.h"
#include "audio/SoundBank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSoundBank bank;
    bank.LoadVolumeConfig(fuzz::WriteInput(data, size, "Vol.cfg").c_str());
    bank.GetConfigVolume("WIN");
    bank.GetConfigPanFactor("WIN");
    bank.GetConfigSilencer("WIN");
    return 0;
}
