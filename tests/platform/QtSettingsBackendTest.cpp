#include "platform/qt/QtSettingsBackend.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

namespace mayorin::platform {
namespace {

class QtSettingsBackendTest : public ::testing::Test {
protected:
    QString iniPath() const { return m_dir.filePath("Mayorin.ini"); }
    // A fresh backend on the same file: what the next start of the program sees.
    std::unique_ptr<QtSettingsBackend> reopen() const { return std::make_unique<QtSettingsBackend>(iniPath()); }

    QTemporaryDir m_dir;
};

TEST_F(QtSettingsBackendTest, DirectoryKeysThatQSettingsWouldFoldStayDistinct) {
    const std::vector<std::string> dirs = {
        "/home/u/x",    "/home/u/x ",  "/home/u//x", "home/u/x", "//home/u/x",      "/home/u/x/",
        "/home/u/%2Fx", "/home/u//x/", "C:\\a\\b",   "C:/a/b",   "/home/u/予定 表", "/home/u/a=b;c#d",
    };
    {
        QtSettingsBackend s(iniPath());
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            s.save("form4", dirs[i], "value" + std::to_string(i));
        }
    }
    auto s = reopen();
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        EXPECT_EQ(s->get("form4", dirs[i], "missing"), "value" + std::to_string(i)) << dirs[i];
    }
    QSettings raw(iniPath(), QSettings::IniFormat);
    raw.beginGroup("form4");
    EXPECT_EQ(raw.childKeys().size(), static_cast<qsizetype>(dirs.size()));
    EXPECT_TRUE(raw.childGroups().isEmpty());
}

TEST_F(QtSettingsBackendTest, PositionKeysKeepTheirTrailingBlanks) {
    {
        QtSettingsBackend s(iniPath());
        s.save("form1", "Top   ", "105");
        s.save("form1", "Top", "1");
        s.save("form1", "Left  ", "1000");
        s.save("form1", "Width ", "10095");
        s.save("form1", "Width", "2");
    }
    auto s = reopen();
    EXPECT_EQ(s->get("form1", "Top   ", ""), "105");
    EXPECT_EQ(s->get("form1", "Top", ""), "1");
    EXPECT_EQ(s->get("form1", "Top ", "none"), "none");
    EXPECT_EQ(s->get("form1", "Left  ", ""), "1000");
    EXPECT_EQ(s->get("form1", "Left", "none"), "none");
    EXPECT_EQ(s->get("form1", "Width ", ""), "10095");
    EXPECT_EQ(s->get("form1", "Width", ""), "2");
}

TEST_F(QtSettingsBackendTest, ValuesRoundTripExactly) {
    const std::vector<std::string> values = {"運転中", "", " 105 ", "1, 2", "@Invalid()", "True", "a\"b\\c", "%2F"};
    {
        QtSettingsBackend s(iniPath());
        for (std::size_t i = 0; i < values.size(); ++i) {
            s.save("ver", std::to_string(i), values[i]);
        }
    }
    auto s = reopen();
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(s->get("ver", std::to_string(i), "missing"), values[i]) << i;
    }
}

TEST_F(QtSettingsBackendTest, HandWrittenValueWithCommasReadsAsOneText) {
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[ver]\n68=今回は, 変更点,あり\n69=\"a, b\"\n");
    }
    auto s = reopen();
    EXPECT_EQ(s->get("ver", "68", "missing"), "今回は, 変更点, あり");
    EXPECT_EQ(s->get("ver", "69", "missing"), "a, b");
}

TEST_F(QtSettingsBackendTest, MissingKeyOrSectionGivesTheFallback) {
    QtSettingsBackend s(iniPath());
    s.save("settei", "0", "False");
    EXPECT_EQ(s.get("settei", "1", "True"), "True");
    EXPECT_EQ(s.get("form9", "0", "x"), "x");
    EXPECT_EQ(s.get("settei", "0", "True"), "False");
}

TEST_F(QtSettingsBackendTest, SectionNamedGeneralIsNotTheDefaultGroup) {
    {
        QtSettingsBackend s(iniPath());
        s.save("General", "k", "in section");
    }
    EXPECT_EQ(reopen()->get("General", "k", ""), "in section");
    QSettings raw(iniPath(), QSettings::IniFormat);
    EXPECT_FALSE(raw.contains("k"));
}

TEST_F(QtSettingsBackendTest, RemoveAllThenMarkerLeavesExactlyThatKey) {
    {
        QtSettingsBackend s(iniPath());
        s.save("settei", "0", "False");
        s.save("form1", "Top   ", "5");
        s.save("form4", "/opt/mayorin", "運転中");
        s.removeAll();
        s.save("form4", "/opt/mayorin", "");
    }
    QSettings raw(iniPath(), QSettings::IniFormat);
    EXPECT_EQ(raw.allKeys(), QStringList{"form4/%2Fopt%2Fmayorin"});
    EXPECT_EQ(reopen()->get("form4", "/opt/mayorin", "missing"), "");
}

TEST_F(QtSettingsBackendTest, SaveIsOnDiskBeforeTheBackendGoesAway) {
    QtSettingsBackend s(iniPath());
    s.save("form4", "/opt/mayorin", "運転中");
    // Another reader sees the marker at once, as a second start would.
    EXPECT_EQ(reopen()->get("form4", "/opt/mayorin", ""), "運転中");
}

} // namespace
} // namespace mayorin::platform
