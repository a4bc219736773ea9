// CLossEffect: the life-lost note over the board ("TIME IS UP!\nLife lost"). The
// game holds it; LoseLife starts it and the play update runs it to its end.
//
// For now the note is a pop-up of the board's messages and the two phase times
// make its length; the cracking glass comes with the HUD.
#pragma once

#include <cstdint>
#include <string>

#include "hud/PopupMessages.h"

class CLossEffect
{
public:
    static constexpr float kNoteReach = 200.0f;

    // Shows the note at x (screen units) through the pop-ups, when given.
    void Start(int, float x, CPopupMessages* popups)
    {
        busy = 1;
        timer = 0.0f;
        // The note stays on the board whatever point it starts from (a life icon's x).
        noteX = x < -kNoteReach ? -kNoteReach : x > kNoteReach ? kNoteReach : x;
        if (popups)
        {
            CRefPtr<CPopupMessage> note;
            popups->AddLoss(note, text.c_str(), 1.5f, noteX, noteY, -200.0f);
        }
    }
    // 0 once the effect has ended.
    int Update(float dt)
    {
        if (!busy)
            return 0;
        timer += dt;
        if (timer >= phaseTimes[0] + phaseTimes[1])
            busy = 0;
        return busy;
    }

    std::string text;
    int32_t busy = 0;
    float timer = 0.0f;
    float phaseTimes[2] = {1.0f, 1.0f};
    float noteX = 0.0f;
    float noteY = 60.0f;
};
