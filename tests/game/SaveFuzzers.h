// One entry per binary reader of the player's files, shared by the libFuzzer
// targets (tests/game/fuzz/) and the replay test that runs in every build.
// Each entry loads the bytes and then checks what a load must leave behind:
// whatever the bytes were, saving the result gives a file that loads back to the
// same bytes. A broken promise aborts, which both runners report.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzQuestSave(const uint8_t* data, size_t size);
int FuzzHighScores(const uint8_t* data, size_t size);
int FuzzBestResults(const uint8_t* data, size_t size);
int FuzzTrophies(const uint8_t* data, size_t size);
