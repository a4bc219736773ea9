// What the level scenes share: pixel positions of the picture turned into centred
// units, their textures found by name or loaded from the graphics folder, the
// picture and the turning flare rays as sprite shapes, and the draw of a scene's own
// quads through two texture stages (a picture seen through a mask). Each scene owns
// the objects these helpers make.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "backgrounds/ProgressOrnaments.h"
#include "engine/MathConstants.h"
#include "engine/RefPtr.h"
#include "render/VertexBuffer.h"

class CDevice;
class CIndexBuffer;
class CParticleSystemsManager;
class CSound;
class CSoundBank;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

namespace scene {

// Every shape of a scene sits half a pixel up-left (texel centres) and far back.
constexpr float kOffsetX = -0.5f;
constexpr float kOffsetY = 0.5f;
constexpr float kOffsetZ = 999.0f;
constexpr float kHalfWidth = 512.0f;
constexpr float kHalfHeight = 384.0f;
// The picture stays at the back of the opaque pass, the flare rays on top of layer 1.
constexpr int32_t kPictureZOrder = 100;
constexpr int32_t kFlareRaysZOrder = -10;

// Pixels of the picture (from the top left, y down) to centred units with y up.
inline float CentredX(float px) { return px - kHalfWidth; }
inline float CentredY(float py) { return kHalfHeight - py; }

// How a scene texture is read from its file.
enum class TextureLoader
{
    Plain,          // the file's own format
    MaskFormat,     // the first alpha or luminance format the adapter takes
    WithAlphaLight, // colour plus its "_alpha" companion, luminance formats first
    WithAlpha,      // colour plus its "_alpha" companion
};

// Takes the texture of that name from the device's list, or loads `folder` + `file`
// under that name. False (and an empty handle) when neither gives one.
bool FindOrLoadTexture(CDevice* device, const std::string& folder, const char* name, const std::string& file,
                       TextureLoader loader, CRefPtr<CTexture>& out);
// Drops the texture of that name from the device's list and empties the handle.
void DropTexture(CDevice& device, const char* name, CRefPtr<CTexture>& handle);

// One texture of a scene: its name in the device's list, its file, how it is read,
// and the scene's handle that holds it.
struct SceneTexture
{
    const char* name;
    const std::string& file;
    TextureLoader loader;
    CRefPtr<CTexture>& handle;
};
// The four textures of a level scene.
using SceneTextures = std::array<SceneTexture, 4>;
// Every texture of the scene, in order; false when one of them is missing (the
// others are still loaded).
bool FindOrLoadTextures(CDevice* device, const std::string& folder, const SceneTextures& textures);
// Drops them all from the device's list; true, also without a device (the handles
// then stay).
bool DropTextures(CDevice* device, const SceneTextures& textures);

// The picture: the top three quarters of its 1024 by 1024 texture over the whole
// screen, at the back, with the blend mode the scene asks for.
CRefPtr<CSpriteShape> MakePicture(CRefPtr<CTexture> texture, int blended, int blendMode);
// The large fan of light turning about its centre, screened over what lies beneath.
CRefPtr<CSpriteShape> MakeFlareRays(float x, float y, float width, float height, uint32_t colour,
                                    CRefPtr<CTexture> texture, float spin);
// Takes every shape out of the list and empties the handle or vector.
void RemoveShape(CSpriteList* list, CRefPtr<CSpriteShape>& shape);

// What every level scene keeps of the game's objects, and its progress ornaments:
// the device and the shared dynamic buffers its own quads go through, the
// background sprite list its shapes live in, the particles and the batch, the
// "Flare" and "Spark" textures, and the sound bank the manager hands over.
class SceneResources
{
public:
    explicit SceneResources(const OrnamentVariant& variant) : ornaments(variant) {}

    void SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib);
    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p, CRefPtr<CSpriteBatch> batch,
                   CRefPtr<CTexture> flare, CRefPtr<CTexture> spark);
    int32_t Stage() const { return ornaments.Stage(); }

    CProgressOrnaments ornaments;
    CRefPtr<CSoundBank> soundBank;
    CRefPtr<CSpriteList> spriteList;

protected:
    // The ornaments' stage, with the bank they play the stage's sound from.
    int32_t SetOrnamentStage(int32_t stage, int32_t quiet);
    // Plays one slot of the bank once, when there is a bank.
    void PlaySound(CRefPtr<CSound> CSoundBank::*slot) const;

    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CTexture> flareTexture;
    CRefPtr<CTexture> sparkTexture;
};

// A progress stage kept to 0..last.
inline int32_t ClampStage(int32_t stage, int32_t last) { return stage < 0 ? 0 : (stage > last ? last : stage); }

// Seconds a turn of the flare rays takes to their spin in radians a second; a zero
// time would divide by nothing, so it stands still.
float SpinOfTurnTime(float seconds);

// The two textures and the blending of a masked draw.
struct MaskedDraw
{
    CRefPtr<CTexture> picture; // stage 0, first coordinate pair
    CRefPtr<CTexture> mask;    // stage 1, second coordinate pair
    DWORD destBlend;           // inverse source alpha, or one to add the light
    DWORD zWriteAfter;         // depth writing when the draw is done
};

// Draws the quads of `vertices` and `indices` (indices counted from the first vertex)
// through the shared buffers: colour and alpha are picture times mask, blended onto
// what lies beneath. Afterwards stage 0 is texture times diffuse again and stage 1 is
// off. 0, or the negative result of a buffer that would not lock (nothing drawn, no
// buffer left locked). No quads: nothing is locked or drawn.
HRESULT DrawMaskedQuads(CDevice& device, const CRefPtr<CVertexBuffer>& vertexBuffer,
                        const CRefPtr<CIndexBuffer>& indexBuffer,
                        const std::vector<CVertex>& vertices, const std::vector<uint16_t>& indices,
                        const MaskedDraw& draw);

} // namespace scene
