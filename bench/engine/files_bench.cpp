// Start-up cost of the text readers: tuning files are read key by key (each key
// reads the file again), level and form files go through the tokenizer, and
// every path is looked up through the file layer.
#include "engine/IniReader.h"
#include "engine/Tokenizer.h"
#include "platform/files/path.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string ScratchDir()
{
    static std::string dir = [] {
        std::string p = (std::filesystem::temp_directory_path() / "orb_files_bench").string();
        std::filesystem::create_directories(p + "/Data/Config");
        std::ofstream ini(p + "/Data/Config/Tuning.cfg", std::ios::binary);
        for (int s = 0; s < 20; ++s)
        {
            ini << "[Section" << s << "]\r\n";
            for (int k = 0; k < 20; ++k)
                ini << "Key" << k << " = " << k << " 0.5 1.5 255\r\n";
        }
        std::ofstream lvl(p + "/Data/Config/Level.txt", std::ios::binary);
        for (int i = 0; i < 2000; ++i)
            lvl << "CELL " << i % 8 << " " << i / 8 << " { COLOR 3 GEM \"Gem\" } # note\r\n";
        return p;
    }();
    return dir;
}

void BM_IniFloat4LastKey(benchmark::State& state)
{
    const std::string file = ScratchDir() + "/Data/Config/Tuning.cfg";
    float v[4];
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadIniFloat4(v, file.c_str(), "Section19", "Key19", "0 0 0 0"));
}
BENCHMARK(BM_IniFloat4LastKey);

void BM_TokenizeLevelFile(benchmark::State& state)
{
    const std::string file = ScratchDir() + "/Data/Config/Level.txt";
    char buf[CTokenizer::kTokenSize];
    for (auto _ : state)
    {
        CTokenizer tok;
        tok.Open(file.c_str());
        int tokens = 0;
        while (tok.NextToken(buf))
            ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
}
BENCHMARK(BM_TokenizeLevelFile);

void BM_NativePath(benchmark::State& state)
{
    const std::string exact = ScratchDir() + "\\Data\\Config\\Tuning.cfg";
    const std::string folded = ScratchDir() + "\\DATA\\config\\tuning.CFG";
    const std::string& path = state.range(0) ? folded : exact;
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::NativePath(path));
}
BENCHMARK(BM_NativePath)->Arg(0)->Arg(1);

} // namespace
