#include "QuestScript.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "challenges/AccuracyChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "field/PlayField.h"
#include "totems/TotemsManager.h"
#include "game/Game.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "screens/Interface.h"
#include "hud/TokenSelector.h"
#include "render/SpriteShape.h"
#include "screens/Shop.h"

namespace {

// The window of the harness is 640 x 480: game units map onto it at 0.625.
const float kClientWidth = 640.0f;
const float kClientHeight = 480.0f;
const float kUnitsToPixels = 0.625f;
// Frames a settled board is looked at before the next move.
const int kThinkTicks = 8;

using Cell = std::pair<int, int>;  // column, row
using ValueGrid = std::vector<std::vector<int32_t>>;

int ValueAt(const ValueGrid& grid, int column, int row)
{
    return row < 0 || column < 0 || row >= int(grid.size()) || column >= int(grid[0].size())
               ? 0
               : std::abs(grid[size_t(row)][size_t(column)]);
}

// The cells of the lines the picked token (the first of the move) makes in its own
// colour where it lands, the swapped cells among them; empty when it makes none.
std::vector<Cell> PickedLines(ValueGrid grid, const CSwapMove& m)
{
    std::swap(grid[size_t(m.row1)][size_t(m.column1)], grid[size_t(m.row2)][size_t(m.column2)]);
    const int picked = ValueAt(grid, m.column2, m.row2);
    std::vector<Cell> cells{{m.column1, m.row1}};
    for (const Cell& d : {Cell{1, 0}, Cell{0, 1}})
    {
        std::vector<Cell> line{{m.column2, m.row2}};
        for (int sign : {-1, 1})
            for (int k = 1; ValueAt(grid, m.column2 + sign * k * d.first, m.row2 + sign * k * d.second) == picked; ++k)
                line.emplace_back(m.column2 + sign * k * d.first, m.row2 + sign * k * d.second);
        if (line.size() >= 3)
            cells.insert(cells.end(), line.begin(), line.end());
    }
    return cells.size() > 1 ? cells : std::vector<Cell>();
}

// Whether a line stays to be made after another has been: clearing cells only lets
// the tokens above them fall.
bool Untouched(const std::vector<Cell>& cleared, const std::vector<Cell>& later)
{
    for (const Cell& q : later)
        for (const Cell& p : cleared)
            if (q.first == p.first && q.second <= p.second)
                return false;
    return true;
}

}  // namespace

QuestScript::QuestScript(GameHarness& h) : harness(h), shotFolder(std::filesystem::current_path().string()) {}

void QuestScript::ClickGame(GameHarness& h, float x, float y)
{
    const int px = static_cast<int>(std::lround(kClientWidth / 2 + x * kUnitsToPixels));
    const int py = static_cast<int>(std::lround(kClientHeight / 2 - y * kUnitsToPixels));
    h.Click(px, py);
}

void QuestScript::PressGame(GameHarness& h, float x, float y, bool down)
{
    const int px = static_cast<int>(std::lround(kClientWidth / 2 + x * kUnitsToPixels));
    const int py = static_cast<int>(std::lround(kClientHeight / 2 - y * kUnitsToPixels));
    h.MoveMouse(px, py);
    const LPARAM at = static_cast<LPARAM>((py << 16) | (px & 0xFFFF));
    h.Post(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0, at);
}

CRefPtr<CKMWindow> QuestScript::FindWidget(CGame& game, const char* form, int id)
{
    CRefPtr<CKMForm> f = game.ui ? game.ui->Form(form) : CRefPtr<CKMForm>();
    if (!f)
        return CRefPtr<CKMWindow>();
    std::vector<CRefPtr<CKMWindow>> open(f->children.begin(), f->children.end());
    while (!open.empty())
    {
        CRefPtr<CKMWindow> w = open.back();
        open.pop_back();
        // Forms may hold several buttons of one id (message-box layouts): the shown one.
        if (w->id == id && w->visible)
            return w;
        open.insert(open.end(), w->children.begin(), w->children.end());
    }
    return CRefPtr<CKMWindow>();
}

bool QuestScript::ClickWidget(GameHarness& h, const char* form, int id)
{
    CRefPtr<CKMWindow> w = FindWidget(*h.Game(), form, id);
    if (!w)
        return false;
    ClickGame(h, w->worldPosition.x, w->worldPosition.y);
    return true;
}

bool QuestScript::FormShown(CGame& game, const char* form)
{
    CRefPtr<CKMForm> f = game.ui ? game.ui->Form(form) : CRefPtr<CKMForm>();
    return f && f->visible && f->enabled && f->active && f->alpha >= 0.99f;
}

void QuestScript::Wait(std::string name, std::function<bool(CGame&)> until, std::string screenshot)
{
    Add(Step{std::move(name), std::move(until), [](GameHarness&) {}, std::move(screenshot)});
}

void QuestScript::Play(std::string name, std::function<bool(CGame&)> until, std::string screenshot, int shotAfterMoves)
{
    // A step that is ready once the level is over; until then each tick may move.
    Step step;
    step.name = name;
    step.ready = [this, until, screenshot, shotAfterMoves](CGame& game) {
        if (until(game))
            return true;
        if (MoveTick(game) && moves == shotAfterMoves && !screenshot.empty())
            harness.SaveFrameAt(harness.Tick() + 8, Shot(screenshot));
        return false;
    };
    step.act = [](GameHarness&) {};
    Add(step);
}

bool QuestScript::MoveTick(CGame& game)
{
    CPlayField* board = game.board.Get();
    if (!board || game.state != kStatePlaying || game.subState != kSubStateNormalPlay || !board->inputOpen ||
        board->inputLocked || harness.Tick() < waitUntil)
        return false;
    if (moveStage == 1)
    {
        const Vec3 at = board->CellToScreen(moveCells[2], moveCells[3], true);
        ClickGame(harness, at.x, at.y);
        moveStage = 0;
        ++moves;
        waitUntil = harness.Tick() + 2;
        return true;
    }
    // A tip that points at its swap is followed: (tip, page) -> picked cell, partner.
    static const int kTipMoves[][6] = {
        {kTipBase, 0, 4, 4, 3, 4}, {kTipBonus, 0, 2, 5, 1, 5}, {kTipBonus, 4, 6, 4, 5, 4},
        {kTipTotem, 2, 2, 6, 1, 6}, {kTipTotem, 6, 6, 4, 5, 4},
    };
    for (const auto& tip : kTipMoves)
        if (board->tutorialStep == tip[0] && board->tutorialDetail == tip[1])
        {
            if (board->IsIdle(true))
                PickFirst(*board, CSwapMove{tip[2], tip[3], tip[4], tip[5]});
            return false;
        }
    // Other tips close with the next pick, once they have been up a moment.
    if (CGame::IsDelayedTutorialKind(board->tutorialStep) && board->tutorialTimer < kTutorialBlockTime)
        return false;
    if (!board->IsIdle(true))
    {
        idleTicks = 0;
        return false;
    }
    // A player looks at a settled board for a moment before moving.
    if (++idleTicks < kThinkTicks)
        return false;
    idleTicks = 0;
    board->RebuildValueGrid();
    std::vector<CSwapMove> found;
    board->matchGrid.CollectMoves(found, 3, false);
    if (found.empty())
        return false;
    if (wantedColour >= 0 && !random)
        AimAtTheWantedColour(*board, found);
    if (random)
        PickFirst(*board, found[std::uniform_int_distribution<size_t>(0, found.size() - 1)(*random)]);
    else
        PickFirst(*board, *std::max_element(found.begin(), found.end(), [this, board](const CSwapMove& a, const CSwapMove& b) {
            return MoveWorth(*board, a) < MoveWorth(*board, b);
        }));
    return false;
}

void QuestScript::PickFirst(CPlayField& board, const CSwapMove& move)
{
    moveCells[0] = move.column1;
    moveCells[1] = move.row1;
    moveCells[2] = move.column2;
    moveCells[3] = move.row2;
    const Vec3 at = board.CellToScreen(move.column1, move.row1, true);
    ClickGame(harness, at.x, at.y);
    moveStage = 1;
    waitUntil = harness.Tick() + 2;
}

// A player after a colour may pick either token of a swap: the one picked is the one
// whose colour the totems hear. A totem called with no second line of its colour in
// sight flies back at the next move, so the call that leaves a second line alone is
// the better one.
void QuestScript::AimAtTheWantedColour(CPlayField& board, std::vector<CSwapMove>& found)
{
    for (size_t i = 0, n = found.size(); i < n; ++i)
        found.push_back(CSwapMove{found[i].column2, found[i].row2, found[i].column1, found[i].row1});
    const ValueGrid grid = board.matchGrid.Rows();
    std::vector<std::pair<CSwapMove, std::vector<Cell>>> calls;
    for (const CSwapMove& m : found)
        if (ValueAt(grid, m.column1, m.row1) == wantedColour + 1)
        {
            std::vector<Cell> line = PickedLines(grid, m);
            if (!line.empty())
                calls.emplace_back(m, std::move(line));
        }
    followedCalls.clear();
    for (const auto& first : calls)
        for (const auto& second : calls)
            if (Untouched(first.second, second.second))
            {
                followedCalls.push_back(first.first);
                break;
            }
}

// A player's eye goes to lines that take a gem, then to the bottom of the board.
int QuestScript::MoveWorth(CPlayField& board, const CSwapMove& m) const
{
    std::vector<std::vector<int32_t>> grid = board.matchGrid.Rows();
    std::swap(grid[size_t(m.row1)][size_t(m.column1)], grid[size_t(m.row2)][size_t(m.column2)]);
    auto value = [&grid](int r, int c) {
        return r < 0 || c < 0 || r >= int(grid.size()) || c >= int(grid[0].size()) ? 0 : std::abs(grid[size_t(r)][size_t(c)]);
    };
    int score = std::max(m.row1, m.row2);
    // The picked token lands in a line of its own colour: that colour's totem is called.
    if (wantedColour >= 0 && !random)
    {
        const int picked = value(m.row2, m.column2);
        const bool calls = !PickedLines(board.matchGrid.Rows(), m).empty();
        if (calls && picked == wantedColour + 1)
            score += std::find(followedCalls.begin(), followedCalls.end(), m) != followedCalls.end() ? 1200 : 1000;
        // Nor is another totem called on the way.
        else if (calls && picked >= 1 && picked <= kTotemColourCount && board.totems.m_levels[picked - 1] > 0)
            score -= 100;
    }
    for (const auto& cell : {std::make_pair(m.column1, m.row1), std::make_pair(m.column2, m.row2)})
    {
        const int v = value(cell.second, cell.first);
        for (const auto& d : {std::make_pair(1, 0), std::make_pair(0, 1)})
        {
            std::vector<std::pair<int, int>> line{cell};
            for (int sign : {-1, 1})
                for (int k = 1; value(cell.second + sign * k * d.second, cell.first + sign * k * d.first) == v; ++k)
                    line.emplace_back(cell.first + sign * k * d.first, cell.second + sign * k * d.second);
            if (line.size() < 3)
                continue;
            for (auto at : line)
            {
                // The two swapped cells hold each other's tokens.
                if (at == std::make_pair(m.column1, m.row1))
                    at = std::make_pair(m.column2, m.row2);
                else if (at == std::make_pair(m.column2, m.row2))
                    at = std::make_pair(m.column1, m.row1);
                const CRefPtr<CCap>* token = board.CellAt(at.first, at.second);
                if (token && *token && (*token)->marked)
                    score += 20;
            }
        }
    }
    return score;
}

CAccuracyStar* QuestScript::StarInReach(CAccuracyChallenge& challenge)
{
    for (const CRefPtr<CAccuracyStar>& star : challenge.stars)
        if (star->state == CAccuracyStar::kFlying && star->shape->position.x < 420.0f)
            return star.Get();
    return nullptr;
}

std::function<bool(CGame&)> QuestScript::CatchStars(GameHarness& h, std::string runningShot)
{
    struct Player
    {
        int nextClick = 0;
        bool shotTaken = false;
    };
    auto player = std::make_shared<Player>();
    return [&h, player, runningShot](CGame& g) {
        if (g.phase >= ChallengePhase::Lost)
            return true;
        CAccuracyChallenge* challenge = g.board->accuracyChallenge.Get();
        if (!challenge || h.Tick() < player->nextClick)
            return false;
        if (CAccuracyStar* star = StarInReach(*challenge))
        {
            ClickGame(h, star->shape->position.x, star->shape->position.y);
            player->nextClick = h.Tick() + 3;
            if (challenge->caughtCount >= 8 && !player->shotTaken)
            {
                player->shotTaken = true;
                h.SaveFrameAt(h.Tick() + 2, runningShot);
            }
        }
        return false;
    };
}

const CCapSprite* QuestScript::PlateToPick(const CMemoryChallenge& m)
{
    const CCapSprite* first = m.PlateAt(m.firstPick[0], m.firstPick[1]);
    for (int32_t r = 0; r < m.rows; ++r)
        for (int32_t c = 0; c < m.columns; ++c)
        {
            const CCapSprite* plate = m.PlateAt(c, r);
            if (plate && plate != first && !m.found[size_t(r)][size_t(c)] &&
                (!first || plate->cardValue == first->cardValue))
                return plate;
        }
    return nullptr;
}

const CCapSprite* QuestScript::ClickNextPlate(GameHarness& h, const CMemoryChallenge& m, int& nextClick)
{
    if (m.state != CMemoryChallenge::kWaiting || h.Tick() < nextClick)
        return nullptr;
    const CCapSprite* plate = PlateToPick(m);
    if (!plate)
        return nullptr;
    ClickGame(h, plate->x, plate->y);
    nextClick = h.Tick() + 3;
    return plate;
}

bool QuestScript::TokenShows(const CReactionChallenge& r)
{
    if (r.state != CReactionChallenge::kTurning || r.subState != 1 || r.currentPlate < 0)
        return false;
    const CCapSprite& plate = *r.plates[size_t(r.currentPlate)];
    return plate.cardValue < CReactionChallenge::kEmptyLook && plate.state == 0;
}

std::string QuestScript::Shot(const std::string& name) const
{
    // The program runs in the game folder: pictures go where the test was started.
    return (std::filesystem::path(shotFolder) / name).string();
}

bool QuestScript::Tick(GameHarness& h)
{
    CGame* game = h.Game();
    if (!game || next >= steps.size() || h.Tick() < waitUntil)
        return false;
    // A trophy earned on the way opens its screen: watch the award, then close it.
    if (closeTrophies && FormShown(*game, "Trophies") && game->trophies && game->trophies->pending.empty())
    {
        if (!trophyShot.empty())
            h.SaveFrameAt(h.Tick() + 1, Shot(trophyShot));
        trophyShot.clear();
        ClickWidget(h, "Trophies", 260);
        waitUntil = h.Tick() + 10;
        return false;
    }
    // A tip in the message box (the shop's) is read and closed.
    if (game->ui && FormShown(*game, "MsgBox") && game->ui->messageCode == kMessageTutorial)
    {
        ClickWidget(h, "MsgBox", 200);
        waitUntil = h.Tick() + 10;
        return false;
    }
    Step& step = steps[next];
    if (!step.ready(*game))
    {
        char text[200];
        std::snprintf(text, sizeof(text), "state %d sub %d phase %d timer %.2f clock %.1f lives %d gems %d moves %d tip %d/%d",
                      game->state, game->subState, game->phase, double(game->stateTimer), double(game->levelTimer),
                      game->lives, game->board ? game->board->gemsToCollect : -1, moves,
                      game->board ? game->board->tutorialStep : -1, game->board ? game->board->tutorialDetail : -1);
        last = text;
        if (game->board)
        {
            char more[200];
            std::snprintf(more, sizeof(more), " quiet %d idle %d running %d locked %d loaded %d autosave %.2f", game->IsPlayQuiet(),
                          game->board->IsIdle(true), game->board->inputOpen, game->board->inputLocked, game->questJustLoaded,
                          double(game->autosaveTimer));
            last += more;
        }
        for (const char* name : {"Shop", "MsgBox", "Map", "Statistics", "Trophies", "Background", "MainMenu", "StartQuest", "Intro", "Quest"})
            if (game->ui)
            if (CRefPtr<CKMForm> f = game->ui->Form(name))
                if (f->visible)
                {
                    char more[120];
                    std::snprintf(more, sizeof(more), " %s(en %d act %d a %.2f)", name, f->enabled, f->active, double(f->alpha));
                    last += more;
                }
        return false;
    }
    step.act(h);
    if (!step.screenshot.empty() && step.name.find("play") == std::string::npos)
        h.SaveFrameAt(h.Tick() + std::max(step.shotDelay, 1), Shot(step.screenshot));
    done.push_back(step.name);
    if (std::getenv("ORB_SCRIPT_TRACE"))
        std::fprintf(stderr, "[%6d] %s\n", h.Tick(), step.name.c_str());
    ++next;
    // The next step waits for this one's picture to be taken.
    waitUntil = h.Tick() + (step.screenshot.empty() ? 2 : std::max(step.shotDelay, 1) + 2);
    return false;
}

int QuestScript::Run(int maxTicks)
{
    harness.CloseWhen([this](GameHarness& g) { return Tick(g); });
    const int code = harness.Run(maxTicks);
    harness.ClearCloseWhen();
    return code;
}

void SaveQuestInShop(GameHarness& h, const std::string& name, int level, int32_t shopLevel,
                     std::function<void(CQuestSave&)> edit)
{
    const std::filesystem::path folder = std::filesystem::path(h.GameUserFolder()) / "Players" / name;
    std::filesystem::create_directories(folder);
    CQuestSave record;
    record.level = level;
    record.resumePoint = CQuestSave::kResumeShop;
    record.lives = 2;
    record.remainingTime = 240.0f;
    record.gemsToCollect = record.gemsToPlace = 5 * level;
    record.stars = 1;
    record.shopValues.fill(shopLevel);
    if (shopLevel == kShopAsPlayed)
    {
        CShopItemTable items;
        items.UnlockForLevel(level + 1);
        for (size_t i = 0; i < record.shopValues.size(); ++i)
            record.shopValues[i] = items.limits[i] >= 0 ? 0 : -1;
    }
    // The gem upgrade is left open for the star the continue script spends on it.
    record.shopValues[kShopItemGemCount] = 0;
    if (edit)
        edit(record);
    for (const char* file : {"Quest.sav", "QuestAS1.sav"})
        ASSERT_TRUE(record.Save((folder / file).string().c_str()));
    MakeVeteran(h, name);
}

void MakeVeteran(GameHarness& h, const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::path(h.GameUserFolder()) / "Players" / name;
    std::filesystem::create_directories(folder);
    CPlayerSettings settings(name);
    settings.veteran = 1;
    settings.questTutorial = 0;
    for (int32_t& seen : settings.tipsSeen)
        seen = 1;
    settings.Save(folder.string());
    std::filesystem::create_directories(std::filesystem::path(h.GameUserFolder()) / "Data" / "Config");
    std::ofstream options(std::filesystem::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
    options << "[Game]\nProfile=" << name << "\n";
}
