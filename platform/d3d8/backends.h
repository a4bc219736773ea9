// Inside the Direct3D layer: the two backends' factories.
#pragma once

#include <memory>

#include "platform/d3d8.h"
#include "platform/d3d8/backend.h"

namespace d3d8impl {

IDirect3D8* CreateRecordingDirect3D(std::shared_ptr<platform::D3DRecorder> recorder);
IDirect3D8* CreateGLDirect3D();

} // namespace d3d8impl
