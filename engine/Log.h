// The game's plain-text log ("Objects.log" in the per-user data folder, or the
// current directory when there is none). Every write opens the file for
// appending and closes it again, so the file is complete up to the last call
// even when the program ends abruptly. A log that cannot be opened is skipped.
#pragma once

#include <cstdint>
#include <string>

// Log path = per-user data folder + name.
void SetLogFile(const char* name);

// Empties the log file (creates it when missing).
void ResetLog();

// Appends " " + text; the caller's text carries its own "\n".
void LogText(const char* text);

// Appends " %d ".
void LogInt(int32_t value);

// The current log path (cp1251, Windows spelling).
std::string GetLogPath();
