// The OpenGL backend (being written).
#include "platform/d3d8/backends.h"
namespace d3d8impl {
IDirect3D8* CreateGLDirect3D()
{
    return nullptr;
}
} // namespace d3d8impl
namespace platform {
bool ReadBackBuffer(IDirect3DDevice8*, int, int, int, int, std::vector<uint32_t>&)
{
    return false;
}
} // namespace platform
