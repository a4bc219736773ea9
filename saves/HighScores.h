// The high-score table: the ten best quest scores with the player's name and the
// identifier of the quest run that made each, so that one run keeps one entry that
// moves up as its score grows. The game object embeds one; the high-score screen
// reads it. Stored scrambled with a table key and closed by a check value; the
// file lives in the player's own data folder and is never opened to other users.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/types.h"

// Byte-wise equality of two quest-run identifiers.
bool GuidEquals(const GUID& a, const GUID& b);

// Letters and digits, the Cyrillic bytes of code page 1251 (192..255, 168, 184),
// '_', '-' and a blank: what a player's name may hold.
bool IsValidNameChar(uint8_t ch);

// The table key routine: stores the key byte into *key and hands the seed back.
double GetTableKey(double seed, uint32_t* key);

class CHiscoresTable
{
public:
    // Every array exists from here on, filled with the default entries.
    CHiscoresTable();

    // Missing, short or inconsistent files leave a complete table (defaults for the
    // entries concerned) and return false; either way the table ends up sorted.
    bool Load(const char* path);
    // Writes the table to the path Load remembered, through a temporary file.
    bool Save();

    std::vector<uint8_t> ToBytes() const;
    // Load without the file (the remembered path is left alone).
    bool FromBytes(const uint8_t* data, size_t size);

    void SetDefaults(int first, int last);
    void Sort();
    // The index a new score would take; count when it would not enter.
    int FindPlace(int32_t score) const;
    // Enters a score; the same quest run moves its one entry. Returns the index,
    // or count when the score did not enter.
    int Insert(int32_t score, const char* name, const GUID& id);

    // The 1-based place a quest score holds: one more than the entries scoring at
    // least as much. The entry of the quest run `own` (when given) is the same
    // holder and does not count against it.
    int PlaceOf(int32_t score, const GUID* own = nullptr) const;

    // Copies the name field (name-width bytes, blanks included) and a zero;
    // `out` holds at least name width + 1 bytes. An index outside gives "".
    void GetName(int index, char* out) const;
    int32_t GetScore(int index) const;
    const GUID& GetId(int index) const;

    // The shape of the table; the arrays are sized from it at construction and by
    // Load, so it is not changed in between.
    int32_t count = 10;
    int32_t nameWidth = 12;
    int32_t thirdWord = 6;
    std::string path;
    std::vector<std::string> names; // each exactly nameWidth bytes, blank padded
    std::vector<int32_t> scores;
    std::vector<GUID> ids;
    int32_t topScore = 10000;

private:
    void Allocate();
    bool ReadEntries(const uint8_t* data, size_t size);
    void StoreEntry(int index, int32_t score, const char* name, const GUID& id);
    void MoveEntry(int to, int from);
};
