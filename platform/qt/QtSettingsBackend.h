#pragma once

#include <memory>
#include <QString>

#include "platform/SettingsBackend.h"

class QSettings;

namespace mayorin::platform {

// The settings store kept through QSettings in INI format in the per-user configuration folder
// (~/.config/Mayorin/Mayorin.ini unless a test points it elsewhere). Keys are escaped so that
// "/" and "\" are never taken as structure: every key round-trips exactly.
class QtSettingsBackend final : public SettingsBackend {
public:
    // fileName empty: the per-user default location.
    explicit QtSettingsBackend(const QString& fileName = {});
    ~QtSettingsBackend() override;

    std::string get(std::string_view section, std::string_view key, std::string_view fallback) const override;
    void save(std::string_view section, std::string_view key, std::string_view value) override;
    void removeAll() override;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace mayorin::platform
