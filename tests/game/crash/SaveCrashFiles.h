// The files the save crash test writes and checks, shared by the writer process and
// the test: one player's three quest files and settings, and the high-score table,
// each holding a generation number in a way that shows whether it is whole.
#pragma once

#include <cstdint>
#include <string>

namespace save_crash {

// The player's folder below `root` (which ends with '/') and the table's path.
std::string PlayerFolder(const std::string& root);
std::string TablePath(const std::string& root);

// One round of the game's own saves for generation `g`: the quest save, the
// autosave rotation, the first autosave, the autosave copy (with the first autosave
// deleted on every third round, as a finished quest does), the player's settings
// and the high-score table. False when a write failed.
bool WriteRound(const std::string& root, uint32_t g);

// Reads every file back with the game's readers. Empty when each is a complete
// version that some round wrote; otherwise what is wrong. `generation` gets the
// quest save's generation, the highest of them.
std::string CheckFiles(const std::string& root, uint32_t* generation);

}  // namespace save_crash
