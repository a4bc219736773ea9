// The sound settings file: entries, options in any order and case, clamps with
// their warnings, truncated files and lookups.
#include <gtest/gtest.h>

#include "audio/SoundBank.h"
#include "audio_test_util.h"

using audiotest::LogCapture;
using audiotest::ScratchDir;

namespace {

struct Row
{
    std::string name;
    float volume, pan, seconds, factor;
};

std::vector<Row> Rows(const CSoundBank& bank)
{
    std::vector<Row> rows;
    for (size_t i = 0; i < bank.configNames.size(); ++i)
        rows.push_back({bank.configNames[i], bank.configVolumes[i], bank.configPanFactors[i],
                        bank.configSilencers[i].first, bank.configSilencers[i].second});
    return rows;
}

void ExpectRows(const std::vector<Row>& got, const std::vector<Row>& want, const std::string& file)
{
    ASSERT_EQ(got.size(), want.size()) << file;
    for (size_t i = 0; i < want.size(); ++i)
    {
        EXPECT_EQ(got[i].name, want[i].name) << file;
        EXPECT_FLOAT_EQ(got[i].volume, want[i].volume) << file << " " << want[i].name;
        EXPECT_FLOAT_EQ(got[i].pan, want[i].pan) << file << " " << want[i].name;
        EXPECT_FLOAT_EQ(got[i].seconds, want[i].seconds) << file << " " << want[i].name;
        EXPECT_FLOAT_EQ(got[i].factor, want[i].factor) << file << " " << want[i].name;
    }
}

TEST(VolumeConfig, EntriesOptionsClampsAndTruncation)
{
    struct Case
    {
        std::string file;
        std::vector<Row> rows;
        std::string log;  // "@" stands for the file's path
    } cases[] = {
        {"\"Click.wav\" 0.5\n", {{"CLICK.WAV", 0.5f, 1.0f, 0.0f, 1.0f}}, ""},
        {"\"click.Wav\" 0.5 music 2 0.3 Pan 0.25\r\n\"Drop.wav\" 1",
         {{"CLICK.WAV", 0.5f, 0.25f, 2.0f, 0.3f}, {"DROP.WAV", 1.0f, 1.0f, 0.0f, 1.0f}}, ""},
        {"\"A.wav\" 0.5 PAN 0.1 PAN 0.7 MUSIC 1 0.2 MUSIC 3 0.4", {{"A.WAV", 0.5f, 0.7f, 3.0f, 0.4f}}, ""},
        // One line per entry is not needed; comments run to the line's end.
        {"# settings\n\"A.wav\" 0.3 # PAN 0.9\n  \"B.wav\"\n0.6 PAN\n0.2", {{"A.WAV", 0.3f, 1.0f, 0.0f, 1.0f}, {"B.WAV", 0.6f, 0.2f, 0.0f, 1.0f}}, ""},
        // A word that is no option starts the next entry, whose volume follows.
        {"\"A.wav\" 0.5 Loud 0.3", {{"A.WAV", 0.5f, 1.0f, 0.0f, 1.0f}, {"LOUD", 0.3f, 1.0f, 0.0f, 1.0f}}, ""},
        {"\"A.wav\" x", {{"A.WAV", 0.0f, 1.0f, 0.0f, 1.0f}}, ""},
        {"\"A.wav\" 1.5", {{"A.WAV", 1.0f, 1.0f, 0.0f, 1.0f}}, " Warning! A.WAV volume >1 ! \n"},
        {"\"A.wav\" -2", {{"A.WAV", 0.0f, 1.0f, 0.0f, 1.0f}}, " Warning! A.WAV volume <0 ! \n"},
        {"\"A.wav\" 1 PAN 3", {{"A.WAV", 1.0f, 1.0f, 0.0f, 1.0f}}, " Warning! A.WAV panfactor >1 ! \n"},
        {"\"A.wav\" 1 PAN -0.5", {{"A.WAV", 1.0f, 0.0f, 0.0f, 1.0f}}, " Warning! A.WAV panfactor <0 ! \n"},
        {"\"A.wav\" 1 MUSIC 250 0.5", {{"A.WAV", 1.0f, 1.0f, 100.0f, 0.5f}}, " Warning! A.WAV music silencer time >100 ! \n"},
        {"\"A.wav\" 1 MUSIC -1 2",
         {{"A.WAV", 1.0f, 1.0f, 0.0f, 1.0f}},
         " Warning! A.WAV music silencer time <0 ! \n Warning! A.WAV music silencer volume >1 ! \n"},
        {"\"A.wav\" 1 MUSIC 1 -1", {{"A.WAV", 1.0f, 1.0f, 1.0f, 0.0f}}, " Warning! A.WAV music silencer volume <0 ! \n"},
        // Files that end inside an entry keep what was read before.
        {"\"A.wav\" 0.5 \"B.wav\"", {{"A.WAV", 0.5f, 1.0f, 0.0f, 1.0f}}, " Unexpected end of file @ \n"},
        {"\"A.wav\" 0.5 PAN", {{"A.WAV", 0.5f, 1.0f, 0.0f, 1.0f}}, " Unexpected end of file @ \n"},
        {"\"A.wav\" 0.5 PAN 0.4 MUSIC 2", {{"A.WAV", 0.5f, 0.4f, 0.0f, 1.0f}}, " Unexpected end of file @ \n"},
        {"\"A.wav\" 0.5 MUSIC", {{"A.WAV", 0.5f, 1.0f, 0.0f, 1.0f}}, " Unexpected end of file @ \n"},
        {"", {}, ""},
        {"# nothing but a comment\n\n", {}, ""},
    };
    for (const Case& k : cases)
    {
        ScratchDir dir("vol");
        dir.Write("Vol.cfg", k.file);
        LogCapture log;
        CSoundBank bank;
        bank.LoadVolumeConfig(dir.File("Vol.cfg").c_str());
        ExpectRows(Rows(bank), k.rows, k.file);
        std::string want = k.log;
        if (size_t at = want.find('@'); at != std::string::npos)
            want.replace(at, 1, dir.File("Vol.cfg"));
        EXPECT_EQ(log.Text(), want) << k.file;
    }
}

TEST(VolumeConfig, LookupsMatchWholeNamesInAnyCaseFirstRowWins)
{
    ScratchDir dir("vol");
    dir.Write("Vol.cfg", "\"Drop.wav\" 0.4 PAN 0.5 MUSIC 2 0.1\n\"DROP.WAV\" 0.9\n\"Gem.wav\" 0.2\n");
    CSoundBank bank;
    bank.LoadVolumeConfig(dir.File("Vol.cfg").c_str());
    ASSERT_EQ(bank.configNames.size(), 3u);

    struct Case
    {
        const char* name;
        float volume, pan, seconds, factor;
    } cases[] = {
        {"Drop.wav", 0.4f, 0.5f, 2.0f, 0.1f},
        {"drop.wav", 0.4f, 0.5f, 2.0f, 0.1f},
        {"Gem.wav", 0.2f, 1.0f, 0.0f, 1.0f},
        {"Gem", 1.0f, 0.0f, 0.0f, 1.0f},       // no partial match
        {" Gem.wav", 1.0f, 0.0f, 0.0f, 1.0f},  // no trimming
        {"Click.wav", 1.0f, 0.0f, 0.0f, 1.0f}, // no entry: full volume, never panned
    };
    for (const Case& k : cases)
    {
        EXPECT_FLOAT_EQ(bank.GetConfigVolume(k.name), k.volume) << k.name;
        EXPECT_FLOAT_EQ(bank.GetConfigPanFactor(k.name), k.pan) << k.name;
        EXPECT_EQ(bank.GetConfigSilencer(k.name), std::make_pair(k.seconds, k.factor)) << k.name;
    }
}

TEST(VolumeConfig, MissingFileEmptiesTheTablesAndSaysSo)
{
    ScratchDir dir("vol");
    dir.Write("Vol.cfg", "\"A.wav\" 0.5\n");
    CSoundBank bank;
    bank.LoadVolumeConfig(dir.File("Vol.cfg").c_str());
    ASSERT_EQ(bank.configNames.size(), 1u);
    LogCapture log;
    bank.LoadVolumeConfig(dir.File("None.cfg").c_str());
    EXPECT_TRUE(bank.configNames.empty());
    EXPECT_TRUE(bank.configVolumes.empty());
    EXPECT_TRUE(bank.configPanFactors.empty());
    EXPECT_TRUE(bank.configSilencers.empty());
    EXPECT_EQ(log.Text(), " Unable to open file " + dir.File("None.cfg"));
}

}  // namespace
