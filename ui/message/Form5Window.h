#pragma once

#include <QDialog>

#include "ui/UiContext.h"

class QCheckBox;
class QCloseEvent;
class QKeyEvent;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace mayorin::ui {

// The message dialog: version information, error report, start-up message and duplicate-start
// warning, chosen by State::MessageMode when it loads. It stays above every other window.
class Form5 final : public QDialog {
    Q_OBJECT

public:
    explicit Form5(UiContext& ctx);

    // Fills the window with the content of a mode (0, 1, 5 or 6; any other mode changes nothing).
    void hyuji_kirikae(int mode);
    // The action of the first (0) or second (1) button.
    void kettei(int index);
    // Closes the window by program: no button action runs.
    void closeByProgram();

    // Which content is on show: 0 version, 5 start-up message, 6 duplicate start.
    int shownMode() const { return m_shownMode; }

    // Closing by program, as at a log-off: the same as closeByProgram().
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void temaeh3();
    void ver_hyouji();
    void eraa_hssei();
    void kidou_messeiji();
    void jyuufuku_kidou();
    void setTexts(const std::string& body, const std::string& line);
    void terminate();

    UiContext& m_ctx;
    // Kept from one content to the next; the error content leaves it as it was.
    int m_shownMode = 0;
    QPlainTextEdit* m_body = nullptr;
    QLineEdit* m_line = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_second = nullptr;
    QCheckBox* m_check = nullptr;
    QMenuBar* m_menuBar = nullptr;
};

} // namespace mayorin::ui
