// Inside the GL backend: the OpenGL entry points, loaded through SDL once a context
// exists (works for GLX and EGL alike).
#pragma once

#include <SDL.h>
#include <SDL_opengl.h>

#include <type_traits>

namespace d3d8impl {

#define ORB_GL_FUNCS(X)                                                                   \
    X(glGetString, const GLubyte*(GLenum))                                     \
    X(glGetError, GLenum())                                                    \
    X(glEnable, void(GLenum))                                                  \
    X(glDisable, void(GLenum))                                                 \
    X(glDepthFunc, void(GLenum))                                               \
    X(glDepthMask, void(GLboolean))                                            \
    X(glDepthRange, void(GLclampd, GLclampd))                                  \
    X(glAlphaFunc, void(GLenum, GLclampf))                                     \
    X(glBlendFunc, void(GLenum, GLenum))                                       \
    X(glCullFace, void(GLenum))                                                \
    X(glFrontFace, void(GLenum))                                               \
    X(glShadeModel, void(GLenum))                                              \
    X(glViewport, void(GLint, GLint, GLsizei, GLsizei))                        \
    X(glScissor, void(GLint, GLint, GLsizei, GLsizei))                         \
    X(glClearColor, void(GLclampf, GLclampf, GLclampf, GLclampf))              \
    X(glClearDepth, void(GLclampd))                                            \
    X(glClearStencil, void(GLint))                                             \
    X(glClear, void(GLbitfield))                                               \
    X(glColorMask, void(GLboolean, GLboolean, GLboolean, GLboolean))           \
    X(glMatrixMode, void(GLenum))                                              \
    X(glLoadMatrixf, void(const GLfloat*))                                     \
    X(glMultMatrixf, void(const GLfloat*))                                     \
    X(glGenTextures, void(GLsizei, GLuint*))                                   \
    X(glDeleteTextures, void(GLsizei, const GLuint*))                          \
    X(glBindTexture, void(GLenum, GLuint))                                     \
    X(glTexImage2D, void(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)) \
    X(glGetTexImage, void(GLenum, GLint, GLenum, GLenum, void*))                \
    X(glTexParameteri, void(GLenum, GLenum, GLint))                            \
    X(glTexEnvi, void(GLenum, GLenum, GLint))                                  \
    X(glPixelStorei, void(GLenum, GLint))                                      \
    X(glEnableClientState, void(GLenum))                                       \
    X(glDisableClientState, void(GLenum))                                      \
    X(glVertexPointer, void(GLint, GLenum, GLsizei, const void*))              \
    X(glColorPointer, void(GLint, GLenum, GLsizei, const void*))               \
    X(glTexCoordPointer, void(GLint, GLenum, GLsizei, const void*))            \
    X(glReadPixels, void(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*)) \
    X(glFinish, void())                                                        \
    X(glFlush, void())                                                         \
    X(glActiveTexture, void(GLenum))                                            \
    X(glClientActiveTexture, void(GLenum))                                \
    X(glDrawRangeElements, std::remove_pointer_t<PFNGLDRAWRANGEELEMENTSPROC>)                                    \
    X(glGenerateMipmap, std::remove_pointer_t<PFNGLGENERATEMIPMAPPROC>)

struct GLFuncs
{
#define ORB_GL_FIELD(name, type) std::add_pointer_t<type> name = nullptr;
    ORB_GL_FUNCS(ORB_GL_FIELD)
#undef ORB_GL_FIELD

    // Loads every entry point of the current context; false when one is missing.
    bool Load();
};

extern GLFuncs gl;

} // namespace d3d8impl
