// Test entry: every test runs on the headless SDL drivers and keeps its
// per-user files inside the build tree.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const std::string home = VQ_TEST_HOME;
    // A runtime folder of its own, so that test processes running side by
    // side do not take each other for a second copy of the program.
    const std::string run = home + "/run/" + std::to_string(getpid());
    std::filesystem::create_directories(run);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(run, ec);
    return result;
}
