#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/EntryListView.h"
#include "core/Failure.h"
#include "core/State.h"
#include "notify/Resident.h"
#include "persist/WindowHooks.h"

namespace mayorin::test {

// The notification window's list as the resident tick drives it.
class FakeNoticeWindow final : public notify::NoticeWindowHost {
public:
    explicit FakeNoticeWindow(core::State& st) : m_st(st) {}

    void openNoticeWindow() override {
        ++opened;
        if (failOnOpen) {
            throw core::Failure(core::kInvalidCall, "window could not be created");
        }
        // The window's load marks it open; the list of a freshly opened window is empty.
        m_st.NoticeWindowState = "作業中";
        lines.clear();
        if (onOpen) {
            onOpen();
        }
    }
    void insertNoticeLine(const std::string& line) override { lines.insert(lines.begin(), line); }
    void appendNoticeLine(const std::string& line) override { lines.push_back(line); }
    void selectTopNotice() override { selected = 0; }

    // What the window's unload does to the shared state.
    void close() {
        m_st.NoticeWindowState = "休業中";
        m_st.NoticeSoundCounter = 0;
        selected = -1;
    }

    std::vector<std::string> lines;
    int selected = -1;
    int opened = 0;
    bool failOnOpen = false;
    // Runs inside the opening, as events handled by a nested event loop would.
    std::function<void()> onOpen;

private:
    core::State& m_st;
};

// The tray and the other windows, recording what the controller asks of them, in order.
class FakeShell final : public notify::ResidentShell {
public:
    void addTrayIcon() override { calls.push_back("addTrayIcon"); }
    void removeTrayIcon() override { calls.push_back("removeTrayIcon"); }
    void setMessageItemVisible(bool visible) override {
        calls.push_back(std::string("setMessageItemVisible ") + (visible ? "true" : "false"));
    }
    void messeiji(int forced) override { calls.push_back("messeiji " + std::to_string(forced)); }
    void closeMessageDialog() override { calls.push_back("closeMessageDialog"); }
    void closeOtherWindows() override { calls.push_back("closeOtherWindows"); }
    void endProcess() override { calls.push_back("endProcess"); }
    void handOverToRunningInstance(const std::string& heldFolder) override {
        calls.push_back("handOverToRunningInstance " + heldFolder);
    }
    void sayOnStandardError(const std::string& line) override { calls.push_back("sayOnStandardError " + line); }
    void setTickEnabled(bool enabled) override {
        tickEnabled = enabled;
        calls.push_back(std::string("setTickEnabled ") + (enabled ? "true" : "false"));
    }

    std::vector<std::string> calls;
    bool tickEnabled = true;
};

// The message dialog: records the content mode of every showing.
class FakeDialog final : public persist::MessageDialogHost {
public:
    explicit FakeDialog(core::State& st) : m_st(st) {}
    void showMessageDialog() override { modes.push_back(m_st.MessageMode); }
    std::vector<int> modes;

private:
    core::State& m_st;
};

// The resident window as the error reporter sees it.
class FakeResidentHost final : public persist::ResidentHost {
public:
    void requestClose() override { ++closeRequests; }
    int closeRequests = 0;
};

// The entry window's reservation list, mirrored as plain lines.
class FakeEntryList final : public core::EntryListView {
public:
    void insertLine(int index, const std::string& line) override { lines.insert(lines.begin() + index, line); }
    void removeLine(int index) override { lines.erase(lines.begin() + index); }
    void moveLine(int from, int to, const std::string& line) override {
        removeLine(from);
        insertLine(to, line);
        selected = selected == from ? to : selected; // no test moves a line past the selected one
    }
    void replaceLines(const std::vector<std::string>& all, int newSelected) override {
        lines = all;
        selected = newSelected;
    }
    int selectedLine() const override { return selected; }
    std::vector<std::string> lines;
    int selected = -1;
};

} // namespace mayorin::test
