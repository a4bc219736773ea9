// The bonus manager: what its factory makes, the per-frame update with its
// event gathering, the idle tests and the loading of its pictures.
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"

#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/platform/files_testdir.h"
#include "tests/screens/bitmap_writer.h"
#include "tests/support/RecordingScreenTest.h"

#include <gtest/gtest.h>

namespace {

// A bonus whose frame is scripted: it appends the given events and answers
// as told.
struct ScriptedBonus : CBonus
{
    bool Update(float) override
    {
        ++updates;
        for (int kind : script)
            AddEvent(BonusEvent(kind, id));
        return answer;
    }
    bool IsEffectDone() const override { return effectDone; }

    int id = 0;
    int updates = 0;
    bool answer = true;
    bool effectDone = true;
    std::vector<int> script;
};

CRefPtr<ScriptedBonus> Scripted(CBonusManager& m, int id, std::vector<int> script = {}, bool answer = true)
{
    CRefPtr<ScriptedBonus> b(new ScriptedBonus);
    b->id = id;
    b->script = script;
    b->answer = answer;
    m.AddBonus(b);
    return b;
}

TEST(BonusManagerTest, FactoryMakesEveryLineOfFourKindAndRefusesTheRest)
{
    LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
    CBonusManager m;
    m.effectFactor = 0.5f;
    for (int type : {1, 8, -1})
    {
        CRefPtr<CBonus> out(new CBonus);
        m.CreateBonus(out, type, 2, 0, 1);
        EXPECT_FALSE(out) << type;
    }
    EXPECT_TRUE(m.bonuses.empty());
    for (int type : {kBonusTNT, kBonusFlash, kBonusTime, kBonusAdviser, kBonusScore, kBonusSolidarity})
    {
        CRefPtr<CBonus> out;
        m.CreateBonus(out, type, 2, 0, 1);
        ASSERT_TRUE(out) << type;
        EXPECT_EQ(type, out->kind);
        EXPECT_EQ(2, out->level);
        EXPECT_EQ(1, out->active);
        EXPECT_EQ(0.5f, out->effectFactor);
        EXPECT_TRUE(m.bonuses.back() == out);
    }
    m.ClearBonuses();

    CRefPtr<CBonus> gem;
    m.CreateGem(gem, 3, 0);
    ASSERT_TRUE(gem);
    EXPECT_EQ(gem->kind, kBonusGem);
    EXPECT_EQ(gem.DynamicCast<CBonusGem>()->gemKind, 3);
    EXPECT_EQ(gem->effectFactor, 0.5f);
    EXPECT_TRUE(m.bonuses.empty()); // not asked to list it
    m.CreateGem(gem, 1, 1);
    ASSERT_EQ(m.bonuses.size(), 1u);
    EXPECT_TRUE(m.bonuses[0] == gem);
}

TEST(BonusManagerTest, FinishedBonusLeavesAndTheNextIsStillUpdated)
{
    CBonusManager m;
    auto a = Scripted(m, 1, {kBonusEventCellHit});
    auto b = Scripted(m, 2, {kBonusEventNeedsHost}, false);
    auto c = Scripted(m, 3, {kBonusEventTimeArrived, kBonusEventPlaced});
    m.UpdateAll(0.1f);
    ASSERT_EQ(m.bonuses.size(), 2u);
    EXPECT_TRUE(m.bonuses[0] == CRefPtr<CBonus>(a));
    EXPECT_TRUE(m.bonuses[1] == CRefPtr<CBonus>(c));
    EXPECT_EQ(c->updates, 1);
    // Events in list order, the finished bonus's dropped, each naming its bonus.
    ASSERT_EQ(m.events.size(), 3u);
    EXPECT_EQ(m.events.At(0).kind, kBonusEventCellHit);
    EXPECT_EQ(m.events.At(1).kind, kBonusEventTimeArrived);
    EXPECT_EQ(m.events.At(2).kind, kBonusEventPlaced);
    EXPECT_TRUE(m.events.At(0).object == CRefPtr<CBonus>(a));
    EXPECT_TRUE(m.events.At(2).object == CRefPtr<CBonus>(c));
    EXPECT_TRUE(a->events.empty());

    // The next frame starts with an empty list.
    a->script.clear();
    c->script.clear();
    m.UpdateAll(0.1f);
    EXPECT_TRUE(m.events.empty());
}

TEST(BonusManagerTest, HiddenBonusKeepsItsPlaceAndIsNotUpdated)
{
    CBonusManager m;
    auto a = Scripted(m, 1, {kBonusEventCellHit});
    a->Hide();
    auto b = Scripted(m, 2);
    m.UpdateAll(0.1f);
    EXPECT_EQ(a->updates, 0);
    EXPECT_EQ(b->updates, 1);
    EXPECT_TRUE(m.events.empty());
    EXPECT_EQ(m.RemoveBonus(b), 1);
    EXPECT_EQ(m.RemoveBonus(b), -1);
    EXPECT_EQ(m.RemoveBonus(CRefPtr<CBonus>()), -1);
    EXPECT_EQ(m.bonuses.size(), 1u);
}

TEST(BonusManagerTest, PendingEventsKeepTheBoardBusy)
{
    CBonusManager m;
    EXPECT_TRUE(m.IsIdle());
    EXPECT_TRUE(m.AllPlaced());
    m.events.push_back(BonusEvent(kBonusEventPlaced));
    EXPECT_FALSE(m.IsIdle());
    EXPECT_FALSE(m.AllPlaced());
    m.UpdateAll(0.1f);
    EXPECT_TRUE(m.IsIdle());
    EXPECT_TRUE(m.AllPlaced());

    auto a = Scripted(m, 1);
    a->state = kBonusFalling;
    a->effectDone = false;
    EXPECT_FALSE(m.IsIdle());
    EXPECT_FALSE(m.AllPlaced());
    a->state = kBonusPlaced;
    a->effectDone = true;
    EXPECT_TRUE(m.IsIdle());
    EXPECT_TRUE(m.AllPlaced());
}

class BonusTexturesTest : public test_support::RecordingScreenTest
{
protected:
    void SetUp() override { StartScreen(dir / "Objects.log"); }
    // Small bitmaps under the names the manager asks for (the decoder reads
    // the content, not the extension).
    void Write(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            WriteBitmap(dir / name, BitmapSpec{8, 8}, std::vector<uint32_t>(64, 0x808080));
    }
    std::string Folder() const { return dir.Path() + "/"; }

    TestDir dir;
};

TEST_F(BonusTexturesTest, AllEightLoad)
{
    Write({"AllGemLights.jpg", "AllGemLights_alpha.jpg", "AllGems.png", "GemFlares.tga", "Bonus1.png",
           "Bonus2.tga", "Bonus3.tga", "Bonus4.tga", "Bonus5.tga"});
    CBonusManager m;
    EXPECT_TRUE(m.LoadBonusTextures(Folder(), device));
    for (const CRefPtr<CTexture>* t : {&m.gemLightsTexture, &m.gemsTexture, &m.gemFlaresTexture, &m.bonus1Texture,
                                       &m.bonus5Texture})
        EXPECT_TRUE(*t);
    EXPECT_EQ(m.gemFlaresTexture->name, "GemFlares");
    EXPECT_GE(device->FindTexture("Bonus5"), 0);
}

TEST_F(BonusTexturesTest, FirstMissingPictureEndsTheLoad)
{
    Write({"AllGemLights.jpg", "AllGemLights_alpha.jpg", "GemFlares.tga", "Bonus1.png", "Bonus2.tga",
           "Bonus3.tga", "Bonus4.tga", "Bonus5.tga"});
    CBonusManager m;
    EXPECT_FALSE(m.LoadBonusTextures(Folder(), device));
    EXPECT_TRUE(m.gemLightsTexture);
    EXPECT_FALSE(m.gemFlaresTexture); // not attempted
    EXPECT_EQ(device->FindTexture("GemFlares"), -1);
    EXPECT_EQ(device->FindTexture("Bonus1"), -1);
    std::string log = Log();
    EXPECT_NE(log.find("Unable to load AllGems Texture!\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("GemFlares"), std::string::npos);
}

TEST_F(BonusTexturesTest, GeneratedPicturesLoad)
{
    const std::string gfx = std::string(ORB_GAME_DIR) + "/Data/Gfx/";
    if (!std::filesystem::exists(gfx + "Bonus5.tga"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    CBonusManager m;
    ASSERT_TRUE(m.LoadBonusTextures(gfx, device));
    // The atlases have the sizes their frame rectangles are measured in.
    const struct
    {
        const CRefPtr<CTexture>* texture;
        UINT width, height;
    } sizes[] = {{&m.gemLightsTexture, 512, 256}, {&m.gemsTexture, 512, 256}, {&m.gemFlaresTexture, 256, 256},
                 {&m.bonus1Texture, 256, 256},    {&m.bonus3Texture, 256, 256}, {&m.bonus5Texture, 512, 256}};
    for (const auto& s : sizes)
    {
        D3DSURFACE_DESC desc;
        ASSERT_EQ(D3D_OK, (*s.texture)->texture->GetLevelDesc(0, &desc));
        EXPECT_EQ(desc.Width, s.width) << (*s.texture)->name;
        EXPECT_EQ(desc.Height, s.height) << (*s.texture)->name;
    }
}

} // namespace
