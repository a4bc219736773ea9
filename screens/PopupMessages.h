// CPopupMessages: the score, combo and text pop-ups over the board, a member of
// the play field.
//
// For now it holds nothing; the pop-ups come with the screens.
#pragma once

class CPopupMessages
{
};
