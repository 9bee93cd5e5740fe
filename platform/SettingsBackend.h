#pragma once

#include <string>
#include <string_view>

namespace mayorin::platform {

// The per-user settings store of the application "Mayorin": section -> key -> text.
// Keys are matched exactly: blanks, separators and letter case all count.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    // The stored text, or fallback when the key does not exist.
    virtual std::string get(std::string_view section, std::string_view key, std::string_view fallback) const = 0;
    // Stores the text, creating section and key as needed.
    virtual void save(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Removes every section and key of the application.
    virtual void removeAll() = 0;
};

} // namespace mayorin::platform
