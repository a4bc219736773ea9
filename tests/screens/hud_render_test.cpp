// The play HUD drawn by the real OpenGL backend (SDL_VIDEODRIVER=offscreen)
// with the game's own pictures: the gem bar with gems painted in and its
// flares, gems glowing on tokens and one flying to the bar, the selected-token
// marker and the pop-ups. Checked by reading pixels back at known places; the
// frame is also written to "hud_offscreen.png" in the working folder for a look.
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"
#include "hud/GemsBuffer.h"
#include "hud/PopupMessages.h"
#include "hud/TokenSelector.h"

#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "tests/support/OffscreenDevice.h"
#include "tools/common/ImageWrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const int kWidth = 1024;
const int kHeight = 768;

using test_support::OffscreenDevice;

struct Frame
{
    std::vector<uint32_t> pixels;
    uint32_t At(float x, float y) const { return pixels[size_t(384.0f - y) * kWidth + size_t(x + 512.0f)]; }
    // Pixels in the box brighter than the background in any channel by `by`.
    int Bright(float x0, float y0, float x1, float y1, int by = 60) const
    {
        int n = 0;
        for (float y = y0; y < y1; y += 1.0f)
            for (float x = x0; x < x1; x += 1.0f)
            {
                const uint32_t p = At(x, y);
                if (int((p >> 16) & 0xFF) > 0x10 + by || int((p >> 8) & 0xFF) > 0x18 + by ||
                    int(p & 0xFF) > 0x30 + by)
                    ++n;
            }
        return n;
    }
};

TEST(HudRendering, GemBarGemsMarkerAndPopupsDrawWhereTheyBelong)
{
    const std::string game = std::string(ORB_GAME_DIR) + "/";
    const std::string gfx = game + "Data/Gfx/";
    for (const char* file : {"BarGems.bmp", "GemProgress.png", "AllGems.png", "GemFlares.tga", "Selector.png",
                             "StarParticle.bmp", "Caps.png", "Bonus3.tga"})
        if (!std::filesystem::exists(gfx + file))
            GTEST_SKIP() << "the game's pictures are not generated in this build (" << file << ")";
    if (!std::filesystem::exists(game + "Data/Fonts/Font.kfd"))
        GTEST_SKIP() << "the game's fonts are not generated in this build";
    OffscreenDevice gl(kWidth, kHeight);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL device (run with SDL_VIDEODRIVER=offscreen)";
    CDevice& dev = *gl.device;
    crt::srand(16);
    LoadBonusConfig((game + "Data/Config/Gems.cfg").c_str(), (game + "Data/Config/Bonus.cfg").c_str());
    CPopupMessages::LoadSettings((game + "Data/Config/Score.cfg").c_str());

    auto plain = [&](const char* file, const char* name) {
        return dev.MakeTexture(gfx + file, name, 0, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    };
    CRefPtr<CTexture> progress = plain("GemProgress.png", "GemProgress");
    CRefPtr<CTexture> selector = plain("Selector.png", "Selector");
    CRefPtr<CTexture> star = plain("StarParticle.bmp", "StarParticle");
    CRefPtr<CTexture> caps = plain("Caps.png", "Caps");
    CRefPtr<CTexture> fontTexture = dev.LoadTextureChooseFormat(game + "Data/Fonts/Font.tga", "Font",
                                                                {D3DFMT_A8R8G8B8}, 1, 0, D3DPOOL_MANAGED);
    ASSERT_TRUE(progress && selector && star && caps && fontTexture);
    CRefPtr<CFont> font(new CFont(fontTexture));
    ASSERT_EQ(1, font->Load((game + "Data/Fonts/Font.kfd").c_str()));

    CRefPtr<CSpriteList> list1(new CSpriteList(gl.device, gl.vertexBuffer, gl.indexBuffer)); // tokens
    CRefPtr<CSpriteList> list2(new CSpriteList(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CSpriteList> list3(new CSpriteList(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CSpriteBatch> batch2(new CSpriteBatch(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CSpriteBatch> batch3(new CSpriteBatch(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CTextSet> texts(new CTextSet(gl.device, gl.vertexBuffer, gl.indexBuffer));
    std::vector<CRefPtr<CParticleSystemsManager>> managers;
    for (int i = 0; i < 2; ++i)
    {
        managers.emplace_back(new CParticleSystemsManager(gl.device, gl.vertexBuffer, gl.indexBuffer));
        managers.back()->environment->boxMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
        managers.back()->environment->boxMax = Vec3{1000.0f, 1000.0f, 1000.0f};
        managers.back()->environment->view->eye.z = 10000.0f;
    }

    // The bonus manager as the game sets it up.
    CRefPtr<CBonusManager> bonuses(new CBonusManager);
    bonuses->SetRenderers(list2, batch2, managers[0], list3, managers[1], batch3, list3);
    ASSERT_TRUE(bonuses->LoadBonusTextures(gfx, gl.device));
    bonuses->SetTextures(star, {}, {}, {}, {}, {}, {}, {});

    // The gem bar above a board whose top-left corner is at (-320, 300).
    const Vec3 board{-320.0f, 300.0f, 0.0f};
    CRefPtr<CGemsBuffer> bar(new CGemsBuffer);
    bar->origin = board;
    bar->SetResources(gl.device, progress, list2, texts, font, batch2);
    bar->ApplyLayout(GemsBarLayout());
    ASSERT_TRUE(bar->LoadBarGemsBitmap((gfx + "BarGems.bmp").c_str()));
    ASSERT_TRUE(bar->CreateVisuals());
    bar->flareTexture = bonuses->gemFlaresTexture;
    bar->SetTotalCells(8);
    bar->ResetForLevel();
    bar->Show(1, 0.0f);
    for (int c = 0; c < 5; ++c)
        bar->AddGem(c);

    // Tokens with gems: one of each colour in a row, drawn from the token atlas.
    const float cell = 80.0f;
    std::vector<CRefPtr<CBonus>> gems;
    D3DSURFACE_DESC capsDesc;
    caps->texture->GetLevelDesc(0, &capsDesc);
    for (int c = 0; c < 7; ++c)
    {
        const float x = board.x + cell * (c + 0.5f), y = board.y - 2.5f * cell;
        CRefPtr<CSpriteShape> token(new CSpriteShape(x, y, 0.0f, 64.0f, 64.0f, 0xFFFFFFFF, caps, 1));
        token->SetFrameUV(0, 64.0f * c / capsDesc.Width, 0.0f, 64.0f * (c + 1) / capsDesc.Width,
                          64.0f / capsDesc.Height);
        token->zOrder = 10;
        list1->Add(token);
        if (c == 6)
            continue;
        CRefPtr<CBonus> gem;
        bonuses->CreateGem(gem, c, 1);
        gem->Place(x, y, -1.0f, 32.0f, c, 2);
        gems.push_back(gem);
    }
    // The violet gem is already on its way to the bar.
    CRefPtr<CBonus> flyer;
    bonuses->CreateGem(flyer, 6, 1);
    flyer->Place(board.x + cell * 6.5f, board.y - 2.5f * cell, -1.0f, 32.0f, 6, 2);
    Vec3 target;
    bar->GetCellAnchor(target, 6, 1);
    CRefPtr<CBonusGem> flying = flyer.DynamicCast<CBonusGem>();
    flying->destination[0] = target.x;
    flying->destination[1] = target.y;
    flying->destination[2] = target.z;

    // The picked token: the red one.
    CRefPtr<CCap> picked(new CCap);
    picked->colour = 2;
    picked->position[0] = board.x + cell * 2.5f;
    picked->position[1] = board.y - 4.5f * cell;
    picked->radius = 32.0f;
    CRefPtr<CSpriteShape> pickedShape(new CSpriteShape(picked->position[0], picked->position[1], 0.0f, 64.0f, 64.0f,
                                                       0xFFFFFFFF, caps, 1));
    pickedShape->SetFrameUV(0, 128.0f / capsDesc.Width, 0.0f, 192.0f / capsDesc.Width, 64.0f / capsDesc.Height);
    pickedShape->zOrder = 10;
    list1->Add(pickedShape);
    CRefPtr<CTokenSelector> marker(new CTokenSelector(managers[0], list2, batch2, selector, star));

    // Pop-ups: the points of a group, a combo and a multiplied group.
    CPopupMessages popups;
    popups.SetResources(list2, texts, font, font, bonuses->bonus3Texture);
    CPopupMessage* scorePopup = nullptr;
    const float scoreX = board.x + cell * 5.0f, scoreY = board.y - 4.5f * cell;

    const float dt = 1.0f / 30.0f;
    int arrivals = 0;
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 45; ++i)
    {
        if (i == 5)
            marker->Select(picked);
        if (i == 10)
            flying->Activate();
        if (i == 25)
        {
            CRefPtr<CPopupMessage> p;
            popups.AddScore(p, 150, 2, scoreX, scoreY, 0.0f);
            scorePopup = p.Get();
            popups.AddMessage(p, "GOOD COMBO x4", 1.0f, 0, board.x + 320.0f, board.y - 6.5f * cell, 0.0f);
            popups.AddMultiplier(p, 60, 300, 1, board.x + 160.0f, board.y - 7.3f * cell, 0.0f,
                                 {Vec3{board.x + 40.0f, board.y - 6.0f * cell, 0.0f}}, {1});
        }
        bonuses->UpdateAll(dt);
        // What the board does with a gem that reached the bar.
        for (size_t e = 0; e < bonuses->events.size(); ++e)
            if (bonuses->events.At(e).kind == kBonusEventGemArrived)
            {
                bar->AddGem(bonuses->events.At(e).value1);
                bonuses->events.At(e).object->state = kBonusDone;
                ++arrivals;
            }
        bar->Layout(board.x, board.y, board.z);
        bar->Update(dt);
        marker->Update(dt);
        popups.Update(dt);
        for (auto& m : managers)
            m->Update(dt);
        for (const auto& l : {list1, list2, list3})
            l->UpdateAll(dt, 0);
        batch2->Update(dt);
        batch3->Update(dt);

        gl.BeginRendererFrame(0xFF101830u);
        for (const auto& l : {list1, list2, list3})
        {
            l->DrawOpaque();
            l->DrawBlended(1);
        }
        dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        batch2->Render();
        batch3->Render();
        for (auto& m : managers)
            m->DrawBlended();
        texts->Draw(-1);
        dev.device->EndScene();
        if (i == 44)
        {
            ASSERT_TRUE(platform::ReadBackBuffer(dev.device, 0, 0, kWidth, kHeight, pixels));
        }
        dev.device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    ASSERT_EQ(size_t(kWidth) * kHeight, pixels.size());
    EXPECT_TRUE(tools::WriteArgbPng("hud_offscreen.png", pixels, kWidth, kHeight));
    const Frame frame{pixels};

    // The strip holds six gems from its left end; its right part is still empty.
    const float stripX = board.x + bar->rightOffset[0], stripY = board.y + bar->rightOffset[1] - 20.0f;
    EXPECT_GT(frame.Bright(stripX, stripY - 15.0f, stripX + 230.0f, stripY + 15.0f), 2500) << "painted gems";
    // The filling covers six eighths of the bar.
    const float fillY = board.y + bar->barOffset[1] - 16.0f;
    const float fillX = board.x + bar->barOffset[0];
    EXPECT_GT(frame.Bright(fillX + 290.0f, fillY - 3.0f, fillX + 300.0f, fillY + 3.0f), 40) << "filling";
    EXPECT_LT(frame.Bright(fillX + 330.0f, fillY + 8.0f, fillX + 395.0f, fillY + 12.0f, 120), 40) << "unfilled";
    EXPECT_EQ(bar->counterText->text, "6/8");
    // The marker sits on the picked token.
    EXPECT_EQ(marker->introScale, 1.0f);
    EXPECT_GT(frame.Bright(picked->position[0] - 40.0f, picked->position[1] - 40.0f, picked->position[0] + 40.0f,
                           picked->position[1] + 40.0f),
              1500)
        << "marker";
    // The flying gem reached the bar in its second of flight, was counted and let go.
    EXPECT_EQ(arrivals, 1);
    EXPECT_NEAR(flyer->position[0], target.x, 0.01f);
    EXPECT_EQ(bonuses->bonuses.size(), 6u);
    // The score pop-up has drifted for two thirds of a second and is still fully shown.
    ASSERT_NE(scorePopup, nullptr);
    const Vec3 at = scorePopup->position;
    EXPECT_NE(at.y, scoreY);
    EXPECT_NEAR(at.y, scoreY + CPopupMessages::Settings().score.speed[1] * 20.0f * dt, 0.1f);
    EXPECT_GT(frame.Bright(at.x - 40.0f, at.y - 30.0f, at.x + 40.0f, at.y + 5.0f), 100) << "score pop-up";
}

} // namespace
