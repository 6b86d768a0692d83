// Widget tests run under Qt's offscreen platform with one toolkit for the whole run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "framework/Application.h"
#include "framework/Sound.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Each run gets its own preferences folder, so no test reads a user's settings.
    const auto config = std::filesystem::temp_directory_path() / ("qz-widgets-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    if (!RuntimeInit(argc, argv)) return 1;
    const int result = RUN_ALL_TESTS();
    AudioQuit();
    RuntimeExit();
    std::filesystem::remove_all(config);
    return result;
}
