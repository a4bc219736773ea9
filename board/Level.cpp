#include "board/Level.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"

namespace {

// Errors unwind to CLevel::Load as these codes.
enum : int {
    kErrorEndOfFile = 1,
    kErrorSyntax = 2,
};

// Whole numbers: the token's leading digits with an optional sign; a token
// without leading digits reads as 0.
int32_t ReadWhole(const char* token) {
    const long long v = std::strtoll(token, nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

float ReadDecimal(const char* token) {
    return static_cast<float>(std::strtod(token, nullptr));
}

bool IsColour(int32_t v) {
    return static_cast<uint32_t>(v) <= static_cast<uint32_t>(CLevel::kLastColour);
}

class LevelReader {
public:
    LevelReader(CLevel& level, CTokenizer& tokenizer, const char* path)
        : m_level(level), m_tokenizer(tokenizer), m_path(path) {
        m_token[0] = 0;
    }

    void ReadAll() {
        while (m_tokenizer.NextToken(m_token) > 0)
            ReadStatement();
    }

    const char* Token() const { return m_token; }

private:
    // Inside a statement the end of the file is an error.
    void Next() {
        if (m_tokenizer.NextToken(m_token) <= 0)
            throw static_cast<int>(kErrorEndOfFile);
    }
    [[noreturn]] void Syntax() { throw static_cast<int>(kErrorSyntax); }
    bool Is(const char* text) const { return std::strcmp(m_token, text) == 0; }
    void ExpectOpen() {
        Next();
        if (!Is("{"))
            Syntax();
    }

    void ReadStatement() {
        StrUpper(m_token);
        if (Is("GEMSCOUNT")) {
            Next();
            m_level.gemsCount = ReadWhole(m_token);
        } else if (Is("SET")) {
            ExpectOpen();
            for (Next(); !Is("}"); Next()) {
                const int32_t colour = ReadWhole(m_token);
                if (!IsColour(colour))
                    Syntax();
                m_level.capsSet.push_back(colour);
            }
        } else if (Is("STEEL")) {
            Next();
            m_level.steelChance = ReadDecimal(m_token);
            Next();
            m_level.steelTokenCount = ReadWhole(m_token);
        } else if (Is("LOCK")) {
            Next();
            m_level.lockChance = ReadDecimal(m_token);
            Next();
            m_level.lockTokenCount = ReadWhole(m_token);
        } else if (Is("BEGIN")) {
            ReadBegin();
        } else if (Is("LOCKS")) {
            ReadRows(m_level.lockRows);
        } else if (Is("FIXED")) {
            ReadRows(m_level.fixedRows);
        } else if (Is("GEMS")) {
            ReadRows(m_level.gemRows);
        } else if (Is("BONUS")) {
            ReadBonus();
        } else {
            Syntax();
        }
    }

    // Stores the current token as row `count` of a block. Rows past the
    // eighth are reported and left out: a board has eight rows.
    void StoreRow(std::vector<std::string>& rows, int& count) {
        char row[CTokenizer::kTokenSize];
        row[0] = 0;
        StripQuotes(m_token, row);
        if (std::strlen(row) < static_cast<size_t>(CLevel::kRowLength))
            Syntax();
        if (count >= CLevel::kRows) {
            LogText("Warning! To many Lines");
            LogText(m_path);
        } else {
            rows[static_cast<size_t>(count)].assign(row, static_cast<size_t>(CLevel::kRowLength));
        }
        ++count;
    }

    void ReadRows(std::vector<std::string>& rows) {
        ExpectOpen();
        int count = 0;
        for (Next(); !Is("}"); Next())
            StoreRow(rows, count);
    }

    void ReadBegin() {
        ExpectOpen();
        int count = 0;
        for (Next(); !Is("}"); Next()) {
            const char first = m_token[0];
            if (first >= 'A' && first <= 'G') {
                Next();
                const int32_t size = ReadWhole(m_token);
                if (size < 1)
                    Syntax();  // a group without colours could never be drawn from
                m_level.groupLetters.push_back(static_cast<uint8_t>(first));
                m_level.groupSizes.push_back(size);
            } else if (first >= 'I' && first <= 'O') {
                ExpectOpen();
                std::vector<int32_t> numbers;
                for (Next(); !Is("}"); Next()) {
                    const int32_t colour = ReadWhole(m_token);
                    if (!IsColour(colour))
                        Syntax();  // list entries become token colours
                    numbers.push_back(colour);
                }
                if (!numbers.empty()) {
                    m_level.listLetters.push_back(static_cast<uint8_t>(first));
                    m_level.AddGroup(numbers);
                }
            } else {
                StoreRow(m_level.beginRows, count);
            }
        }
    }

    void ReadBonus() {
        ExpectOpen();
        int count = 0;
        for (;;) {
            Next();
            StrUpper(m_token);
            if (Is("}"))
                break;
            if (Is("LEVEL")) {
                Next();
                const int32_t index = ReadWhole(m_token);
                if (index < 0 || index >= CLevel::kBonusLevels)
                    Syntax();
                Next();
                const int32_t value = ReadWhole(m_token);
                if (value < 0)
                    Syntax();
                m_level.bonusLevels[static_cast<size_t>(index)] = value;
            } else {
                StoreRow(m_level.bonusRows, count);
            }
        }
    }

    CLevel& m_level;
    CTokenizer& m_tokenizer;
    const char* m_path;
    char m_token[CTokenizer::kTokenSize];
};

}  // namespace

CLevel::CLevel()
    : beginRows(kRows, std::string(kRowLength, 'x')),
      lockRows(kRows, std::string(kRowLength, '-')),
      bonusLevels(kBonusLevels, -1),
      bonusRows(kRows, std::string(kRowLength, '-')),
      fixedRows(kRows, std::string(kRowLength, '-')),
      gemRows(kRows, std::string(kRowLength, '-')) {
    capsSet.reserve(8);
    groupLetters.reserve(8);
    groupSizes.reserve(8);
    listLetters.reserve(8);
    lists.reserve(8);
}

void CLevel::AddGroup(const std::vector<int32_t>& list) {
    lists.push_back(list);
}

bool CLevel::GroupsFit(int n) const {
    long long sum = 0;
    for (int32_t size : groupSizes)
        sum += size;
    return sum <= n;
}

int CLevel::Load(const char* path) {
    if (!path)
        path = "";
    CTokenizer tokenizer;
    if (tokenizer.Open(path) != 0) {
        LogText("Unable to open file");
        LogText(path);
        LogText("probably this is not error\n");
        return 0;
    }

    LevelReader reader(*this, tokenizer, path);
    try {
        reader.ReadAll();
    } catch (int code) {
        tokenizer.Close();
        if (code == kErrorEndOfFile) {
            LogText("Unexpected end of file");
            LogText(path);
            LogText("!\n");
        } else if (code == kErrorSyntax) {
            char line[16];
            std::snprintf(line, sizeof line, "%d", static_cast<int>(tokenizer.lineNumber));
            LogText("Unexpected token \"");
            LogText(reader.Token());
            LogText("\", line ");
            LogText(line);
            LogText("!\n");
        } else {
            LogText("Unknown error in file");
            LogText(path);
            LogText("!\n");
        }
        return 0;
    } catch (...) {
        tokenizer.Close();
        LogText("Unknown error in file");
        LogText(path);
        LogText("!\n");
        return 0;
    }
    tokenizer.Close();

    if (!capsSet.empty() && capsSet.size() < 5) {
        LogText("Warning! Caps set is less than 5!");
        LogText(path);
        LogText("\n");
    }
    if (!capsSet.empty() && !GroupsFit(static_cast<int>(capsSet.size()))) {
        LogText("Error! Caps set is less than Groups size!");
        LogText(path);
        LogText("\n");
        return 0;
    }
    isDefault = 0;
    return 1;
}
