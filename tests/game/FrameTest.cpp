// The game's frame on the recording backend: the splash sequence and its one request
// for Init, zero and minimised steps, the step clamp, the mouse mapping and the order
// of the state machine's timed phases.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "effects/ParticleSystemsManager.h"
#include "engine/Log.h"
#include "game/Game.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Renderer.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "tests/support/LogFile.h"

namespace {

class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetLogFile((::testing::TempDir() + "frame_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                    ".log")
                       .c_str());
        ResetLog();
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        CRefPtr<CRenderer> renderer(new CRenderer());
        VideoSettings settings{};
        settings.colorMode = -1;
        settings.width = 640;
        settings.height = 480;
        ASSERT_EQ(D3D_OK, renderer->Create(&settings, d3d, nullptr, D3DFMT_D16));
        game = CRefPtr<CGame>(new CGame(renderer));
        CDevice& device = *game->device;
        game->particleVertexBuffer = device.CreateVertexBuffer(65536, 0x208, 0x242, D3DPOOL_DEFAULT);
        game->particleIndexBuffer = device.CreateIndexBuffer(65536, D3DFMT_INDEX16, 0x208, D3DPOOL_DEFAULT);
        renderer->vertexBuffer = game->particleVertexBuffer;
        renderer->indexBuffer = game->particleIndexBuffer;
        picture = device.CreateTexture("Picture", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
        recorder->ClearCalls();
    }

    void TearDown() override
    {
        picture.Reset();
        game.Reset();
        if (d3d)
            d3d->Release();
        platform::UseGLBackend();
        SetLogFile("");
    }

    int Presents() const { return recorder->Count("Present"); }

    void StartSplash(bool first, bool second)
    {
        game->firstSplash = first ? picture : CRefPtr<CTexture>();
        game->secondSplash = second ? picture : CRefPtr<CTexture>();
        game->firstImagePresent = first;
        game->secondImagePresent = second;
        // As the program entry starts it.
        game->splashRunning = 1;
        game->splashPhase = first ? 0 : 3;
        game->splashTimer = 0.0f;
    }

    // Runs quarter-second frames until the frame asks for Init; the seconds it took.
    float SecondsUntilInit(int* requests)
    {
        float seconds = 0.0f;
        *requests = 0;
        for (int i = 0; i < 100; ++i)
        {
            seconds += 0.25f;
            if (game->Frame(0.25f, 1, 0) == kFrameRunInit)
            {
                ++*requests;
                break;
            }
        }
        // Further frames never ask again.
        for (int i = 0; i < 8; ++i)
            if (game->Frame(0.25f, 1, 0) == kFrameRunInit)
                ++*requests;
        return seconds;
    }

    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CGame> game;
    CRefPtr<CTexture> picture;
};

TEST_F(FrameTest, SplashAsksForInitOnceWhenItsPicturesHaveShown)
{
    const struct
    {
        bool first, second;
        float seconds;
    } cases[] = {
        {true, true, 8.0f},  // each picture: one second in, two held, one out
        {true, false, 4.0f},
        {false, true, 4.0f}, // the entry starts at the second picture's phase
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.first) + std::to_string(c.second));
        StartSplash(c.first, c.second);
        int requests = 0;
        EXPECT_FLOAT_EQ(c.seconds, SecondsUntilInit(&requests));
        EXPECT_EQ(1, requests);
        EXPECT_EQ(0, game->splashRunning);
    }
}

TEST_F(FrameTest, SplashDrawsAndPresentsEveryFrameButTheLastOfTheFirstPicture)
{
    StartSplash(true, false);
    int requests = 0;
    SecondsUntilInit(&requests);
    // 16 frames of 0.25 s: the 16th ends the sequence without drawing; the 8 after it
    // run the ordinary frame (the state is still 0), which renders and presents too.
    EXPECT_EQ(15 + 8, Presents());
}

TEST_F(FrameTest, SplashIgnoresTheStepClamp)
{
    StartSplash(true, false);
    game->Frame(0.9f, 1, 0);
    EXPECT_FLOAT_EQ(0.9f, game->splashTimer);
    EXPECT_EQ(0, game->splashPhase);
}

TEST_F(FrameTest, ZeroStepOnlyDrawsAndMinimisedStepDoesNothing)
{
    game->state = kStateSpecialIntro;
    game->stateTimer = 0.25f;

    EXPECT_EQ(kFrameGoOn, game->Frame(0.0f, 1, 1));
    EXPECT_EQ(1, Presents());
    EXPECT_FLOAT_EQ(0.25f, game->stateTimer);

    EXPECT_EQ(kFrameGoOn, game->Frame(0.0f, 0, 1)); // windowed and minimised: not even drawn
    EXPECT_EQ(1, Presents());

    EXPECT_EQ(kFrameGoOn, game->Frame(0.1f, 1, 1));
    EXPECT_EQ(1, Presents());
    EXPECT_FLOAT_EQ(0.25f, game->stateTimer);
}

TEST_F(FrameTest, LongStepsAdvanceAnimationsByHalfASecond)
{
    game->spriteLists[1] =
        CRefPtr<CSpriteList>(new CSpriteList(game->device, game->particleVertexBuffer, game->particleIndexBuffer));
    CRefPtr<CSpriteShape> shape(new CSpriteShape(0, 0, 0, 10, 10, 0xFFFFFFFFu, picture, 1));
    shape->mortal = 1;
    shape->life = 2.0f;
    game->spriteLists[1]->Add(shape);

    game->Frame(0.7f, 1, 0);
    EXPECT_FLOAT_EQ(1.5f, shape->life);
    game->Frame(0.2f, 1, 0);
    EXPECT_FLOAT_EQ(1.3f, shape->life);
    EXPECT_EQ(2, Presents());
}

TEST_F(FrameTest, CursorMapsIntoTheCentredFourByThreeArea)
{
    const struct
    {
        int x, y, w, h;
        float gx, gy;
    } cases[] = {
        {320, 240, 640, 480, 0.0f, 0.0f},
        {0, 0, 640, 480, -512.0f, 384.0f},
        {640, 480, 640, 480, 512.0f, -384.0f},
        {1280, 360, 1280, 720, 682.6667f, 0.0f}, // the right-hand bar of a wide window: beyond 512
        {160, 0, 1280, 720, -512.0f, 384.0f},
        {5, 5, 10, 1, 0.0f, -2560.0f},           // one pixel high: no division by zero
        {5, 0, 10, 0, 0.0f, 0.0f},
    };
    for (const auto& c : cases)
    {
        float x = 0, y = 0;
        CGame::MapCursor(c.x, c.y, c.w, c.h, &x, &y);
        EXPECT_NEAR(c.gx, x, 0.001f) << c.x << "," << c.y << " in " << c.w << "x" << c.h;
        EXPECT_NEAR(c.gy, y, 0.001f) << c.x << "," << c.y << " in " << c.w << "x" << c.h;
    }
}

TEST_F(FrameTest, ShopTexturesAreFreedWhileTheShopIsOpenAndComeBackAfter)
{
    CDevice& device = *game->device;
    CRefPtr<CTexture> panel = device.CreateTexture("PanelQuest", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> shopFrame = device.CreateTexture("ShopFrame", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> bigStar = device.CreateTexture("BigStar", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    game->screenTextures[kTexBigStar] = bigStar;
    shopFrame->ReleaseTexture(); // the shop's frame is only made while the shop shows

    EXPECT_EQ(1, game->SwapPanelTextures(1, 0));
    EXPECT_EQ(nullptr, panel->texture);
    EXPECT_NE(nullptr, shopFrame->texture);
    EXPECT_EQ(nullptr, bigStar->texture);

    // Closing with keep set leaves the quest panel's pictures for later.
    game->SwapPanelTextures(0, 1);
    EXPECT_EQ(nullptr, shopFrame->texture);
    EXPECT_EQ(nullptr, panel->texture);
    EXPECT_EQ(nullptr, bigStar->texture);

    game->SwapPanelTextures(1, 0);
    game->SwapPanelTextures(0, 0);
    EXPECT_EQ(nullptr, shopFrame->texture);
    EXPECT_NE(nullptr, panel->texture);
    EXPECT_NE(nullptr, bigStar->texture);
}

TEST_F(FrameTest, MissingPanelTextureIsLoggedAndTheSwapGoesOn)
{
    CRefPtr<CTexture> shopFrame =
        game->device->CreateTexture("ShopFrame", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    shopFrame->ReleaseTexture();
    EXPECT_EQ(1, game->SwapPanelTextures(1, 0));
    EXPECT_NE(nullptr, shopFrame->texture);
    game->SwapPanelTextures(0, 0);
    const std::string log = test_support::ReadLogFile();
    EXPECT_NE(std::string::npos, log.find("Unable to find texture PanelQuest (Release)\n"));
    EXPECT_NE(std::string::npos, log.find("Unable to find texture PanelQuest (Recreate)\n"));
    EXPECT_NE(std::string::npos, log.find("Unable to find texture BigStar (Recreate)\n"));
}

TEST_F(FrameTest, GameGoesBeforeItsRendererAndTheDeviceGoesLast)
{
    for (auto& manager : game->particles)
        manager = CRefPtr<CParticleSystemsManager>(
            new CParticleSystemsManager(game->device, game->particleVertexBuffer, game->particleIndexBuffer));
    ResetLog();
    game.Reset();
    const std::string log = test_support::ReadLogFile();
    const size_t lastManager = log.rfind("Particle Systems manager destruction.");
    const size_t device = log.find("Device destruction.");
    ASSERT_NE(std::string::npos, lastManager);
    ASSERT_NE(std::string::npos, device);
    EXPECT_LT(lastManager, device);
}

TEST_F(FrameTest, ErrorListShowsItsLastMessage)
{
    EXPECT_EQ("Unknown Error!", game->LastError());
    game->AddError("Unable to load Texture FontSmall");
    game->AddError("Unable to load Flare Texture");
    EXPECT_EQ("Unable to load Flare Texture", game->LastError());
}

}  // namespace
