// The play screen, scripted and drawn offscreen (SDL_VIDEODRIVER=offscreen) with
// the game's pictures: the board with gems glowing on their tokens, a token
// picked (the marker), a swap that lines up three tokens, one of which carries a
// gem, and what follows: the group's score pop-up, the gem's flight to the bar
// and the bar's counter going up. Three frames are written to
// "play_screen_1_picked.png", "play_screen_2_flight.png" and
// "play_screen_3_counted.png" in the working folder for a look.
#include "board/LevelParams.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"
#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "render/Font.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "hud/GemsBuffer.h"
#include "hud/PopupMessages.h"
#include "hud/QuestLayout.h"
#include "hud/TokenSelector.h"
#include "tests/support/OffscreenDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;

const float kFrame = 1.0f / 30.0f;

// Pixels of the box brighter than the dark background in any channel.
int Bright(const OffscreenFrame& f, float x0, float y0, float x1, float y1)
{
    int n = 0;
    for (float y = y0; y < y1; y += 1.0f)
        for (float x = x0; x < x1; x += 1.0f)
        {
            const uint32_t p = f.At(x, y);
            if (((p >> 16) & 0xFF) > 0x80 || ((p >> 8) & 0xFF) > 0x80 || (p & 0xFF) > 0xA0)
                ++n;
        }
    return n;
}

class PlayScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        game = std::string(ORB_GAME_DIR) + "/";
        gfx = game + "Data/Gfx/";
        for (const char* file : {"Caps.png", "BarGems.bmp", "GemProgress.png", "Selector.png", "StarParticle.bmp",
                                 "Bonus5.tga"})
            if (!std::filesystem::exists(gfx + file))
                GTEST_SKIP() << "the game's pictures are not generated in this build (" << file << ")";
        if (!std::filesystem::exists(game + "Data/Fonts/Font.kfd"))
            GTEST_SKIP() << "the game's fonts are not generated in this build";
        gl.reset(new OffscreenDevice());
        if (!gl->Ready())
            GTEST_SKIP() << "no OpenGL device (run with SDL_VIDEODRIVER=offscreen)";
        ready = true;
    }

    std::string game, gfx;
    std::unique_ptr<OffscreenDevice> gl;
    bool ready = false;
};

TEST_F(PlayScreen, SwappingAGemIntoALineSendsItToTheBarAndTheCounterGoesUp)
{
    ASSERT_TRUE(ready);
    CDevice& dev = *gl->device;
    crt::srand(21);
    LoadBonusConfig((game + "Data/Config/Gems.cfg").c_str(), (game + "Data/Config/Bonus.cfg").c_str());
    CPopupMessages::LoadSettings((game + "Data/Config/Score.cfg").c_str());

    // What Init makes: the token looks, the lists, batches and managers, the
    // fonts and the catalogue pictures the HUD uses.
    CRefPtr<CCapsManager> caps(new CCapsManager(gl->device, gl->vertexBuffer, gl->indexBuffer));
    ASSERT_EQ(1, caps->LoadTextures(gfx));
    ASSERT_EQ(1, caps->LoadCapsAnimation(std::string(ORB_DATA_SRC_DIR) + "/Data/"));
    auto plain = [&](const char* file, const char* name) {
        return dev.MakeTexture(gfx + file, name, 0, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    };
    CRefPtr<CTexture> progress = plain("GemProgress.png", "GemProgress");
    CRefPtr<CTexture> selectorPicture = plain("Selector.png", "Selector");
    CRefPtr<CTexture> star = plain("StarParticle.bmp", "StarParticle");
    CRefPtr<CTexture> fontTexture = dev.LoadTextureChooseFormat(game + "Data/Fonts/Font.tga", "Font",
                                                                {D3DFMT_A8R8G8B8}, 1, 0, D3DPOOL_MANAGED);
    ASSERT_TRUE(progress && selectorPicture && star && fontTexture);
    CRefPtr<CFont> font(new CFont(fontTexture));
    ASSERT_EQ(1, font->Load((game + "Data/Fonts/Font.kfd").c_str()));
    std::vector<CRefPtr<CSpriteList>> lists;
    for (int i = 0; i < 3; ++i)
        lists.emplace_back(new CSpriteList(gl->device, gl->vertexBuffer, gl->indexBuffer));
    std::vector<CRefPtr<CSpriteBatch>> batches;
    for (int i = 0; i < 2; ++i)
        batches.emplace_back(new CSpriteBatch(gl->device, gl->vertexBuffer, gl->indexBuffer));
    std::vector<CRefPtr<CParticleSystemsManager>> particles;
    for (int i = 0; i < 2; ++i)
    {
        particles.emplace_back(new CParticleSystemsManager(gl->device, gl->vertexBuffer, gl->indexBuffer));
        particles.back()->environment->boxMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
        particles.back()->environment->boxMax = Vec3{1000.0f, 1000.0f, 1000.0f};
        particles.back()->environment->view->eye.z = 10000.0f;
    }
    CRefPtr<CTextSet> texts(new CTextSet(gl->device, gl->vertexBuffer, gl->indexBuffer));

    // The board, a little lower than the quest screen has it so that the
    // whole bar is in view.
    CQuestLayout layout;
    layout.boardX = -320.5f;
    layout.boardY = 300.5f;
    CLevelParams rules;
    rules.Set(0, 1);
    float fillRate = 0.0f;
    CPlayField field(caps, &layout, nullptr, &rules, &fillRate);
    field.terminatorManager = CRefPtr<CTerminatorManager>(new CTerminatorManager(0.0f, &field.capList));
    field.fillPending = CPlayField::kFillRandom;

    CRefPtr<CBonusManager> bonuses(new CBonusManager);
    bonuses->SetRenderers(lists[1], batches[0], particles[0], lists[2], particles[1], batches[1], lists[2]);
    ASSERT_TRUE(bonuses->LoadBonusTextures(gfx, gl->device));
    bonuses->SetTextures(star, {}, {}, {}, {}, {}, {}, {});
    field.bonusManager = bonuses;

    CRefPtr<CGemsBuffer> bar(new CGemsBuffer);
    bar->SetResources(gl->device, progress, lists[1], texts, font, batches[0]);
    bar->ApplyLayout(GemsBarLayout());
    ASSERT_TRUE(bar->LoadBarGemsBitmap((gfx + "BarGems.bmp").c_str()));
    ASSERT_TRUE(bar->CreateVisuals());
    bar->flareTexture = bonuses->gemFlaresTexture;
    field.gemsBuffer = bar;
    field.tokenSelector = CRefPtr<CTokenSelector>(new CTokenSelector(particles[0], lists[1], batches[0],
                                                                     selectorPicture, star));
    field.popups.SetResources(lists[1], texts, font, font, bonuses->bonus3Texture);

    // The level: no line anywhere but one swap away in the bottom row, where a
    // red token with a gem waits; two more gems glow elsewhere.
    const char* rows[8] = {"34563456", "56345634", "34563456", "56345634",
                           "34563456", "56345634", "34563456", "22324563"};
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c)
        {
            const Vec3 p = field.CellToScreen(c, r, false);
            CRefPtr<CCap> cap;
            field.capList.CreateCap(cap, rows[r][c] - '0', 0, p.x, p.y, 0.0f, field.tokenRadius, 1, field.origin[0],
                                    field.origin[1], field.origin[2]);
            cap->placement = CCap::kPlaced;
            cap->active = 1;
            cap->column = cap->previousColumn = c;
            cap->row = cap->previousRow = r;
            field.cells[size_t(r)][size_t(c)] = cap;
        }
    auto giveGem = [&](int32_t c, int32_t r) {
        const CRefPtr<CCap>& cap = field.cells[size_t(r)][size_t(c)];
        CRefPtr<CBonus> gem;
        bonuses->CreateGem(gem, cap->colour, 1);
        gem->Place(cap->position[0] + field.origin[0], cap->position[1] + field.origin[1], field.origin[2],
                   cap->radius, c, r);
        cap->SetHeld(gem);
        cap->marked = 1;
        return gem;
    };
    const CRefPtr<CBonus> gem = giveGem(1, 7);
    giveGem(4, 2);
    giveGem(6, 5);
    field.gemsToCollect = 3;
    bar->SetTotalCells(3);
    bar->ResetForLevel();
    bar->Show(1, 0.0f);

    auto frame = [&](OffscreenFrame* readBack) {
        field.Update(kFrame, -999.0f, -999.0f);
        field.DeferEvents();
        field.events.clear();
        field.popups.Update(kFrame);
        for (auto& m : particles)
            m->Update(kFrame);
        for (auto& l : lists)
            l->UpdateAll(kFrame, 0);
        for (auto& b : batches)
            b->Update(kFrame);

        ASSERT_EQ(D3D_OK, gl->BeginScene(0xFF101830u));
        dev.SetVertexShader(kVertexFormat);
        dev.SetRenderState(D3DRS_LIGHTING, 0);
        dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        caps->Render();
        caps->DrawChains();
        gl->BindSharedBuffers();
        dev.SetRenderState(D3DRS_ALPHAREF, 0x80);
        dev.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
        for (auto& l : lists)
        {
            l->DrawOpaque();
            l->DrawBlended(1);
        }
        dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        for (auto& b : batches)
            b->Render();
        for (auto& m : particles)
            m->DrawBlended();
        texts->Draw(-1);
        ASSERT_EQ(D3D_OK, gl->EndScene());
        if (readBack)
        {
            ASSERT_TRUE(gl->ReadBack(*readBack));
        }
        gl->Present();
    };

    // 1. The player picks the red token beside the line: the marker comes up.
    const CRefPtr<CCap> picked = field.cells[7][3];
    field.tokenSelector->Select(picked);
    OffscreenFrame first;
    for (int i = 0; i < 15; ++i)
        frame(i == 14 ? &first : nullptr);
    EXPECT_TRUE(first.SavePng("play_screen_1_picked.png"));
    const Vec3 pickedAt = field.CellToScreen(3, 7, true);
    EXPECT_EQ(field.tokenSelector->active, 1);
    EXPECT_EQ(field.tokenSelector->introScale, 1.0f);
    EXPECT_GT(Bright(first, pickedAt.x - 40.0f, pickedAt.y - 40.0f, pickedAt.x + 40.0f, pickedAt.y + 40.0f), 800)
        << "marker";
    EXPECT_EQ(bar->counterText->text, "0/3");

    // 2. It is swapped with its left neighbour: three reds in a row, the gem goes.
    field.tokenSelector->Clear();
    field.StartSwap(2, 7, 3, 7, 0);
    OffscreenFrame second;
    bool flying = false, scored = false;
    for (int i = 0; i < 120 && !(flying && scored); ++i)
    {
        frame(nullptr);
        flying = flying || gem->state == kBonusEffect;
        scored = scored || !field.popups.messages.empty();
    }
    ASSERT_TRUE(flying) << "the gem never left its token";
    ASSERT_TRUE(scored) << "the group scored no pop-up";
    for (int i = 0; i < 8; ++i)
        frame(i == 7 ? &second : nullptr);
    EXPECT_TRUE(second.SavePng("play_screen_2_flight.png"));
    ASSERT_FALSE(field.popups.messages.empty());
    const Vec3 score = field.popups.messages.front()->position;
    EXPECT_GT(Bright(second, score.x - 40.0f, score.y - 30.0f, score.x + 40.0f, score.y + 5.0f), 60)
        << "score pop-up";
    EXPECT_EQ(gem->state, kBonusEffect);

    // 3. The gem lands on the bar and is counted.
    OffscreenFrame third;
    for (int i = 0; i < 90 && bar->collected.empty(); ++i)
        frame(nullptr);
    frame(&third);
    EXPECT_TRUE(third.SavePng("play_screen_3_counted.png"));
    ASSERT_EQ(bar->collected.size(), 1u);
    EXPECT_EQ(bar->collected[0], 2);
    EXPECT_EQ(field.gemsToCollect, 2);
    EXPECT_EQ(bar->counterText->text, "1/3");
    // The red gem is painted at the strip's left end.
    const float stripX = field.origin[0] + bar->rightOffset[0], stripY = bar->origin.y + bar->rightOffset[1] - 20.0f;
    EXPECT_GT(Bright(third, stripX, stripY - 15.0f, stripX + 36.0f, stripY + 15.0f), 150) << "gem on the bar";
}

} // namespace
