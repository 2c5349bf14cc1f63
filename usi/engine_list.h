// The USI engines the user has registered: a name, the program's path and the option values
// chosen for it. The list lives in the per-user profile (tavrel/platform/engine_store); this unit
// decides what a valid entry is and edits the list. Texts are UTF-8 as the profile keeps them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "usi/usi_protocol.h"

namespace usi {

struct EngineEntry {
    std::string name;
    std::string path;  // the program; it runs in its own folder
    // Option values chosen by the user (name, value); options left out keep the engine's
    // default.
    std::vector<std::pair<std::string, std::string>> options;

    friend bool operator==(const EngineEntry&, const EngineEntry&) = default;
};

// The folder a program runs in: its path without the last name ("." for a bare name).
std::string engineFolder(const std::string& path);

// The name an entry gets from its program when the engine gives none: the file name.
std::string defaultEngineName(const std::string& path);

// The value an option has for an entry: the chosen one, else the engine's default.
std::string optionValue(const EngineEntry& entry, const UsiOption& option);

// Sets a chosen value; a value equal to the default is not kept (the engine's own default then
// applies even when it changes). Buttons keep nothing.
void chooseOptionValue(EngineEntry& entry, const UsiOption& option, const std::string& value);

// Adds the entry, or replaces the one with the same name. Returns its index.
int putEngine(std::vector<EngineEntry>& list, EngineEntry entry);

}  // namespace usi
