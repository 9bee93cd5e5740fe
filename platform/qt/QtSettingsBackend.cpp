#include "platform/qt/QtSettingsBackend.h"

#include <QSettings>

namespace mayorin::platform {

namespace {

constexpr const char* kApplication = "Mayorin";

// QSettings takes "/" as a group separator (dropping a leading one and folding doubled ones)
// and "\" as its alias. Escaping them, and "%" first so that the escape itself stays
// unambiguous, keeps every key exactly as given.
QString escapeKey(std::string_view key) {
    const QString raw = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    QString out;
    out.reserve(raw.size());
    for (const QChar c : raw) {
        if (c == u'%') {
            out += QStringLiteral("%25");
        } else if (c == u'/') {
            out += QStringLiteral("%2F");
        } else if (c == u'\\') {
            out += QStringLiteral("%5C");
        } else {
            out += c;
        }
    }
    return out;
}

QString fullKey(std::string_view section, std::string_view key) {
    return escapeKey(section) + u'/' + escapeKey(key);
}

} // namespace

QtSettingsBackend::QtSettingsBackend(const QString& fileName)
    : m_settings(fileName.isEmpty() ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                                  kApplication, kApplication)
                                    : std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

QtSettingsBackend::~QtSettingsBackend() = default;

std::string QtSettingsBackend::get(std::string_view section, std::string_view key, std::string_view fallback) const {
    const QVariant v = m_settings->value(fullKey(section, key));
    if (!v.isValid()) {
        return std::string(fallback);
    }
    // A value written by hand with a comma and no quotes (the release message is never written by
    // the program) reads as a list; as one text it would be lost.
    if (v.typeId() == QMetaType::QStringList) {
        return v.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    return v.toString().toStdString();
}

void QtSettingsBackend::save(std::string_view section, std::string_view key, std::string_view value) {
    m_settings->setValue(fullKey(section, key), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    // Written through at once: the running marker must be on disk even if the program ends abruptly.
    m_settings->sync();
}

void QtSettingsBackend::removeAll() {
    m_settings->clear();
    m_settings->sync();
}

} // namespace mayorin::platform
