#include "ui/KMFormsManager.h"

namespace {

bool SameForm(const CRefPtr<CKMForm>& a, const CRefPtr<CKMForm>& b)
{
    return a.SameAs(b) || (!a.IsValid() && !b.IsValid());
}

} // namespace

CKMFormsManager::CKMFormsManager()
{
    forms.reserve(32);
    events.reserve(128);
    modalStack.reserve(8);
}

void CKMFormsManager::AddForm(CRefPtr<CKMForm> form)
{
    if (!form.IsValid())
        return;
    auto it = forms.begin();
    while (it != forms.end() && (*it)->zOrder > form->zOrder)
        ++it;
    forms.insert(it, form);
}

int CKMFormsManager::RemoveForm(CRefPtr<CKMForm> form)
{
    for (auto it = forms.begin(); it != forms.end(); ++it)
        if (SameForm(*it, form))
        {
            forms.erase(it);
            return 1;
        }
    return 0;
}

template <class Call>
int CKMFormsManager::Route(const Call& call)
{
    events.clear();
    // The count is taken once: a form added by a caller during the walk waits
    // for the next call.
    const size_t n = forms.size();
    for (size_t i = 0; i < n && i < forms.size(); ++i)
    {
        // A handle of our own keeps the form alive through its call.
        CRefPtr<CKMForm> form = forms[i];
        if (!form->visible || !form->active || !form->enabled)
            continue;
        if (call(*form, form->localPosition.x, form->localPosition.y) > 0)
            events.insert(events.end(), form->events.begin(), form->events.end());
    }
    return int(events.size());
}

int CKMFormsManager::OnMouseDown(float x, float y, int button)
{
    return Route([&](CKMForm& f, float fx, float fy) { return f.OnMouseDown(x - fx, y - fy, button); });
}

int CKMFormsManager::OnMouseUp(float x, float y, int button)
{
    return Route([&](CKMForm& f, float fx, float fy) { return f.OnMouseUp(x - fx, y - fy, button); });
}

int CKMFormsManager::OnMouseMove(float x, float y, float dt)
{
    return Route([&](CKMForm& f, float fx, float fy) { return f.OnMouseMove(x - fx, y - fy, dt); });
}

void CKMFormsManager::DrawOpaque()
{
    for (const CRefPtr<CKMForm>& form : forms)
        if (form->visible && form->spriteList.IsValid())
            form->spriteList->DrawOpaque();
}

void CKMFormsManager::Draw(int layer)
{
    for (const CRefPtr<CKMForm>& form : forms)
    {
        if (!form->visible)
            continue;
        if (form->spriteList.IsValid())
            form->spriteList->DrawBlended(layer);
        if (layer == 1 && form->textSet.IsValid())
            form->textSet->Draw(form->depth);
    }
}

void CKMFormsManager::PushModal(CRefPtr<CKMForm> form)
{
    std::vector<CRefPtr<CKMForm>> record;
    for (const CRefPtr<CKMForm>& f : forms)
    {
        if (SameForm(f, form) || !f->enabled)
            continue;
        record.push_back(f);
        f->enabled = 0;
    }
    modalStack.push_back(record);
}

void CKMFormsManager::PopModal()
{
    if (modalStack.empty())
        return;
    for (const CRefPtr<CKMForm>& f : modalStack.back())
        f->enabled = 1;
    modalStack.pop_back();
}

void CKMFormsManager::PopAllModal()
{
    while (!modalStack.empty())
        PopModal();
}
