#include "persist/DataFile.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "core/Calendar.h"
#include "core/Failure.h"
#include "core/Guard.h"
#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/FileText.h"

namespace mayorin::persist {

namespace {

constexpr const char* kKakikomi01Location = "kakikomi01 M4　保存";
constexpr const char* kYomikomi01Location = "yomikomi01 M4　読込";
constexpr const char* kYomikomi02Location = "yomikomi02 M4　読込仕分";

constexpr const char* kFileName = "Mayorin。保存.txt";
constexpr const char* kCrLf = "\r\n";

std::string exeName() {
    return std::string("「") + core::kTitle + ".exe」";
}

std::string identificationLine() {
    return exeName() + "用データ";
}

std::string versionText() {
    return std::to_string(core::kMajor) + "." + std::to_string(core::kMinor) + "." + std::to_string(core::kRevision);
}

// The time a backup was taken, as part of its name: 20261207-045012.
std::string backupStamp(const platform::Clock& clock) {
    const platform::LocalTime t = clock.now();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

// Lines end at CR LF or at a lone CR; the terminator is not part of the line. A lone LF is an
// ordinary character. Text after the last terminator is a last line.
template <class Each> void forEachLine(std::string_view text, Each&& each) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            each(text.substr(start));
            return;
        }
        if (!each(text.substr(start, cr - start))) {
            return;
        }
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
}

// Splits one line into EntryRow and hands it to the store. Throws on failure.
void parseLine(core::Env& env, std::string_view line) {
    auto& row = env.st.EntryRow;
    for (auto& slot : row) {
        slot.clear();
    }
    // The walk counts the line's characters with a 16-bit counter: a line past 32767 characters
    // overflows, a comment as much as any other.
    std::int32_t characters = 0;
    for (const char c : line) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++characters > 32767) {
            core::throwOverflow();
        }
    }
    std::size_t n = 0;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\'' || c == ',') {
            row[n].append(line.substr(runStart, i - runStart));
            if (c == '\'') {
                runStart = line.size();
                break;
            }
            // Fields past the tenth all land in slot 10, their commas dropped.
            n = n < 10 ? n + 1 : 10;
            runStart = i + 1;
        }
    }
    if (runStart < line.size()) {
        row[n].append(line.substr(runStart));
    }

    const double type = core::value(row[0]);
    if (type == 1) {
        core::tuika03(env, core::int16Of(row[1]));
        core::readPauseMarker(row[10], env.st.ReservationTable[env.st.ReservationCount]);
        core::tuika_mein(env);
    } else if (type == 2) {
        core::rireki01(env, 0);
    } else if (type == 3) {
        core::rireki01(env, 1);
    }
}

// Forwards every report and notes that one happened, so that a file not read exactly is
// copied aside before it is ever written over.
class ReadWatch final : public platform::ErrorSink {
public:
    ReadWatch(platform::ErrorSink& inner, core::Env& env, std::string path)
        : m_inner(inner), m_env(env), m_path(std::move(path)) {}

    void ReportError(std::string_view location, int code, std::string_view description) override {
        m_reported = true;
        backup();
        m_inner.ReportError(location, code, description);
    }

    // Copies the data file beside itself once per read.
    void backup() {
        if (m_done) {
            return;
        }
        m_done = true;
        core::guarded(m_inner, kYomikomi01Location,
                      [&] { m_copy = detail::backupCopy(m_path, backupStamp(m_env.clock)); });
    }

    // True once a failure was reported through this watch (by the store's own traps).
    bool reported() const { return m_reported; }

    // Where the copy went when it is not beside the data file (the folder refused it), else
    // the empty text.
    std::string copyElsewhere() const {
        const std::string_view copy = m_copy;
        const std::string_view file = m_path;
        const bool beside = copy.substr(0, copy.rfind('/') + 1) == file.substr(0, file.rfind('/') + 1);
        return m_copy.empty() || beside ? std::string() : m_copy;
    }

private:
    platform::ErrorSink& m_inner;
    core::Env& m_env;
    std::string m_path;
    std::string m_copy;
    bool m_done = false;
    bool m_reported = false;
};

std::string countsText(const core::State& st) {
    return "予約データ数=" + std::to_string(st.ReservationCount) +
           ",タイマー履歴数=" + std::to_string(st.NameHistoryCount[0]) +
           ",予定履歴数=" + std::to_string(st.NameHistoryCount[1]) + ",";
}

} // namespace

std::string dataFilePath(const core::State& st) {
    return st.AppDir + "/" + kFileName;
}

static void writeDataFile(core::Env& env, bool logged) {
    core::guarded(env.errors, kKakikomi01Location, [&] {
        const core::State& st = env.st;
        const std::string path = dataFilePath(st);

        std::string text;
        text.reserve(256 +
                     (static_cast<std::size_t>(st.ReservationCount) + st.NameHistoryCount[0] + st.NameHistoryCount[1]) *
                         64);
        text += identificationLine() + kCrLf;
        text += "'　このテキストファイルは" + exeName() + "であなたが入力した内容が記憶され、自動で読み書きされます。" +
                kCrLf;

        const char* banners[2] = {"'■■　タイマーの履歴　■■", "'■■　　予定の履歴　　■■"};
        const char* types[2] = {"02,", "03,"};
        for (int side = 0; side < 2; ++side) {
            text += banners[side];
            text += kCrLf;
            for (int i = 0; i < st.NameHistoryCount[side]; ++i) {
                const core::Fields& e = st.NameHistory.entry(side, i);
                text += types[side];
                for (int f = 1; f <= 8; ++f) {
                    text += e[f];
                    text += ',';
                }
                text += ',';
                text += kCrLf;
            }
        }

        text += "'■■　予約中の内容　　■■";
        text += kCrLf;
        // A paused countdown is stored with the second it would fall due at if it were resumed now,
        // and its seconds left after its last field: a reader that knows no pause runs it from there.
        std::optional<double> now;
        for (int i = 0; i < st.ReservationCount; ++i) {
            const auto& r = st.ReservationTable[i];
            const bool paused = core::isPaused(r);
            if (paused && !now) {
                now = core::genByou(env);
            }
            text += "01,";
            for (int f = 1; f <= 9; ++f) {
                text +=
                    f == core::kNextSecond && paused ? core::spacedDecimalText(*now + core::pausedSeconds(r)) : r[f];
                text += ',';
            }
            text += core::pauseMarker(r);
            text += kCrLf;
        }
        text += "'";
        text += kCrLf;
        text += "'　このテキストファイルは" + exeName() + " Ver " + versionText() + "　が作りました。" + kCrLf;

        // The new content goes to a temporary file that replaces the old one in one step, so a
        // failure part-way leaves the previous file whole.
        detail::replaceFile(path, detail::encodeLossy(env.codePage, text));

        if (logged) {
            env.log.kiloku("□書込　," + core::dateTimeText(env) + ",,,データの書き込み," + countsText(st) + path + ",");
        }
    });
}

void kakikomi01(core::Env& env) {
    writeDataFile(env, true);
}

void kakikomiAfterNotice(core::Env& env) {
    writeDataFile(env, false);
}

void yomikomi02(core::Env& env, std::string_view line) {
    core::guarded(env.errors, kYomikomi02Location, [&] { parseLine(env, line); });
}

void removeLeftoverTemporaries(const core::State& st) {
    detail::removeLeftoverTemporaries(dataFilePath(st));
}

std::string linkedDataFolder(const core::State& st) {
    return detail::otherFolderOfTarget(dataFilePath(st));
}

bool yomikomi01(core::Env& env) {
    bool whole = false; // until the read gets to its end
    core::guarded(env.errors, kYomikomi01Location, [&] {
        const std::string path = dataFilePath(env.st);
        if (!detail::existsAt(path)) {
            whole = true; // nothing to keep: the first write makes the file
            return;
        }
        ReadWatch watch(env.errors, env, path);
        core::Env watched = core::redirected(env, watch, env.messages, env.log);
        // A file that cannot be read cannot be copied either: that failure is reported once.
        const std::string bytes = detail::readWholeFile(path);
        bool lineFailed = false;
        try {
            if (!bytes.empty()) {
                std::size_t badBytes = 0;
                const std::string text = env.codePage.decode(bytes, &badBytes);
                if (badBytes > 0) {
                    // Bytes that are not code page 932 were read as "?": keep the file as it was.
                    watch.backup();
                }
                bool first = true;
                forEachLine(text, [&](std::string_view line) {
                    if (first) {
                        first = false;
                        if (line != identificationLine()) {
                            // Not this program's data file: read nothing, and keep it aside
                            // before the next write replaces it.
                            watch.backup();
                            return false;
                        }
                        return true;
                    }
                    try {
                        parseLine(watched, line);
                    } catch (...) {
                        lineFailed = true;
                        watch.backup();
                        core::reportCurrent(env.errors, kYomikomi02Location);
                    }
                    return true;
                });
            }
        } catch (...) {
            watch.backup();
            throw;
        }
        env.st.EntryRow[2].clear();
        // A copy that could not be kept beside the file is named, so the user can find it.
        const std::string elsewhere = watch.copyElsewhere();
        env.log.kiloku("□読込　," + core::dateTimeText(env) + ",,,データの読み込み," + countsText(env.st) + path + "," +
                       (elsewhere.empty() ? "" : "控え=" + elsewhere + ","));
        whole = !lineFailed && !watch.reported();
    });
    return whole;
}

} // namespace mayorin::persist
