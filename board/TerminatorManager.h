// CTerminatorManager: the owner of the running terminators (the timed
// destruction of matched groups), held by the play field: the active list and
// the list of terminators whose destruction finished this frame.
//
// For now it keeps the two lists; the terminators themselves come later.
#pragma once

#include "engine/RefPtr.h"

#include <vector>

class CTerminator;

class CTerminatorManager
{
public:
    // Stops and drops every terminator.
    void Clear()
    {
        active.clear();
        finished.clear();
    }
    bool IsEmpty() const { return active.empty() && finished.empty(); }

    std::vector<CRefPtr<CTerminator>> active;
    std::vector<CRefPtr<CTerminator>> finished;
};
