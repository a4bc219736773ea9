#include "audio/SoundBank.h"

#include <cmath>
#include <cstdio>

#include "engine/Log.h"
#include "engine/Random.h"
#include "platform/crt.h"

const CSoundBank::Slot CSoundBank::kSlots[CSoundBank::kSlotCount] = {
    {&CSoundBank::MouseOver, "MouseOver.wav", -1},
    {&CSoundBank::Click, "Click.wav", -1},
    {&CSoundBank::Upgrade, "Upgrade.wav", -1},
    {&CSoundBank::Hint, "Hint.wav", -1},
    {&CSoundBank::Select, "Select.wav", -1},
    {&CSoundBank::SelectSteel, "SelectSteel.wav", -1},
    {&CSoundBank::Wrong, "Wrong.wav", -1},
    {&CSoundBank::Drop, "Drop.wav", -1},
    {&CSoundBank::BonusClick, "BonusClick.wav", -1},
    {&CSoundBank::GemOut, "GemOut.wav", -1},
    {&CSoundBank::GemIn, "GemIn.wav", -1},
    {&CSoundBank::GemBar, "GemBar.wav", -1},
    {&CSoundBank::Terminator, "Terminator%d.wav", 0},
    {&CSoundBank::Terminator0_s, "Terminator0_s.wav", -1},
    {&CSoundBank::TerminatorSteel, "TerminatorSteel.wav", -1},
    {&CSoundBank::ChainOut, "ChainOut.wav", -1},
    {&CSoundBank::ChainOut_s, "ChainOut_s.wav", -1},
    {&CSoundBank::Explode, "Explode.wav", -1},
    {&CSoundBank::Combo, "Combo%d.wav", 2},
    {&CSoundBank::BonusDrop, "BonusDrop.wav", -1},
    {&CSoundBank::TNT, "TNT.wav", -1},
    {&CSoundBank::Flash, "Flash.wav", -1},
    {&CSoundBank::Clock, "Clock.wav", -1},
    {&CSoundBank::TimeAdd, "TimeAdd.wav", -1},
    {&CSoundBank::Multiplier, "Multiplier.wav", -1},
    {&CSoundBank::AdviserGet, "AdviserGet.wav", -1},
    {&CSoundBank::AdviserAct, "AdviserAct.wav", -1},
    {&CSoundBank::Solidarity, "Solidarity.wav", -1},
    {&CSoundBank::SolidarityRedir, "SolidarityRedir.wav", -1},
    {&CSoundBank::TotemEye, "TotemEye.wav", -1},
    {&CSoundBank::TotemGreen1, "TotemGreen1.wav", -1},
    {&CSoundBank::TotemGreen2, "TotemGreen2.wav", -1},
    {&CSoundBank::TotemYellow1, "TotemYellow1.wav", -1},
    {&CSoundBank::TotemYellow2, "TotemYellow2.wav", -1},
    {&CSoundBank::TotemRed1, "TotemRed1.wav", -1},
    {&CSoundBank::TotemRed2, "TotemRed2.wav", -1},
    {&CSoundBank::TotemBlue1, "TotemBlue1.wav", -1},
    {&CSoundBank::TotemBlue2, "TotemBlue2.wav", -1},
    {&CSoundBank::TotemBlue3, "TotemBlue3.wav", -1},
    {&CSoundBank::TotemOrange, "TotemOrange.wav", -1},
    {&CSoundBank::TotemWhite1, "TotemWhite1.wav", -1},
    {&CSoundBank::TotemWhite2, "TotemWhite2.wav", -1},
    {&CSoundBank::TotemViolet, "TotemViolet.wav", -1},
    {&CSoundBank::Explode2, "Explode2.wav", -1},
    {&CSoundBank::ScoreFrenzy, "ScoreFrenzy.wav", -1},
    {&CSoundBank::BonusStar, "BonusStar.wav", -1},
    {&CSoundBank::LifeLost, "LifeLost.wav", -1},
    {&CSoundBank::LifeLostBack, "LifeLostBack.wav", -1},
    {&CSoundBank::EndLevel, "EndLevel.wav", -1},
    {&CSoundBank::Warning, "Warning.wav", -1},
    {&CSoundBank::NewLevel, "NewLevel.wav", -1},
    {&CSoundBank::Bad, "Bad.wav", -1},
    {&CSoundBank::Win, "Win.wav", -1},
    {&CSoundBank::Tick, "Tick.wav", -1},
    {&CSoundBank::TickLoop, "TickLoop.wav", -1},
    {&CSoundBank::AddLife, "AddLife.wav", -1},
    {&CSoundBank::GoodClick, "GoodClick.wav", -1},
    {&CSoundBank::Trophy, "Trophy.wav", -1},
    {&CSoundBank::Background, "Background.wav", -1},
    {&CSoundBank::Museum, "Museum.wav", -1},
    {&CSoundBank::Flare, "Flare.wav", -1},
    {&CSoundBank::Door, "Door.wav", -1},
    {&CSoundBank::Treasure, "Treasure.wav", -1},
};

namespace {

// Volumes are 0..1 in the game and 0..100 at the library.
DWORD LibraryVolume(float factor, float scale)
{
    float v = std::floor(factor * scale);
    if (!(v > 0.0f))
        return 0;
    return v >= 100.0f ? 100 : DWORD(v);
}

void SetDefaultVolume(HSAMPLE sample, DWORD volume)
{
    BASS_SAMPLE info{};
    if (BASS_SampleGetInfo(sample, &info))
    {
        info.volume = volume;
        BASS_SampleSetInfo(sample, &info);
    }
}

std::string NumberedName(const char* format, int32_t number)
{
    char name[64];
    std::snprintf(name, sizeof(name), format, number);
    return name;
}

}  // namespace

CSoundBank::CSoundBank()
{
    allSounds.reserve(64);
}

CSoundBank::~CSoundBank()
{
    // The library goes first: the music player, when it outlives the bank,
    // then finds every call a harmless no-op.
    if (started_)
        BASS_Free();
    for (int i = kSlotCount - 1; i >= 0; --i)
        (this->*kSlots[i].sound) = CRefPtr<CSound>();
    music = CRefPtr<CMusic>();
}

bool CSoundBank::Init(HWND window)
{
    enabled = BASS_Init(1, 44100, 0, window, nullptr) ? 1 : 0;
    started_ = started_ || enabled != 0;
    if (!enabled || BASS_GetDevice() == 0)
        LogText("No sound device could be opened: the game plays without sound\n");
    return enabled == 0;
}

void CSoundBank::StoreVariantSettings(CSound& sound, int32_t variant, const char* name)
{
    size_t v = size_t(variant);
    sound.silencers[v] = GetConfigSilencer(name);
    sound.panFactors[v] = GetConfigPanFactor(name);
    sound.volumes[v] = GetConfigVolume(name);
    SetDefaultVolume(sound.samples[v], LibraryVolume(sound.volumes[v], 100.0f));
}

CRefPtr<CSound> CSoundBank::LoadSound(const char* folder, const char* name, int32_t ringSize, DWORD maxPlaybacks, DWORD flags)
{
    path = std::string(folder ? folder : "") + (name ? name : "");
    CRefPtr<CSound> sound(new CSound(1, ringSize));
    sound->samples[0] = BASS_SampleLoad(FALSE, path.c_str(), 0, 0, maxPlaybacks, flags);
    if (!sound->samples[0])
        return CRefPtr<CSound>();
    StoreVariantSettings(*sound, 0, name);
    allSounds.push_back(sound);
    return sound;
}

bool CSoundBank::LoadVariants(const char* folder, const Slot& slot)
{
    // The variants are the numbered files that exist, counted up to the first gap.
    int32_t count = 0;
    for (int32_t i = 0; i < kMaxVariants; ++i)
    {
        path = std::string(folder) + NumberedName(slot.file, slot.firstNumber + i);
        FILE* f = crt::fopen(path.c_str(), "rb");
        if (!f)
            break;
        std::fclose(f);
        ++count;
    }
    if (count == 0)
    {
        path = std::string(folder) + NumberedName(slot.file, slot.firstNumber);
        return false;
    }
    CRefPtr<CSound> sound(new CSound(count, kRingSize));
    for (int32_t v = 0; v < count; ++v)
    {
        std::string name = NumberedName(slot.file, slot.firstNumber + v);
        path = std::string(folder) + name;
        sound->samples[size_t(v)] = BASS_SampleLoad(FALSE, path.c_str(), 0, 0, kMaxPlaybacks, BASS_FLAG_OVERRIDE_LOWEST);
        if (!sound->samples[size_t(v)])
            return false;
        StoreVariantSettings(*sound, v, name.c_str());
    }
    this->*slot.sound = sound;
    allSounds.push_back(sound);
    return true;
}

int32_t CSoundBank::LoadSounds(const char* folder)
{
    if (!folder)
        folder = "";
    for (const Slot& slot : kSlots)
    {
        bool ok;
        if (slot.firstNumber >= 0)
        {
            ok = LoadVariants(folder, slot);
        }
        else
        {
            this->*slot.sound = LoadSound(folder, slot.file, kRingSize, kMaxPlaybacks, BASS_FLAG_OVERRIDE_LOWEST);
            ok = bool(this->*slot.sound);
        }
        if (!ok)
        {
            LogText("Unable to load sound ");
            LogText(path.c_str());
            LogText("\n");
            return kLoadFailed;
        }
    }
    return 0;
}

int32_t CSoundBank::PanFor(float panFactor, float x) const
{
    float p = std::floor(panFactor * 99.0f * x / panDivisor);
    if (p != p)
        return 0;
    if (p < -100.0f)
        return -100;
    if (p > 100.0f)
        return 100;
    return int32_t(p);
}

void CSoundBank::AfterStart(CSound& sound, int32_t variant, HCHANNEL channel)
{
    sound.channels[size_t(sound.nextChannel)] = channel;
    sound.nextChannel = (sound.nextChannel + 1) % int32_t(sound.channels.size());
    const std::pair<float, float>& silencer = sound.silencers[size_t(variant)];
    if (silencer.first > 0.0f && music)
        music->AddSilencer(silencer.first, silencer.second);
}

namespace {

// The variant to play, or -1 when there is none: a negative request picks one
// at random, a request past the last variant is dropped.
int32_t ChooseVariant(const CSound& sound, int32_t variant)
{
    int32_t count = sound.VariantCount();
    if (count <= 0 || variant >= count)
        return -1;
    if (variant >= 0)
        return variant;
    int32_t v = int32_t(std::floor(RandomUnit() * float(count)));
    return v >= count ? count - 1 : (v < 0 ? 0 : v);
}

}  // namespace

void CSoundBank::Play(CRefPtr<CSound> sound, int32_t variant, int32_t loop)
{
    if (!enabled || !sound)
        return;
    int32_t v = ChooseVariant(*sound, variant);
    if (v < 0)
        return;
    HSAMPLE sample = sound->samples[size_t(v)];
    HCHANNEL channel;
    if (!loop)
    {
        channel = BASS_SamplePlay(sample);
    }
    else
    {
        channel = BASS_SamplePlayEx(sample, 0, -1, -1, BASS_KEEP_PAN, 1);
        sound->loopChannels.push_back(channel);
    }
    AfterStart(*sound, v, channel);
}

void CSoundBank::PlayPanned(CRefPtr<CSound> sound, float x, int32_t variant, int32_t loop)
{
    if (!enabled || !sound)
        return;
    int32_t v = ChooseVariant(*sound, variant);
    if (v < 0)
        return;
    float panFactor = sound->panFactors[size_t(v)];
    if (panFactor == 0.0f)
    {
        Play(sound, v, loop);
        return;
    }
    HSAMPLE sample = sound->samples[size_t(v)];
    HCHANNEL channel;
    if (!loop)
    {
        channel = BASS_SamplePlayEx(sample, 0, -1, -1, PanFor(panFactor, x), -1);
    }
    else
    {
        // A looping playback keeps the sample's pan, as Play starts it.
        channel = BASS_SamplePlayEx(sample, 0, -1, -1, BASS_KEEP_PAN, 1);
        sound->loopChannels.push_back(channel);
    }
    AfterStart(*sound, v, channel);
}

void CSoundBank::PlayComboSound(int32_t level)
{
    if (!enabled || !Combo || Combo->VariantCount() < 1)
        return;
    int32_t v = level - 2;
    if (v < 0)
        v = 0;
    if (v > Combo->VariantCount() - 1)
        v = Combo->VariantCount() - 1;
    Play(Combo, v, 0);
}

void CSoundBank::Stop(CRefPtr<CSound> sound)
{
    if (!enabled || !sound)
        return;
    for (HCHANNEL c : sound->loopChannels)
        if (c)
            BASS_ChannelStop(c);
    sound->loopChannels.clear();
}

void CSoundBank::SetVolume(float master)
{
    if (!enabled)
        return;
    float m = master * 100.0f;
    for (const CRefPtr<CSound>& sound : allSounds)
    {
        for (size_t v = 0; v < sound->samples.size(); ++v)
            SetDefaultVolume(sound->samples[v], LibraryVolume(sound->volumes[v], m));
        int volume = int(LibraryVolume(sound->volumes[0], m));
        for (HCHANNEL c : sound->channels)
            if (c)
                BASS_ChannelSetAttributes(c, -1, volume, BASS_KEEP_PAN);
        for (HCHANNEL c : sound->loopChannels)
            if (c)
                BASS_ChannelSetAttributes(c, -1, volume, BASS_KEEP_PAN);
    }
}
