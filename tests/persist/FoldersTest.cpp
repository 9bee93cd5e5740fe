#include "persist/Folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "tests/support/TempDir.h"

namespace mayorin::persist {
namespace {

// Every file and folder below root, with the mode of each folder.
std::map<std::string, unsigned> treeOf(const std::string& root) {
    std::map<std::string, unsigned> tree;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        const auto perms = static_cast<unsigned>(e.symlink_status().permissions()) & 0777u;
        tree[e.path().string().substr(root.size())] = e.is_directory() ? perms : 01000u;
    }
    return tree;
}

// A build from source keeps AppDir beside the executable; the package keeps it in the account's
// $XDG_DATA_HOME/mayorin, made 0700 at the first start, and writes nothing beside the program.
TEST(Folders, DataFolderBesideTheProgramOrInTheAccountsHome) {
    constexpr auto kBeside = DataPlace::BesideProgram;
    constexpr auto kHome = DataPlace::AccountHome;
    using Tree = std::map<std::string, unsigned>;
    struct Case {
        const char* name;
        std::string programFolder; // "@" stands for the test's root folder
        DataPlace place;
        const char* xdgDataHome;
        const char* home;
        std::string thereBefore; // below the root: a folder (0755) when it ends with "/", else a file
        std::string appDir;
        std::string error;
        Tree made = {}; // new below the root: folders with their modes
        mode_t umask = 022;
    };
    const std::string kNoHome = "データの保存場所が決まりません。環境変数 HOME が設定されていません。";
    const Tree kMadeInHome = {
        {"/home/.local", 0700}, {"/home/.local/share", 0700}, {"/home/.local/share/mayorin", 0700}};
    const std::string kBin = "@/usr/bin";
    const std::string kShare = "@/home/.local/share/mayorin";
    const Tree kXdgMade = {{"/xdg", 0700}, {"/xdg/mayorin", 0700}};
    const Case cases[] = {
        {"source build", "@/usr/bin/", kBeside, "@/xdg", "@/home", "", "@/usr/bin", ""},
        {"source build", "/opt/mayorin", kBeside, nullptr, nullptr, "", "/opt/mayorin", ""},
        {"source build at the root", "/", kBeside, nullptr, nullptr, "", "", ""},
        {"source build at a drive's root", "C:\\", kBeside, nullptr, nullptr, "", "C:", ""},
        {"package", kBin, kHome, "@/xdg/", "@/home", "", "@/xdg/mayorin", "", kXdgMade},
        {"package without XDG_DATA_HOME", kBin, kHome, nullptr, "@/home/", "", kShare, "", kMadeInHome, 0277},
        {"package, XDG_DATA_HOME empty", kBin, kHome, "", "@/home", "", kShare, "", kMadeInHome},
        {"package, XDG_DATA_HOME relative", kBin, kHome, "xdg", "@/home", "", kShare, "", kMadeInHome},
        {"package, the folder there already", kBin, kHome, "@/home", nullptr, "/home/mayorin/", "@/home/mayorin", ""},
        {"package without HOME", kBin, kHome, nullptr, nullptr, "", "", kNoHome},
        {"package, HOME relative", kBin, kHome, "xdg", "home", "", "", kNoHome},
        {"package, a file in the folder's place", kBin, kHome, "@/home", nullptr, "/home/mayorin", "",
         "データの保存場所がフォルダではありません: @/home/mayorin"},
        {"package, a file above the folder", kBin, kHome, "@/home/f/data", nullptr, "/home/f", "",
         "データの保存場所のフォルダを作れませんでした: @/home/f/data/mayorin（Not a directory）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir root;
        const auto at = [&root](std::string s) {
            for (auto i = s.find('@'); i != std::string::npos; i = s.find('@')) {
                s.replace(i, 1, root.path);
            }
            return s;
        };
        std::filesystem::create_directories(root.path + "/usr/bin");
        std::filesystem::create_directories(root.path + "/home");
        std::ofstream(root.path + "/usr/bin/mayorin") << "program";
        if (!c.thereBefore.empty() && c.thereBefore.back() == '/') {
            ::mkdir((root.path + c.thereBefore).c_str(), 0755);
            ::chmod((root.path + c.thereBefore).c_str(), 0755);
        } else if (!c.thereBefore.empty()) {
            std::ofstream(root.path + c.thereBefore) << "x";
        }
        const std::string xdg = c.xdgDataHome != nullptr ? at(c.xdgDataHome) : "";
        const std::string home = c.home != nullptr ? at(c.home) : "";
        Tree expected = treeOf(root.path);
        expected.insert(c.made.begin(), c.made.end());
        const mode_t umask = ::umask(c.umask);

        const DataFolder folder =
            openDataFolder(at(c.programFolder), c.place, c.xdgDataHome != nullptr ? xdg.c_str() : nullptr,
                           c.home != nullptr ? home.c_str() : nullptr);

        ::umask(umask);
        EXPECT_EQ(folder.path, at(c.appDir));
        EXPECT_EQ(folder.error, at(c.error));
        EXPECT_EQ(treeOf(root.path), expected);
    }
}

// The chime and the help lie beside the executable, else in share/mayorin beside its bin folder.
TEST(Folders, ProgramFilesBesideTheProgramElseInShare) {
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::string found;
    };
    const Case cases[] = {
        {"beside", {"/usr/bin/音.wav", "/usr/share/mayorin/音.wav"}, "/usr/bin/音.wav"},
        {"in share", {"/usr/share/mayorin/音.wav", "/usr/share/音.wav"}, "/usr/share/mayorin/音.wav"},
        {"nowhere: named beside", {"/usr/share/音.wav", "/usr/bin/mayorin/音.wav"}, "/usr/bin/音.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir root;
        std::filesystem::create_directories(root.path + "/usr/bin");
        for (const auto& f : c.files) {
            std::filesystem::create_directories(std::filesystem::path(root.path + f).parent_path());
            std::ofstream(root.path + f) << "x";
        }
        EXPECT_EQ(programFile(root.path + "/usr/bin", "音.wav"), root.path + c.found);
    }
}

} // namespace
} // namespace mayorin::persist
