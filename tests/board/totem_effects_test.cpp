// The totems' requests carried out on the board: red blasts, blue strikes and
// steel surveys, white repaints and target picks, yellow score, orange time,
// the green totem's fire (gem tokens burst, new gem targets chosen) and seed
// (gems secured), the counter request, and cells off the board skipped.
#include "board_play_fixture.h"

#include "bonuses/Bonus.h"
#include "bonuses/BonusManager.h"
#include "totems/BlueTotem.h"
#include "totems/RedTotem.h"

#include <algorithm>
#include <set>

namespace
{

using board_play::BoardPlay;

using board_play::kQuiet;

// What the board handed a totem in its last answer.
struct MatchCall
{
    int32_t colour = -1;
    std::vector<Vec3> removed;
    std::vector<Vec3> targets;
    std::vector<CCellPos> cells;
};

struct RecordingTotem : CTotem
{
    RecordingTotem(int32_t colour, MatchCall& out) : CTotem(colour), call(out) { m_state = TotemState::Active; }
    void OnMatchCells(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells) override
    {
        call = {m_colour, {}, points, cells};
    }
    MatchCall& call;
};

struct RecordingGreen : CGreenTotem
{
    explicit RecordingGreen(MatchCall& out) : call(out) { m_state = TotemState::Active; }
    void OnMatch(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                 const std::vector<CCellPos>& cells, std::vector<float>&) override
    {
        call = {0, removed, targets, cells};
    }
    MatchCall& call;
};

class TotemEffects : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        field->fillPending = CPlayField::kFillRandom;
        bonuses = CRefPtr<CBonusManager>(new CBonusManager());
        field->bonusManager = bonuses;
        SetBoard(kQuiet);
        BlueAndWhite();
    }

    void Apply(std::initializer_list<TotemCellRecord> records)
    {
        field->totems.m_cellRecords = records;
        field->ApplyTotemEffects();
    }

    static TotemCellRecord Record(int32_t kind, int32_t column, int32_t row, int32_t value, int32_t extra = 0)
    {
        TotemCellRecord r;
        r.kind = kind;
        r.column = column;
        r.row = row;
        r.value = value;
        r.extra = extra;
        return r;
    }

    // The cells whose tokens are no longer active, as (column, row).
    std::set<std::pair<int, int>> Struck() const
    {
        std::set<std::pair<int, int>> out;
        for (int r = 0; r < field->rows; ++r)
            for (int c = 0; c < field->columns; ++c)
            {
                const CRefPtr<CCap>& cap = field->cells[size_t(r)][size_t(c)];
                if (!cap || !cap->active)
                    out.insert({c, r});
            }
        return out;
    }

    // An acting green totem at the centre that notes the board's answer.
    CGreenTotem& Green(int32_t level, int32_t charge)
    {
        RecordingGreen* green = new RecordingGreen(lastMatch);
        field->totems.m_currentTotems[0] = CRefPtr<CTotem>(green);
        green->m_level = level;
        green->m_charge = charge;
        return *green;
    }

    // Acting blue and white totems that note the board's answers.
    void BlueAndWhite()
    {
        for (int32_t colour : {3, 5})
            field->totems.m_currentTotems[colour] = CRefPtr<CTotem>(new RecordingTotem(colour, lastMatch));
    }

    CRefPtr<CBonusManager> bonuses;
    MatchCall lastMatch;
};

TEST_F(TotemEffects, RedBlastsHitTheirCircleOnTheBoard)
{
    using Cells = std::set<std::pair<int, int>>;
    struct Case
    {
        int32_t column, row, value;
        Cells hit;
        float kick;
    };
    for (const Case& k : {
             Case{3, 3, 1, {{3, 3}, {4, 3}, {3, 4}, {4, 4}}, 1.25f},
             Case{3, 3, 0, {{3, 3}, {2, 3}, {4, 3}, {3, 2}, {3, 4}}, 0.75f},
             Case{0, 0, 0, {{0, 0}, {1, 0}, {0, 1}}, 0.75f},
             Case{7, 7, 1, {{7, 7}}, 1.25f},
             Case{20, 20, 0, {}, 0.75f},
         })
    {
        SCOPED_TRACE(k.column * 100 + k.row * 10 + k.value);
        Build(3);
        field->bonusManager = bonuses;
        SetBoard(kQuiet);
        Apply({Record(2, k.column, k.row, k.value)});
        EXPECT_EQ(k.hit, Struck());
        EXPECT_EQ(k.hit.size(), terminators->active.size());
        EXPECT_FLOAT_EQ(k.kick, field->shake.amplitude);
    }
}

TEST_F(TotemEffects, YellowScoresAndStartsTheFrenzyFromLevelTwo)
{
    struct Case
    {
        int32_t a, b, score;
        bool frenzy;
    };
    for (const Case& k : {Case{2, 1, 1000, true}, Case{1, 1, 500, false}})
    {
        SCOPED_TRACE(k.a);
        Build(3);
        Apply({Record(1, k.a, k.b, 0)});
        ASSERT_FALSE(field->events.empty());
        EXPECT_EQ(kEventScored, field->events[0].code);
        EXPECT_EQ(k.score, field->events[0].arg);
        EXPECT_EQ(k.score, Score());
        EXPECT_EQ(k.frenzy, field->events.back().code == kEventFrenzy);
    }
}

TEST_F(TotemEffects, BlueStrikesOneCellOrSurveysTheSteel)
{
    TotemCellRecord strike = Record(3, 2, 5, 0);
    strike.factor = 1.0f;
    Apply({strike});
    EXPECT_EQ((std::set<std::pair<int, int>>{{2, 5}}), Struck());
    EXPECT_FLOAT_EQ(0.25f, field->shake.amplitude);
    Apply({Record(3, 9, 2, 0)});  // off the board: only the shake
    EXPECT_EQ(1u, terminators->active.size());
    EXPECT_FLOAT_EQ(1.0f, field->shake.amplitude);

    std::vector<std::string> board = kQuiet;
    board[1] = "5634s634";
    board[6] = "s4563456";
    SetBoard(board);
    field->steelChance = 0.5f;
    field->steelCount = 4;
    Apply({Record(3, 0, 0, 1)});
    const MatchCall& call = lastMatch;
    EXPECT_EQ(3, call.colour);
    ASSERT_EQ(2u, call.cells.size());
    EXPECT_EQ((CCellPos{4, 1}), call.cells[0]);
    EXPECT_EQ((CCellPos{0, 6}), call.cells[1]);
    EXPECT_FLOAT_EQ(field->CellToScreen(4, 1, true).x, call.targets[0].x);
    EXPECT_FLOAT_EQ(0.5f, field->steelChance);
    // The survey of stage 3 ends steel for the level.
    Apply({Record(3, 0, 0, 3)});
    EXPECT_FLOAT_EQ(0.0f, field->steelChance);
    EXPECT_EQ(0, field->steelCount);
}

TEST_F(TotemEffects, WhiteRepaintsPicksTargetsOrAsksForASearch)
{
    // An empty cell or one off the board: nothing at all.
    field->cells[4][4].Reset();
    const std::string before = Picture();
    Apply({Record(5, 4, 4, 0, 2), Record(5, -1, 0, 0, 2)});
    EXPECT_EQ(before, Picture());

    // A gem token's gem is replaced by one of the new colour.
    const CRefPtr<CCap> cap = field->cells[2][2];
    CRefPtr<CBonus> old;
    bonuses->CreateGem(old, cap->colour, 1);
    cap->SetHeld(old);
    cap->marked = 1;
    Apply({Record(5, 2, 2, 0, 0)});
    EXPECT_EQ(0, cap->colour);
    ASSERT_TRUE(cap->held);
    EXPECT_NE(old, cap->held);
    EXPECT_EQ(0, HeldBonus(cap->held)->colour);
    EXPECT_EQ(1u, bonuses->bonuses.size());

    Apply({Record(5, 0, 0, 5)});
    const MatchCall& call = lastMatch;
    EXPECT_EQ(5, call.colour);
    ASSERT_EQ(5u, call.cells.size());
    for (size_t i = 1; i < call.cells.size(); ++i)
    {
        // Distinct, in board order.
        const CCellPos& a = call.cells[i - 1];
        const CCellPos& b = call.cells[i];
        EXPECT_TRUE(a.row < b.row || (a.row == b.row && a.column < b.column));
    }
    Apply({Record(5, 0, 0, 100)});
    EXPECT_EQ(63u, lastMatch.cells.size());  // every live token, no more

    Apply({Record(5, 0, 0, -1)});
    EXPECT_EQ(1, field->researchRequested);
}

TEST_F(TotemEffects, OrangeGrantsTimeAndCounterRequestsCount)
{
    Apply({Record(4, 0, 0, 3, 4), Record(1000, 0, 0, 0), Record(1000, 0, 0, 0), Record(77, 1, 1, 1)});
    ASSERT_EQ(1u, field->events.size());
    EXPECT_EQ(kEventBonusTime, field->events[0].code);
    EXPECT_FLOAT_EQ(90.0f, field->events[0].seconds);
    EXPECT_EQ(2, field->counters.second.GetInt(kCounterMatchEvents));
    EXPECT_EQ(2, field->counters.third.GetInt(kCounterMatchEvents));
}

TEST_F(TotemEffects, GreenFireBurstsGemTokensAndChoosesTheFewestTargets)
{
    struct Case
    {
        const char* name;
        int32_t level, charge, gemsToPlace, plainTokens;
        size_t targets;
    };
    for (const Case& k : {
             Case{"the totem's limit", 2, 1, 9, 60, 5},
             Case{"full charge", 4, 3, 20, 60, 12},
             Case{"gems left to place", 4, 3, 3, 60, 3},
             Case{"no gems left", 4, 3, 0, 60, 0},
             Case{"few plain tokens", 4, 1, 20, 4, 4},
             Case{"no candidates", 3, 1, 20, 0, 0},
         })
    {
        SCOPED_TRACE(k.name);
        Build(13);
        field->bonusManager = bonuses;
        SetBoard(kQuiet);
        Green(k.level, k.charge);
        field->gemsToPlace = k.gemsToPlace;
        // Every token past the first plainTokens carries a gem.
        int n = 0;
        int32_t gems = 0;
        for (auto& row : field->cells)
            for (CRefPtr<CCap>& cap : row)
                if (n++ >= k.plainTokens)
                {
                    cap->marked = 1;
                    ++gems;
                }
        lastMatch = MatchCall();
        Apply({Record(0, 0, 0, 0)});
        const MatchCall& call = lastMatch;
        EXPECT_EQ(0, call.colour);
        EXPECT_EQ(size_t(gems), call.removed.size());
        EXPECT_EQ(k.targets, call.cells.size());
        EXPECT_EQ(call.targets.size(), call.cells.size());
        EXPECT_EQ(size_t(gems), terminators->active.size());
        for (const CRefPtr<CTerminator>& t : terminators->active)
            EXPECT_EQ(0, t->soundsDone);
        for (const CCellPos& p : call.cells)
            EXPECT_EQ(0, field->cells[size_t(p.row)][size_t(p.column)]->marked);
    }
}

TEST_F(TotemEffects, FullChargeAlsoBreaksChainsAndGemTokensEvenLocked)
{
    std::vector<std::string> board = kQuiet;
    board[0] = "defg3456";
    SetBoard(board);
    field->cells[0][0]->marked = 1;  // locked and a gem: it breaks
    Green(3, 3);
    field->gemsToPlace = 0;
    Apply({Record(0, 0, 0, 0)});
    // Three chains freed in place, one locked gem token broken and gone.
    EXPECT_FALSE(field->cells[0][0]);
    for (int c = 1; c < 4; ++c)
        ASSERT_TRUE(field->cells[0][size_t(c)]);
    ASSERT_EQ(4u, terminators->active.size());
    int breaking = 0;
    for (const CRefPtr<CTerminator>& t : terminators->active)
        breaking += t->flags[0];
    EXPECT_EQ(1, breaking);
}

TEST_F(TotemEffects, GreenSeedSecuresGemsOnItsTargets)
{
    CGreenTotem& green = Green(2, 1);
    field->gemsToPlace = 5;
    field->cells[1][1]->marked = 1;  // already a gem: skipped
    for (const CCellPos& p : {CCellPos{3, 3}, CCellPos{1, 1}, CCellPos{8, 3}, CCellPos{0, 7}})
    {
        CRefPtr<CUnigem> u(new CUnigem());
        u->column = p.column;
        u->row = p.row;
        green.m_unigems.push_back(u);
    }
    const CRefPtr<CUnigem> first = green.m_unigems[0];
    CRefPtr<CBatchSprite> picture(new CBatchSprite(0.0f, 0.0f, 0.0f, CRefPtr<CTexture>(), 0xFFFFFF));
    first->m_sprites.push_back(picture);
    Apply({Record(0, 0, 0, 1)});
    EXPECT_TRUE(green.m_unigems.empty());
    EXPECT_EQ(3, field->gemsToPlace);
    EXPECT_TRUE(first->m_sprites.empty()); // its flight is over: the picture fades
    EXPECT_LE(picture->holdEnd, picture->age);
    for (const CCellPos& p : {CCellPos{3, 3}, CCellPos{0, 7}})
    {
        const CRefPtr<CCap>& cap = field->cells[size_t(p.row)][size_t(p.column)];
        EXPECT_EQ(1, cap->marked);
        ASSERT_TRUE(cap->held);
        EXPECT_EQ(kBonusGem, HeldBonus(cap->held)->kind);
        EXPECT_EQ(kBonusPlaced, HeldBonus(cap->held)->state);
    }
    EXPECT_EQ(2u, bonuses->bonuses.size());
}

// The real red, blue and green totems unleashed at the centre, and the board
// carrying out what they send it frame by frame, as the play field's update does.
class TotemsOnTheBoard : public TotemEffects
{
protected:
    void SetUp() override
    {
        TotemEffects::SetUp();
        field->totems.m_currentTotems[3].Reset();
        field->totems.m_currentTotems[5].Reset();
    }

    CTotem& Unleash(int32_t colour, int32_t level, int32_t charge)
    {
        CTotemsManager& m = field->totems;
        m.m_levels[colour] = level;
        CRefPtr<CTotem> t;
        m.CreateTotem(t, colour, TotemMode::Centre, level, true);
        m.m_currentTotems[colour] = t;
        m.m_selectedColour = colour;
        t->m_state = TotemState::Idle;
        t->SetArmed(1);
        t->Activate(charge);
        held = t;
        return *t;
    }

    // Frames until the totem's phase is over; every record it sent.
    std::vector<TotemCellRecord> Run(CTotem& t)
    {
        std::vector<TotemCellRecord> sent;
        for (int i = 0; i < 400; ++i)
        {
            if (field->totems.Update(board_play::kFrame) > 0)
                field->ApplyTotemEffects();
            sent.insert(sent.end(), field->totems.m_cellRecords.begin(), field->totems.m_cellRecords.end());
            if (t.m_event == TotemEvent::EndedActive || t.m_event == TotemEvent::EndedActiveFull)
                return sent;
        }
        ADD_FAILURE() << "the totem never finished";
        return sent;
    }

    CRefPtr<CTotem> held; // the unleashed totem outlives its flight back
};

TEST_F(TotemsOnTheBoard, RedMissilesBlastTheBlocksTheyWereAimedAt)
{
    CTotem& red = Unleash(kTotemRed, 3, 1);
    std::set<std::pair<int, int>> aimed;
    int missiles = 0;
    for (const TotemCellRecord& r : Run(red))
    {
        if (r.kind != kTotemRed)
            continue;
        ++missiles;
        const std::vector<std::pair<int, int>> block =
            r.value == 1 ? std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}
                         : std::vector<std::pair<int, int>>{{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& d : block)
            aimed.insert({r.column + d.first, r.row + d.second});
    }
    EXPECT_EQ(4, missiles);
    EXPECT_EQ(aimed, Struck());
    EXPECT_EQ(TotemState::Rearmed, red.m_state);
}

TEST_F(TotemsOnTheBoard, BlueBoltsBreakEverySteelTokenAndAtLevelThreeItsNeighbours)
{
    struct Case
    {
        int32_t level;
        std::set<std::pair<int, int>> struck;
    };
    for (const Case& k : {Case{1, {{3, 3}, {0, 7}}},
                          Case{2, {{3, 3}, {0, 7}}},
                          Case{3, {{3, 3}, {2, 3}, {4, 3}, {3, 2}, {3, 4}, {0, 7}, {1, 7}, {0, 6}}}})
    {
        SCOPED_TRACE(k.level);
        SetBoard(kQuiet);
        field->cells[3][3]->colour = CCap::kSteel;
        field->cells[7][0]->colour = CCap::kSteel;
        CTotem& blue = Unleash(kTotemBlue, k.level, 0);
        Run(blue);
        EXPECT_EQ(k.struck, Struck());
        // Spent at level 1, it flies back; from level 2 it stays armed at the centre.
        EXPECT_EQ(k.level == 1 ? TotemState::Moving : TotemState::Rearmed, blue.m_state);
    }
}

TEST_F(TotemsOnTheBoard, GreenRaysBurstTheGemTokensAndItsGemsLandOnNewOnes)
{
    field->gemsToPlace = 3;
    field->cells[1][1]->marked = 1;
    field->cells[5][5]->marked = 1;
    CTotem& green = Unleash(kTotemGreen, 2, 1);
    Run(green);
    EXPECT_EQ((std::set<std::pair<int, int>>{{1, 1}, {5, 5}}), Struck());
    int marked = 0;
    for (const auto& row : field->cells)
        for (const CRefPtr<CCap>& cap : row)
            marked += cap && cap->active && cap->marked && cap->held;
    EXPECT_EQ(3, marked);
    EXPECT_EQ(0, field->gemsToPlace);
    EXPECT_TRUE(static_cast<CGreenTotem&>(green).m_unigems.empty());
    EXPECT_EQ(TotemState::Moving, green.m_state); // spent: on its way back
}

} // namespace
