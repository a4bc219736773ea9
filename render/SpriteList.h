// CSpriteList: owns the drawing order of sprite shapes. Visible shapes stay
// sorted from the highest z-order down and, within one z-order, grouped by
// texture and render state, so that neighbours sharing both become one draw
// call; hidden shapes wait in a second list. Screens, panels and backgrounds
// each hold one; the game updates it once a frame and the renderer draws it in
// an alpha-tested pass and a blended pass per layer.
#pragma once

#include "engine/RefPtr.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SpriteShape.h"
#include "render/VertexBuffer.h"

#include <list>
#include <vector>

class CSpriteList
{
public:
    typedef std::list<CRefPtr<CSpriteShape>> ShapeList;

    CSpriteList(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                CRefPtr<CIndexBuffer> indexBuffer);
    ~CSpriteList();

    void SetResources(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                      CRefPtr<CIndexBuffer> indexBuffer);

    // A visible shape goes to its sorted place, a hidden one to the hidden list.
    // Adding a shape twice keeps two entries.
    void Add(CRefPtr<CSpriteShape> shape);
    // Takes every entry of the shape out of both lists.
    void Remove(CRefPtr<CSpriteShape> shape);
    void SetVisible(CRefPtr<CSpriteShape> shape, int visible);
    // Moves shapes whose visible flag was written directly into the right list.
    void SyncLists();
    // Sorts again after owners changed z-orders, textures or blend states.
    void Resort();
    void InsertSorted(CRefPtr<CSpriteShape> shape);

    // Updates visible shapes (all with force) and drops those whose life ran out.
    void UpdateAll(float dt, int force);

    void DrawOpaque();
    void DrawBlended(int layer);

    // Two textures are the same when they share a handle or are both empty.
    static bool SameTexture(const CRefPtr<CTexture>& a, const CRefPtr<CTexture>& b);

    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    ShapeList visibleList;
    ShapeList hiddenList;
    int32_t enabled;

private:
    void Refile(const CRefPtr<CSpriteShape>* removing);
    // Writes the quads of m_run into the shared buffers and draws them with the
    // states that `setStates` sets between the unlock and the draw.
    template <class SetStates>
    bool DrawRun(const SetStates& setStates);

    std::vector<CSpriteShape*> m_run;
};
