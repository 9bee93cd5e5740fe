#include "ui/notice/Form2Window.h"

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/Folders.h"
#include "notify/Recalc.h"
#include "ui/Accessibility.h"
#include "ui/Fonts.h"
#include "ui/notice/NoticeNotification.h"
#include "ui/Twips.h"
#include "ui/WindowPlace.h"
#include "ui/Workspace.h"
#include "platform/qt/QtText.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>

#include <algorithm>

namespace mayorin::ui {

namespace {

constexpr const char* kFormLoad = "Form_Load F2";
constexpr const char* kFormUnload = "Form_Unload F2";
constexpr const char* kCommand1Click = "Command1_Click F2";
constexpr const char* kTimer1Timer = "Timer1_Timer F2";
constexpr const char* kOngaku = "ongaku F2";
constexpr const char* kTHyouji = "T_hyouji F2";
constexpr const char* kBHyouji = "b_hyouji F2";
constexpr const char* kFormResize = "Form_Resize  F2"; // two blanks
constexpr const char* kTemaeh = "temaeh F2";

constexpr const char* kCaption = "Mayorin。お知らせ";
constexpr const char* kSoundFile = "Mayorin。音.wav";
constexpr const char* kOpen = "作業中";
constexpr const char* kClosed = "休業中";

// The window's design place and size in twips.
constexpr persist::Geometry kDesign{105, 1000, 3645, 9390};

void placeTwips(QWidget* w, double left, double top, double width, double height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

QString qs(const std::string& text) {
    return platform::qtext(text);
}

// 9 pt, 11.25 pt and 14.25 pt at 96 dots per inch (15 twips to the pixel).
constexpr int kSmall = 12;
constexpr int kMedium = 15;
constexpr int kLarge = 19;
// The notice list: a size at which a half-width column is a whole 5 pixels, so that a full notice
// line, date and lateness included, fits the list at the window's design width.
constexpr int kList = 10;
// The smallest size a shrunk label may take.
constexpr int kSmallest = 10;

// Shrinks a label's font from its design size until its text (without the blanks that pad it
// into columns) fits the label, so that a long name or a late notice's message is not cut off.
void fitText(QLabel* label, int designPixelSize) {
    QFont f = label->font();
    const QString text = label->text().trimmed();
    int size = designPixelSize;
    f.setPixelSize(size);
    while (size > kSmallest && QFontMetrics(f).horizontalAdvance(text) > label->width()) {
        f.setPixelSize(--size);
    }
    label->setFont(f);
}

// The extension minutes offered; "40" stands twice in the list the program has always shown.
const QStringList kMinutes = {"1", "2", "3", "5", "10", "15", "20", "25", "30", "40", "40", "50", "60"};

// The log's one line, in each run, for a notice sound of the user's own that could not be played.
void logFallBack(UiContext& ctx, const std::string& file, platform::SoundTrouble why, const std::string& chime) {
    // Told from the player, perhaps from its own signal: no failure may leave here.
    core::guarded(ctx.env.errors, kOngaku, [&] {
        if (!ctx.unplayableSounds.insert(file).second) {
            return;
        }
        const char* reason = why == platform::SoundTrouble::Missing ? "ファイルが無い" : "再生できない";
        ctx.env.log.kiloku("※音　　," + core::dateTimeText(ctx.env) + ",,,お知らせの音を鳴らせない," + file +
                           ",理由=" + reason + ",代わり=" + chime + ",,");
    });
}

// Counts the failures reported through it while still handing each one on, so that the window
// can tell whether the operations it called went through.
class CountingErrors final : public platform::ErrorSink {
public:
    explicit CountingErrors(platform::ErrorSink& inner) : m_inner(inner) {}
    void ReportError(std::string_view location, int code, std::string_view description) override {
        ++count;
        m_inner.ReportError(location, code, description);
    }
    int count = 0;

private:
    platform::ErrorSink& m_inner;
};

} // namespace

Form2::Form2(UiContext& ctx) : QWidget(nullptr, Qt::Window), m_ctx(ctx) {
    announceComboBoxesByName();
    setObjectName("Form2");
    setAttribute(Qt::WA_DeleteOnClose);
    // A notice must not take the keyboard from whatever the user is typing into: the window shows
    // without being activated, and takes the keyboard only when the user clicks it (or it is
    // activated on purpose).
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(kCaption);
    m_place = new NormalPlace(this);
    setFont(proportionalFont(kSmall, false));
    // The design size; the load puts the window where it was last closed.
    placeByFrame(this, QRect(px(kDesign.left), px(kDesign.top), px(kDesign.width), px(kDesign.height)));

    const auto makeLabel = [this](const char* name, const char* text, const QFont& font) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(name);
        l->setFont(font);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Display names are the user's text: never read them as markup.
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    m_label1[0] = makeLabel("Label1_0", "日付", fixedFont(kLarge, true));
    m_label1[1] = makeLabel("Label1_1", "時刻", fixedFont(kLarge, true));
    m_label1[2] = makeLabel("Label1_2", "分", fixedFont(kMedium, false));
    m_label1[3] = makeLabel("Label1_3", "延長", fixedFont(kMedium, false));
    m_label2[0] = makeLabel("Label2_0", "", proportionalFont(kLarge, true));
    m_label2[1] = makeLabel("Label2_1", "", proportionalFont(kLarge, true));
    m_label2[2] = makeLabel("Label2_2", "", proportionalFont(kSmall, false));
    m_label2[3] = makeLabel("Label2_3", "", proportionalFont(kSmall, false));

    m_list = new QListWidget(this);
    m_list->setObjectName("List1_0");
    m_list->setFont(fixedFont(kList, false));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    const char* captions[3] = {"消して閉じる", "消さずに閉じる", "延長する"};
    for (int i = 0; i < 3; ++i) {
        m_command1[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        m_command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        m_command1[i]->setAutoDefault(false);
        connect(m_command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName("Combo1");
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->addItems(kMinutes);
    m_combo1->setEditText("5");

    placeTwips(m_label1[0], 120, 120, 5775, 375);
    placeTwips(m_label1[1], 6000, 120, 3015, 375);
    placeTwips(m_label2[0], 120, 600, 4575, 495);
    placeTwips(m_label2[1], 4800, 600, 4335, 495);
    placeTwips(m_label2[2], 120, 1200, 4575, 255);
    placeTwips(m_label2[3], 4800, 1200, 4335, 255);
    placeTwips(m_list, 120, 1560, 9015, 1500);
    placeTwips(m_command1[0], 480, 3240, 2175, 495);
    placeTwips(m_command1[1], 2880, 3240, 2175, 495);
    placeTwips(m_label1[3], 5760, 3360, 495, 255);
    placeTwips(m_combo1, 6240, 3360, 735, 300);
    placeTwips(m_label1[2], 6960, 3360, 255, 255);
    placeTwips(m_command1[2], 7320, 3360, 1095, 375);

    // Screen readers announce the extension box by its label, the list by the window's caption.
    nameByLabel(m_combo1, m_label1[3], m_label1[2]->text());
    nameByCaption(m_list, kCaption);

    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { List1_Click(); });

    // A click anywhere into the window answers its notices: the user has seen them.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName("Timer1");
    m_timer1->setInterval(100);
    connect(m_timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    m_timer1->start();
}

Form2::~Form2() {
    // Deleted without being closed (the program tearing down): just stop pointing at it.
    if (m_ctx.notice == this) {
        m_ctx.notice = nullptr;
    }
}

Form2* Form2::open(UiContext& ctx) {
    auto* w = new Form2(ctx);
    w->Form_Load();
    // The window state is applied last, after the geometry.
    switch (w->m_loadedState) {
    case 1:
        w->showMinimized();
        break;
    case 2:
        w->showMaximized();
        break;
    default:
        w->show();
        break;
    }
    return w;
}

void Form2::Form_Load() {
    m_ctx.notice = this;
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kFormLoad, [&] {
        env.st.NoticeWindowState = kOpen;
        env.log.kiloku("▽お知ら," + core::byouModosu(env, core::decimalText(core::genByou(env)), 3) +
                       ",,,お知らせ画面の表示,,,,,");
        temaeh();
        int state = 0;
        const persist::Geometry g = m_ctx.settings.rejisutory03(state);
        m_loadedTwips = g;
        // A window saved with a size of nothing would announce every notice where nobody sees it:
        // it opens at its design size instead.
        if (px(g.width) < 1 || px(g.height) < 1) {
            m_loadedTwips.width = kDesign.width;
            m_loadedTwips.height = kDesign.height;
        }
        // Placed by its frame, inside the screen: its title bar is always within reach.
        m_place->setPlaced(
            placeByFrame(this, QRect(px(g.left), px(g.top), px(m_loadedTwips.width), px(m_loadedTwips.height))));
        // 1 minimised, 2 maximised; anything else opens the window in its normal state.
        m_loadedState = (state == 1 || state == 2) ? state : 0;
        b_hyouji();
    });
}

void Form2::Form_Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_timer1->stop();
    answered();
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kFormUnload, [&] {
        m_ctx.sound.close();
        env.st.NoticeSoundCounter = 0;
        const Qt::WindowStates s = windowState();
        const int state = s.testFlag(Qt::WindowMinimized) ? 1 : s.testFlag(Qt::WindowMaximized) ? 2 : 0;
        // Where the compositor places windows, the place read back is not where the window stood.
        m_ctx.settings.rejisutory04(state, normalGeometryTwips(), !placesBelongToCompositor());
        env.log.kiloku("△お知ら," + core::byouModosu(env, core::decimalText(core::genByou(env)), 3) +
                       ",,,お知らせ画面を閉じる,,,,,");
        env.st.NoticeWindowState = kClosed;
    });
    // No answer may come from the desktop for a window that is gone.
    if (m_ctx.desktop != nullptr) {
        m_ctx.desktop->withdraw();
    }
    if (m_ctx.notice == this) {
        m_ctx.notice = nullptr;
    }
}

persist::Geometry Form2::normalGeometryTwips() const {
    // A maximised or minimised window saves the place it will have when restored.
    const QRect r = m_place->normal();
    // Pixels are coarser than twips: where the window did not move, keep the twips it had.
    const auto keep = [](int pixels, double loaded) { return pixels == px(loaded) ? loaded : twips(pixels); };
    persist::Geometry g;
    g.top = keep(r.y(), m_loadedTwips.top);
    g.left = keep(r.x(), m_loadedTwips.left);
    g.height = keep(r.height(), m_loadedTwips.height);
    g.width = keep(r.width(), m_loadedTwips.width);
    return g;
}

void Form2::temaeh() {
    core::guarded(m_ctx.env.errors, kTemaeh, [&] {
        // Above every window that is not itself on top; the window is not shown yet, so changing
        // its flags neither moves nor resizes it.
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    });
}

void Form2::answered() {
    m_ctx.env.st.NoticeWaits = false;
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        answered();
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::comeForward() {
    moveToWorkspaceInView(this);
    if (!isMinimized()) {
        raise();
    }
}

void Form2::closeEvent(QCloseEvent* event) {
    // The close box keeps the pending notices, as "消さずに閉じる" does.
    Form_Unload();
    event->accept();
}

void Form2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form2::Form_Resize() {
    core::guarded(m_ctx.env.errors, kFormResize, [&] {
        double w = twips(width());
        double h = twips(height());
        const double label21Width = twips(m_label2[1]->width());
        const double buttonHeight = twips(m_command1[0]->height());
        // Too narrow or too low a window lays its controls out as if it had the minimum size.
        if (label21Width + 500 > w) {
            w = label21Width + 500;
        }
        const double label20Width = w - label21Width - 400;
        const double label21Left = w - label21Width - 200;
        m_list->resize(px(w - 300), m_list->height());
        m_label2[0]->resize(px(label20Width), m_label2[0]->height());
        m_label2[1]->move(px(label21Left), m_label2[1]->y());
        m_label2[2]->resize(px(label20Width), m_label2[2]->height());
        m_label2[3]->move(px(label21Left), m_label2[3]->y());

        if (h < 3500) {
            h = 3500;
        }
        const double top = qRound(h - buttonHeight - 500);
        m_command1[0]->move(m_command1[0]->x(), px(top));
        m_command1[1]->move(m_command1[1]->x(), px(top));
        for (QWidget* c : {static_cast<QWidget*>(m_command1[2]), static_cast<QWidget*>(m_combo1),
                           static_cast<QWidget*>(m_label1[2]), static_cast<QWidget*>(m_label1[3])}) {
            c->move(c->x(), px(top + 200));
        }
        m_list->resize(m_list->width(), px(h - buttonHeight - 2150));
        fitText(m_label2[0], kLarge);
    });
}

void Form2::Timer1_Timer() {
    core::State& st = m_ctx.env.st;
    CountingErrors counted(m_ctx.env.errors);
    core::Env env = core::redirected(m_ctx.env, counted, m_ctx.env.messages, m_ctx.env.log);
    core::guarded(counted, kTimer1Timer, [&] {
        // The sound cycle: 1 starts the chime, then it counts up to 50 and rests at 0. The resident
        // tick sets it back to 1 for a new notice only once it is idle or past 20.
        switch (st.NoticeSoundCounter) {
        case 0:
            break;
        case 1:
            st.NoticeSoundCounter = 2;
            m_ctx.sound.close();
            ongaku();
            break;
        case 50:
            st.NoticeSoundCounter = 0;
            break;
        default:
            st.NoticeSoundCounter = core::add16(st.NoticeSoundCounter, 1);
            break;
        }
        m_label1[0]->setText(qs(core::genzai(env, 0)));
        m_label1[1]->setText(qs(core::genzai(env, 1)));
        if (!hasSelection()) {
            m_label2[3]->clear();
        } else {
            const double due = core::value(st.NoticeTable[selectedNotice()][core::kNextSecond]);
            m_label2[3]->setText(
                qs("経過時間　" + core::byouModosu(env, core::decimalText(core::genByou(env) - due), 2)));
        }
    });
    if (counted.count != 0) {
        // The same failure would come back every 100 ms and pile report upon report while the
        // first one is still being shown: the window's clock stops at the first.
        m_timer1->stop();
    }
}

void Form2::ongaku() {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kOngaku, [&] {
        if (!m_ctx.settings.optionOn(persist::Option::Sound)) {
            return; // the sound is switched off
        }
        const std::string chime = persist::programFile(env.st.ProgramDir, kSoundFile);
        const std::string own = m_ctx.settings.ownSound();
        // The player may find the file unplayable after this window has gone: only the context,
        // which lives as long as the program, is reached from there.
        UiContext& ctx = m_ctx;
        m_ctx.sound.setFile(own.empty() ? chime : own, own.empty() ? "" : chime,
                            [&ctx, chime](const std::string& file, platform::SoundTrouble why) {
                                logFallBack(ctx, file, why, chime);
                            });
        m_ctx.sound.open();
        m_ctx.sound.play();
    });
}

void Form2::Command1_Click(int index, int notice) {
    // Everything after the extension's message box uses only these references: the window may
    // have been closed by the program while the box was shown.
    core::Env& env = m_ctx.env;
    core::State& st = env.st;
    if (index >= 0 && index <= 2) {
        answered();
    }
    core::guarded(env.errors, kCommand1Click, [&] {
        switch (index) {
        case 0: // 消して閉じる
            notify::entyou_kesu(env);
            close();
            return;
        case 1: // 消さずに閉じる
            close();
            return;
        case 2: // 延長する
            break;
        default:
            return;
        }
        if (notice < 0 && !hasSelection()) {
            return;
        }
        if (notice >= st.NoticeCount) {
            return;
        }
        // The notice is fixed here: the resident tick may insert new notices while the box is open.
        const std::int16_t n = notice >= 0 ? static_cast<std::int16_t>(notice)
                                           : core::add16(core::add16(st.NoticeCount, -1), -selectedIndex());
        if (st.NoticeTable[n][core::kKindCode] == "1") {
            return; // a repeating countdown runs on by itself
        }
        // The store operations report their own failures; a failed step ends the extension here,
        // so that the user is never told of an extension that was not made.
        CountingErrors counted(env.errors);
        core::Env local = core::redirected(env, counted, env.messages, env.log);
        const std::string text = m_combo1->currentText().toStdString();
        const std::int16_t minutes = core::toInt16(core::value(core::suu_syusei(local, text, 5, 10)));
        if (counted.count == 0) {
            notify::entyou_syori(local, n, minutes);
        }
        if (counted.count == 0) {
            core::tuika_mein(local);
        }
        if (counted.count != 0) {
            return;
        }
        // The name is the extended row's as it is now: the notices may be gone once the box closes.
        const std::string name = st.NoticeTable[n][core::kName];
        env.messages.show(core::decimalText(minutes) + "分延長をしました。", core::kTitle, platform::Buttons::Ok,
                          platform::Icon::None);
        env.log.kiloku("［延長］," + core::byouModosu(env, core::decimalText(core::genByou(env)), 3) + ",," + name +
                       ",予約の延長,予約データ数=" + core::decimalText(st.ReservationCount) + ",,,,");
    });
}

void Form2::List1_Click() {
    T_hyouji();
    b_hyouji();
}

void Form2::T_hyouji() {
    core::State& st = m_ctx.env.st;
    core::guarded(m_ctx.env.errors, kTHyouji, [&] {
        if (!hasSelection()) {
            for (int k = 0; k < 3; ++k) {
                m_label2[k]->clear();
            }
            return;
        }
        const auto& texts = st.NoticeTextTable[selectedNotice()];
        for (int k = 0; k < 3; ++k) {
            m_label2[k]->setText(qs(texts[k]));
        }
        fitText(m_label2[0], kLarge);
        fitText(m_label2[1], kLarge);
    });
}

void Form2::b_hyouji() {
    core::State& st = m_ctx.env.st;
    core::guarded(m_ctx.env.errors, kBHyouji, [&] {
        const bool enable = hasSelection() && st.NoticeTable[selectedNotice()][core::kKindCode] != "1";
        m_command1[2]->setEnabled(enable);
    });
}

int Form2::selectedIndex() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool Form2::hasSelection() const {
    return selectedIndex() >= 0;
}

int Form2::selectedNotice() const {
    // List item i shows pending notice NoticeCount - 1 - i: the newest stands at the top.
    return m_ctx.env.st.NoticeCount - 1 - selectedIndex();
}

namespace {

std::string trimmedBlanks(std::string text) {
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

} // namespace

void Form2::announceOnDesktop() {
    const core::State& st = m_ctx.env.st;
    if (m_ctx.desktop == nullptr || st.NoticeCount <= 0 || !m_ctx.settings.optionOn(persist::Option::DesktopNotification)) {
        return;
    }
    const int n = st.NoticeCount - 1; // the newest notice
    // The display name and the message as the window's heading shows them, without their padding.
    const auto& texts = st.NoticeTextTable[n];
    std::string body = trimmedBlanks(texts[0]) + "　" + trimmedBlanks(texts[1]);
    if (st.NoticeCount > 1) {
        body += "\nほかに" + std::to_string(st.NoticeCount - 1) + "件のお知らせがあります。";
    }
    std::vector<NoticeNotification::Action> actions{
        {kDefaultAction, "お知らせ画面を表示"}, {"0", "消して閉じる"}, {"1", "消さずに閉じる"}};
    // A repeating countdown runs on by itself: it is not extended, as the window's button says.
    if (st.NoticeTable[n][core::kKindCode] != "1") {
        actions.push_back({"2", "延長する"});
    }
    // Each answer names the notice its notification showed, whatever came since.
    m_ctx.desktop->show(core::kTitle, body, actions, [self = QPointer<Form2>(this), n](const std::string& key) {
        if (self) {
            self->answerFromDesktop(key, n);
        }
    });
}

void Form2::answerFromDesktop(const std::string& key, int notice) {
    // A box or question of the program is open: the user answers it first, as the window's own
    // buttons wait for it. The notification stays as it is.
    if (QApplication::activeModalWidget() != nullptr) {
        return;
    }
    if (key == kDefaultAction) {
        answered(); // the user has seen the notices
        takeKeyboard();
    } else if (key == "0" || key == "1") {
        Command1_Click(key == "0" ? 0 : 1);
    } else if (key == "2") {
        Command1_Click(2, notice);
    }
}

void Form2::takeKeyboard() {
    if (isMinimized()) {
        // Back to the state it had before, maximised or normal.
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activateWindow();
}

namespace {

// A late notice's line is wider than the list at its design width: the whole line is also its tip.
QListWidgetItem* noticeItem(const std::string& line) {
    auto* item = new QListWidgetItem(qs(line));
    item->setToolTip(item->text());
    return item;
}

} // namespace

void Form2::insertLine(const std::string& line) {
    m_list->insertItem(0, noticeItem(line));
}

void Form2::appendLine(const std::string& line) {
    m_list->addItem(noticeItem(line));
}

void Form2::selectTop() {
    if (m_list->count() == 0) {
        return;
    }
    {
        // One List1_Click for the selection, whether or not item 0 was selected before.
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    }
    List1_Click();
}

} // namespace mayorin::ui
