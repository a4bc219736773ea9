// Matrix and vertex-format helpers of the utility library.
#include "platform/d3dx8.h"

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out)
{
    *out = D3DXMATRIX{};
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k)
                s += a->m[i][k] * b->m[k][j];
            r.m[i][j] = s;
        }
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf)
{
    D3DXMatrixIdentity(out);
    out->_11 = 2.0f / w;
    out->_22 = 2.0f / h;
    out->_33 = 1.0f / (zf - zn);
    out->_43 = zn / (zn - zf);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn,
                                             float zf)
{
    *out = D3DXMATRIX{};
    out->_11 = 2.0f * zn / (r - l);
    out->_22 = 2.0f * zn / (t - b);
    out->_31 = (l + r) / (l - r);
    out->_32 = (t + b) / (b - t);
    out->_33 = zf / (zf - zn);
    out->_34 = 1.0f;
    out->_43 = zn * zf / (zn - zf);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z)
{
    D3DXMatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z)
{
    D3DXMatrixIdentity(out);
    out->_11 = x;
    out->_22 = y;
    out->_33 = z;
    return out;
}

UINT D3DXGetFVFVertexSize(DWORD fvf)
{
    UINT size = 0;
    if (fvf & D3DFVF_XYZ)
        size += 12;
    if (fvf & D3DFVF_DIFFUSE)
        size += 4;
    size += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    return size;
}
