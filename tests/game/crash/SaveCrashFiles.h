// The files the save crash test writes and checks, shared by the writer process and
// the test: one player's three quest files, settings and trophies, the best results,
// the options and the high-score table, each holding a generation number in a way
// that shows whether it is whole.
#pragma once

#include <cstdint>
#include <string>

namespace save_crash {

// The player's folder below `root` (which ends with '/') and the table's path.
std::string PlayerFolder(const std::string& root);
std::string TablePath(const std::string& root);
std::string TrophiesPath(const std::string& root);
std::string BestPath(const std::string& root);
std::string OptionsPath(const std::string& root);

// One round of the game's own saves for generation `g` (every fourth begins by
// ending the quest, which deletes its three files): the quest save, the
// autosave rotation, the first autosave, the autosave copy (with the first autosave
// deleted on every third round), the player's settings, the trophies, the best
// results, the options and the high-score table. False when a write failed.
bool WriteRound(const std::string& root, uint32_t g);

// Reads every file back with the game's readers. Empty when each is a complete
// version that some round wrote and no autosave outlives its ended quest; otherwise
// what is wrong. `generation` gets the last round finished (the high-score
// table's, written last), from which the writer carries on.
std::string CheckFiles(const std::string& root, uint32_t* generation);

}  // namespace save_crash
