// The sounds the board plays for bonuses and totems: one per activation of
// its kind, the bonus events' sounds, and the merged blue strike sound, heard
// through the recording audio backend by file name.
#include "board_play_fixture.h"

#include "audio/SoundBank.h"
#include "bonuses/Bonus.h"
#include "bonuses/BonusManager.h"
#include "platform/audio/recording.h"
#include "tests/support/RecordingSounds.h"

#include <filesystem>
#include <fstream>

namespace
{

using board_play::BoardPlay;
using Slot = test_support::RecordingSounds::Slot;

using board_play::kQuiet;

class BoardSounds : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        const std::string missing = sounds.Load(::testing::TempDir() + "board_sounds/",
            {Slot{"GemOut", &CSoundBank::GemOut}, Slot{"GemBar", &CSoundBank::GemBar}, Slot{"TNT", &CSoundBank::TNT},
             Slot{"Flash", &CSoundBank::Flash}, Slot{"Clock", &CSoundBank::Clock},
             Slot{"AdviserGet", &CSoundBank::AdviserGet}, Slot{"AdviserAct", &CSoundBank::AdviserAct},
             Slot{"Multiplier", &CSoundBank::Multiplier}, Slot{"Solidarity", &CSoundBank::Solidarity},
             Slot{"SolidarityRedir", &CSoundBank::SolidarityRedir}, Slot{"BonusDrop", &CSoundBank::BonusDrop},
             Slot{"TotemBlue2", &CSoundBank::TotemBlue2}, Slot{"TotemRed2", &CSoundBank::TotemRed2}});
        ASSERT_EQ("", missing);
        rec = sounds.rec;
        bank = sounds.bank;
        field->soundBank = bank;
        bonuses = CRefPtr<CBonusManager>(new CBonusManager());
        field->bonusManager = bonuses;
        field->fillPending = CPlayField::kFillRandom;
        SetBoard(kQuiet);
        rec->Clear();
    }

    void TearDown() override
    {
        field->soundBank.Reset();
        bank.Reset();
    }

    std::vector<std::string> Heard() const { return sounds.Heard(); }

    test_support::RecordingSounds sounds;
    platform::audio::AudioRecorder* rec = nullptr;
    CRefPtr<CSoundBank> bank;
    CRefPtr<CBonusManager> bonuses;
};

TEST_F(BoardSounds, EachBonusKindSoundsOnceWhenItGoesOff)
{
    struct Case
    {
        int32_t kind;
        const char* sound;
    };
    for (const Case& k : {Case{kBonusGem, "GemOut.wav"}, Case{kBonusTNT, "TNT.wav"}, Case{kBonusFlash, "Flash.wav"},
                          Case{kBonusTime, "Clock.wav"}, Case{kBonusAdviser, "AdviserGet.wav"},
                          Case{kBonusScore, "Multiplier.wav"}, Case{kBonusSolidarity, "Solidarity.wav"}})
    {
        SCOPED_TRACE(k.sound);
        rec->Clear();
        CRefPtr<CBonus> b(new CBonus());
        b->kind = k.kind;
        b->colour = 9;  // no token of its colour: a solidarity bonus takes none
        field->ActivateBonus(b);
        EXPECT_EQ(std::vector<std::string>{k.sound}, Heard());
    }
}

TEST_F(BoardSounds, BonusEventsSoundTheirOwn)
{
    CRefPtr<CBonus> gem;
    bonuses->CreateGem(gem, 2, 1);
    std::vector<std::string> board = kQuiet;
    board[7] = "22324563";  // a move for the adviser to show
    SetBoard(board);
    rec->Clear();
    bonuses->events.push_back(BonusEvent(kBonusEventGemArrived, 2));
    bonuses->events.back().object = gem;
    bonuses->events.push_back(BonusEvent(kBonusEventAdviserArrived, 1));
    bonuses->events.push_back(BonusEvent(kBonusEventSolidarityRedirect, 0, 0, 0, 5.0f));
    bonuses->events.push_back(BonusEvent(kBonusEventPlaced, 0, 0, 0, 5.0f));
    bonuses->events.push_back(BonusEvent(kBonusEventTimeArrived, 1));
    field->HandleBonusEvents();
    EXPECT_EQ((std::vector<std::string>{"GemBar.wav", "AdviserAct.wav", "SolidarityRedir.wav", "BonusDrop.wav"}),
              Heard());
}

TEST_F(BoardSounds, BlueStrikesOfAFrameSoundOnce)
{
    TotemCellRecord a, b;
    a.kind = b.kind = 3;
    a.column = 1;
    b.column = 6;
    a.row = b.row = 4;
    field->totems.m_cellRecords = {a, b};
    field->ApplyTotemEffects();
    EXPECT_EQ(std::vector<std::string>{"TotemBlue2.wav"}, Heard());
}

} // namespace
