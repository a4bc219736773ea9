// A game object fitted out for its logic without a window: a board on a caps manager
// with no device, a terminator manager, an interface without forms, the shop and the
// star and loss effects, in the playing state.
#pragma once

#include "board/CapsManager.h"
#include "board/TerminatorManager.h"
#include "field/PlayField.h"
#include "game/Game.h"
#include "hud/LossEffect.h"
#include "hud/StarEffect.h"
#include "screens/Interface.h"
#include "screens/Shop.h"

// Fits `game` out; the caps manager the board runs on is the caller's to keep.
inline CRefPtr<CCapsManager> FitOutForPlay(CGame& game)
{
    CRefPtr<CCapsManager> caps(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    game.board = CRefPtr<CPlayField>(
        new CPlayField(caps, &game.questLayout, &game.folders, &game.levelParams, &game.sandFillRate));
    game.board->terminatorManager = CRefPtr<CTerminatorManager>(new CTerminatorManager(0.0f, &game.board->capList));
    game.ui = CRefPtr<CInterface>(new CInterface(nullptr, CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                 CRefPtr<CIndexBuffer>(), CRefPtr<CTextSet>(), {}));
    game.shop = CRefPtr<CShop>(new CShop());
    game.starEffect = CRefPtr<CStarEffect>(new CStarEffect());
    game.lossEffect = CRefPtr<CLossEffect>(new CLossEffect());
    game.state = kStatePlaying;
    return caps;
}
