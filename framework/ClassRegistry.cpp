#include "framework/ClassRegistry.h"

#include <algorithm>

#include "framework/Window.h"

namespace {
std::vector<std::string>& records()
{
    static std::vector<std::string> r;
    return r;
}
} // namespace

void RegisterClassRecord(const std::string& className)
{
    auto& r = records();
    if (std::find(r.begin(), r.end(), className) == r.end()) r.push_back(className);
}

void RegisterFrameworkClasses()
{
    for (const char* name : {"Object", "Application", "Window", "Control", "RectControl", "EditField", "StaticText",
                             "Canvas", "PushButton", "Thread", "MenuItem", "MenuBar", "QuitMenuItem",
                             "AppleMenuItem", "Sound", "Picture", "Random", "Dictionary", "FolderItem"})
        RegisterClassRecord(name);
}

// No classes come from outside the program and its framework.
void _RuntimeInitExternalClasses() {}

const std::vector<std::string>& ClassRecords() { return records(); }

void _InitPluginEntrypoints() {}

void ReleaseFrameworkLists()
{
    for (const auto& w : OpenWindows()) w->Close();
    records().clear();
}
