// Leaving while the toolkit stands: an exit() with windows open ends the
// process with its own status, not a crash nor another status.
#include <gtest/gtest.h>

#include <cstdlib>

#include "WidgetTestSupport.h"
#include "core/Window1.h"

TEST(Lifecycle, ExitWithWindowsOpenKeepsItsStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int status : {0, 3}) {
        EXPECT_EXIT(
            {
                setenv("QZ_RESOURCE_FILE", QZ_BINARY_DIR "/quib-zerevarove.rcc", 0);
                (void)Window1::Instance();
                pumpEvents();
                std::exit(status);
            },
            ::testing::ExitedWithCode(status), "")
            << status;
    }
}
