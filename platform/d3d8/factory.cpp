// Direct3DCreate8 and the choice of backend.
#include "platform/d3d8/backends.h"

namespace {
std::shared_ptr<platform::D3DRecorder> g_recorder;
}

namespace platform {

std::shared_ptr<D3DRecorder> UseRecordingBackend()
{
    return UseRecordingBackend(std::make_shared<D3DRecorder>());
}

std::shared_ptr<D3DRecorder> UseRecordingBackend(std::shared_ptr<D3DRecorder> recorder)
{
    g_recorder = std::move(recorder);
    return g_recorder;
}

void UseGLBackend()
{
    g_recorder.reset();
}

} // namespace platform

IDirect3D8* Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    if (g_recorder)
        return d3d8impl::CreateRecordingDirect3D(g_recorder);
    return d3d8impl::CreateGLDirect3D();
}
