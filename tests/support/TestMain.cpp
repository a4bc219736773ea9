// main() of every test executable: each process gets a temporary folder of its own,
// so that test cases CTest runs side by side never share a scratch file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    const fs::path own = (ec ? fs::path("/tmp") : base) / ("orbtest-" + std::to_string(getpid()));
    fs::create_directories(own, ec);
    if (!ec)
        setenv("TEST_TMPDIR", (own.string() + "/").c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    if (!ec)
        fs::remove_all(own, ec);
    return result;
}
