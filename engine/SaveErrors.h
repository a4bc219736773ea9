// Telling the player that a file of theirs could not be written. Every place that
// saves progress, settings, scores or trophies passes its result through
// CheckSaved: a failure goes to the log each time and to a message box the first
// time that file fails (again only after it has been saved once more), so a
// read-only or full disk is reported without a box at every save. The game keeps
// what it failed to write in memory and tries again at the next save.
#pragma once

#include <string>

// Returns saved, so that a caller can write `if (!CheckSaved(x.Save(path), path))`.
bool CheckSaved(bool saved, const std::string& path);

// How many save failures were seen since start-up (or the last reset).
int SaveFailureCount();

// Forgets which files have been reported (tests).
void ResetSaveFailures();
