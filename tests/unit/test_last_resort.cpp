// The handler of last resort: it always reports, and nothing escapes from it,
// even when its box cannot be shown (memory ran out while painting).
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Application.h"

TEST(LastResort, ReportsOnStandardErrorWhenItsBoxFails)
{
    const struct {
        const char* name;
        std::function<void()> box;
    } cases[] = {
        {"out of memory", [] { throw std::bad_alloc(); }},
        {"an exception", [] { throw std::runtime_error("box"); }},
        {"not an exception", [] { throw 42; }},
    };
    for (const auto& c : cases) {
        std::vector<std::string> shown;
        const auto previous = SetUnhandledExceptionSink([&](const std::string&) { c.box(); });
        ::testing::internal::CaptureStderr();
        EXPECT_NO_THROW(_UnhandledException(std::runtime_error("NilObjectException: Window1"))) << c.name;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "quib-zerevarove: An exception of class NilObjectException: Window1 was not handled.\n")
            << c.name;
        // The next one is shown again.
        SetUnhandledExceptionSink([&](const std::string& text) { shown.push_back(text); });
        ::testing::internal::CaptureStderr();
        _UnhandledException(std::logic_error("E"));
        (void)::testing::internal::GetCapturedStderr();
        EXPECT_EQ(shown, std::vector<std::string>{"An exception of class E was not handled."}) << c.name;
        SetUnhandledExceptionSink(previous);
    }
}
