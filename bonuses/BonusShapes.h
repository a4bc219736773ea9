// Small steps the line-of-four bonuses share on their sets of shapes: moving
// them between the board's and the overlay's sprite lists, showing and hiding
// them, and leaving them to expire on their own life timers.
#pragma once

#include "engine/RefPtr.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <initializer_list>
#include <vector>

namespace bonus_shapes
{

using Shape = CRefPtr<CSpriteShape>;
using List = CRefPtr<CSpriteList>;

// Every shape that exists goes into `to` and out of `from`.
inline void Move(const std::vector<Shape>& shapes, const List& from, const List& to)
{
    for (const Shape& s : shapes)
        if (s)
        {
            if (to)
                to->Add(s);
            if (from)
                from->Remove(s);
        }
}

inline void SetVisible(const std::vector<Shape>& shapes, const List& list, int flag)
{
    if (!list)
        return;
    for (const Shape& s : shapes)
        if (s)
            list->SetVisible(s, flag);
}

inline void Remove(const std::vector<Shape>& shapes, const List& list)
{
    if (!list)
        return;
    for (const Shape& s : shapes)
        if (s)
            list->Remove(s);
}

// The sprite list drops the shape once its life has run out.
inline void Expire(const Shape& shape, float life)
{
    if (!shape)
        return;
    shape->mortal = 1;
    shape->life = life;
}

inline void ShiftZOrder(const std::vector<Shape>& shapes, int by)
{
    for (const Shape& s : shapes)
        if (s)
            s->zOrder += by;
}

} // namespace bonus_shapes
