#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <QMainWindow>

#include "core/EntryListView.h"
#include "ui/entry/AddReservation.h"
#include "ui/UiContext.h"
#include "ui/WindowPlace.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

namespace mayorin::ui {

// The reservation entry window: the timer and schedule panels, the clock line, the reservation
// list that mirrors the reservation table while the window is open, and the menus 表示, 編集,
// 設定 and ヘルプ. Created by openEntryWindow, destroyed after it closes.
class Form1 final : public QMainWindow, public core::EntryListView {
    Q_OBJECT

public:
    explicit Form1(UiContext& ctx);
    ~Form1() override;

    // Opening steps: marks the window open, logs, fills the lists, enables the edit items and
    // restores the position and the option marks.
    void formLoad();

    // The mirror of the reservation table, driven by the store while the window is open.
    void insertLine(int index, const std::string& line) override;
    void removeLine(int index) override;
    void moveLine(int from, int to, const std::string& line) override;
    void replaceLines(const std::vector<std::string>& lines, int selected) override;
    int selectedLine() const override { return selectedPos(); }

    // Name lists and editor items, driven by the display-name editor.
    void clearNameList(int side);
    void appendName(int side, const std::string& name);
    int nameListCount(int side) const;
    void setEditorItemEnabled(int side, bool enabled);

    // Adds a reservation from a panel (0 timer, 1 schedule), as its button does.
    void Command1_Click(int side);
    // Writes the clock line, as each tick of Timer1 does.
    void hyouji_jikan();
    // Enables the edit items from the list and the restore area.
    void hyouji02();

    // The position of the selected list item, or -1.
    int selectedPos() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void formUnload();

    void syoki01();
    void hyuji_mei();
    void hyouji_yoyaku();
    // The texts of a panel (0 timer, 1 schedule) as typed.
    PanelTexts panelTexts(int side) const;
    void deetahyouji01(std::int16_t row);
    void deetahyouji02(int entry, int side);
    void hi_you_syuusei(int index);

    void Combo1_Click(int index);
    void Combo2_Click(int index);
    void Combo2_Change(int index);
    void List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void sakujo_Click(int index);
    void sentakukesi_Click();
    void meisyouRireki_Click(int index);
    // "一時停止" (0) and "再開" (1) of the selected countdown.
    void teisi_Click(int index);
    void osirasegamen_Click(int index);
    void settei_suru_Click(int index);
    // Asks for a WAV file to sound with each notice: its path, or empty when the user cancels or
    // the file is too large (which a message box then says).
    std::string chooseSound();
    void helupu02_Click();
    void bajiyon_Click();

    // Writes a combo's text as the program, not as a user change.
    void writeText(QComboBox* combo, const std::string& text);
    void selectOption(double repeatMode);
    QComboBox* nameCombo(int side) const;

    UiContext& m_ctx;
    bool m_loaded = false;
    bool m_unloaded = false;
    NormalPlace* m_place = nullptr; // where the window stands when restored
    // True while the program writes texts into the combos, so that the month/day against
    // weekday rule sees only the user's own changes.
    bool m_programWrite = false;
    // True while a key press, a wheel turn or the loss of the focus on a name box is handled.
    bool m_nameKeyOrWheel = false;

    std::array<QGroupBox*, 2> m_frame{};
    std::array<QLabel*, 19> m_label{};
    std::array<QComboBox*, 9> m_combo1{}; // indices 3 to 8
    std::array<QComboBox*, 9> m_combo2{}; // indices 3 to 8
    std::array<QRadioButton*, 2> m_option{};
    std::array<QPushButton*, 2> m_command{};
    QListWidget* m_list = nullptr;
    QTimer* m_timer = nullptr;

    QMenu* m_fairu = nullptr;
    QMenu* m_osirasegamen1 = nullptr;
    QMenu* m_hensyu = nullptr;
    QMenu* m_settei = nullptr;
    QMenu* m_helup = nullptr;
    std::array<QAction*, 3> m_osirasegamen{};
    QAction* m_tojiru = nullptr;
    std::array<QAction*, 3> m_sakujo{};
    QAction* m_sentakukesi = nullptr;
    std::array<QAction*, 2> m_meisyouRireki{};
    std::array<QAction*, 2> m_teisi{};
    std::array<QAction*, persist::kMenuItemCount> m_settei_suru{}; // by item index; 4 is the separator
    QAction* m_helupu02 = nullptr;
    QAction* m_bajiyon = nullptr;
};

} // namespace mayorin::ui
