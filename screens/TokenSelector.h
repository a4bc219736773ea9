// CTokenSelector: the marker round the token the player picked, held by the
// play field; it reads the token's colour for its glow.
//
// For now it keeps the picked token; its marker effect comes with the screens.
#pragma once

#include "board/Cap.h"
#include "engine/RefPtr.h"

class CTokenSelector
{
public:
    void Select(const CRefPtr<CCap>& cap) { token = cap; }
    // Drops the selection.
    void Clear() { token.Reset(); }

    CRefPtr<CCap> token;
};
