// CInterface: the tutorial's pointers and message window, placed over the board.
#include "screens/Interface.h"

#include <cmath>

#include "hud/QuestLayout.h"

// Moves a tutorial group so that its first widget is at (x, y) and the others keep
// their places around it.
void CInterface::PlaceGroup(int group, int points, float x, float y)
{
    CRefPtr<CKMForm> form = FormAt(kFormTutorial);
    const WidgetList& widgets = Group(kFormTutorial, group).widgets;
    const std::vector<float>& rest = blocks[kFormTutorial].points[size_t(points)];
    if (!form || widgets.empty())
        return;
    form->SetChildPosition(widgets[0], x, y, widgets[0]->localPosition.z);
    for (size_t i = 1; i < widgets.size() && i * 2 + 1 < rest.size(); ++i)
        form->SetChildPosition(widgets[i], x + rest[i * 2] - rest[0], y + rest[i * 2 + 1] - rest[1],
                               widgets[i]->localPosition.z);
}

void CInterface::PlaceClickHere(float x, float y)
{
    // The point the tip bobs over from now on.
    arrowBaseX = x;
    arrowBaseY = y;
    PlaceClickHereTip(x, y);
}

void CInterface::PlaceClickHereTip(float x, float y)
{
    const WidgetList& widgets = Group(kFormTutorial, 4).widgets;
    if (widgets.empty() || !questLayout)
        return;
    const KMSize size = widgets[0]->baseSize;
    PlaceGroup(4, 1, x - questLayout->clickHerePoint[0] + size.w / 2, y - questLayout->clickHerePoint[1] - size.h / 2);
}

void CInterface::PlaceSwapThese(float x, float y)
{
    const WidgetList& widgets = Group(kFormTutorial, 6).widgets;
    if (widgets.empty() || !questLayout)
        return;
    const KMSize size = widgets[0]->baseSize;
    PlaceGroup(6, 2, std::floor(x - questLayout->swapThesePoint[0] + size.w / 2),
               std::floor(y - questLayout->swapThesePoint[1] - size.h / 2));
}

void CInterface::PlaceArrowWindow(float x, float y)
{
    CRefPtr<CKMForm> form = FormAt(kFormTutorial);
    CRefPtr<CKMWindow> up = Widget(kFormTutorial, 200), down = Widget(kFormTutorial, 201);
    const WidgetList& window = Group(kFormTutorial, 1).widgets;
    if (!form || !up || !down || window.empty() || !questLayout)
        return;
    const CQuestLayout& q = *questLayout;
    const bool pointsUp = y >= 0.0f;
    CRefPtr<CKMWindow> arrow = pointsUp ? up : down;
    const float w = arrow->baseSize.w, h = arrow->baseSize.h;
    const float arrowY = std::floor(pointsUp ? y - h / 2 : y + h / 2);
    form->SetChildPosition(arrow, std::floor(x), arrowY, arrow->localPosition.z);
    const float* shift = pointsUp ? q.arrowUpShift : q.arrowDownShift;
    const float margin = shift[0], width = q.arrowWinSize[0];
    float edge = q.arrowWinPrefX;
    if (x - w / 2 - margin < edge)
        edge = x - w / 2 - margin;
    else if (edge + width < x + w / 2 + margin)
        edge = x + w / 2 + margin - width;
    const KMSize first = window[0]->baseSize;
    const float wy = pointsUp ? arrowY + h / 2 - shift[1] - first.h / 2
                              : arrowY + h / 2 - shift[1] + q.arrowWinSize[1] - first.h / 2;
    // The window's own widgets follow their rest points; the arrows are placed above.
    const std::vector<float>& rest = blocks[kFormTutorial].points[0];
    form->SetChildPosition(window[0], std::floor(edge + first.w / 2), wy, window[0]->localPosition.z);
    for (size_t i = 1; i < window.size() && i * 2 + 1 < rest.size(); ++i)
        form->SetChildPosition(window[i], std::floor(edge + first.w / 2) + rest[i * 2] - rest[0],
                               wy + rest[i * 2 + 1] - rest[1], window[i]->localPosition.z);
    arrow->SetVisible(1);
    (pointsUp ? down : up)->SetVisible(0);
}

void CInterface::HideAllGroups()
{
    for (const CWidgetGroup& g : blocks[kFormTutorial].groups)
        for (const CRefPtr<CKMWindow>& w : g.widgets)
            w->SetVisible(0);
}

void CInterface::ShowGroup(int group)
{
    for (const CRefPtr<CKMWindow>& w : Group(kFormTutorial, group).widgets)
        w->SetVisible(1);
}

