// scenehost <game folder> [out prefix]: a test host, not a data generator. It opens the
// game window, makes the renderer and the background manager with the game's own
// pictures, and for the museum, jungle and valley scenes draws a frame half a second
// in and one three seconds later (fixed steps of 1/50 s), writing
// "<prefix>_<scene>_<tenths>.png". It checks that each frame shows a picture (no black
// middle) and that the scene moved between the two looks. Exit status 0 when both
// hold, 2 when they do not, 1 when nothing could be drawn.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/Frame.h"
#include "render/Renderer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "tools/common/GraphicsHost.h"
#include "tools/common/ImageWrite.h"

namespace {

const float kStep = 0.02f;
const int kLooks[2] = {25, 150}; // frames: half a second and three seconds in

struct Scene
{
    int32_t id;
    const char* name;
};

// Pixels that changed between two frames, out of a sparse grid.
int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    int changed = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i += 97)
        changed += (a[i] & 0xFFFFFFu) != (b[i] & 0xFFFFFFu) ? 1 : 0;
    return changed;
}

bool MiddleIsBlack(const std::vector<uint32_t>& pixels, int w, int h)
{
    return (pixels[size_t(h / 2) * size_t(w) + size_t(w / 2)] & 0xFFFFFFu) == 0;
}

CRefPtr<CTexture> Load(CDevice& device, const char* file, const char* name, bool withAlpha)
{
    const std::string path = std::string("Data\\Gfx\\") + file;
    return withAlpha ? device.LoadTextureWithAlpha(path, name, true, 0, D3DPOOL_MANAGED)
                     : device.MakeTexture(path, name, 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: scenehost <game folder> [out prefix]\n");
        return 1;
    }
    const std::string prefix = std::filesystem::absolute(argc > 2 ? argv[2] : "scene").string();
    std::error_code error;
    std::filesystem::current_path(argv[1], error);
    if (error)
    {
        std::fprintf(stderr, "scenehost: no game folder %s\n", argv[1]);
        return 1;
    }
    tools::GraphicsWindow host("scenehost", "The Orblight of Quillacor", 1024, 768);
    if (!host.Ready())
        return 1;
    int status = 0;
    {
        CRefPtr<CRenderer> renderer = tools::MakeRenderer("scenehost", host, 1024, 768);
        if (!renderer)
            return 1;
        GameFrameModules modules;
        CDevice& device = *renderer->device;
        CRefPtr<CSpriteList> list(new CSpriteList(renderer->device, renderer->vertexBuffer, renderer->indexBuffer));
        CRefPtr<CSpriteBatch> batch(new CSpriteBatch(renderer->device, renderer->vertexBuffer, renderer->indexBuffer));
        // The background list is the manager's alone, as in the game; the batch with the
        // glints is drawn by the frame.
        renderer->spriteBatches[0] = batch;
        CRefPtr<CBackgroundManager> backgrounds(new CBackgroundManager());
        backgrounds->SetResources(renderer->device, renderer->vertexBuffer, renderer->indexBuffer);
        backgrounds->SetSharedResources(list, {}, batch, Load(device, "Flare.jpg", "Flare", true),
                                        Load(device, "JungleFlash.tga", "JungleFlash", false), {}, {},
                                        Load(device, "Spark.bmp", "Spark", false), {}, {});
        backgrounds->LoadSettings("Data\\Config\\Background.cfg");
        backgrounds->Init("Data\\Gfx\\");
        backgrounds->enabled = 1;
        modules.backgrounds = backgrounds;

        const Scene scenes[] = {{CBackgroundManager::kSceneMuseum, "museum"},
                                {CBackgroundManager::kSceneJungle, "jungle"},
                                {CBackgroundManager::kSceneValley, "valley"}};
        const int w = int(renderer->screenWidth), h = int(renderer->screenHeight);
        for (const Scene& scene : scenes)
        {
            backgrounds->SetScene(scene.id);
            std::vector<uint32_t> looks[2];
            for (int frame = 1, look = 0; look < 2; ++frame)
            {
                backgrounds->Update(kStep);
                batch->Update(kStep);
                if (frame != kLooks[look])
                    continue;
                if (FAILED(RenderGameFrame(*renderer, modules)) || !platform::ReadBackBuffer(device.device, 0, 0, w, h, looks[look]))
                {
                    std::fprintf(stderr, "scenehost: the %s frame could not be drawn or read\n", scene.name);
                    return 1;
                }
                renderer->Present();
                const std::string out = prefix + "_" + scene.name + "_" + std::to_string(frame * 2 / 10) + ".png";
                tools::WriteArgbPng(out, looks[look], w, h);
                std::printf("scenehost: wrote %s\n", out.c_str());
                ++look;
            }
            const int changed = Changed(looks[0], looks[1]);
            const bool black = MiddleIsBlack(looks[0], w, h) || MiddleIsBlack(looks[1], w, h);
            std::printf("scenehost: %s %s, %d samples moved\n", scene.name, black ? "BLACK" : "shown", changed);
            if (black || changed == 0)
                status = 2;
        }
    }
    return status;
}
