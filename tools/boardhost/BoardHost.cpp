// boardhost <game folder> <output folder> [frames]: a test host, not a data generator.
// It lays out a fixed opening board with the generated token pictures on the
// offscreen OpenGL device, lets it drop in and settle, then swaps two tokens of the
// bottom row: a column of three is destroyed by its terminator (glows and bolts),
// the tokens above fall with their bounce, one lands beside two of its colour for a
// second wave, and new tokens drop in. Every other frame of 1/30 s is written as
// "board_NNN.png" into the output folder. Exit status 0 when frames were written and
// the board settled again with a move, 2 when it did not, 1 when nothing could be
// drawn.
//
//   SDL_VIDEODRIVER=offscreen build/tools/boardhost/boardhost build/game frames/
#include "board/Level.h"
#include "board/LevelParams.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"
#include "hud/QuestLayout.h"
#include "tests/support/OffscreenDevice.h"
#include "tools/common/PaintTexture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;

// Swapping (2, 7) and (3, 7) lines up three 0s down column 2; the 1 above them
// then falls into the bottom row beside two 1s: a second wave.
const std::vector<std::string> kOpening = {"34563456", "56345c24", "34563452", "56345634",
                                           "3416s456", "5604s634", "3406s456", "11205634"};

DWORD Grey(float alpha)
{
    const DWORD a = DWORD(std::lround(std::fmin(std::fmax(alpha, 0.0f), 1.0f) * 255.0f));
    return a << 24 | 0x00FFFFFFu;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: boardhost <game folder> <output folder> [frames]\n");
        return 1;
    }
    const std::string game = std::filesystem::absolute(argv[1]).string() + "/";
    const std::filesystem::path out = std::filesystem::absolute(argv[2]);
    const int frames = argc > 3 ? std::atoi(argv[3]) : 120;
    std::filesystem::create_directories(out);

    test_support::LoadOffscreenGraphics();
    OffscreenDevice gl;
    if (!gl.Ready())
    {
        std::fprintf(stderr, "boardhost: no OpenGL device\n");
        return 1;
    }
    CDevice& device = *gl.device;
    CRefPtr<CCapsManager> caps(new CCapsManager(gl.device, gl.vertexBuffer, gl.indexBuffer));
    if (!caps->LoadTextures(game + "Data/Gfx/") || !caps->LoadCapsAnimation(game + "Data/"))
    {
        std::fprintf(stderr, "boardhost: no token pictures in %s\n", game.c_str());
        return 1;
    }
    CRefPtr<CParticleSystemsManager> particles(
        new CParticleSystemsManager(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CSpriteBatch> batch(new CSpriteBatch(gl.device, gl.vertexBuffer, gl.indexBuffer));

    // The terminator's glow is a soft round halo, its bolt a bright streak
    // across the texture, its sparks small stars.
    CRefPtr<CTexture> glow = tools::ShadeTexture(device, "HostGlow", 64, [](float x, float y) {
        const float d = std::fmin(std::sqrt((x - 0.5f) * (x - 0.5f) + (y - 0.5f) * (y - 0.5f)) * 2.0f, 1.0f);
        return Grey((1.0f - d) * (1.0f - d));
    });
    CRefPtr<CTexture> bolt = tools::ShadeTexture(device, "HostBolt", 64, [](float, float y) {
        const float d = std::fabs(y - 0.5f) * 2.0f;
        return Grey(1.0f - d);
    });
    CRefPtr<CTexture> spark = tools::ShadeTexture(device, "HostSpark", 32, [](float x, float y) {
        const float dx = std::fabs(x - 0.5f), dy = std::fabs(y - 0.5f);
        return Grey(1.0f - 6.0f * std::fmin(dx, dy) - std::fmax(dx, dy));
    });

    CQuestLayout layout;
    layout.boardX = -320.5f;  // the board in the middle of the screen
    layout.boardY = 320.5f;
    CLevelParams rules;
    rules.Set(0, 1);
    float fillRate = 0.0f;
    crt::srand(17);
    CPlayField field(caps, &layout, nullptr, &rules, &fillRate);
    CRefPtr<CTerminatorManager> terminators(new CTerminatorManager(0.0f, &field.capList, particles, batch));
    terminators->SetTextures(spark, spark, glow, bolt);
    field.terminatorManager = terminators;

    field.Reset(0);
    field.capsSet = {0, 1, 2, 3, 4, 5, 6};
    field.level = CRefPtr<CLevel>(new CLevel());
    field.level->isDefault = 0;
    field.level->beginRows = {"34563456", "56345224", "34563452", "56345634",
                              "3416s456", "5604s634", "3406s456", "11205634"};
    field.level->lockRows = {"--------", "-----1--", "--------", "--------",
                             "--------", "--------", "--------", "--------"};
    field.fillPending = CPlayField::kFillLevel;

    const float dt = 1.0f / 30.0f;
    auto step = [&]() {
        field.Update(dt, -999.0f, -999.0f);
        field.events.clear();
        particles->Update(dt);
        batch->Update(dt);
        caps->Update(dt);
    };
    auto quiet = [&]() { return field.fillPending == 0 && field.IsIdle(true) && terminators->IsEmpty(); };
    for (int i = 0; i < 300 && !quiet(); ++i)
        step();
    field.StartSwap(3, 7, 2, 7, 0);

    int written = 0;
    for (int i = 0; i < frames; ++i)
    {
        step();
        if (i % 2)
            continue;
        if (gl.BeginScene(0xFF1C2430u) != D3D_OK)
            return 1;
        gl.BindSharedBuffers();
        device.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        caps->Render();
        particles->DrawBlended();
        batch->Render();
        device.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        caps->DrawChains();
        gl.EndScene();
        OffscreenFrame frame;
        if (!gl.ReadBack(frame))
            return 1;
        gl.Present();
        char name[64];
        std::snprintf(name, sizeof(name), "board_%03d.png", i);
        written += frame.SavePng((out / name).string()) ? 1 : 0;
    }
    for (int i = 0; i < 600 && !quiet(); ++i)
        step();
    field.RebuildValueGrid();
    const bool settled = quiet() && field.matchGrid.HasMove(3, false);
    std::printf("boardhost: %d frames written to %s; board %s\n", written, out.string().c_str(),
                settled ? "settled with a move" : "did not settle");
    return written > 0 && settled ? 0 : 2;
}
