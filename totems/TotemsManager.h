// CTotemsManager: the Power Totems of the board, a member of the play field. It
// keeps the totem level bought per colour, the colour requests of the board,
// the totem selected at the centre and the shield mode, and publishes the
// board's geometry to the totems and bonuses (TotemBoardGeometry).
//
// For now it keeps that state and answers the board's idle test; the totems,
// their flights and their effects on the board come with the totems themselves.
#pragma once

#include <cstdint>
#include <vector>

// The board's place and size, read by the totems and the bonuses.
struct TotemBoardGeometry
{
    float x = -194.5f, y = 340.5f, z = 50.0f;
    float width = 664.0f, height = 664.0f;
    int32_t columns = 8, rows = 8;
    float cellWidth = 83.0f, cellHeight = 83.0f;
};

inline TotemBoardGeometry g_totemBoardGeometry;

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

    // Serves one colour request per frame; the number of effects the totems
    // put on the board this frame (none while no totem acts).
    int Update(float /*dt*/)
    {
        if (!m_requests.empty())
            m_requests.erase(m_requests.begin());
        return 0;
    }

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
};
