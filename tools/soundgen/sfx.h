// The game's sound effects and music tracks, synthesised.
#pragma once

#include <string>
#include <vector>

namespace synth {

// Base names of every sound effect, in the order they are made.
std::vector<std::string> SoundNames();
// Writes every sound effect into folder (ending in '/') as wave and/or Ogg files.
bool WriteSounds(const std::string& folder, bool wav, bool ogg);

// Names of the music tracks ("mainmenu", "gameplay1" ...).
std::vector<std::string> TrackNames();
// Writes one track as folder + name + ".ogg".
bool WriteTrack(const std::string& folder, const std::string& name);

}  // namespace synth
