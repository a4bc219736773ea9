// CInterface: which widgets of each form the screens address, bound by the element
// numbers of the form files, and the check that every needed one is there.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "screens/InterfaceParts.h"

namespace interface_detail {

const char* const kFormNames[kFormCount] = {
    "MainMenu", "Quest",  "Statistics", "Background", "Shop",     "Map",      "NewLevel",   "GameMenu", "Memory",
    "Arcade",   "Thimbles", "Blinker",  "Splash",     "Profiles", "NewProfile", "MsgBox",   "StartQuest", "Tutorial",
    "Win",      "Options", "HighScores", "Newspaper", "Intro",    "Trophies", "Help",       "WinBox"};

const float kQuarterCorners[4][8] = {{-0.5f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, -0.5f, 0.0f},
                                     {-0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, -0.5f, -0.5f},
                                     {0.0f, 0.0f, 0.5f, 0.0f, 0.5f, -0.5f, 0.0f, -0.5f},
                                     {0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f}};

namespace {

Rule H(int first, int last = -1) { return Rule{kHandle, first, last < 0 ? first : last, 0, 0, 1}; }
Rule L(int first, int last, int target, int room, int need = 0) { return Rule{kList, first, last, target, room, need}; }

} // namespace

// The bindings of the 26 forms. List and group indices are the order in which the
// screens address them; the screen methods name each one.
const std::vector<FormRow>& Rows()
{
    static const std::vector<FormRow> rows = {
        // MainMenu: greeting, version label, store link, logo hover area, logo A, logo B.
        {0, false, 0, 0, 0, 0, {H(1, 3), H(11111, 11113)}},
        // Quest: 0 gauge quarters, 1 hands (slot 0 shadow, slot 1 arrow), 2 warning pair,
        // 3 extra panel pictures, 4 side panel, 5 life icons, 6 icon markers; the
        // adviser's counter (204) where the form has one.
        {-30,
         true,
         7,
         0,
         0,
         0,
         {H(1, 2), H(6, 7), H(9), H(105), H(203), Rule{kHandle, 204, 204, 0, 0, 0}, L(3, 3, 0, 4, 4), Rule{kSlot, 4, 4, 1, 0, 1},
          Rule{kSlot, 5, 5, 1, 1, 1}, L(8, 8, 2, 2, 2), L(15, 15, 3, 4), L(200, 200, 4, 2), L(201, 201, 5, 10),
          L(202, 202, 6, 2)}},
        // Statistics: frame and rows 0..13, the two best holders 14 and 15; three lists of the result columns.
        {-30, true, 3, 0, 0, 0, {H(0, 15), L(100, 104, 0, 5, 4), L(200, 204, 1, 5, 4), L(300, 304, 2, 5, 4)}},
        // Background: the blinking "click to go on" list.
        {0, true, 1, 0, 0, 0, {L(1, 1, 0, 4)}},
        // Shop: handles; 0 gauge quarters, 1 hands, 2..4 tinted lists A, B, C (with their
        // colours 0..2), 5 anchors, 6 plus buttons, 7 frames, 8 pictures; groups 0..4 the
        // item widgets of 100..104, groups 5..10 those of 60..65.
        {0,
         true,
         9,
         11,
         3,
         0,
         {H(1, 2), H(5, 7), L(3, 3, 0, 4, 4), L(4, 4, 1, 2, 2), Rule{kTinted, 3, 4, 2, 0, 0},
          Rule{kTinted, 400, 400, 2, 0, 0}, Rule{kTinted, 5, 5, 3, 1, 0}, Rule{kTinted, 401, 401, 3, 1, 0},
          Rule{kTinted, 100, 104, 4, 2, 0}, Rule{kTinted, 402, 402, 4, 2, 0}, Rule{kGroup, 100, 104, 0, 0, 0},
          Rule{kGroup, 60, 65, 5, 0, 0}, L(20, 39, 5, 16, 16), L(40, 59, 6, 16, 16), L(200, 219, 7, 16, 16),
          L(220, 239, 8, 16, 16)}},
        // Map: caption, story label, flag, shadow; 0..3 stage pictures (2..5), 4 halos,
        // 5 stage seals, 6..10 level spots of stages 1..5.
        {-10,
         true,
         11,
         0,
         0,
         0,
         {H(1), H(10), H(30, 31), L(2, 2, 0, 6), L(3, 3, 1, 6), L(4, 4, 2, 6), L(5, 5, 3, 6), L(11, 14, 4, 4, 4),
          L(21, 24, 5, 4, 4), L(100, 199, 6, 12, 5), L(200, 299, 7, 12, 6), L(300, 399, 8, 12, 8),
          L(400, 499, 9, 12, 10), L(500, 599, 10, 12, 12)}},
        // NewLevel: the level caption.
        {-50, true, 0, 0, 0, 0, {H(1)}},
        // GameMenu: nothing bound.
        {-150, true, 0, 0, 0, 0, {}},
        // Memory, Arcade, Thimbles, Blinker: titles, rounds and hints.
        {-60, true, 0, 0, 0, 0, {H(1, 2)}},
        {-60, true, 0, 0, 0, 0, {H(1)}},
        {-60, true, 0, 0, 0, 0, {H(1, 3)}},
        {-60, true, 0, 0, 0, 0, {H(1, 4)}},
        // Splash: 0 the pictures (1000), 1 the plain list (0); logo groups 1..10.
        {-300, true, 2, 0, 0, 0, {L(1000, 1000, 0, 2, 1), L(0, 0, 1, 0), Rule{kGrowGroup, 1, 10, 0, 2, 0}}},
        // Profiles: the six rows.
        {-10, true, 1, 0, 0, 0, {L(1, 1, 0, 6, 6)}},
        // NewProfile: name label, return widgets 2 and 4, message label, first-profile note.
        {-20, true, 0, 0, 0, 0, {H(1, 5)}},
        // MsgBox: caption, text; 0..4 the five button layouts.
        {-550,
         true,
         5,
         0,
         0,
         0,
         {H(1, 2), L(100, 100, 0, 4, 1), L(101, 101, 1, 4, 1), L(102, 102, 2, 4, 2), L(103, 103, 3, 4, 2),
          L(104, 104, 4, 4, 1)}},
        // StartQuest: the level and difficulty caption.
        {-10, true, 0, 0, 0, 0, {H(1)}},
        // Tutorial: seven groups (1 the message window, 4 click here, 6 swap these),
        // handles, and the rest points of groups 1, 4 and 6.
        {-50,
         true,
         0,
         7,
         0,
         3,
         {Rule{kGroup, 0, 0, 0, 0, 0}, Rule{kGroup, 100, 100, 0, 0, 0}, Rule{kGroup, 1, 1, 1, 0, 1},
          Rule{kGroup, 101, 101, 1, 0, 0}, Rule{kGroup, 200, 200, 1, 0, 0}, Rule{kGroup, 201, 201, 1, 0, 0},
          Rule{kGroup, 2, 4, 2, 0, 0}, Rule{kGroup, 5, 6, 5, 0, 0}, Rule{kGroup, 105, 105, 5, 0, 0}, H(100, 101),
          H(105), H(200, 201), Rule{kPoints, 1, 1, 0, 16, 0}, Rule{kPoints, 101, 101, 0, 16, 0},
          Rule{kPoints, 4, 4, 1, 0, 1}, Rule{kPoints, 6, 6, 2, 16, 1}}},
        // Win: the blinking list.
        {-25, true, 1, 0, 0, 0, {L(1, 1, 0, 4)}},
        // Options: sound and music scrollers, four display checkboxes and their labels.
        {-170, true, 0, 0, 0, 0, {H(1, 10)}},
        // HighScores: row, name and score columns.
        {-10, true, 3, 0, 0, 0, {L(1, 1, 0, 10, 10), L(2, 2, 1, 10, 10), L(3, 3, 2, 10, 10)}},
        // Newspaper: 0 the blinking list (100); groups 0..3 the pages.
        {-25, true, 1, 4, 0, 0, {L(100, 100, 0, 4), Rule{kGroup, 1, 4, 0, 0, 0}}},
        // Intro: the story items.
        {-25, true, 1, 0, 0, 0, {L(1, 1, 0, 8, 1)}},
        // Trophies: frame; 0 the rows with their rest points; groups 0..8 and 9..17.
        {-300,
         true,
         1,
         18,
         0,
         1,
         {H(0), L(1, 1, 0, 12), Rule{kPoints, 1, 1, 0, 24, 0}, Rule{kGroup, 100, 108, 0, 0, 0},
          Rule{kGroup, 200, 208, 9, 0, 0}}},
        // Help: one group per page.
        {-250, true, 0, 3, 0, 0, {Rule{kGroup, 1, 3, 0, 0, 0}}},
        // WinBox: the window buttons.
        {-650, true, 0, 0, 0, 0, {}},
    };
    return rows;
}

} // namespace interface_detail

using namespace interface_detail;

void CInterface::Bind(int index, int number, const CRefPtr<CKMWindow>& widget)
{
    CFormBlock& block = blocks[size_t(index)];
    for (const Rule& r : Rows()[size_t(index)].rules)
    {
        if (number < r.first || number > r.last)
            continue;
        switch (r.kind)
        {
        case kHandle:
        {
            // The last widget of a number wins.
            auto it = std::find(block.numbers.begin(), block.numbers.end(), number);
            if (it != block.numbers.end())
                block.handles[size_t(it - block.numbers.begin())] = widget;
            else
            {
                block.numbers.push_back(number);
                block.handles.push_back(widget);
            }
            break;
        }
        case kList:
            block.lists[size_t(r.target)].push_back(widget);
            break;
        case kSlot:
            block.lists[size_t(r.target)][size_t(r.room)] = widget;
            break;
        case kGroup:
            block.groups[size_t(r.target + number - r.first)].widgets.push_back(widget);
            break;
        case kGrowGroup:
            if (size_t(number) > block.groups.size())
            {
                const size_t from = block.groups.size();
                block.groups.resize(size_t(number));
                for (size_t g = from; g < block.groups.size(); ++g)
                    block.groups[g].widgets.reserve(size_t(r.room));
            }
            block.groups[size_t(number - 1)].widgets.push_back(widget);
            break;
        case kPoints:
            block.points[size_t(r.target)].push_back(widget->localPosition.x);
            block.points[size_t(r.target)].push_back(widget->localPosition.y);
            break;
        case kTinted:
            block.lists[size_t(r.target)].push_back(widget);
            block.colours[size_t(r.room)].push_back(widget->colour);
            block.textColours[size_t(r.room)].emplace_back();
            for (const CRefPtr<CText>& text : widget->texts)
                block.textColours[size_t(r.room)].back().push_back(text ? text->colour : 0u);
            break;
        default:
            break;
        }
    }
}

bool CInterface::CheckBindings(int index, std::string* missing) const
{
    const CFormBlock& block = blocks[size_t(index)];
    char text[160];
    for (const Rule& r : Rows()[size_t(index)].rules)
    {
        if (r.need <= 0)
            continue;
        int found = 0;
        switch (r.kind)
        {
        case kHandle:
            for (int n = r.first; n <= r.last; ++n)
                if (!Widget(index, n))
                {
                    std::snprintf(text, sizeof(text), "Element %d not found", n);
                    *missing = text;
                    return false;
                }
            continue;
        case kList:
        case kTinted:
            found = int(block.lists[size_t(r.target)].size());
            break;
        case kSlot:
            found = block.lists[size_t(r.target)][size_t(r.room)] ? 1 : 0;
            break;
        case kGroup:
            found = int(block.groups[size_t(r.target)].widgets.size());
            break;
        case kPoints:
            found = int(block.points[size_t(r.target)].size() / 2);
            break;
        default:
            found = r.need;
            break;
        }
        if (found < r.need)
        {
            std::snprintf(text, sizeof(text), "Element %d not found (%d needed, %d found)", r.first, r.need, found);
            *missing = text;
            return false;
        }
    }
    return true;
}

CRefPtr<CKMForm> CInterface::Form(const char* name) const
{
    for (int i = 0; i < kFormCount; ++i)
        if (std::strcmp(kFormNames[i], name) == 0)
            return FormAt(i);
    return CRefPtr<CKMForm>();
}
