// uishot <game folder> <screen> [out.png] [width height]: a test host, not a data
// generator. It makes the renderer's device in a window (offscreen without a display),
// loads the string table and the three fonts, builds the interface from the game
// folder's texture catalogue and form files, shows one screen as the game would and
// writes one frame as a PNG. Screens: MainMenu, Map, Options, Quest (the play screen
// with the board's frame and tokens), or any form name, shown alone.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "board/CapsManager.h"
#include "board/Fader.h"
#include "board/LevelParams.h"
#include "engine/DataFolders.h"
#include "engine/StringTable.h"
#include "saves/HighScores.h"
#include "platform/d3d8/backend.h"
#include "platform/win32.h"
#include "game/Frame.h"
#include "render/Renderer.h"
#include "screens/Interface.h"
#include "hud/QuestLayout.h"
#include "tools/common/GraphicsHost.h"
#include "tools/common/ImageWrite.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"

namespace {

CRefPtr<CFont> LoadFont(CDevice& device, const std::string& name)
{
    CRefPtr<CTexture> texture = device.MakeTexture("Data\\Fonts\\" + name + ".tga", "___Font_" + name, 1, 0,
                                                   D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    if (!texture)
        return CRefPtr<CFont>();
    CRefPtr<CFont> font(new CFont(texture));
    if (!font->Load(("Data\\Fonts\\" + name + ".kfd").c_str()))
        return CRefPtr<CFont>();
    return font;
}

void SetText(CInterface& ui, int form, int number, const char* text)
{
    if (CRefPtr<CKMWindow> w = ui.Widget(form, number))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: uishot <game folder> <screen> [out.png] [width height]\n");
        return 1;
    }
    const std::string screen = argv[2];
    const std::string out = std::filesystem::absolute(argc > 3 ? argv[3] : "screen.png").string();
    const int width = argc > 5 ? std::atoi(argv[4]) : 1024;
    const int height = argc > 5 ? std::atoi(argv[5]) : 768;
    std::error_code error;
    std::filesystem::current_path(argv[1], error);
    if (error)
    {
        std::fprintf(stderr, "uishot: no game folder %s\n", argv[1]);
        return 1;
    }
    tools::GraphicsWindow host("uishot", "The Orblight of Quillacor", width, height);
    if (!host.Ready())
        return 1;
    int status = 0;
    {
        CRefPtr<CRenderer> renderer = tools::MakeRenderer("uishot", host, width, height);
        if (!renderer)
            return 1;
        GameFrameModules frame;
        CDevice& device = *renderer->device;
        CRefPtr<CVertexBuffer> vb = renderer->vertexBuffer;
        CRefPtr<CIndexBuffer> ib = renderer->indexBuffer;

        CDataFolders folders;
        LoadStringTable((folders.texts + "Strings.txt").c_str(), (folders.data + "TextID.dat").c_str());
        std::vector<CRefPtr<CFont>> fonts;
        for (const char* name : {"Font", "FontSmall", "FontTitle"})
            if (CRefPtr<CFont> font = LoadFont(device, name))
                fonts.push_back(font);
        if (fonts.size() != 3)
        {
            std::fprintf(stderr, "uishot: the fonts are missing (run the generators)\n");
            return 1;
        }
        CQuestLayout layout;
        layout.Load((folders.config + "Skin.cfg").c_str());
        CLevelParams params;
        CRefPtr<CTextSet> texts(new CTextSet(renderer->device, vb, ib));
        CRefPtr<CInterface> ui(new CInterface(nullptr, renderer->device, vb, ib, texts, fonts));
        if (!ui->Load(folders, layout, params))
        {
            std::fprintf(stderr, "uishot: the interface did not load (see Objects.log)\n");
            return 1;
        }
        frame.ui = ui;
        ui->SetMapTextures(device.GetTextureByName("MapHalo"), device.GetTextureByName("Buttons"));

        // The menus stand on the main menu's living picture, shown a few seconds in.
        CRefPtr<CSpriteList> list(new CSpriteList(renderer->device, vb, ib));
        CRefPtr<CSpriteList> front(new CSpriteList(renderer->device, vb, ib));
        CRefPtr<CBackgroundManager> backgrounds(new CBackgroundManager());
        backgrounds->SetResources(renderer->device, vb, ib);
        backgrounds->SetSharedResources(list, {}, {}, {}, {}, {}, {}, {}, {}, front);
        backgrounds->LoadSettings((folders.config + "Background.cfg").c_str());
        backgrounds->Init(folders.graphics);
        backgrounds->enabled = 1;
        backgrounds->SetScene(CBackgroundManager::kSceneMainMenu);
        for (int i = 0; i < 100; ++i)
        {
            backgrounds->Update(0.04f);
            front->UpdateAll(0.04f, 0);
        }
        frame.backgrounds = backgrounds;
        renderer->spriteLists[2] = front;

        std::vector<CRefPtr<CKMForm>> shown;
        if (screen == "Quest")
        {
            shown = {ui->Form("Quest")};
            ui->SetCounters(12450, 3, 0.62f);
            SetText(*ui, kFormQuest, 1, "Level 2-3");
            ui->ShowFirstIcons(3);
            ui->SetIconPanelVisible(1);
            // The board's frame and a board of tokens, as the play field builds them.
            CRefPtr<CFader> fader(new CFader());
            fader->textures = {device.GetTextureByName("Frame"), device.GetTextureByName("FrameBack")};
            if (!fader->textures[0])
                fader->textures = {device.MakeTexture("Data\\Gfx\\Frame.png", "Frame", 1, 0, D3DPOOL_MANAGED,
                                                      D3DFMT_UNKNOWN),
                                   device.MakeTexture("Data\\Gfx\\FrameBack.tga", "FrameBack", 1, 0,
                                                      D3DPOOL_MANAGED, D3DFMT_UNKNOWN)};
            fader->position[0] = layout.boardX;
            fader->position[1] = layout.boardY;
            fader->position[2] = layout.boardZ;
            // The frame draws before the sprite lists, so the backdrop goes first into the
            // frame's own quads: the cell background, dimmed, over the whole screen.
            std::vector<float> rects = {-layout.boardX - 512.0f, layout.boardY - 384.0f, 1024.0f, 768.0f};
            std::vector<float> uvs = {0, 0, 12.8f, 0, 12.8f, 9.6f, 0, 9.6f};
            std::vector<int32_t> textures = {1};
            std::vector<uint32_t> colours = {0xFF303868u};
            std::vector<int32_t> methods = {0};
            rects.insert(rects.end(), layout.frameRects.begin(), layout.frameRects.end());
            uvs.insert(uvs.end(), layout.frameUVs.begin(), layout.frameUVs.end());
            textures.insert(textures.end(), layout.frameTextures.begin(), layout.frameTextures.end());
            colours.insert(colours.end(), layout.frameColours.begin(), layout.frameColours.end());
            methods.insert(methods.end(), layout.frameMethods.begin(), layout.frameMethods.end());
            fader->Build(rects, uvs, textures, colours, methods);
            // The level's own scene is not drawn here: the board's cell backdrop shows.
            frame.backgrounds = CRefPtr<CBackgroundManager>();
            renderer->spriteLists[2] = CRefPtr<CSpriteList>();
            frame.fader = fader;
            CRefPtr<CCapsManager> caps(new CCapsManager(renderer->device, vb, ib));
            if (caps->LoadTextures("Data\\Gfx\\") && caps->LoadCapsAnimation("Data\\"))
            {
                std::vector<CRefPtr<CCapFrame>> looks;
                for (int row = 0; row < 8; ++row)
                    for (int column = 0; column < 8; ++column)
                    {
                        CRefPtr<CCapFrame> look;
                        caps->MakeCapFrame(look, (column * 3 + row * 5 + row * column) % 7,
                                           layout.boardX + (column + 0.5f) * layout.cellWidth,
                                           layout.boardY - (row + 0.5f) * layout.cellHeight, 0.0f, layout.radius,
                                           0);
                        looks.push_back(look);
                    }
                caps->Update(0.0f);
                frame.caps = caps;
            }
        }
        else if (screen == "Map")
        {
            shown = {ui->Form("Map")};
            ui->RecreateMapDiffTextures(3);
            ui->SetLevelPairLabel(14, 0);
        }
        else if (screen == "Options" || screen == "Options_only")
        {
            shown = {ui->Form("Options")}; if (screen == "Options") shown.insert(shown.begin(), ui->Form("MainMenu"));
            ui->SetOptionScrollers(0.8f, 0.55f);
            ui->UpdateProfileGreeting();
        }
        else if (screen == "MainMenu")
        {
            shown = {ui->Form("MainMenu")};
            ui->UpdateProfileGreeting();
        }
        else if (CRefPtr<CKMForm> form = ui->Form(screen.c_str()))
        {
            // Each screen as the game first shows it.
            shown = {form};
            if (screen == "HighScores")
            {
                static CHiscoresTable table;
                ui->hiscores = &table;
                ui->highlightRow = 3;
                ui->FillHighScores(0);
            }
            else if (screen == "Tutorial")
            {
                // The first tip: swap two tokens in the middle of the board.
                ui->HideAllGroups();
                for (int g : {0, 4, 6})
                    ui->ShowGroup(g);
                SetText(*ui, kFormTutorial, 100, "Swap adjacent tokens\nto create rows of 3 or more");
                const float cx = layout.boardX + 4.0f * layout.cellWidth, cy = layout.boardY - 4.5f * layout.cellHeight;
                ui->PlaceSwapThese(cx, cy);
                ui->arrowBaseX = cx + layout.cellWidth * 0.5f;
                ui->arrowBaseY = cy + layout.cellHeight * 0.25f;
                CRefPtr<CKMWindow> note = ui->Group(kFormTutorial, 0).widgets[0];
                ui->FormAt(kFormTutorial)->SetChildPosition(note, cx, cy - 140.0f, note->localPosition.z);
                CRefPtr<CKMWindow> text = ui->Widget(kFormTutorial, 100);
                ui->FormAt(kFormTutorial)->SetChildPosition(text, cx, cy - 140.0f, text->localPosition.z);
            }
            else if (screen == "Profiles")
                ui->RefreshProfileRows();
            else if (screen == "MsgBox")
                ui->SetMessageBox("Hall of Fame", "Congratulations!\nYou have a new high score!", 0, 9);
            else if (screen == "Help")
                ui->ShowHelpPage(1);
            else if (screen == "Newspaper")
                ui->ShowNewspaperPage(1);
            else if (screen == "Intro")
            {
                ui->RecreateIntroTexture(1);
                ui->SelectListWidget(0);
            }
            else if (screen == "Trophies")
            {
                CRefPtr<CTexture> hall = device.GetTextureByName("Trophies");
                if (hall && !hall->texture)
                    hall->Recreate(device.device);
            }
        }
        else
        {
            std::fprintf(stderr, "uishot: no screen %s\n", screen.c_str());
            return 1;
        }
        for (const CRefPtr<CKMForm>& form : shown)
            ui->FadeInForm(form, 100.0f);
        if (screen == "Options")
            shown[0]->SetAlpha(0.4f);
        for (int i = 0; i < 3; ++i)
            ui->Update(1000.0f, 1000.0f, 0.05f);

        HRESULT hr = RenderGameFrame(*renderer, frame);
        std::vector<uint32_t> pixels;
        const int w = static_cast<int>(renderer->screenWidth), h = static_cast<int>(renderer->screenHeight);
        if (FAILED(hr) || !platform::ReadBackBuffer(device.device, 0, 0, w, h, pixels))
        {
            std::fprintf(stderr, "uishot: the frame could not be drawn or read\n");
            status = 1;
        }
        else
        {
            renderer->Present();
            if (!tools::WriteArgbPng(out, pixels, w, h))
                status = 1;
            else
                std::printf("uishot: wrote %s\n", out.c_str());
        }
    }
    return status;
}
