#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <QWidget>

#include "ui/UiContext.h"

class QAction;
class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace mayorin::ui {

// The display-name editor of one side of the name history. It edits a working copy: the history
// changes only when "Ｏ Ｋ" writes the list back.
class Form3 final : public QWidget {
    Q_OBJECT

public:
    explicit Form3(UiContext& ctx);
    ~Form3() override;

    // The opening steps: busy state, caption, log line, position, working copy.
    void load();
    // Closes without the question about unsaved changes, running the closing steps.
    void closeByProgram();

    // The change state: "0 変更無し", "1 [OK]が押されました。", "2 変更されています。" or
    // "3 削除されています。".
    std::string kakunin();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rireki_syoki();
    void hensu_kensuu3();
    void hensyu01(int side);
    void ueni(int p);
    void sitani(int p);
    void sakujo31(int p);
    void sakujo32();
    void tuika31(int p);
    void kakikae();
    void bHyouji3();
    void t_sentaku();
    void Command1_Click(int index);
    void hensyu31_Click(int index);
    void Text1_Change();
    void List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    bool Form_QueryUnload();
    void Form_Unload();

    int selectedPos() const;
    void swapTexts(int a, int b);
    void clearSelection();
    // The name shown at list position i: a history entry as it stood at opening, or an added name.
    const std::string& shownName(int i) const;
    std::int16_t& sideCount() const;

    UiContext& m_ctx;
    int m_side = 0;

    // EditorOrder: per list position, the history entry shown there (0 or more) or minus the
    // number of an added name. One spare entry always stands beyond EditorCount - 1.
    std::vector<std::int16_t> m_order;
    // EditorAddedNames, numbered from 1.
    std::vector<std::string> m_added;
    std::int16_t m_count = 0;
    std::int16_t m_addedCount = 0;
    bool m_okPressed = false;
    bool m_closingByProgram = false;
    bool m_unloaded = false;

    QGroupBox* m_frame = nullptr;
    QLineEdit* m_text = nullptr;
    QListWidget* m_list = nullptr;
    std::array<QPushButton*, 6> m_buttons{};
    QMenu* m_popup = nullptr;
    std::array<QAction*, 5> m_items{};
};

} // namespace mayorin::ui
