// Shared by the files of CInterface alone: the row of bindings each form keeps, the
// corners of a round gauge's quarters and small helpers of the screens. Nothing
// outside screens/Interface*.cpp includes it.
#pragma once

#include <vector>

#include "engine/RefPtr.h"
#include "screens/Interface.h"

class CTexture;

namespace interface_detail {

// The form files' names, in load order.
extern const char* const kFormNames[kFormCount];

// How one element number, or a range of them, is kept.
enum RuleKind
{
    kHandle,    // each number of the range is a widget handle
    kList,      // appended to list `target`
    kSlot,      // slot `room` of list `target` (a list of fixed size)
    kGroup,     // number n goes to group target + (n - first)
    kGrowGroup, // number n goes to group n - 1; the group vector grows to n
    kPoints,    // the widget's local (x, y) appended to point list `target`
    kTinted,    // appended to list `target` and its colour to colour list `room`
};

struct Rule
{
    int kind;
    int first;
    int last;
    int target;
    int room;
    // Widgets the screens need: for a handle range each number must be found; for a
    // list or group this many entries.
    int need;
};

struct FormRow
{
    int zOrder;
    bool setZ;
    int lists;
    int groups;
    int colourLists;
    int pointLists;
    std::vector<Rule> rules;
};

// The bindings of the 26 forms, in load order.
const std::vector<FormRow>& Rows();

// The corners of a round gauge's quarters at rest: top-left, bottom-left,
// bottom-right and top-right, four (x, y) pairs each.
extern const float kQuarterCorners[4][8];

// Sets the text of a label when the label is there.
void SetLabel(const CRefPtr<CKMWindow>& w, const char* text);
// Gives back the video memory of a picture that only one screen needs.
void ReleaseSurface(const CRefPtr<CTexture>& texture);

} // namespace interface_detail
