// Loading the OpenGL entry points.
#include "platform/d3d8/gl/gl_funcs.h"

namespace d3d8impl {

GLFuncs gl;

bool GLFuncs::Load()
{
    bool ok = true;
#define ORB_GL_LOAD(name, type)                                                         \
    name = reinterpret_cast<std::add_pointer_t<type>>(SDL_GL_GetProcAddress(#name));                        \
    if (!name)                                                                          \
        ok = false;
    ORB_GL_FUNCS(ORB_GL_LOAD)
#undef ORB_GL_LOAD
    return ok;
}

} // namespace d3d8impl
