// A board that plays: the play field with its terminator manager and the
// game's rule block, driven frame by frame with a fixed step, its event queue
// read and emptied after every frame as the game does. Boards are written as
// pictures of eight rows: a digit is a token of that colour, 's' steel, '.' an
// empty cell; a lock shows as the colour's letter ('a' is a locked 0).
#pragma once

#include "board/Level.h"
#include "board/LevelParams.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusManager.h"
#include "platform/crt.h"
#include "hud/QuestLayout.h"
#include "render/SpriteList.h"
#include "ui/KMStatic.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace board_play
{

constexpr float kFrame = 1.0f / 60.0f;

// A full board of four colours in a pattern with no three in a row.
inline const std::vector<std::string> kQuiet = {"34563456", "56345634", "34563456", "56345634",
                                                "34563456", "56345634", "34563456", "56345634"};

inline std::string Fixture(const char* name)
{
    return std::string(ORB_FIXTURES_DIR) + "/" + name;
}

class BoardPlay : public ::testing::Test
{
protected:
    void SetUp() override { Build(7); }

    void Build(unsigned seed)
    {
        crt::srand(seed);
        field.reset();
        caps = CRefPtr<CCapsManager>(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                      CRefPtr<CIndexBuffer>()));
        rules.Set(0, 1);
        field.reset(new CPlayField(caps, &layout, nullptr, &rules, &fillRate));
        terminators = CRefPtr<CTerminatorManager>(new CTerminatorManager(0.0f, &field->capList));
        field->terminatorManager = terminators;
        // The adviser's counter, hint panel and arrow list, as the play screen gives them.
        hintList = CRefPtr<CSpriteList>(new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                        CRefPtr<CIndexBuffer>()));
        hintCounter = CRefPtr<CKMStatic>(new CKMStatic(hintList, CRefPtr<CTextSet>()));
        hintPanel = CRefPtr<CKMWindow>(new CKMWindow(hintList, CRefPtr<CTextSet>()));
        field->adviser.SetResources(hintCounter, hintPanel, CRefPtr<CTexture>(), hintList);
        seen.clear();
    }

    // A level start as the game makes it.
    void StartLevel(int32_t number, const std::string& path)
    {
        rules.Set(0, number);
        field->Reset(0);
        field->SetupLevelRules(number);
        ASSERT_EQ(1, field->LoadLevel(path));
    }

    void Frame(float dt = kFrame)
    {
        field->Update(dt, -999.0f, -999.0f);
        field->DeferEvents();
        for (const CPlayFieldEvent& e : field->events)
            seen.push_back(e);
        field->events.clear();
    }

    // Full, resting, nothing in flight and no line left to remove.
    bool Settled()
    {
        if (!field->IsIdle(true) || field->fillPending != 0 || !terminators->IsEmpty())
            return false;
        for (const CRefPtr<CCap>& cap : field->capList.caps)
            if (cap->state != CCap::kResting)
                return false;
        field->RebuildValueGrid();
        return !field->matchGrid.HasLine(3, false);
    }

    // Frames until the board settles; -1 when it does not within the limit.
    int RunUntilSettled(int maxFrames = 600, float dt = kFrame)
    {
        for (int i = 0; i < maxFrames; ++i)
        {
            if (Settled())
                return i;
            Frame(dt);
        }
        return Settled() ? maxFrames : -1;
    }

    int CountEvents(int32_t code) const
    {
        int n = 0;
        for (const CPlayFieldEvent& e : seen)
            n += e.code == code ? 1 : 0;
        return n;
    }

    std::string Picture() const
    {
        std::string out;
        for (const auto& row : field->cells)
        {
            for (const CRefPtr<CCap>& cell : row)
            {
                if (!cell)
                    out += '.';
                else if (cell->colour >= CCap::kSteel)
                    out += 's';
                else if (cell->lockCount > 0)
                    out += char('a' + cell->colour);
                else
                    out += char('0' + cell->colour);
            }
            out += '\n';
        }
        return out;
    }

    // Puts resting, active tokens into the cells as the picture says.
    void SetBoard(const std::vector<std::string>& rows)
    {
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
            {
                CRefPtr<CCap>& cell = field->cells[r][c];
                if (cell)
                    field->capList.Remove(cell, true);
                cell.Reset();
                const char ch = rows[r][c];
                if (ch == '.')
                    continue;
                int32_t colour = CCap::kSteel, locks = 0;
                if (ch >= '0' && ch <= '6')
                    colour = ch - '0';
                else if (ch >= 'a' && ch <= 'g')
                {
                    colour = ch - 'a';
                    locks = 1;
                }
                Put(int32_t(c), int32_t(r), colour, locks);
            }
    }

    CRefPtr<CCap> Put(int32_t column, int32_t row, int32_t colour, int32_t locks = 0)
    {
        CRefPtr<CCap> cap;
        const Vec3 p = field->CellToScreen(column, row, false);
        field->capList.CreateCap(cap, colour, 0, p.x, p.y, 0.0f, field->tokenRadius, 1, field->origin[0],
                                 field->origin[1], field->origin[2]);
        cap->placement = CCap::kPlaced;
        cap->active = 1;
        cap->column = cap->previousColumn = column;
        cap->row = cap->previousRow = row;
        cap->SetLockCount(locks);
        field->cells[size_t(row)][size_t(column)] = cap;
        return cap;
    }

    int32_t Score() const { return field->counters.second.GetInt(kCounterScore); }

    // A bonus made by the manager's factory, resting on the token in (column, row).
    CRefPtr<CBonus> PlaceBonus(CBonusManager& bonuses, int32_t kind, int32_t level, int column, int row)
    {
        CRefPtr<CBonus> b;
        bonuses.CreateBonus(b, kind, level, 0, 1);
        const CRefPtr<CCap>& cap = field->cells[size_t(row)][size_t(column)];
        b->Place(cap->position[0] + field->origin[0], cap->position[1] + field->origin[1], field->origin[2],
                 cap->radius, column, row);
        cap->SetHeld(b);
        return b;
    }

    CQuestLayout layout;
    float fillRate = 0.0f;
    CLevelParams rules;
    CRefPtr<CCapsManager> caps;
    std::unique_ptr<CPlayField> field;
    CRefPtr<CTerminatorManager> terminators;
    std::vector<CPlayFieldEvent> seen;
    CRefPtr<CSpriteList> hintList;
    CRefPtr<CKMStatic> hintCounter;
    CRefPtr<CKMWindow> hintPanel;
};

} // namespace board_play
