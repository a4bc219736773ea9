// Terminators: the effect time, the fate of each token by its locks and add
// mode, glows and bolts while it runs, the manager's active and finished lists,
// and the start sounds merged per frame.
#include "board/Cap.h"
#include "board/CapsManager.h"
#include "board/TerminatorManager.h"
#include "audio/SoundBank.h"
#include "effects/ParticleSystemsManager.h"
#include "platform/audio/recording.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

class TerminatorTest : public ::testing::Test
{
protected:
    TerminatorTest()
        : caps(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())),
          particles(new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                CRefPtr<CIndexBuffer>())),
          batch(new CSpriteBatch(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())),
          manager(0.0f, &list, particles, batch)
    {
        crt::srand(5);
        list.capsManager = caps;
    }

    CRefPtr<CCap> Token(int32_t colour, int32_t locks, float x = 0.0f)
    {
        CRefPtr<CCap> cap;
        list.CreateCap(cap, colour, 0, x, 0.0f, 0.0f, 30.0f, 1, 0.0f, 0.0f, 0.0f);
        cap->placement = CCap::kPlaced;
        cap->SetLockCount(locks);
        return cap;
    }

    // A group of n cells in a row with its links.
    static CMatchGroup Row(int n)
    {
        CMatchGroup g;
        for (int i = 0; i < n; ++i)
        {
            g.cells.push_back(CCellPos{i, 0});
            if (i > 0)
                g.links.emplace_back(uint32_t(i - 1), uint32_t(i));
        }
        return g;
    }

    CRefPtr<CTerminator> Spawn(int n, int32_t altSounds = 0)
    {
        CRefPtr<CTerminator> t;
        CTerminator::Spawn(t, &manager, CTerminator::kElectro, Row(n), CRefPtr<CTexture>(), altSounds);
        return t;
    }

    bool Listed(const CRefPtr<CCap>& cap) const
    {
        for (const CRefPtr<CCap>& c : list.caps)
            if (c == cap)
                return true;
        return false;
    }

    CRefPtr<CCapsManager> caps;
    CCapList list;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> batch;
    CTerminatorManager manager;
};

TEST_F(TerminatorTest, OnlyTheElectricKindIsMade)
{
    CRefPtr<CTerminator> t;
    CTerminator::Spawn(t, &manager, 2, Row(3), CRefPtr<CTexture>(), 0);
    EXPECT_FALSE(t);
    EXPECT_TRUE(manager.active.empty());
    t = Spawn(3);
    ASSERT_TRUE(t);
    ASSERT_EQ(1u, manager.active.size());
    EXPECT_TRUE(manager.active[0] == t);
    EXPECT_EQ(1, t->soundsDone);
    EXPECT_EQ(3u, t->params.group.cells.size());
    EXPECT_EQ(0xFFF7D96Bu, t->GetFlashColor());
}

TEST_F(TerminatorTest, RunsItsEffectTimeThenDecidesEachTokensFate)
{
    struct Case
    {
        int32_t altSounds;
        int framesOfTwentieth;  // frames of 0.05 s until done
    };
    for (const Case& k : {Case{0, 15}, Case{1, 4}})
    {
        SCOPED_TRACE(k.altSounds);
        CRefPtr<CTerminator> t = Spawn(4, k.altSounds);
        const CRefPtr<CCap> plain = Token(1, 0), twoLocks = Token(1, 2), unlockAll = Token(1, 3),
                            breaks = Token(1, 1);
        t->AddToken(plain, CTerminator::kAddNormal);
        t->AddToken(twoLocks, CTerminator::kAddNormal);
        t->AddToken(unlockAll, CTerminator::kAddUnlockAll);
        t->AddToken(breaks, CTerminator::kAddBreak);
        EXPECT_EQ((std::vector<int32_t>{1, 0, 0, 1}), t->flags);
        EXPECT_TRUE(t->HasLiveTokens());
        twoLocks->active = unlockAll->active = 0;
        twoLocks->state = unlockAll->state = CCap::kParked;

        int frames = 1;
        while (t->Update(0.05f))
            ++frames;
        EXPECT_EQ(k.framesOfTwentieth, frames);
        EXPECT_FALSE(Listed(plain));
        EXPECT_FALSE(Listed(breaks));
        ASSERT_TRUE(Listed(twoLocks));
        EXPECT_EQ(1, twoLocks->lockCount);
        EXPECT_EQ(1, twoLocks->look->lockCount);
        EXPECT_EQ(1, twoLocks->active);
        EXPECT_EQ(CCap::kResting, twoLocks->state);
        EXPECT_EQ(0, unlockAll->lockCount);
        EXPECT_EQ(1, unlockAll->active);
        list.Clear();
        manager.Clear();
    }
}

// At the end a breaking token bursts into its pieces, a locked one throws its lock
// off (a ring of pieces), and a token with a chain as well throws a line of them.
TEST_F(TerminatorTest, FinishingThrowsCrackPiecesOrTheLockOrTheLockAndTheChain)
{
    struct Case
    {
        int32_t locks;
        size_t systems;  // particle systems the finish adds
    };
    for (const Case& k : {Case{0, 1}, Case{1, 1}, Case{2, 2}})
    {
        SCOPED_TRACE(k.locks);
        CRefPtr<CTerminator> t = Spawn(1);
        t->AddToken(Token(1, k.locks), CTerminator::kAddNormal);
        size_t before = 0;
        while (t->elapsed + 0.05f < 0.75f)
        {
            t->Update(0.05f);
            before = particles->systems.size() + particles->alphaTestedSystems.size();
        }
        while (t->Update(0.05f))
        {
        }
        EXPECT_EQ(before + k.systems, particles->systems.size() + particles->alphaTestedSystems.size());
        list.Clear();
        manager.Clear();
    }
}

TEST_F(TerminatorTest, GlowsEveryTokenAndKeepsTwoBoltsPerToken)
{
    CRefPtr<CTerminator> t = Spawn(3);
    for (int i = 0; i < 3; ++i)
        t->AddToken(Token(2, 0, 80.0f * float(i)), CTerminator::kAddNormal);
    auto* electro = static_cast<CTerminatorElectro*>(t.Get());
    EXPECT_EQ(6, electro->boltTarget);
    t->Update(0.05f);
    ASSERT_EQ(3u, electro->glows.size());
    EXPECT_EQ(3u, batch->sprites.size());
    EXPECT_FLOAT_EQ(4.0f * 30.0f, electro->glows[0]->scaleX);
    EXPECT_FLOAT_EQ(0.75f * 0.25f, electro->glows[0]->fadeInTime);
    EXPECT_EQ(6u, electro->bolts.size());
    EXPECT_EQ(6u, particles->systems.size());
    for (const auto& bolt : electro->bolts)
    {
        EXPECT_GE(bolt.life, 0.5f * 0.15f);
        EXPECT_LE(bolt.life, 1.5f * 0.15f);
    }
    // Bolts die by their life and are replaced; at the end the glows fade out.
    for (int i = 0; i < 6; ++i)
        t->Update(0.05f);
    EXPECT_EQ(6u, electro->bolts.size());
    while (t->Update(0.05f))
    {
    }
    EXPECT_TRUE(electro->bolts.empty());
    EXPECT_TRUE(electro->glows.empty());
    EXPECT_LE(batch->sprites[0]->holdEnd, 1.0f);
}

TEST_F(TerminatorTest, ChainedTokensThrowSparksEveryFortiethOfASecond)
{
    CRefPtr<CTerminator> t = Spawn(1);
    t->AddToken(Token(3, 1), CTerminator::kAddNormal);
    t->Update(0.1f);  // 4 intervals: glow + 4 sparks
    EXPECT_EQ(5u, batch->sprites.size());
    t->Update(0.01f);
    EXPECT_EQ(5u, batch->sprites.size());
}

TEST_F(TerminatorTest, ManagerFinishesTerminatorsInOrderAndWaitsForDelayedOnes)
{
    CRefPtr<CTerminator> late = Spawn(1), soon = Spawn(1);
    late->AddToken(Token(0, 0), CTerminator::kAddNormal);
    soon->AddToken(Token(0, 0), CTerminator::kAddNormal);
    late->elapsed = -0.5f;
    EXPECT_EQ(0, manager.Update(0.5f));
    EXPECT_EQ(1, manager.Update(0.3f));
    ASSERT_EQ(1u, manager.active.size());
    EXPECT_TRUE(manager.active[0] == late);
    EXPECT_TRUE(manager.finished[0] == soon);
    EXPECT_EQ(2, manager.Update(0.5f));
    EXPECT_TRUE(manager.active.empty());
    manager.Clear();
    EXPECT_TRUE(manager.IsEmpty());
}

class TerminatorSounds : public TerminatorTest
{
protected:
    void SetUp() override
    {
        rec = &platform::audio::UseRecordingBackend();
        const std::string folder = ::testing::TempDir() + "terminator_sounds/";
        std::filesystem::create_directories(folder);
        bank = CRefPtr<CSoundBank>(new CSoundBank());
        ASSERT_FALSE(bank->Init(nullptr));
        CRefPtr<CSound>* slots[] = {&bank->Terminator, &bank->Terminator0_s, &bank->TerminatorSteel, &bank->ChainOut,
                                    &bank->ChainOut_s};
        const char* names[] = {"Terminator0.wav", "Terminator0_s.wav", "TerminatorSteel.wav", "ChainOut.wav",
                               "ChainOut_s.wav"};
        for (int i = 0; i < 5; ++i)
        {
            std::ofstream(folder + names[i]) << "RIFF";
            *slots[i] = bank->LoadSound(folder.c_str(), names[i], 6, 8, 0);
            ASSERT_TRUE(*slots[i]);
            (*slots[i])->panFactors[0] = 1.0f;
        }
        manager.SetSoundBank(bank);
        rec->Clear();
    }

    void TearDown() override
    {
        manager.Clear();
        manager.SetSoundBank(CRefPtr<CSoundBank>());
        bank.Reset();
        platform::audio::UseMixerBackend();
    }

    // The samples played this frame, with their pans.
    std::vector<std::pair<int64_t, int64_t>> Played()
    {
        std::vector<std::pair<int64_t, int64_t>> out;
        for (const auto& call : rec->Calls("BASS_SamplePlayEx"))
            out.emplace_back(call.Arg(0), call.Arg(4));
        rec->Clear();
        return out;
    }

    int64_t Sample(const CRefPtr<CSound>& s) const { return int64_t(s->samples[0]); }

    platform::audio::AudioRecorder* rec = nullptr;
    CRefPtr<CSoundBank> bank;
};

TEST_F(TerminatorSounds, StartSoundsFollowLocksSteelAndTheShortSet)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<int32_t, int32_t>> tokens;  // colour, locks
        int32_t altSounds;
        std::vector<CRefPtr<CSound> CSoundBank::*> expected;
    };
    const std::vector<Case> cases = {
        {"one plain token", {{1, 0}}, 0, {&CSoundBank::Terminator}},
        {"one locked token", {{1, 1}}, 0, {&CSoundBank::ChainOut}},
        {"one locked token, short set", {{1, 1}}, 1, {&CSoundBank::ChainOut_s}},
        {"plain group, short set", {{1, 0}, {1, 0}}, 1, {&CSoundBank::Terminator0_s}},
        {"steel first with a lock", {{100, 0}, {1, 1}}, 0, {&CSoundBank::Terminator, &CSoundBank::ChainOut}},
        {"steel first with a lock, short set",
         {{100, 0}, {1, 1}},
         1,
         {&CSoundBank::TerminatorSteel, &CSoundBank::ChainOut_s}},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        CRefPtr<CTerminator> t = Spawn(int(k.tokens.size()), k.altSounds);
        for (const auto& token : k.tokens)
            t->AddToken(Token(token.first, token.second, 260.0f), CTerminator::kAddNormal);
        t->Start();
        manager.Update(0.01f);
        EXPECT_EQ(1, t->soundsDone);
        manager.PlaySound();
        std::vector<std::pair<int64_t, int64_t>> expected;
        for (auto slot : k.expected)
            expected.emplace_back(Sample((*bank).*slot), bank->PanFor(1.0f, 260.0f));
        EXPECT_EQ(expected, Played());
        // Armed sounds play once.
        manager.Update(0.01f);
        manager.PlaySound();
        EXPECT_TRUE(Played().empty());
        manager.Clear();
    }
}

TEST_F(TerminatorSounds, OneSoundOfAFrameMergesAtTheMeanPan)
{
    for (float x : {100.0f, 300.0f})
    {
        CRefPtr<CTerminator> t = Spawn(1);
        t->AddToken(Token(2, 0, x), CTerminator::kAddNormal);
        t->Start();
    }
    manager.Update(0.01f);
    manager.PlaySound();
    const auto played = Played();
    ASSERT_EQ(1u, played.size());
    EXPECT_EQ(bank->PanFor(1.0f, 200.0f), played[0].second);
    EXPECT_TRUE(manager.pending.empty());
}

} // namespace
