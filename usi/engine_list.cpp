#include "usi/engine_list.h"

#include <algorithm>

namespace usi {

std::string engineFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string defaultEngineName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string optionValue(const EngineEntry& entry, const UsiOption& option) {
    for (const auto& [name, value] : entry.options) {
        if (name == option.name) return value;
    }
    return option.defaultValue;
}

void chooseOptionValue(EngineEntry& entry, const UsiOption& option, const std::string& value) {
    auto& options = entry.options;
    options.erase(std::remove_if(options.begin(), options.end(),
                                 [&](const auto& o) { return o.first == option.name; }),
                  options.end());
    if (option.type == UsiOptionType::Button) return;
    std::optional<std::string> normal = normalOptionValue(option, value);
    if (!normal) return;
    std::optional<std::string> normalDefault = normalOptionValue(option, option.defaultValue);
    if (normalDefault && *normalDefault == *normal) return;
    options.emplace_back(option.name, *normal);
}

int putEngine(std::vector<EngineEntry>& list, EngineEntry entry) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].name == entry.name) {
            list[i] = std::move(entry);
            return static_cast<int>(i);
        }
    }
    list.push_back(std::move(entry));
    return static_cast<int>(list.size() - 1);
}

}  // namespace usi
