// CTotemsManager: the Power Totems of the board, a member of the play field. It
// keeps the totem level bought per colour, the colour requests of the board,
// the totem selected at the centre and the shield mode, and publishes the
// board's geometry to the totems and bonuses (TotemBoardGeometry).
//
// For now it keeps that state, answers the board's idle test and holds the
// records through which the totems ask the board for their effects; the
// totems, their flights and the records they make come with the totems
// themselves.
#pragma once

#include "board/BoardGeometry.h"
#include "board/MatchGrid.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

// One request of a totem to the board, carried out by the board's
// ApplyTotemEffects: kind is the totem's colour (0..6) or 1000 (a counter).
struct TotemCellRecord
{
    int32_t kind = 0;
    int32_t column = 0;
    int32_t row = 0;
    int32_t value = 0;
    float factor = 0.0f;  // start x
    float startY = 0.0f;
    float startZ = 0.0f;
    float ctrl[3] = {0.0f, 0.0f, 0.0f};
    float time = 0.0f;
    int32_t bonusType = 0;
    int32_t extra = 0;
};

// A gem the green totem sends to a board cell.
class CUnigem
{
public:
    // Its sprites snap to the end of their flight and fade out.
    void Finish() { finished = 1; }

    int32_t column = 0;
    int32_t row = 0;
    int32_t finished = 0;
};

// What the board reads of the green totem on the panel.
class CGreenTotem
{
public:
    int32_t m_state = 0;
    int32_t m_level = 1;
    int32_t m_charge = 0;  // 3: charged in full
    std::vector<CRefPtr<CUnigem>> m_unigems;
};

class CTotemsManager
{
public:
    // Writes the shared geometry record; the manager itself is not used.
    void SetTotemBoardGeometry(float x, float y, float z, int32_t columns, int32_t rows, float cellWidth,
                               float cellHeight)
    {
        TotemBoardGeometry& g = g_totemBoardGeometry;
        g.x = x;
        g.y = y;
        g.z = z;
        g.columns = columns;
        g.rows = rows;
        g.cellWidth = cellWidth;
        g.cellHeight = cellHeight;
        g.width = float(columns) * cellWidth;
        g.height = float(rows) * cellHeight;
    }

    bool IsIdle() const { return m_ready != 0 && m_requests.empty(); }

    void RequestTotem(int32_t colour) { m_requests.push_back(colour); }

    // Serves one colour request per frame; the number of effect records the
    // totems made for the board this frame (none while no totem acts).
    int Update(float /*dt*/)
    {
        m_cellRecords.clear();
        if (!m_requests.empty())
            m_requests.erase(m_requests.begin());
        return int(m_cellRecords.size());
    }

    // The green totem on the panel, or none.
    CGreenTotem* GreenTotem() { return m_greenTotem.Get(); }

    // The board's answers to a match while a totem waits for one: the green
    // totem's gem tokens with the targets of its new gems (it gives a delay
    // per gem token), the blue totem's steel tokens, the white totem's
    // targets. Until the totems act on them the board's lists are only kept.
    void OnMatchGreen(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                      const std::vector<CCellPos>& cells, std::vector<float>& delays)
    {
        (void)delays;
        m_lastMatch = {0, removed, targets, cells};
    }
    void OnMatchBlue(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
    {
        m_lastMatch = {3, {}, points, cells};
    }
    void OnMatchWhite(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
    {
        m_lastMatch = {5, {}, points, cells};
    }

    struct MatchCall
    {
        int32_t colour = -1;
        std::vector<Vec3> removed;
        std::vector<Vec3> targets;
        std::vector<CCellPos> cells;
    };

    void SetShieldMode(int32_t value) { m_shieldMode = value; }

    // The selected totem goes back to the panel; then none is selected.
    void ReturnSelectedTotem()
    {
        if (m_selectedColour == -1)
            return;
        m_ready = 1;
        m_selectedColour = -1;
        m_repeatCount = 1;
    }

    int32_t m_levels[7] = {0, 0, 0, 0, 0, 0, 0};
    int32_t m_selectedColour = -1;
    int32_t m_repeatCount = 0;
    int32_t m_ready = 1;
    int32_t m_shieldMode = 0;
    std::vector<int32_t> m_requests;
    std::vector<TotemCellRecord> m_cellRecords;
    CRefPtr<CGreenTotem> m_greenTotem;
    MatchCall m_lastMatch;
};
