// Sand from finished terminators: the amount shared among the tokens that
// broke, poured into the sand glass only when the glass takes part, and the
// finished list indexed safely.
#include "board_play_fixture.h"

#include "board/LevelParams.h"
#include "effects/CollectionParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SandKeepers.h"
#include "effects/Sandbox.h"

namespace
{

using board_play::BoardPlay;

using board_play::kQuiet;

class SandFlight : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        field->fillPending = CPlayField::kFillRandom;
        // As a level start of normal play leaves them.
        field->sandFlightEnabled = field->pourIntoSandGlass = 1;
        SetBoard(kQuiet);
    }

    // A finished terminator holding the tokens of the cells, as scoring sees it.
    void Finish(const std::vector<CCellPos>& where)
    {
        CMatchGroup group;
        group.cells = where;
        CRefPtr<CTerminator> t;
        CTerminator::Spawn(t, terminators.Get(), CTerminator::kElectro, group, CRefPtr<CTexture>(), 0);
        for (const CCellPos& p : where)
            t->AddToken(field->cells[size_t(p.row)][size_t(p.column)], CTerminator::kAddNormal);
        terminators->active.clear();
        terminators->finished.push_back(t);
    }

    std::vector<CSandHeap::Portion>& Portions() { return field->sandbox->heap->portions; }

    // The particle layers the game gives the board: A over the tokens, B under them.
    void WithEffects()
    {
        field->effectsA = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager({}, {}, {}));
        field->effectsB = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager({}, {}, {}));
    }
};

template <class Keeper>
std::vector<const CCollection2ParticleSystem*> SystemsOf(const CParticleSystemsManager& layer)
{
    std::vector<const CCollection2ParticleSystem*> found;
    for (const CRefPtr<CParticleSystem>& system : layer.systems)
    {
        const auto* collection = dynamic_cast<const CCollection2ParticleSystem*>(system.Get());
        if (collection && dynamic_cast<const Keeper*>(collection->keeper.Get()))
            found.push_back(collection);
    }
    return found;
}

TEST_F(SandFlight, BrokenTokensShareTheAmount)
{
    field->cells[0][1]->SetLockCount(1);  // loses a chain, sends no sand
    Finish({{0, 0}, {1, 0}, {2, 0}});
    field->SpawnSandFlight(0, 3.0f);
    ASSERT_EQ(2u, Portions().size());
    EXPECT_FLOAT_EQ(1.5f, Portions()[0].amount);
    EXPECT_FLOAT_EQ(1.5f, Portions()[1].amount);
    EXPECT_LT(Portions()[0].position, Portions()[1].position);
}

// The grains fly in the layer over the tokens, their dust in the one under them;
// bound for the glass on screen they take its sand colour and alpha, else the
// colour of the flash that broke the token.
TEST_F(SandFlight, GrainsTakeTheGlassSandWhileTheGlassShows)
{
    layout.sandColour = 0xFF102030u;
    layout.sandAlpha = 0.5f;
    for (const int32_t shown : {1, 0})
    {
        SCOPED_TRACE(shown);
        WithEffects();
        field->sandbox->visible = shown;
        terminators->finished.clear();
        Finish({{0, 0}, {1, 0}});
        field->SpawnSandFlight(0, 2.0f);
        const auto grains = SystemsOf<CSandKeeper>(*field->effectsA);
        ASSERT_EQ(2u, grains.size());
        EXPECT_EQ(2u, field->effectsA->systems.size());
        EXPECT_EQ(2u, SystemsOf<CDustTrackKeeper>(*field->effectsB).size());
        EXPECT_EQ(2u, field->effectsB->systems.size());
        const uint32_t flash = terminators->finished[0]->GetFlashColor();
        for (const CCollection2ParticleSystem* system : grains)
        {
            EXPECT_EQ(shown ? 0xFF102030u : flash, static_cast<const CSandKeeper&>(*system->keeper).colour);
            EXPECT_FLOAT_EQ(shown ? 0.5f : 1.0f, system->alphaScale);
        }
    }
}

TEST_F(SandFlight, NothingOutsideTheListOrWithoutTheGlass)
{
    Finish({{0, 0}, {1, 0}, {2, 0}});
    for (int32_t index : {-1, 1, 40})
        field->SpawnSandFlight(index, 3.0f);
    EXPECT_TRUE(Portions().empty());
    field->pourIntoSandGlass = 0;
    field->SpawnSandFlight(0, 3.0f);
    EXPECT_TRUE(Portions().empty());
    // A terminator whose lists disagree is walked to the shortest.
    terminators->finished[0]->params.group.cells.resize(1);
    field->pourIntoSandGlass = 1;
    field->SpawnSandFlight(0, 3.0f);
    ASSERT_EQ(1u, Portions().size());
    EXPECT_FLOAT_EQ(3.0f, Portions()[0].amount);
}

TEST_F(SandFlight, AScoredLinePoursItsSand)
{
    std::vector<std::string> board = kQuiet;
    board[7] = "00034563";
    SetBoard(board);
    for (int i = 0; i < 120 && Score() == 0; ++i)
        Frame();
    ASSERT_GT(Score(), 0);
    ASSERT_EQ(3u, Portions().size());
    const float total = Portions()[0].amount + Portions()[1].amount + Portions()[2].amount;
    EXPECT_FLOAT_EQ(rules.GetMatchEffectStrength(3, 1, 0, 0), total);
}

} // namespace
