#pragma once

#include <array>
#include <string>

#include <QWidget>

#include "ui/UiContext.h"
#include "ui/WindowPlace.h"
#include "persist/Settings.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace mayorin::ui {

// The notification window: it announces due reservations, plays the chime, shows the clock, the
// texts of the selected notice and the time since it fell due, and offers to discard, keep or
// extend the pending notices. It is made when it is opened and deleted when it is closed; while
// it exists between its load and its unload, UiContext::notice points to it.
class Form2 final : public QWidget {
    Q_OBJECT

public:
    // Makes the window, runs its load and shows it in the window state it had when it was last
    // closed. The caller checks that it is not open already.
    static Form2* open(UiContext& ctx);

    // Its list of pending notices, newest at the top.
    void insertLine(const std::string& line);
    void appendLine(const std::string& line);
    // Selects item 0, which shows its texts and sets the extend button.
    void selectTop();
    // A new notice: the window comes to the workspace the user is looking at and rises above the
    // other windows, leaving the keyboard with the window that has it. A minimised window stays
    // minimised.
    void comeForward();

    // The window's event handlers, public so that the resident tick and tests can drive them.
    // Command1_Click's extension acts on the selected notice, or on the pending notice row given.
    void Timer1_Timer();
    void Command1_Click(int index, int notice = -1);
    void List1_Click();

    // Sends the newest notice to the desktop notification as well (when that option is on), with
    // the window's buttons as its actions.
    void announceOnDesktop();
    // An answer from the desktop notification that showed pending notice row notice: a button's
    // index as text, or a click on its body. Nothing happens while a box of the program is open.
    void answerFromDesktop(const std::string& key, int notice);
    // Raises the window and gives it the keyboard, restoring it when it is minimised.
    void takeKeyboard();

    ~Form2() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Watches the window and its controls for the click that answers the notices.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit Form2(UiContext& ctx);

    void Form_Load();
    void Form_Unload();
    void Form_Resize();
    // The notices were answered, by a button, a click into the window, the desktop notification or
    // the window's close: the chime is not repeated for them.
    void answered();
    void ongaku();
    void T_hyouji();
    void b_hyouji();
    void temaeh();

    // The selected list item, -1 when none is; the pending notice row it shows.
    int selectedIndex() const;
    bool hasSelection() const;
    int selectedNotice() const;
    // Brings a window restored outside every screen, or restored without a size, back into view.
    // The geometry to save: the normal-state geometry in twips, keeping the twips it was loaded
    // with where the pixels did not change.
    persist::Geometry normalGeometryTwips() const;

    UiContext& m_ctx;
    bool m_unloaded = false;
    persist::Geometry m_loadedTwips; // the geometry as it was read at load
    NormalPlace* m_place = nullptr;  // where the window stands when restored
    int m_loadedState = 0;           // the window state read at load: 0 normal, 1 minimised, 2 maximised

    std::array<QLabel*, 4> m_label1{};
    std::array<QLabel*, 4> m_label2{};
    QListWidget* m_list = nullptr;
    std::array<QPushButton*, 3> m_command1{};
    QComboBox* m_combo1 = nullptr;
    QTimer* m_timer1 = nullptr;
};

} // namespace mayorin::ui
