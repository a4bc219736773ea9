// The scenes' own geometry draws a picture through a mask: stage 0 gives the
// picture's colour and alpha, stage 1 multiplies both by the mask.
#pragma once

#include "render/Device.h"

inline void SetMaskedStages(CDevice& d)
{
    d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    d.SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d.SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
}
