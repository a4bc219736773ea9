// CFader: the board's frame panel, a small mesh of textured, coloured quads
// (the frame round the board and the cell background), each with its own blend
// mode, that fades in and out as a whole. The play field builds it from the
// quest layout at every level start and fades it; the renderer draws it while
// it is active.
#pragma once

#include "engine/RefPtr.h"
#include "render/Device.h"

#include <cstdint>
#include <vector>

class CFader
{
public:
    struct Vertex
    {
        float x, y;
        uint32_t rgb;  // alpha byte 0
        float u, v;
    };
    struct Colour
    {
        float red, green, blue, alpha;  // 0..255
    };
    struct Batch
    {
        int32_t textureIndex;
        int32_t quadCount;
    };
    struct Blend
    {
        uint32_t source;
        uint32_t destination;
    };

    CFader();

    // Active 0 fades out at speed (off at once without one); otherwise fades in
    // at speed (full at once without one).
    void Start(int32_t active, float speed);
    void Update(float dt);
    // One quad per rectangle (x, y, width, height, y down from the panel's
    // origin): four (u, v) corners, a texture index, an ARGB colour and a blend
    // mode (1 add, 2 mul, 3 screen, else normal) each.
    void Build(const std::vector<float>& rects, const std::vector<float>& uvs,
               const std::vector<int32_t>& textureIndices, const std::vector<uint32_t>& colours,
               const std::vector<int32_t>& blendModes);
    // 1 after drawing, 0 when a buffer could not be locked.
    int Draw(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer);

    int32_t active = 1;
    float value = 1.0f;
    float speed = 0.0f;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float scale[2] = {1.0f, 1.0f};
    std::vector<CRefPtr<CTexture>> textures;  // 0 the frame picture, 1 the frame background
    std::vector<Vertex> vertices;
    std::vector<Colour> colours;
    std::vector<int32_t> premultiplied;
    std::vector<int32_t> indices;
    std::vector<Batch> batches;
    std::vector<Blend> blendFactors;
};
