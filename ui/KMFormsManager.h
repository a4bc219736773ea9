// CKMFormsManager: the top-level forms of the user interface in one list kept
// from the highest z-order down. It routes the mouse to every form that takes
// input, gathers their widgets' KMEvent records into one queue per call, draws
// the visible forms (an alpha-tested pass, then a blended pass per layer with
// each form's own texts) and keeps a stack of modal records, each holding the
// forms that one PushModal disabled. Owned by the interface object through
// CRefPtr; it knows nothing of what the forms mean.
#pragma once

#include "engine/RefPtr.h"
#include "ui/KMForm.h"

#include <vector>

class CKMFormsManager
{
public:
    CKMFormsManager();
    virtual ~CKMFormsManager() = default;
    CKMFormsManager(const CKMFormsManager&) = delete;
    CKMFormsManager& operator=(const CKMFormsManager&) = delete;

    // Goes ahead of every listed form whose z-order is not above its own.
    virtual void AddForm(CRefPtr<CKMForm> form);
    // 1 when the first entry of the form was taken out, 0 when it was not listed.
    virtual int RemoveForm(CRefPtr<CKMForm> form);
    virtual void DrawOpaque();
    // The blended sprites of the layer, form by form; on layer 1 each form's
    // texts follow its sprites.
    virtual void Draw(int layer);
    // Disables every other enabled form and remembers which, for PopModal.
    virtual void PushModal(CRefPtr<CKMForm> form);
    virtual void PopModal();
    virtual void PopAllModal();
    // Each returns the queue's length; the records stay readable in `events`
    // until the next mouse call.
    virtual int OnMouseDown(float x, float y, int button);
    virtual int OnMouseUp(float x, float y, int button);
    virtual int OnMouseMove(float x, float y, float dt);

    std::vector<CRefPtr<CKMForm>> forms;
    std::vector<KMEvent> events;
    std::vector<std::vector<CRefPtr<CKMForm>>> modalStack;

private:
    template <class Call>
    int Route(const Call& call);
};
