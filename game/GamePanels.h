// Small helpers of the game's panels for widgets that come from form files: a widget
// of an unexpected kind (a form file edited by hand) is left alone instead of misused.
#pragma once

#include "engine/RefPtr.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"

// Sets the text of a static widget; anything else is ignored.
inline void SetWidgetText(const CRefPtr<CKMWindow>& widget, const char* text)
{
    if (CKMStatic* label = widget ? dynamic_cast<CKMStatic*>(widget.Get()) : nullptr)
        label->SetString(text);
}

// The value of a scroller widget, or `fallback` when the widget is none.
inline float ScrollerValue(const CRefPtr<CKMWindow>& widget, float fallback)
{
    const CKMScroller* scroller = widget ? dynamic_cast<const CKMScroller*>(widget.Get()) : nullptr;
    return scroller ? scroller->value : fallback;
}
