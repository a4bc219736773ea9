// soundgen: writes the game's sounds and music into the game folder.
//
//   soundgen <game folder>          Data/Sfx: every sound effect as .wav and .ogg
//                                   and "Ogg.lst" naming them for the first-run
//                                   conversion; Music: the six looping tracks.
//   soundgen --fixtures <folder>    the small Ogg files the audio tests decode.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "sfx.h"
#include "synth.h"

namespace fs = std::filesystem;

namespace {

int WriteFixtures(const std::string& folder)
{
    using namespace synth;
    fs::create_directories(folder);
    Buffer stereo(44100, 2, 0.3);
    ToneSpec left;
    left.dur = 0.3;
    left.f0 = 440;
    left.amp = 0.5;
    left.decay = 0;
    left.pan = -1;
    Tone(stereo, left);
    ToneSpec right = left;
    right.f0 = 660;
    right.pan = 1;
    Tone(stereo, right);
    Buffer mono(22050, 1, 0.3);
    ToneSpec m = left;
    m.pan = 0;
    Tone(mono, m);
    bool ok = WriteOgg(folder + "/tone_stereo_44100.ogg", stereo, 0.3f, 1) &&
              WriteOgg(folder + "/tone_mono_22050.ogg", mono, 0.3f, 2);
    std::ofstream(folder + "/not_vorbis.ogg") << "This text file only has the extension of a compressed sound.\n";
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--fixtures") == 0)
        return WriteFixtures(argv[2]);
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: soundgen <game folder> | --fixtures <folder>\n");
        return 2;
    }
    std::string game = argv[1];
    std::string sfx = game + "/Data/Sfx/";
    std::string music = game + "/Music/";
    fs::create_directories(sfx);
    fs::create_directories(music);

    // The tracks take the longest: each encodes on its own thread.
    std::vector<std::future<bool>> tracks;
    for (const std::string& name : synth::TrackNames())
        tracks.push_back(std::async(std::launch::async, [music, name]() { return synth::WriteTrack(music, name); }));

    bool ok = synth::WriteSounds(sfx, true, true);
    std::ofstream list(sfx + "Ogg.lst", std::ios::binary);
    for (const std::string& name : synth::SoundNames())
        list << name << "\r\n";
    list.close();
    ok = ok && bool(list);

    for (auto& t : tracks)
        ok = t.get() && ok;
    if (!ok)
    {
        std::fprintf(stderr, "soundgen: could not write the sounds into %s\n", game.c_str());
        return 1;
    }
    return 0;
}
