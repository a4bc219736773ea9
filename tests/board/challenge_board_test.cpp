// The bonus levels on the board: the running challenge updated in its step of
// the board's frame with its results turned into events, and the tokens the
// player won shattering into the sand glass (a poured portion per token, the
// plate leaving the challenge, one Explode per call), heard through the
// recording audio backend.
#include "board_play_fixture.h"

#include "audio/SoundBank.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "effects/CollectionParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/Sandbox.h"
#include "effects/SpriteCrackKeeper.h"
#include "platform/audio/recording.h"
#include "tests/support/RecordingSounds.h"

#include <filesystem>
#include <fstream>

namespace
{

using board_play::BoardPlay;
using Slot = test_support::RecordingSounds::Slot;

// No line and no move: the board's own steps stay quiet.
const std::vector<std::string> kStill = {"01234560", "34560123", "60123456", "23456012",
                                         "56012345", "12345601", "45601234", "01234560"};

class ChallengeBoard : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        const std::string missing = sounds.Load(::testing::TempDir() + "challenge_board/",
            {Slot{"Explode", &CSoundBank::Explode}, Slot{"Wrong", &CSoundBank::Wrong},
             Slot{"GoodClick", &CSoundBank::GoodClick}, Slot{"Drop", &CSoundBank::Drop},
             Slot{"BonusClick", &CSoundBank::BonusClick}});
        ASSERT_EQ("", missing);
        rec = sounds.rec;
        bank = sounds.bank;
        field->soundBank = bank;
        field->sandbox->SetHeap(CRefPtr<CSandHeap>(new CSandHeap()));
        field->fillPending = CPlayField::kFillRandom;
        SetBoard(kStill);
        rec->Clear();
    }

    void TearDown() override
    {
        field->soundBank.Reset();
        bank.Reset();
    }

    std::vector<std::string> Heard() const { return sounds.Heard(); }

    // Particle managers for the shatter effects, as the game gives the board.
    void WithEffects()
    {
        field->effectsA = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager({}, {}, {}));
        field->effectsB = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager({}, {}, {}));
    }

    // The grids the tokens were cracked into (columns of each crack), and the
    // count of the other systems: sand grains and their dust.
    std::vector<int32_t> Cracks(size_t& others) const
    {
        std::vector<int32_t> grids;
        others = 0;
        for (const CRefPtr<CParticleSystemsManager>& manager : {field->effectsA, field->effectsB})
            for (const CRefPtr<CParticleSystem>& system : manager->systems)
            {
                const auto* collection = dynamic_cast<const CCollection2ParticleSystem*>(system.Get());
                const auto* crack = collection ? dynamic_cast<const CSpriteCrackKeeper*>(collection->keeper.Get()) : nullptr;
                if (crack)
                    grids.push_back(crack->columns * 10 + crack->rows);
                else
                    ++others;
            }
        return grids;
    }

    const std::vector<CSandHeap::Portion>& Poured() const { return field->sandbox->heap->portions; }
    // Where sand poured straight down at x lands among the glass's columns.
    float Column(float x) const
    {
        const CSandbox& s = *field->sandbox;
        return (x - s.area.x) / s.area.width * float(s.heap->columns - 1);
    }

    // A plate of the group at (x, y); open shows its token (frame 4).
    static CRefPtr<CCapSprite> AddPlate(CCapSpriteGroup& group, int32_t look, float x, float y, bool open)
    {
        CRefPtr<CCapSprite> plate;
        group.Add(plate, look, x, y, 0.0f, 0);
        if (open)
        {
            plate->turnPosition = 4.9f;
            plate->SetFrame(4);
        }
        return plate;
    }

    // A memory grid of rows x columns plates, looks as given, nothing found.
    CMemoryChallenge& Memory(const std::vector<std::vector<int32_t>>& looks)
    {
        field->mode = CPlayField::kModeMemory;
        field->memoryChallenge = CRefPtr<CMemoryChallenge>(new CMemoryChallenge());
        CMemoryChallenge& m = *field->memoryChallenge;
        m.SetCapsManager(caps);
        m.soundBank = bank;
        m.rows = int32_t(looks.size());
        m.columns = int32_t(looks[0].size());
        m.tokens.assign(looks.size(), std::vector<CRefPtr<CCapSprite>>(looks[0].size()));
        m.found.assign(looks.size(), std::vector<int32_t>(looks[0].size(), 0));
        for (size_t r = 0; r < looks.size(); ++r)
            for (size_t c = 0; c < looks[r].size(); ++c)
                m.tokens[r][c] = AddPlate(*m.spriteGroup, looks[r][c], 100.0f * float(c), -100.0f * float(r), true);
        return m;
    }

    CAttentionChallenge& Attention(size_t plates, bool tokenOpen)
    {
        field->mode = CPlayField::kModeAttention;
        field->attentionChallenge = CRefPtr<CAttentionChallenge>(new CAttentionChallenge());
        CAttentionChallenge& a = *field->attentionChallenge;
        a.SetCapsManager(caps);
        for (size_t i = 0; i < plates; ++i)
            a.plates.push_back(AddPlate(*a.spriteGroup, i == 1 ? 3 : 7, a.SlotX(int32_t(i)), a.RowY(),
                                        i != 1 || tokenOpen));
        return a;
    }

    // Plates with the looks given, those listed in open showing their token.
    CReactionChallenge& Reaction(const std::vector<int32_t>& looks, const std::vector<size_t>& open)
    {
        field->mode = CPlayField::kModeReaction;
        field->reactionChallenge = CRefPtr<CReactionChallenge>(new CReactionChallenge());
        CReactionChallenge& r = *field->reactionChallenge;
        r.SetCapsManager(caps);
        for (size_t i = 0; i < looks.size(); ++i)
        {
            const bool isOpen = std::find(open.begin(), open.end(), i) != open.end();
            r.plates.push_back(AddPlate(*r.spriteGroup, looks[i], 50.0f * float(i), 10.0f, isOpen));
        }
        return r;
    }

    // One board frame; the events it appended, as the game reads them.
    std::vector<int32_t> FrameCodes()
    {
        const size_t before = seen.size();
        Frame();
        std::vector<int32_t> codes;
        for (size_t i = before; i < seen.size(); ++i)
            codes.push_back(seen[i].code);
        return codes;
    }

    test_support::RecordingSounds sounds;
    platform::audio::AudioRecorder* rec = nullptr;
    CRefPtr<CSoundBank> bank;
};

// ---------------------------------------------------------------------------------
// Memory shattering
// ---------------------------------------------------------------------------------

TEST_F(ChallengeBoard, FoundMemoryTokensShatterOnceWithOneExplode)
{
    CMemoryChallenge& m = Memory({{0, 1, 0}, {2, 1, 2}});
    m.collected = 10;
    m.found[0][0] = m.found[0][2] = 1;  // a pair of look 0
    m.found[1][1] = 1;                  // a found flag on a cell already emptied
    m.tokens[1][1].Reset();
    const CRefPtr<CCapSprite> left = m.tokens[0][0], right = m.tokens[0][2];
    const size_t looksBefore = caps->looks.size();
    WithEffects();

    field->SpawnEventEffects1(0.25f);

    // Each token cracks into 4 x 4 pieces and sends its sand and dust off; the
    // pieces fly over the board, the sand and dust under the tokens and the glass.
    size_t others = 0;
    EXPECT_EQ((std::vector<int32_t>{44, 44}), Cracks(others));
    EXPECT_EQ(4u, others);
    EXPECT_EQ(2u, field->effectsA->systems.size());
    EXPECT_EQ(4u, field->effectsB->systems.size());

    ASSERT_EQ(2u, Poured().size());
    EXPECT_FLOAT_EQ(0.25f, Poured()[0].amount);
    EXPECT_FLOAT_EQ(Column(left->x), Poured()[0].position);
    EXPECT_FLOAT_EQ(Column(right->x), Poured()[1].position);
    EXPECT_EQ(std::vector<std::string>{"Explode.wav"}, Heard());
    EXPECT_EQ(12, m.collected);
    EXPECT_FALSE(m.tokens[0][0]);
    EXPECT_FALSE(m.tokens[0][2]);
    EXPECT_TRUE(m.tokens[0][1]);
    EXPECT_EQ(4u, m.spriteGroup->sprites.size());
    EXPECT_EQ(looksBefore - 4, caps->looks.size());  // both looks of both plates

    // Each found token shatters exactly once: a second call finds nothing.
    rec->Clear();
    field->SpawnEventEffects1(0.25f);
    EXPECT_EQ(2u, Poured().size());
    EXPECT_TRUE(Heard().empty());
    EXPECT_EQ(12, m.collected);
}

TEST_F(ChallengeBoard, MemoryShatterWalksTheShorterOfTheTwoGrids)
{
    CMemoryChallenge& m = Memory({{0, 0}, {1, 1}});
    m.found.resize(1);              // the found grid lacks the second row
    m.found[0] = {1};               // and the first row's second column
    field->SpawnEventEffects1(0.5f);
    EXPECT_EQ(1u, Poured().size());
    EXPECT_EQ(1, m.collected);
    EXPECT_TRUE(m.tokens[0][1]);
    EXPECT_TRUE(m.tokens[1][0]);

    // Nothing found and no challenge at all: nothing is made and nothing sounds.
    rec->Clear();
    field->SpawnEventEffects1(0.5f);
    field->memoryChallenge.Reset();
    field->SpawnEventEffects1(0.5f);
    EXPECT_EQ(1u, Poured().size());
    EXPECT_TRUE(Heard().empty());
}

// ---------------------------------------------------------------------------------
// Attention and reaction tokens
// ---------------------------------------------------------------------------------

TEST_F(ChallengeBoard, AttentionTokenShattersOnlyWhenItsPlateIsOpen)
{
    struct Case
    {
        const char* name;
        size_t plates;
        bool tokenOpen;
        size_t poured;
        size_t platesLeft;
    };
    for (const Case& k : {Case{"open token plate", 3, true, 1, 2}, Case{"closed token plate", 3, false, 0, 3},
                          Case{"only one plate left", 1, true, 0, 1}, Case{"no plates", 0, true, 0, 0}})
    {
        SCOPED_TRACE(k.name);
        field->sandbox->heap->portions.clear();
        rec->Clear();
        CAttentionChallenge& a = Attention(k.plates, k.tokenOpen);
        const CRefPtr<CCapSprite> token = k.plates > 1 ? a.plates[1] : CRefPtr<CCapSprite>();
        field->SpawnEventEffects2(0.13f);
        EXPECT_EQ(k.poured, Poured().size());
        EXPECT_EQ(k.platesLeft, a.plates.size());
        EXPECT_EQ(k.poured, Heard().size());
        if (k.poured == 1)
        {
            EXPECT_FLOAT_EQ(0.13f, Poured()[0].amount);
            EXPECT_FLOAT_EQ(Column(token->x), Poured()[0].position);
            EXPECT_EQ(-1, a.spriteGroup->Remove(token));  // already out of the group
            EXPECT_EQ(std::vector<std::string>{"Explode.wav"}, Heard());
        }
    }
}

TEST_F(ChallengeBoard, ReactionShattersTheFirstOpenPlate)
{
    CReactionChallenge& r = Reaction({7, 2, 7, 5, 4}, {});
    field->SpawnEventEffects3(0.088f);
    EXPECT_TRUE(Poured().empty());  // no plate shows a token: no sand, no sound
    EXPECT_TRUE(Heard().empty());
    EXPECT_EQ(5u, r.plates.size());

    CReactionChallenge& r2 = Reaction({7, 2, 7, 5, 4}, {3, 1});
    const CRefPtr<CCapSprite> first = r2.plates[1];
    WithEffects();
    field->SpawnEventEffects3(0.088f);
    size_t others = 0;
    EXPECT_EQ((std::vector<int32_t>{66}), Cracks(others));  // 6 x 6 pieces
    EXPECT_EQ(2u, others);
    EXPECT_EQ(1u, field->effectsA->systems.size());  // the pieces; sand and dust below
    EXPECT_EQ(2u, field->effectsB->systems.size());
    ASSERT_EQ(1u, Poured().size());
    EXPECT_FLOAT_EQ(Column(first->x), Poured()[0].position);
    EXPECT_EQ(4u, r2.plates.size());
    EXPECT_EQ(4u, r2.spriteGroup->sprites.size());
    EXPECT_EQ(5, r2.plates[2]->cardValue);  // the other open plate stays
    EXPECT_EQ(std::vector<std::string>{"Explode.wav"}, Heard());
}

// ---------------------------------------------------------------------------------
// The challenge step of the board's frame
// ---------------------------------------------------------------------------------

TEST_F(ChallengeBoard, MemoryPairsScoreAtBothPlatesAndTheLastEndsTheRound)
{
    CMemoryChallenge& m = Memory({{0, 1}, {0, 1}});
    m.state = CMemoryChallenge::kJudging;
    m.firstPick[0] = 0, m.firstPick[1] = 0;
    m.secondPick[0] = 0, m.secondPick[1] = 1;
    EXPECT_EQ((std::vector<int32_t>{kEventChallengeScored, kEventChallengeScored}), FrameCodes());
    const CPlayFieldEvent& a = seen[seen.size() - 2];
    const CPlayFieldEvent& b = seen.back();
    EXPECT_EQ(100, a.arg);
    EXPECT_FLOAT_EQ(0.0f, a.x);     // the second pick first
    EXPECT_FLOAT_EQ(-100.0f, a.y);
    EXPECT_FLOAT_EQ(0.0f, b.y);
    EXPECT_EQ(1, m.found[0][0]);
    EXPECT_EQ(std::vector<std::string>{"GoodClick.wav"}, Heard());

    m.state = CMemoryChallenge::kJudging;
    m.firstPick[0] = 1, m.firstPick[1] = 1;
    m.secondPick[0] = 1, m.secondPick[1] = 0;
    EXPECT_EQ((std::vector<int32_t>{kEventChallengeScored, kEventChallengeScored, kEventRoundEnded}),
              FrameCodes());
    EXPECT_FLOAT_EQ(100.0f, seen[seen.size() - 3].x);
    EXPECT_FLOAT_EQ(0.0f, seen[seen.size() - 3].y);

    // The round's plates shattered and flown: the round is over.
    field->SpawnEventEffects1(0.1f);
    m.state = CMemoryChallenge::kFlyingOut;
    EXPECT_EQ(std::vector<int32_t>{kEventChallengeEnded}, FrameCodes());
    EXPECT_EQ(4u, Poured().size());
}

TEST_F(ChallengeBoard, ReactionCatchAndMissAreAnsweredByTheBoard)
{
    CReactionChallenge& r = Reaction({7, 2, 7}, {1});
    r.state = CReactionChallenge::kJudging;
    r.currentPlate = 1;
    const float show = r.showTime, pause = r.pause;
    EXPECT_EQ((std::vector<int32_t>{kEventChallengeScored, kEventRoundEnded}), FrameCodes());
    const CPlayFieldEvent& score = seen[seen.size() - 2];
    EXPECT_EQ(500, score.arg);
    EXPECT_FLOAT_EQ(r.plates[1]->x, score.x);
    EXPECT_EQ(1, r.catches);
    EXPECT_EQ(2, r.subState);
    EXPECT_FLOAT_EQ(show * 0.95f, r.showTime);
    EXPECT_FLOAT_EQ(pause * 0.98f, r.pause);
    EXPECT_TRUE(Heard().empty());

    // A stop on an empty plate is a miss: the Wrong sound and the reaction prompt.
    r.subState = 0;
    r.currentPlate = 0;
    EXPECT_EQ(std::vector<int32_t>{kEventChallengeMissed}, FrameCodes());
    EXPECT_EQ(2, seen.back().arg);
    EXPECT_EQ(1, r.subState);
    EXPECT_EQ(1, r.catches);
    EXPECT_EQ(std::vector<std::string>{"Wrong.wav"}, Heard());

    r.plates.clear();
    r.spriteGroup->Clear();
    r.state = CReactionChallenge::kFlyingOut;
    r.subState = 0;
    EXPECT_EQ(std::vector<int32_t>{kEventChallengeEnded}, FrameCodes());
}

TEST_F(ChallengeBoard, AttentionAnswersPromptAndEnd)
{
    struct Case
    {
        const char* name;
        int32_t chosen;
        std::vector<int32_t> codes;
    };
    for (const Case& k : {Case{"right", 1, {kEventChallengeScored, kEventRoundEnded}},
                          Case{"wrong", 2, {kEventRoundEnded}}})
    {
        SCOPED_TRACE(k.name);
        CAttentionChallenge& a = Attention(3, true);
        a.state = CAttentionChallenge::kReveal;
        a.chosenPlate = k.chosen;
        a.timer = 0.6f;
        EXPECT_EQ(k.codes, FrameCodes());
        if (k.codes.size() == 2)
        {
            EXPECT_EQ(500, seen[seen.size() - 2].arg);
            EXPECT_FLOAT_EQ(a.plates[1]->x, seen[seen.size() - 2].x);
        }
    }

    CAttentionChallenge& a = Attention(3, false);
    a.state = CAttentionChallenge::kShuffle;
    a.subState = 1;
    a.swapsDone = a.swapCount;
    a.timer = a.swapTime + a.pause;
    EXPECT_EQ(std::vector<int32_t>{kEventChallengeMissed}, FrameCodes());
    EXPECT_EQ(1, seen.back().arg);

    a.plates.clear();
    a.spriteGroup->Clear();
    a.state = CAttentionChallenge::kReveal;
    a.subState = 1;
    EXPECT_EQ(std::vector<int32_t>{kEventChallengeEnded}, FrameCodes());
}

TEST_F(ChallengeBoard, AccuracyEndsWhenItsStarsRest)
{
    field->mode = CPlayField::kModeAccuracy;
    field->accuracyChallenge = CRefPtr<CAccuracyChallenge>(new CAccuracyChallenge());
    EXPECT_TRUE(FrameCodes().empty());  // idle
    field->accuracyChallenge->state = CAccuracyChallenge::kEnding;
    EXPECT_EQ(std::vector<int32_t>{kEventChallengeEnded}, FrameCodes());
}

TEST_F(ChallengeBoard, ChallengeRunsOnlyWhileTheBoardPlaysIt)
{
    struct Case
    {
        const char* name;
        int32_t playKind;
        int32_t mode;
        int32_t inputLocked;
        bool runs;
    };
    for (const Case& k : {Case{"playing the challenge", 0, CPlayField::kModeAttention, 0, true},
                          Case{"paused", 0, CPlayField::kModeAttention, 1, false},
                          Case{"normal play", 0, CPlayField::kModeNormal, 0, false},
                          Case{"another play kind", 1, CPlayField::kModeAttention, 0, false},
                          Case{"another challenge's mode", 0, CPlayField::kModeReaction, 0, false}})
    {
        SCOPED_TRACE(k.name);
        CAttentionChallenge& a = Attention(3, true);
        a.state = CAttentionChallenge::kShow;
        field->playKind = k.playKind;
        field->mode = k.mode;
        field->inputLocked = k.inputLocked;
        Frame();
        EXPECT_EQ(k.runs ? board_play::kFrame : 0.0f, a.timer);
    }
}

TEST_F(ChallengeBoard, ChallengeStepComesBeforeTheNoMoveTest)
{
    field->RebuildValueGrid();
    ASSERT_FALSE(field->matchGrid.HasLine(3, false));
    ASSERT_FALSE(field->matchGrid.HasMove(3, false));
    CReactionChallenge& r = Reaction({7}, {});
    r.state = CReactionChallenge::kJudging;
    field->noMoveTimer = 0.3f;
    field->Update(board_play::kFrame, -999.0f, -999.0f);
    std::vector<int32_t> codes;
    for (const CPlayFieldEvent& e : field->events)
        codes.push_back(e.code);
    EXPECT_EQ((std::vector<int32_t>{kEventChallengeMissed, kEventNoMoves}), codes);
}

} // namespace
