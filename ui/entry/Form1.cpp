#include "ui/entry/Form1Window.h"

#include <cmath>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTimer>

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/ListLine.h"
#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "ui/entry/AddReservation.h"
#include "ui/entry/Form1.h"
#include "ui/entry/PauseReservation.h"
#include "ui/message/Form5.h"
#include "ui/names/Form3.h"
#include "ui/tray/Help.h"
#include "ui/ListMouse.h"
#include "ui/Accessibility.h"
#include "ui/Fonts.h"
#include "ui/OptionChange.h"
#include "ui/Twips.h"
#include "ui/WindowPlace.h"
#include "platform/qt/QtText.h"

namespace mayorin::ui {

namespace {

// The list's rows are no higher than its font's pixel size and a pixel, as they are with the
// program's own face: a face with a taller line (Noto CJK) would otherwise show fewer reservations
// than there is room for.
class RowsOfPixelSize final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::min(size.height(), option.font.pixelSize() + 1));
        return size;
    }
};

// Location texts of the window's error traps.
constexpr const char* kFormLoad = "Form_Load F1";
constexpr const char* kFormUnload = "Form_Unload F1";
constexpr const char* kFormResize = "Form_Resize  F1";
constexpr const char* kSyoki01 = "syoki01 F1";
constexpr const char* kHyujiMei = "hyuji_mei F1";
constexpr const char* kHyoujiYoyaku = "hyouji_yoyaku F1";
constexpr const char* kCommand1Click = "Command1_Click F1";
constexpr const char* kHyoujiJikan = "hyouji_jikan F1";
constexpr const char* kDeetahyouji02 = "deetahyouji02 F1";
constexpr const char* kCombo1Click = "Combo1_Click  F1";
constexpr const char* kCombo2Click = "Combo2_Click  F1";
constexpr const char* kList1MouseUp = "List1_MouseUp F1";
constexpr const char* kSentakukesiClick = "sentakukesi_Click F1";
constexpr const char* kSakujoClick = "sakujo_Click F1";
constexpr const char* kHyouji02 = "hyouji02 F1";
constexpr const char* kDeetahyouji01 = "deetahyouji01 F1";
constexpr const char* kMeisyouRirekiClick = "meisyouRireki_Click F1";
constexpr const char* kTeisiClick = "teisi_Click F1";
// Handlers without a trap of their own still must not let a failure reach the event loop.
constexpr const char* kOsirasegamenClick = "osirasegamen_Click F1";
constexpr const char* kSetteiSuruClick = "settei_suru_Click F1";
constexpr const char* kTojiruClick = "tojiru_Click F1";
constexpr const char* kHelupu02Click = "helupu02_Click F1";
constexpr const char* kBajiyonClick = "bajiyon_Click F1";

QString qs(const std::string& s) {
    return platform::qtext(s);
}
std::string ss(const QString& s) {
    return platform::stdtext(s);
}

const char* const kNameTip = "お知らせ時に表示される名前です。";
const char* const kRequiredTip = "必ず指定します。";
const char* const kOptionalTip = "必要に応じて指定します。";

// The 設定 menu's check items come from the option table; after them stand a separator and these.
constexpr const char* kResetCaption = "設定を初期状態に戻す";
constexpr const char* kResetLabel = "初期状態に戻す";
constexpr const char* kCloseCaption = "設定を終了";
constexpr const char* kCloseLabel = "設定終了";
// Beside the check items: the notice sound of the user's own, and back to the program's chime.
constexpr const char* kChooseSoundCaption = "お知らせの音を選ぶ…";
constexpr const char* kChooseSoundLabel = "音の選択";
constexpr const char* kProgramSoundCaption = "お知らせの音を元に戻す";
constexpr const char* kProgramSoundLabel = "音を元に戻す";
// The sound stays loaded from its first notice on, so that it plays at once: a larger file is refused.
constexpr qint64 kLargestSound = 5'000'000;

// The option whose check item is settei_suru(index), if it is one.
const persist::OptionRow* optionAt(int index) {
    for (const persist::OptionRow& row : persist::kOptionTable) {
        if (row.menuItem == index) {
            return &row;
        }
    }
    return nullptr;
}

QStringList numbers(int from, int to, int step = 1) {
    QStringList out;
    for (int n = from; n <= to; n += step) {
        out << QString::number(n);
    }
    return out;
}

// Minutes of the timer panel: every minute up to 4, then steps of five.
QStringList timerMinutes() {
    return numbers(0, 4) + numbers(5, 55, 5);
}

} // namespace

Form1::Form1(UiContext& ctx) : m_ctx(ctx) {
    announceComboBoxesByName();
    setObjectName("Form1");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Mayorin。予約作成");
    m_place = new NormalPlace(this);
    setFont(proportionalFont(12));
    buildControls();
    buildMenus();
    // The help opens on F1 anywhere in the window, and "ヘルプを開く" does the same.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { helupu02_Click(); });
}

Form1::~Form1() {
    // A window destroyed without its closing steps must not stay reachable.
    if (m_ctx.entry == this) {
        m_ctx.entry = nullptr;
    }
    if (m_ctx.env.entryList == this) {
        m_ctx.env.entryList = nullptr;
        m_ctx.env.st.EntryWindowOpen = false;
    }
}

void Form1::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("Form1Client");
    setCentralWidget(central);

    auto label = [this](int i, QWidget* parent, const char* caption, int left, int top, const char* tip = nullptr) {
        auto* l = new QLabel(QString::fromUtf8(caption), parent);
        l->setObjectName(QString("Label1_%1").arg(i));
        if (tip != nullptr) {
            l->setToolTip(QString::fromUtf8(tip));
        }
        l->move(px(left), px(top));
        l->adjustSize();
        m_label[i] = l;
        return l;
    };
    auto combo = [](const QString& name, QWidget* parent, const char* text, int left, int top, int width) {
        auto* c = new QComboBox(parent);
        c->setObjectName(name);
        c->setEditable(true);
        // The list offers values; it neither learns typed texts nor completes them.
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);
        c->setMaxVisibleItems(16);
        c->setGeometry(px(left), px(top), px(width), 22);
        c->setEditText(QString::fromUtf8(text));
        return c;
    };
    auto frame = [&](int i, const char* caption, int left) {
        auto* f = new QGroupBox(QString::fromUtf8(caption), central);
        f->setObjectName(QString("Frame1_%1").arg(i));
        f->setGeometry(px(left), 0, px(4935), px(1695));
        m_frame[i] = f;
        auto* line = new QFrame(f);
        line->setObjectName(QString("Line1_%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(px(120), px(555), px(4695), 2);
        return f;
    };

    // Timer panel.
    QGroupBox* t = frame(0, "タイマー", 0);
    label(4, t, "表示名", 120, 240 + 45, kNameTip);
    m_combo1[3] = combo("Combo1_3", t, "", 720, 240, 4095);
    // The name boxes take no more than the name check lets through.
    m_combo1[3]->lineEdit()->setMaxLength(static_cast<int>(core::kNameMaxLength));
    label(14, t, "開始→終了迄　(　試合時間　)", 120, 600, kRequiredTip);
    m_combo1[4] = combo("Combo1_4", t, "0", 120, 840, 615);
    label(7, t, "時間", 840, 960 - 60);
    m_combo1[5] = combo("Combo1_5", t, "0", 1320, 840, 735);
    label(8, t, "分", 2160, 960 - 60);
    label(15, t, "終了→開始迄　　( 休憩時間 )", 2520, 600, kOptionalTip);
    // The two interval captions are a little wider than their places at the window's font.
    for (int i : {14, 15}) {
        QFont narrow = m_label[i]->font();
        narrow.setPixelSize(11);
        m_label[i]->setFont(narrow);
        m_label[i]->adjustSize();
    }
    m_combo1[6] = combo("Combo1_6", t, "0", 2640, 840, 615);
    label(11, t, "時間", 3360, 960 - 60);
    m_combo1[7] = combo("Combo1_7", t, "0", 3840, 840, 735);
    label(12, t, "分", 4680, 960 - 60);
    label(16, t, "繰り返し回数", 2640, 1320 - 60, kOptionalTip);
    m_combo1[8] = combo("Combo1_8", t, "0", 3720, 1200, 855);
    // A face whose kana are full width (Noto CJK) makes the caption as wide as its room: a pixel
    // smaller keeps it off its box.
    if (m_label[16]->sizeHint().width() > m_combo1[8]->x() - m_label[16]->x() - 4) {
        QFont smaller = m_label[16]->font();
        smaller.setPixelSize(11);
        m_label[16]->setFont(smaller);
        m_label[16]->adjustSize();
    }
    label(17, t, "回", 4680, 1320 - 60);
    m_command[0] = new QPushButton("開始する", t);
    m_command[0]->setObjectName("Command1_0");
    m_command[0]->setGeometry(px(960), px(1200), px(975), 24);

    // Schedule panel.
    QGroupBox* s = frame(1, "予定", 5040);
    label(9, s, "表示名", 120, 240 + 45, kNameTip);
    m_combo2[3] = combo("Combo2_3", s, "", 720, 240, 4095);
    m_combo2[3]->lineEdit()->setMaxLength(static_cast<int>(core::kNameMaxLength));
    label(13, s, "時刻", 120, 720 + 45, kRequiredTip);
    m_combo2[4] = combo("Combo2_4", s, "0", 600, 720, 615);
    label(1, s, "時", 1320, 840 - 60);
    m_combo2[5] = combo("Combo2_5", s, "0", 1560, 720, 615);
    label(2, s, "分", 2280, 840 - 60);
    label(3, s, "月日", 2520, 720 + 45, kOptionalTip);
    m_combo2[6] = combo("Combo2_6", s, "", 3000, 720, 615);
    label(5, s, "月", 3720, 840 - 60);
    m_combo2[7] = combo("Combo2_7", s, "", 3960, 720, 615);
    label(6, s, "日", 4680, 840 - 60);
    label(0, s, "曜日", 2520, 1200 + 45, kOptionalTip);
    m_combo2[8] = combo("Combo2_8", s, "", 3000, 1200, 1575);
    m_option[0] = new QRadioButton("毎回", s);
    m_option[0]->setObjectName("Option1_0");
    m_option[0]->move(px(120), px(1080) - 2);
    m_option[0]->adjustSize();
    m_option[0]->setChecked(true);
    m_option[1] = new QRadioButton("今回のみ", s);
    m_option[1]->setObjectName("Option1_1");
    m_option[1]->move(px(120), px(1320));
    m_option[1]->adjustSize();
    m_command[1] = new QPushButton("予約する", s);
    m_command[1]->setObjectName("Command1_1");
    m_command[1]->setGeometry(px(1200), px(1200), px(1095), 24);

    // Below the panels.
    label(18, central, "予約内容", 120, 1920);
    m_label[10] = new QLabel("日時", central);
    m_label[10]->setObjectName("Label1_10");
    m_label[10]->setGeometry(px(1560), px(1800), px(8415), 18);

    m_list = new QListWidget(central);
    m_list->setObjectName("List1");
    // Lines are aligned by counting double-byte characters as two columns: the font must draw
    // full-width characters at exactly twice the half-width advance.
    m_list->setFont(fixedFont(12));
    m_list->setItemDelegate(new RowsOfPixelSize(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setGeometry(0, px(2160), px(5055), px(960));
    m_list->viewport()->installEventFilter(this);

    // Screen readers announce each box by the label beside it: a number box by its unit, with the
    // caption of its pair (hour and minute, month and day) after it.
    nameByLabel(m_combo1[3], m_label[4]);
    nameByLabel(m_combo1[4], m_label[7], m_label[14]->text());
    nameByLabel(m_combo1[5], m_label[8], m_label[14]->text());
    nameByLabel(m_combo1[6], m_label[11], m_label[15]->text());
    nameByLabel(m_combo1[7], m_label[12], m_label[15]->text());
    nameByLabel(m_combo1[8], m_label[16]);
    nameByLabel(m_combo2[3], m_label[9]);
    nameByLabel(m_combo2[4], m_label[1], m_label[13]->text());
    nameByLabel(m_combo2[5], m_label[2], m_label[13]->text());
    nameByLabel(m_combo2[6], m_label[5], m_label[3]->text());
    nameByLabel(m_combo2[7], m_label[6], m_label[3]->text());
    nameByLabel(m_combo2[8], m_label[0]);
    nameByLabel(m_list, m_label[18]);

    m_timer = new QTimer(this);
    m_timer->setObjectName("Timer1");
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] { hyouji_jikan(); });

    for (int side = 0; side < 2; ++side) {
        connect(m_command[side], &QPushButton::clicked, this, [this, side] { Command1_Click(side); });
    }
    // A name box also reports a name as activated when a typed name that is in its list is left
    // with Enter or by moving the focus away, or when the arrow keys or the wheel step through the
    // list; only a pick from its drop-down list is a choice that brings back the values of the
    // name. Keys, the wheel and the focus reach the box itself, a pick reaches the drop-down list.
    for (int side = 0; side < 2; ++side) {
        nameCombo(side)->installEventFilter(this);
        nameCombo(side)->lineEdit()->installEventFilter(this);
    }
    for (int i = 3; i <= 8; ++i) {
        connect(m_combo1[i], &QComboBox::activated, this, [this, i] {
            if (i != 3 || !m_nameKeyOrWheel) {
                Combo1_Click(i);
            }
        });
        connect(m_combo2[i], &QComboBox::activated, this, [this, i] {
            if (i != 3 || !m_nameKeyOrWheel) {
                Combo2_Click(i);
            }
        });
        connect(m_combo2[i], &QComboBox::editTextChanged, this, [this, i] {
            if (!m_programWrite) {
                Combo2_Change(i);
            }
        });
    }
}

void Form1::buildMenus() {
    auto item = [this](QMenu* menu, const QString& name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        return a;
    };
    auto separator = [](QMenu* menu, const QString& name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
    };

    m_fairu = menuBar()->addMenu("表示");
    m_fairu->setObjectName("fairu");
    m_osirasegamen1 = m_fairu->addMenu("お知らせ画面のテスト表示。");
    m_osirasegamen1->setObjectName("osirasegamen1");
    m_osirasegamen1->menuAction()->setObjectName("osirasegamen1Action");
    const char* tests[] = {"タイマー", "タイマー繰り返し２回", "予定"};
    for (int i = 0; i < 3; ++i) {
        m_osirasegamen[i] = item(m_osirasegamen1, QString("osirasegamen_%1").arg(i), tests[i]);
        connect(m_osirasegamen[i], &QAction::triggered, this, [this, i] { osirasegamen_Click(i); });
    }
    separator(m_fairu, "kugili01");
    m_tojiru = item(m_fairu, "tojiru", "閉じる");
    connect(m_tojiru, &QAction::triggered, this,
            [this] { core::guarded(m_ctx.env.errors, kTojiruClick, [&] { close(); }); });

    m_hensyu = menuBar()->addMenu("編集");
    m_hensyu->setObjectName("hensyu");
    const char* edits[] = {"戻す ( 削除 )", "削除", "全て削除"};
    for (int i = 0; i < 3; ++i) {
        m_sakujo[i] = item(m_hensyu, QString("sakujo_%1").arg(i), edits[i]);
        connect(m_sakujo[i], &QAction::triggered, this, [this, i] { sakujo_Click(i); });
    }
    m_sentakukesi = item(m_hensyu, "sentakukesi", "選択の取り消し");
    connect(m_sentakukesi, &QAction::triggered, this, [this] { sentakukesi_Click(); });
    separator(m_hensyu, "kugili11");
    const char* editors[] = {"タイマー側　表示名", "予定側　　　表示名"};
    for (int i = 0; i < 2; ++i) {
        m_meisyouRireki[i] = item(m_hensyu, QString("meisyouRireki_%1").arg(i), editors[i]);
        connect(m_meisyouRireki[i], &QAction::triggered, this, [this, i] { meisyouRireki_Click(i); });
    }
    separator(m_hensyu, "kugili12");
    const char* pauses[] = {"一時停止", "再開"};
    for (int i = 0; i < 2; ++i) {
        m_teisi[i] = item(m_hensyu, QString("teisi_%1").arg(i), pauses[i]);
        connect(m_teisi[i], &QAction::triggered, this, [this, i] { teisi_Click(i); });
    }

    m_settei = menuBar()->addMenu("設定");
    m_settei->setObjectName("settei");
    auto setteiItem = [this, &item](int i, const char* caption) {
        m_settei_suru[i] = item(m_settei, QString("settei_suru_%1").arg(i), caption);
        connect(m_settei_suru[i], &QAction::triggered, this, [this, i] { settei_suru_Click(i); });
    };
    for (const persist::OptionRow& row : persist::kOptionTable) {
        setteiItem(row.menuItem, row.caption);
        // The options carry check marks; the menu reverses a mark as it is chosen.
        m_settei_suru[row.menuItem]->setCheckable(true);
    }
    setteiItem(persist::kChooseSoundItem, kChooseSoundCaption);
    setteiItem(persist::kProgramSoundItem, kProgramSoundCaption);
    m_settei_suru[persist::kSeparatorItem] = m_settei->addSeparator();
    m_settei_suru[persist::kSeparatorItem]->setObjectName(QString("settei_suru_%1").arg(persist::kSeparatorItem));
    setteiItem(persist::kResetItem, kResetCaption);
    setteiItem(persist::kCloseItem, kCloseCaption);

    m_helup = menuBar()->addMenu("ヘルプ");
    m_helup->setObjectName("helup");
    m_helupu02 = item(m_helup, "helupu02", "ヘルプを開く");
    connect(m_helupu02, &QAction::triggered, this, [this] { helupu02_Click(); });
    m_bajiyon = item(m_helup, "bajiyon", "バージョン情報");
    connect(m_bajiyon, &QAction::triggered, this, [this] { bajiyon_Click(); });
}

// ---- Opening and closing ----

void Form1::formLoad() {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kFormLoad, [&] {
        env.st.EntryWindowOpen = true;
        m_ctx.entry = this;
        env.entryList = this;
        m_loaded = true;
        env.log.kiloku("▽予約　," + core::dateTimeText(env) + ",,,予約画面を開く,,,,,");
        hyouji_yoyaku();
        syoki01();
        hyouji02();
        const persist::Geometry g = m_ctx.settings.rejisutory01();
        for (const persist::OptionRow& row : persist::kOptionTable) {
            m_settei_suru[row.menuItem]->setChecked(m_ctx.settings.optionChecked(row.option));
        }
        m_place->setPlaced(placeByFrame(this, QRect(px(g.left), px(g.top), px(g.width), px(g.height))));
        // An editor opened before this window keeps the other side's item disabled.
        if (env.st.HistoryEditorState == "作業中") {
            const int side = env.st.HistorySideEdited > 0 ? 1 : 0;
            m_meisyouRireki[1 - side]->setEnabled(false);
        }
        m_timer->start();
        hyouji_jikan();
    });
}

void Form1::formUnload() {
    if (m_unloaded || !m_loaded) {
        return;
    }
    m_unloaded = true;
    m_timer->stop();
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kFormUnload, [&] {
        // A maximised or minimised window stores the place it has when restored; restoring it
        // first would not do, as the window manager restores it only after the window is gone.
        const QRect r = m_place->normal();
        persist::Geometry g;
        g.top = r.y() * kTwipsPerPixel;
        g.left = r.x() * kTwipsPerPixel;
        g.height = r.height() * kTwipsPerPixel;
        g.width = r.width() * kTwipsPerPixel;
        // Where the compositor places windows, the place read back is not where the window stood.
        m_ctx.settings.rejisutory02(g, !placesBelongToCompositor());
        env.log.kiloku("△予約　," + core::dateTimeText(env) + ",,,予約画面を閉じる,,,,,");
    });
    // Whatever failed above, the window is closed from here on.
    env.st.EntryWindowOpen = false;
    if (env.entryList == this) {
        env.entryList = nullptr;
    }
    if (m_ctx.entry == this) {
        m_ctx.entry = nullptr;
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    formUnload();
    event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    core::guarded(m_ctx.env.errors, kFormResize, [&] {
        const int h = height() * kTwipsPerPixel;
        const int w = width() * kTwipsPerPixel;
        if (h > 3100) {
            m_list->resize(m_list->width(), px(h - 2800));
        }
        if (w > 500) {
            m_list->resize(px(w - 100), m_list->height());
        }
    });
}

void Form1::hyouji_yoyaku() {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kHyoujiYoyaku, [&] {
        // Built in one go: one insertion into the list instead of one per reservation.
        QStringList lines;
        lines.reserve(env.st.ReservationCount);
        for (int r = env.st.ReservationCount - 1; r >= 0; --r) {
            lines << qs(core::hyouji12(env, static_cast<std::int16_t>(r)));
        }
        m_list->addItems(lines);
    });
}

void Form1::syoki01() {
    core::guarded(m_ctx.env.errors, kSyoki01, [&] {
        hyuji_mei();
        m_programWrite = true;
        auto fill = [](QComboBox* c, const QStringList& items) {
            // Only the list is filled; the text keeps what it held.
            const QString text = c->currentText();
            c->addItems(items);
            c->setCurrentIndex(-1);
            c->setEditText(text);
        };
        fill(m_combo1[4], numbers(0, 24));
        fill(m_combo1[5], timerMinutes());
        fill(m_combo1[6], numbers(0, 24));
        fill(m_combo1[7], timerMinutes());
        fill(m_combo1[8], numbers(0, 20));
        fill(m_combo2[4], numbers(0, 23));
        fill(m_combo2[5], numbers(0, 55, 5));
        fill(m_combo2[6], QStringList{""} + numbers(1, 12));
        fill(m_combo2[7], QStringList{""} + numbers(1, 31));
        QStringList weekdays{"", "月～金", "月～土"};
        for (int d = 0; d < 7; ++d) {
            weekdays << qs(m_ctx.env.st.WeekdayNames[d] + "曜");
        }
        weekdays << "月・水・金"
                 << "火・木・土";
        fill(m_combo2[8], weekdays);
        m_programWrite = false;
    });
    m_programWrite = false;
}

void Form1::hyuji_mei() {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kHyujiMei, [&] {
        for (int side = 0; side < 2; ++side) {
            QStringList names;
            for (int j = 0; j < env.st.NameHistoryCount[side]; ++j) {
                names << qs(env.st.NameHistory.entry(side, j)[core::kName]);
            }
            QComboBox* c = nameCombo(side);
            const bool was = m_programWrite;
            m_programWrite = true;
            const QString text = c->currentText();
            c->addItems(names);
            c->setCurrentIndex(-1);
            c->setEditText(text);
            m_programWrite = was;
        }
    });
}

// ---- Name lists and editor items ----

QComboBox* Form1::nameCombo(int side) const {
    return side == 0 ? m_combo1[3] : m_combo2[3];
}

void Form1::clearNameList(int side) {
    QComboBox* c = nameCombo(side > 0 ? 1 : 0);
    const bool was = m_programWrite;
    m_programWrite = true;
    // Emptying the list must not empty the name being typed.
    const QString text = c->currentText();
    c->clear();
    c->setEditText(text);
    m_programWrite = was;
}

void Form1::appendName(int side, const std::string& name) {
    QComboBox* c = nameCombo(side > 0 ? 1 : 0);
    const bool was = m_programWrite;
    m_programWrite = true;
    const QString text = c->currentText();
    const int index = c->currentIndex();
    c->addItem(qs(name));
    // Adding to an empty list would otherwise make the new name the text.
    if (index < 0 && c->currentIndex() >= 0) {
        c->setCurrentIndex(-1);
        c->setEditText(text);
    }
    m_programWrite = was;
}

void Form1::setEditorItemEnabled(int side, bool enabled) {
    m_meisyouRireki[side > 0 ? 1 : 0]->setEnabled(enabled);
}

// ---- The reservation list as a mirror of the table ----

void Form1::insertLine(int index, const std::string& line) {
    m_list->insertItem(index, qs(line));
}

void Form1::replaceLines(const std::vector<std::string>& lines, int selected) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        items << qs(line);
    }
    m_list->clear();
    m_list->addItems(items);
    // The same reservation selected again: the menus that depend on a selection stay right.
    if (selected >= 0 && selected < m_list->count()) {
        m_list->setCurrentRow(selected);
    }
}

void Form1::removeLine(int index) {
    const int before = selectedPos();
    delete m_list->takeItem(index);
    // The list would move the selection to a neighbour; a removed selection leaves none.
    if (before == index || before < 0) {
        m_list->setCurrentItem(nullptr);
        m_list->clearSelection();
    }
}

void Form1::moveLine(int from, int to, const std::string& line) {
    const bool selected = selectedPos() == from;
    QListWidgetItem* item = m_list->takeItem(from);
    item->setText(qs(line));
    m_list->insertItem(to, item);
    if (selected) {
        m_list->setCurrentItem(item);
    }
}

int Form1::selectedPos() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// ---- Clock line ----

void Form1::hyouji_jikan() {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kHyoujiJikan, [&] {
        const int i = selectedPos();
        std::string text;
        if (i < 0) {
            text = "　" + core::genzai(env, 0) + "　　" + core::genzai(env, 1);
        } else {
            const int r = env.st.ReservationCount - 1 - i;
            const core::Fields& row = env.st.ReservationTable[r];
            if (core::isPaused(row)) {
                text = "一時停止中　残り　" + core::byouModosu(env, row[0], 2);
            } else {
                const double left = core::value(row[core::kNextSecond]) - core::genByou(env);
                text = "お知らせまで　" + core::byouModosu(env, core::decimalText(left), 2);
            }
        }
        const QString q = qs(text);
        if (m_label[10]->text() != q) {
            m_label[10]->setText(q);
        }
    });
}

// ---- Adding ----

void Form1::Command1_Click(int side) {
    core::guarded(m_ctx.env.errors, kCommand1Click, [&] { addReservation(m_ctx, m_ctx.env, panelTexts(side)); });
}

PanelTexts Form1::panelTexts(int side) const {
    PanelTexts panel;
    panel.side = side;
    panel.everyTime = m_option[0]->isChecked();
    const auto& combos = side == 1 ? m_combo2 : m_combo1;
    for (int k = 3; k <= 8; ++k) {
        panel.text[k] = ss(combos[k]->currentText());
    }
    return panel;
}

int Form1::nameListCount(int side) const {
    return nameCombo(side > 0 ? 1 : 0)->count();
}

// ---- Input helpers ----

void Form1::writeText(QComboBox* combo, const std::string& text) {
    const bool was = m_programWrite;
    m_programWrite = true;
    combo->setEditText(qs(text));
    m_programWrite = was;
}

void Form1::selectOption(double repeatMode) {
    const long v = std::lround(core::roundHalfEven(repeatMode));
    const long index = 1 - (v % 2);
    if (index < 0 || index > 1) {
        core::throwSubscript();
    }
    m_option[index]->setChecked(true);
}

void Form1::deetahyouji02(int entry, int side) {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kDeetahyouji02, [&] {
        if (!m_ctx.settings.optionOn(persist::Option::NamePick) || entry < 0) {
            return;
        }
        const core::Fields& fields = env.st.NameHistory.entry(side, entry);
        auto& combos = side == 0 ? m_combo1 : m_combo2;
        for (int k = 4; k <= 8; ++k) {
            writeText(combos[k], fields[k]);
        }
        if (side == 1) {
            selectOption(core::value(fields[core::kRepeatMode]));
        }
    });
}

void Form1::hi_you_syuusei(int index) {
    if (index == 6 || index == 7) {
        writeText(m_combo2[8], "");
    } else if (index == 8) {
        writeText(m_combo2[6], "");
        writeText(m_combo2[7], "");
    }
}

void Form1::Combo1_Click(int index) {
    core::guarded(m_ctx.env.errors, kCombo1Click, [&] {
        if (index == 3) {
            deetahyouji02(m_combo1[3]->currentIndex(), 0);
        }
    });
}

void Form1::Combo2_Click(int index) {
    core::guarded(m_ctx.env.errors, kCombo2Click, [&] {
        if (index == 3) {
            deetahyouji02(m_combo2[3]->currentIndex(), 1);
        } else if (index >= 6 && index <= 8) {
            hi_you_syuusei(index);
        }
    });
}

void Form1::Combo2_Change(int index) {
    hi_you_syuusei(index);
}

// ---- The list and the menus ----

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    for (int side = 0; side < 2; ++side) {
        const QComboBox* names = nameCombo(side);
        if (watched != names && watched != names->lineEdit()) {
            continue;
        }
        // Seen before the box acts on it: a name it makes current within this event is typed or
        // stepped to, not picked.
        const QEvent::Type t = event->type();
        if ((t == QEvent::KeyPress || t == QEvent::Wheel || t == QEvent::FocusOut) && !m_nameKeyOrWheel) {
            m_nameKeyOrWheel = true;
            QTimer::singleShot(0, this, [this] { m_nameKeyOrWheel = false; });
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched != m_list->viewport()) {
        return QMainWindow::eventFilter(watched, event);
    }
    return filterListMouse(event, [this](Qt::MouseButton b, const QPoint& p) { List1_MouseUp(b, p); });
}

void Form1::List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kList1MouseUp, [&] {
        if (button == Qt::LeftButton) {
            const int i = selectedPos();
            if (i >= 0) {
                deetahyouji01(static_cast<std::int16_t>(env.st.ReservationCount - 1 - i));
            }
            hyouji02();
        } else if (button == Qt::RightButton) {
            m_hensyu->popup(globalPos);
        }
    });
}

void Form1::deetahyouji01(std::int16_t row) {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kDeetahyouji01, [&] {
        if (!m_ctx.settings.optionOn(persist::Option::ReservationPick)) {
            return;
        }
        const auto& fields = env.st.ReservationTable[row];
        const double k = core::value(fields[core::kKindCode]);
        if (k == 0 || k == 1) {
            for (int f = 3; f <= 8; ++f) {
                writeText(m_combo1[f], fields[f]);
            }
        } else if (k >= 2 && k <= 5 && k == std::floor(k)) {
            for (int f = 3; f <= 8; ++f) {
                writeText(m_combo2[f], fields[f]);
            }
            selectOption(core::value(fields[core::kRepeatMode]));
        }
    });
}

void Form1::hyouji02() {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kHyouji02, [&] {
        const bool selected = selectedPos() >= 0;
        m_sakujo[0]->setEnabled(env.st.DeletedCount > 0);
        m_sakujo[1]->setEnabled(selected);
        m_sakujo[2]->setEnabled(m_list->count() > 0);
        m_sentakukesi->setEnabled(selected);
        const int i = selectedPos();
        const core::Fields* row =
            i >= 0 && i < env.st.ReservationCount ? &env.st.ReservationTable[env.st.ReservationCount - 1 - i] : nullptr;
        const bool countdown = row != nullptr && core::isCountdown(*row);
        m_teisi[0]->setEnabled(countdown && !core::isPaused(*row));
        m_teisi[1]->setEnabled(countdown && core::isPaused(*row));
    });
}

void Form1::sentakukesi_Click() {
    core::guarded(m_ctx.env.errors, kSentakukesiClick, [&] {
        m_list->setCurrentItem(nullptr);
        m_list->clearSelection();
        hyouji02();
    });
}

void Form1::sakujo_Click(int index) {
    core::Env& env = m_ctx.env;
    core::State& st = env.st;
    core::guarded(env.errors, kSakujoClick, [&] {
        std::string name;
        const char* label = "";
        if (index == 0) {
            label = "戻す";
            core::sakujyo_modosu(env);
            st.DeleteBatchCount = core::add16(st.DeleteBatchCount, -1);
        } else if (index == 1) {
            const int i = selectedPos();
            if (i < 0) {
                return;
            }
            label = "削除";
            const std::int16_t r = core::add16(st.ReservationCount - 1, -i);
            const std::int16_t last = core::add16(st.ReservationCount, -1);
            name = st.ReservationTable[r][core::kName];
            st.DeleteBatchCount = core::add16(st.DeleteBatchCount, 1);
            const std::int16_t result = core::sakujo01(env, r, last);
            // A failed move returns something else than the last row: the count stays, so
            // the table is not cut short.
            if (result != last) {
                return;
            }
            st.ReservationCount = result;
            removeLine(i);
        } else if (index == 2) {
            label = "全削";
            st.DeleteBatchCount = core::add16(st.DeleteBatchCount, 1);
            const int start = st.ReservationCount - 1;
            for (int r = start; r >= 0; --r) {
                const std::int16_t last = core::add16(st.ReservationCount, -1);
                const std::int16_t result = core::sakujo01(env, static_cast<std::int16_t>(r), last);
                if (result != last) {
                    break;
                }
                st.ReservationCount = result;
            }
            // The list keeps exactly the rows that are still in the table.
            if (st.ReservationCount == 0) {
                m_list->clear();
            } else {
                while (m_list->count() > st.ReservationCount) {
                    delete m_list->takeItem(m_list->count() - 1);
                }
            }
        } else {
            return;
        }
        hyouji02();
        env.log.kiloku(std::string("［") + label + "］," + core::dateTimeText(env) + ",," + name +
                       ",予約の編集,削除総数=" + std::to_string(st.DeletedCount) +
                       ",削除番号=" + std::to_string(st.DeleteBatchCount) + ",予約データ数" +
                       std::to_string(st.ReservationCount) + ",,");
    });
}

void Form1::meisyouRireki_Click(int index) {
    core::guarded(m_ctx.env.errors, kMeisyouRirekiClick, [&] {
        if (m_ctx.env.st.HistoryEditorState != "作業中") {
            m_ctx.env.st.HistorySideEdited = static_cast<std::int16_t>(index);
        }
        openNamesEditor(m_ctx);
    });
}

void Form1::teisi_Click(int index) {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kTeisiClick, [&] {
        const int i = selectedPos();
        if (i < 0 || i >= env.st.ReservationCount) {
            return;
        }
        const core::Fields* chosen = &env.st.ReservationTable[env.st.ReservationCount - 1 - i];
        pauseReservations(m_ctx, env, index == 0, [chosen](const core::Fields& row) { return &row == chosen; });
    });
}

void Form1::osirasegamen_Click(int index) {
    core::guarded(m_ctx.env.errors, kOsirasegamenClick, [&] {
        core::hyouji_test(m_ctx.env, static_cast<std::int16_t>(index));
        core::tuika_mein(m_ctx.env);
    });
}

void Form1::settei_suru_Click(int index) {
    core::Env& env = m_ctx.env;
    core::guarded(env.errors, kSetteiSuruClick, [&] {
        std::string sound; // the notice sound from now on, empty for the program's chime
        if (index == persist::kChooseSoundItem) {
            const QPointer<Form1> self(this);
            sound = chooseSound();
            if (!self || sound.empty()) {
                return; // closed meanwhile, cancelled, or refused with a box that said why
            }
        }
        // The options had their mark reversed by the menu as they were chosen.
        if (index == persist::kResetItem) {
            for (const persist::OptionRow& row : persist::kOptionTable) {
                m_settei_suru[row.menuItem]->setChecked(row.byDefault);
            }
        }
        const persist::OptionRow* option = optionAt(index);
        const char* label = option != nullptr                     ? option->label
                            : index == persist::kResetItem        ? kResetLabel
                            : index == persist::kChooseSoundItem  ? kChooseSoundLabel
                            : index == persist::kProgramSoundItem ? kProgramSoundLabel
                                                                  : kCloseLabel;
        const bool mark = option != nullptr && m_settei_suru[index]->isChecked();
        // The chosen sound's line names its file where the others say the item's mark.
        const std::string state = index == persist::kChooseSoundItem ? sound : mark ? "True" : "False";
        env.log.kiloku("＃設定　," + core::dateTimeText(env) + ",,,設定の変更," + label + "," + state + ",,,");
        // Stored after the line is written, so turning the log off still logs its own change.
        std::array<bool, persist::kOptionCount> before{};
        std::array<bool, persist::kOptionCount> checks{};
        for (std::size_t i = 0; i < persist::kOptionCount; ++i) {
            before[i] = m_ctx.settings.optionOn(persist::kOptionTable[i].option);
            checks[i] = m_settei_suru[persist::kOptionTable[i].menuItem]->isChecked();
        }
        m_ctx.settings.saveOptions(checks);
        if (index == persist::kResetItem || index == persist::kChooseSoundItem || index == persist::kProgramSoundItem) {
            m_ctx.settings.saveOwnSound(sound);
        }
        for (std::size_t i = 0; i < persist::kOptionCount; ++i) {
            if (checks[i] != before[i]) {
                optionChanged(m_ctx, persist::kOptionTable[i].option, checks[i]);
            }
        }
    });
}

std::string Form1::chooseSound() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    auto* dialog = new QFileDialog(this, "お知らせの音を選ぶ", QFileInfo(music).isDir() ? music : QDir::homePath(),
                                   "WAV ファイル (*.wav *.WAV)");
    dialog->setObjectName("otoSentaku");
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Where the desktop has no file dialog of its own, Qt's shows these in the program's language.
    dialog->setLabelText(QFileDialog::LookIn, "場所:");
    dialog->setLabelText(QFileDialog::FileName, "ファイル名:");
    dialog->setLabelText(QFileDialog::FileType, "ファイルの種類:");
    dialog->setLabelText(QFileDialog::Accept, "開く(&O)");
    dialog->setLabelText(QFileDialog::Reject, "キャンセル");
    // The window, and the dialog with it, may be closed by the program while the dialog waits: a
    // dialog closed so (rejected) is no choice.
    const QPointer<QFileDialog> guard(dialog);
    const bool chosen = dialog->exec() == QDialog::Accepted && guard && !dialog->selectedFiles().isEmpty();
    const QString path = chosen ? dialog->selectedFiles().first() : QString();
    delete guard.data();
    if (path.isEmpty()) {
        return {};
    }
    if (QFileInfo(path).size() > kLargestSound) {
        m_ctx.env.messages.show("「" + ss(QFileInfo(path).fileName()) +
                                    "」は 5 MB（5,000,000 バイト）より大きいため、お知らせの音にできません。\n"
                                    "お知らせの音は、いつでもすぐに鳴らせるように読み込んだままにします。"
                                    "5 MB までの WAV ファイルを選んでください。",
                                core::kTitle, platform::Buttons::Ok, platform::Icon::Exclamation);
        return {};
    }
    return ss(path);
}

void Form1::helupu02_Click() {
    core::guarded(m_ctx.env.errors, kHelupu02Click, [&] { openHelp(m_ctx); });
}

void Form1::bajiyon_Click() {
    core::guarded(m_ctx.env.errors, kBajiyonClick, [&] {
        m_ctx.env.st.MessageMode = 0;
        showMessageDialog(m_ctx);
    });
}

// ---- Entry points ----

void openEntryWindow(UiContext& ctx) {
    if (ctx.entry != nullptr) {
        Form1* w = ctx.entry;
        if (w->isMinimized()) {
            w->showNormal();
        }
        w->show();
        w->raise();
        w->activateWindow();
        return;
    }
    auto* w = new Form1(ctx);
    w->formLoad();
    w->show();
    w->raise();
    w->activateWindow();
}

void closeEntryWindow(UiContext& ctx) {
    if (ctx.entry != nullptr) {
        ctx.entry->close();
    }
}

void clearEntryNameList(UiContext& ctx, int side) {
    if (ctx.entry != nullptr) {
        ctx.entry->clearNameList(side);
    }
}

void appendEntryName(UiContext& ctx, int side, const std::string& name) {
    if (ctx.entry != nullptr) {
        ctx.entry->appendName(side, name);
    }
}

void setEntryEditorItemEnabled(UiContext& ctx, int side, bool enabled) {
    if (ctx.entry != nullptr) {
        ctx.entry->setEditorItemEnabled(side, enabled);
    }
}

} // namespace mayorin::ui
