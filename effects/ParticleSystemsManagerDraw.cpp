// Drawing of the particle systems through the renderer's shared buffers.
#include "effects/ParticleSystemsManager.h"

#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SharedBuffers.h"
#include "render/VertexBuffer.h"

void CParticleSystemsManager::DrawList(std::vector<CRefPtr<CParticleSystem>>& list, bool blended)
{
    if (!device || !vertexBuffer || !indexBuffer || !device->device)
        return;
    DWORD fogEnabled = 0;
    DWORD fogColour = 0;
    if (blended)
    {
        device->device->GetRenderState(D3DRS_FOGENABLE, &fogEnabled);
        if (fogEnabled)
            device->device->GetRenderState(D3DRS_FOGCOLOR, &fogColour);
    }
    bool completed = true;
    for (size_t i = 0; i < list.size(); ++i)
    {
        CParticleSystem& system = *list[i];
        int32_t vertices = 0;
        int32_t indices = 0;
        system.GetBufferNeeds(vertices, indices);
        if (vertices < 1 || indices < 1)
            continue;
        // A system larger than the shared buffers is not drawn rather than written past them.
        if (static_cast<DWORD>(vertices) > vertexBuffer->capacity ||
            static_cast<DWORD>(indices) > indexBuffer->capacity)
            continue;

        CVertex* vertexData = nullptr;
        uint16_t* indexData = nullptr;
        if (FAILED(LockRun(*vertexBuffer, *indexBuffer, static_cast<DWORD>(vertices), static_cast<DWORD>(indices),
                           &vertexData, &indexData)))
        {
            completed = false;
            break;
        }
        system.FillBuffers(vertexData, indexData, static_cast<int32_t>(vertexBuffer->lockStart),
                           static_cast<int32_t>(indexBuffer->lockStart));
        indexBuffer->Unlock();
        vertexBuffer->Unlock();

        device->SetRenderState(D3DRS_ALPHATESTENABLE, system.alphaTest);
        if (blended)
        {
            device->SetRenderState(D3DRS_ALPHAREF, 0);
            device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
            device->SetRenderState(D3DRS_SRCBLEND, system.srcBlend);
            device->SetRenderState(D3DRS_DESTBLEND, system.destBlend);
            if (fogEnabled)
            {
                // Fog must not brighten what adds or multiplies onto the scene.
                bool black = system.destBlend == D3DBLEND_ONE ||
                             system.destBlend == D3DBLEND_INVSRCCOLOR ||
                             system.srcBlend == D3DBLEND_DESTCOLOR;
                device->SetRenderState(D3DRS_FOGCOLOR, black ? 0 : fogColour);
            }
        }
        else
        {
            device->SetRenderState(D3DRS_ALPHAREF, 128);
            device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        }
        device->SetTexture(0, system.texture);
        system.Draw();
    }
    if (blended && fogEnabled && completed)
        device->SetRenderState(D3DRS_FOGCOLOR, fogColour);
}

void CParticleSystemsManager::DrawBlended() { DrawList(systems, true); }

void CParticleSystemsManager::DrawAlphaTested() { DrawList(alphaTestedSystems, false); }
