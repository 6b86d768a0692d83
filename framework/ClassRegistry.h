#pragma once
// Class records, in the order the program builds them at start-up.
#include <string>
#include <vector>

// The framework registers its own classes first, then the program adds its own.
void RegisterFrameworkClasses();
void _RuntimeInitExternalClasses();
void RegisterClassRecord(const std::string& className);
const std::vector<std::string>& ClassRecords();
// Plug-ins: the program has none.
void _InitPluginEntrypoints();
// Releases the framework's window lists and reflection maps at shut-down.
void ReleaseFrameworkLists();
