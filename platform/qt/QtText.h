#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace mayorin::platform {

// The program's texts are UTF-8; Qt's are UTF-16.
inline QString qtext(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string stdtext(const QString& s) {
    return s.toStdString();
}

} // namespace mayorin::platform
