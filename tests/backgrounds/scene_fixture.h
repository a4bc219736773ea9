// What the scene tests share: a recording device with the shared buffers, a sprite
// list the scenes draw into, a scratch folder for "Background.cfg" and pictures, and
// the log of the run.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "render/SpriteList.h"
#include "tests/support/LogFile.h"
#include "tests/support/RecordingDevice.h"
#include "tools/common/ImageWrite.h"

namespace scene_test {

class SceneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = ::testing::TempDir() + "scene_" + info->test_suite_name() + "_" + info->name() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        logPath = folder + "scene.log";
        SetLogFile(logPath.c_str());
        ResetLog();
        list = CRefPtr<CSpriteList>(new CSpriteList(rec.device, rec.vertexBuffer, rec.indexBuffer));
    }
    void TearDown() override { SetLogFile(""); }

    std::string Cfg(const std::string& text)
    {
        const std::string path = folder + "Background.cfg";
        std::ofstream(path) << text;
        return path;
    }
    std::string NoCfg() const { return folder + "Background.cfg"; }
    // A small white picture under each name (the loaders read the content, not the extension).
    void Pictures(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            ASSERT_TRUE(tools::WritePng(folder + name, 8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 255)));
    }
    static std::string Log() { return test_support::ReadLogFile(); }
    size_t Shapes() const { return list->visibleList.size() + list->hiddenList.size(); }

    test_support::RecordingDevice rec;
    std::string folder, logPath;
    CRefPtr<CSpriteList> list;
};

} // namespace scene_test
