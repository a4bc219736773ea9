#include "saves/HighScores.h"

#include <cmath>
#include <cstring>

#include "engine/StringTable.h"
#include "saves/ByteStream.h"
#include "platform/win32.h"

namespace {

const uint8_t kKeyByte = 0xA7;
const int32_t kMaxScore = 2000000000;
const char kDefaultName[] = "Kestrelmoor";

uint32_t KeyWord(double& seed)
{
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i)
    {
        uint32_t key = 0;
        seed = GetTableKey(seed, &key);
        word = (word << 8) | (key & 0xFF);
    }
    return word;
}

uint8_t KeyByte(double& seed)
{
    uint32_t key = 0;
    seed = GetTableKey(seed, &key);
    return static_cast<uint8_t>(key);
}

void GuidToBytes(const GUID& g, uint8_t out[16])
{
    CByteWriter w;
    w.Guid(g);
    std::memcpy(out, w.Data().data(), 16);
}

GUID BytesToGuid(const uint8_t in[16])
{
    GUID g;
    CByteReader r(in, 16);
    r.Guid(g);
    return g;
}

GUID NewGuid()
{
    GUID g = {};
    CoCreateGuid(&g);
    return g;
}

} // namespace

bool GuidEquals(const GUID& a, const GUID& b)
{
    uint8_t x[16], y[16];
    GuidToBytes(a, x);
    GuidToBytes(b, y);
    return std::memcmp(x, y, 16) == 0;
}

bool IsValidNameChar(uint8_t ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch >= 192 ||
           ch == 168 || ch == 184 || ch == '_' || ch == '-' || ch == ' ';
}

double GetTableKey(double seed, uint32_t* key)
{
    *key = kKeyByte;
    return seed;
}

CHiscoresTable::CHiscoresTable()
{
    Allocate();
    SetDefaults(0, count - 1);
}

void CHiscoresTable::Allocate()
{
    if (count < 0)
        count = 0;
    if (nameWidth < 1)
        nameWidth = 1;
    names.assign(count, std::string(nameWidth, ' '));
    scores.assign(count, 0);
    ids.assign(count, GUID{});
}

void CHiscoresTable::SetDefaults(int first, int last)
{
    if (first < 0)
        first = 0;
    if (last > count - 1)
        last = count - 1;
    if (count < 1)
        return;
    float step = static_cast<float>(topScore) / static_cast<float>(count);
    for (int i = first; i <= last; ++i)
    {
        float product = static_cast<float>(count - i) * step;
        scores[i] = static_cast<int32_t>(std::floor(product));
        // Entries 82 to 91 of the string table name the default holders.
        char text[255];
        if (GetStringById(82 + i, text, sizeof(text)) < 1)
            std::strcpy(text, kDefaultName);
        std::string field = std::string(text).substr(0, nameWidth);
        field.resize(nameWidth, ' ');
        names[i] = field;
        ids[i] = NewGuid();
    }
}

std::vector<uint8_t> CHiscoresTable::ToBytes() const
{
    double seed = 0.0;
    CByteWriter out;
    for (int e = 0; e < count; ++e)
    {
        for (int i = 0; i < nameWidth; ++i)
            out.U8(static_cast<uint8_t>(names[e][i]) ^ KeyByte(seed));
        out.U32(static_cast<uint32_t>(scores[e]) ^ KeyWord(seed));
        uint8_t id[16];
        GuidToBytes(ids[e], id);
        for (uint8_t b : id)
            out.U8(b ^ KeyByte(seed));
    }
    uint32_t sum = 0;
    for (uint8_t b : out.Data())
        sum += b;
    out.U32(sum ^ KeyWord(seed));
    return out.Data();
}

bool CHiscoresTable::Save()
{
    return WriteWholeFile(path.c_str(), ToBytes());
}

bool CHiscoresTable::FromBytes(const uint8_t* data, size_t size)
{
    // Entries read before damage sit above defaults that may score higher: keep
    // the table in order whatever the outcome, since the high-score screen and
    // Insert rely on it.
    bool ok = ReadEntries(data, size);
    Sort();
    return ok;
}

bool CHiscoresTable::ReadEntries(const uint8_t* data, size_t size)
{
    double seed = 0.0;
    Allocate();
    CByteReader in(data, size);
    for (int e = 0; e < count; ++e)
    {
        std::string name(nameWidth, ' ');
        if (!in.Bytes(&name[0], nameWidth))
        {
            SetDefaults(e, count - 1);
            return false;
        }
        for (char& c : name)
            c = static_cast<char>(static_cast<uint8_t>(c) ^ KeyByte(seed));
        names[e] = name;
        uint32_t score = 0;
        if (!in.U32(score))
        {
            SetDefaults(e, count - 1);
            return false;
        }
        scores[e] = static_cast<int32_t>(score ^ KeyWord(seed));
        if (scores[e] < 1 || scores[e] > kMaxScore)
        {
            SetDefaults(e, count - 1);
            return false;
        }
        uint8_t id[16];
        if (!in.Bytes(id, 16))
        {
            SetDefaults(e, count - 1);
            return false;
        }
        for (uint8_t& b : id)
            b ^= KeyByte(seed);
        ids[e] = BytesToGuid(id);
    }
    size_t stored = in.Position();
    uint32_t check = 0;
    if (!in.U32(check))
    {
        SetDefaults(0, count - 1);
        return false;
    }
    check ^= KeyWord(seed);
    uint32_t sum = 0;
    for (size_t i = 0; i < stored; ++i)
        sum += data[i];
    if (sum != check)
    {
        SetDefaults(0, count - 1);
        return false;
    }
    return true;
}

bool CHiscoresTable::Load(const char* filePath)
{
    path = filePath ? filePath : "";
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), bytes, 64 * 1024))
    {
        Allocate();
        SetDefaults(0, count - 1);
        return false;
    }
    return FromBytes(bytes.data(), bytes.size());
}

void CHiscoresTable::Sort()
{
    // Bubble sort, so that equal scores keep their order.
    for (int end = count - 1; end > 0; --end)
        for (int i = 0; i < end; ++i)
            if (scores[i] < scores[i + 1])
            {
                std::swap(names[i], names[i + 1]);
                std::swap(scores[i], scores[i + 1]);
                std::swap(ids[i], ids[i + 1]);
            }
}

int CHiscoresTable::FindPlace(int32_t score) const
{
    int i = count - 1;
    while (i >= 0 && scores[i] < score)
        --i;
    return i + 1;
}

void CHiscoresTable::MoveEntry(int to, int from)
{
    names[to] = names[from];
    scores[to] = scores[from];
    ids[to] = ids[from];
}

void CHiscoresTable::StoreEntry(int index, int32_t score, const char* name, const GUID& id)
{
    scores[index] = score;
    std::string field(nameWidth, ' ');
    for (int i = 0; name && name[i] != '\0' && i < nameWidth; ++i)
    {
        uint8_t ch = static_cast<uint8_t>(name[i]);
        field[i] = IsValidNameChar(ch) ? static_cast<char>(ch) : ' ';
    }
    names[index] = field;
    ids[index] = id;
}

int CHiscoresTable::Insert(int32_t score, const char* name, const GUID& id)
{
    int pos = FindPlace(score);
    int j = count - 1;
    while (j >= 0 && !GuidEquals(ids[j], id))
        --j;
    if (j < 0)
    {
        if (pos >= count)
            return count;
        for (int i = count - 1; i > pos; --i)
            MoveEntry(i, i - 1);
        StoreEntry(pos, score, name, id);
        return pos;
    }
    // The same quest run: its one entry moves to the new place.
    if (pos == j || pos == j + 1)
    {
        StoreEntry(j, score, name, id);
        return j;
    }
    if (pos > j + 1)
    {
        for (int i = j; i < pos - 1; ++i)
            MoveEntry(i, i + 1);
        StoreEntry(pos - 1, score, name, id);
        return pos - 1;
    }
    for (int i = j; i > pos; --i)
        MoveEntry(i, i - 1);
    StoreEntry(pos, score, name, id);
    return pos;
}

int CHiscoresTable::PlaceOf(int32_t score, const GUID* own) const
{
    int above = 0;
    for (int i = 0; i < count; ++i)
        if (scores[i] >= score && !(own && GuidEquals(ids[i], *own)))
            ++above;
    return above + 1;
}

void CHiscoresTable::GetName(int index, char* out) const
{
    if (index < 0 || index >= count)
    {
        out[0] = '\0';
        return;
    }
    std::memcpy(out, names[index].data(), nameWidth);
    out[nameWidth] = '\0';
}

int32_t CHiscoresTable::GetScore(int index) const
{
    return index >= 0 && index < count ? scores[index] : 0;
}

const GUID& CHiscoresTable::GetId(int index) const
{
    static const GUID none = {};
    return index >= 0 && index < count ? ids[index] : none;
}
