#include "ui/names/Form3.h"

#include <algorithm>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "core/Calendar.h"
#include "core/Failure.h"
#include "core/Guard.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/DataFile.h"
#include "ui/entry/Form1.h"
#include "ui/names/Form3Window.h"
#include "ui/ListMouse.h"
#include "ui/Accessibility.h"
#include "ui/Twips.h"
#include "ui/WindowPlace.h"
#include "platform/qt/QtText.h"

namespace mayorin::ui {

namespace {

constexpr const char* kFormLoad = "Form_Load F3";
constexpr const char* kFormQueryUnload = "Form_QueryUnload F3";
constexpr const char* kFormUnload = "Form_Unload F3";
constexpr const char* kHensuKensuu3 = "hensu_kensuu3 F3";
constexpr const char* kRirekiSyoki = "rireki_syoki F3";
constexpr const char* kHensyu01 = "hensyu01 F3";
constexpr const char* kUeni = "ueni F3";
constexpr const char* kSitani = "sitani F3";
constexpr const char* kSakujo31 = "sakujo31 F3";
constexpr const char* kSakujo32 = "sakujo32 F3";
constexpr const char* kTuika31 = "tuika31 F3";
constexpr const char* kKakikae = "kakikae F3";
constexpr const char* kCommand1Click = "Command1_Click F3";
constexpr const char* kHensyu31Click = "hensyu31_Click F3";
constexpr const char* kKakunin = "kakunin F3";
constexpr const char* kBHyouji3 = "bHyouji3 F3";
constexpr const char* kList1MouseUp = "List1_MouseUp F3";
constexpr const char* kText1Change = "Text1_Change F3";
constexpr const char* kTSentaku = "t_sentaku F3";

constexpr const char* kUnchanged = "0 変更無し";
constexpr const char* kOkPressed = "1 [OK]が押されました。";
constexpr const char* kChanged = "2 変更されています。";
constexpr const char* kDeleted = "3 削除されています。";

using platform::qtext;

// Element i of a working list; outside the list is a subscript failure.
template <class V> auto& at(V& v, int i) {
    if (i < 0 || i >= static_cast<int>(v.size())) {
        core::throwSubscript();
    }
    return v[static_cast<std::size_t>(i)];
}

} // namespace

Form3::Form3(UiContext& ctx) : QWidget(nullptr), m_ctx(ctx) {
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Mayorin。表示名の編集"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1_0"));
    m_frame->setGeometry(0, 0, px(4695), px(3735));

    m_text = new QLineEdit(m_frame);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setMaxLength(static_cast<int>(core::kNameMaxLength)); // what the name check lets through
    m_text->setGeometry(px(120), px(360), px(3135), px(375));
    m_text->installEventFilter(this);

    m_list = new QListWidget(m_frame);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setGeometry(px(120), px(840), px(3135), px(2760));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every line is one name of the same height: no list-wide layout pass after each change.
    m_list->setUniformItemSizes(true);
    m_list->viewport()->installEventFilter(this);

    static const char* const kCaptions[6] = {"追加", "上に移動", "下に移動", "削除", "キャンセル", "Ｏ Ｋ"};
    static const int kTops[6] = {360, 960, 1440, 2040, 2760, 3240};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(kCaptions[i]), m_frame);
        b->setObjectName(QStringLiteral("Command1_%1").arg(i));
        b->setGeometry(px(3360), px(kTops[i]), px(1215), px(375));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        m_buttons[i] = b;
    }

    m_popup = new QMenu(QStringLiteral("編集"), this);
    m_popup->setObjectName(QStringLiteral("hensyu3a"));
    static const char* const kItems[5] = {"上に移動", "下に移動", "削除", "全て削除", "選択の取り消し"};
    for (int i = 0; i < 5; ++i) {
        QAction* a = m_popup->addAction(QString::fromUtf8(kItems[i]));
        a->setObjectName(QStringLiteral("hensyu31_%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { hensyu31_Click(i); });
        m_items[i] = a;
    }

    connect(m_text, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { core::guarded(m_ctx.env.errors, kBHyouji3, [&] { bHyouji3(); }); });

    // The box holds a display name to add; the list is named after its frame as the editor opens.
    nameByCaption(m_text, QStringLiteral("表示名"));

    setFixedSize(px(4800), px(3735) + 6);
}

Form3::~Form3() {
    if (m_ctx.names == this) {
        m_ctx.names = nullptr;
    }
}

std::int16_t& Form3::sideCount() const {
    if (m_side < 0 || m_side > 1) {
        core::throwSubscript();
    }
    return m_ctx.env.st.NameHistoryCount[static_cast<std::size_t>(m_side)];
}

void Form3::load() {
    core::guarded(m_ctx.env.errors, kFormLoad, [&] {
        auto& st = m_ctx.env.st;
        st.HistoryEditorState = "作業中";
        m_side = st.HistorySideEdited;
        std::string sideText;
        if (m_side == 0) {
            m_frame->setTitle(QStringLiteral("タイマー側　表示名の編集"));
            sideText = "タイマー側";
        } else if (m_side == 1) {
            m_frame->setTitle(QStringLiteral("予定側　表示名の編集"));
            sideText = "予定側";
        }
        m_ctx.env.log.kiloku("▽編集　," + core::dateTimeText(m_ctx.env) + ",,,履歴編集画面の表示," + sideText +
                             ",タイマー履歴数=" + std::to_string(st.NameHistoryCount[0]) +
                             ",予定履歴数=" + std::to_string(st.NameHistoryCount[1]) + ",,");
        nameByCaption(m_list, m_frame->title());
        const persist::Geometry g = m_ctx.settings.rejisutory05();
        placeByFrame(this, QRect(QPoint(px(g.left), px(g.top)), size()));
        rireki_syoki();
    });
}

void Form3::rireki_syoki() {
    core::guarded(m_ctx.env.errors, kRirekiSyoki, [&] {
        m_count = sideCount();
        hensu_kensuu3();
        hensyu01(m_side);
        bHyouji3();
        setEntryEditorItemEnabled(m_ctx, 1 - m_side, false);
        m_okPressed = false;
    });
}

void Form3::hensu_kensuu3() {
    core::guarded(m_ctx.env.errors, kHensuKensuu3, [&] {
        // Upper indices start at 0 and grow to exactly what is needed; vector keeps growth amortised.
        if (m_order.empty()) {
            m_order.resize(1);
        }
        if (m_added.empty()) {
            m_added.resize(1);
        }
        if (m_count >= static_cast<int>(m_order.size()) - 1) {
            m_order.resize(static_cast<std::size_t>(m_count) + 1);
        }
        if (m_addedCount >= static_cast<int>(m_added.size()) - 1) {
            m_added.resize(static_cast<std::size_t>(m_addedCount) + 1);
        }
    });
}

void Form3::hensyu01(int side) {
    core::guarded(m_ctx.env.errors, kHensyu01, [&] {
        QStringList names;
        names.reserve(m_count);
        for (int i = 0; i < m_count; ++i) {
            names << qtext(m_ctx.env.st.NameHistory.entry(side, i)[core::kName]);
            at(m_order, i) = static_cast<std::int16_t>(i);
        }
        m_list->addItems(names);
    });
}

const std::string& Form3::shownName(int i) const {
    const int m = at(m_order, i);
    if (m >= 0) {
        return m_ctx.env.st.NameHistory.entry(m_side, m)[core::kName];
    }
    return at(m_added, -m);
}

int Form3::selectedPos() const {
    const QModelIndexList picked = m_list->selectionModel()->selectedIndexes();
    return picked.isEmpty() ? -1 : picked.first().row();
}

void Form3::clearSelection() {
    m_list->setCurrentItem(nullptr);
    m_list->clearSelection();
}

// Moving a name by one place exchanges two texts; taking an item out of a long list and putting
// it back would lay the whole list out again.
void Form3::swapTexts(int a, int b) {
    QListWidgetItem* first = m_list->item(a);
    QListWidgetItem* second = m_list->item(b);
    if (first == nullptr || second == nullptr) {
        core::throwSubscript();
    }
    const QString text = first->text();
    first->setText(second->text());
    second->setText(text);
}

void Form3::ueni(int p) {
    core::guarded(m_ctx.env.errors, kUeni, [&] {
        if (p < 1) {
            return;
        }
        std::swap(at(m_order, p - 1), at(m_order, p));
        swapTexts(p - 1, p);
        m_list->setCurrentRow(p - 1);
    });
}

void Form3::sitani(int p) {
    core::guarded(m_ctx.env.errors, kSitani, [&] {
        if (p < 0 || p >= m_count - 1) {
            return;
        }
        std::swap(at(m_order, p + 1), at(m_order, p));
        swapTexts(p, p + 1);
        m_list->setCurrentRow(p + 1);
    });
}

void Form3::sakujo31(int p) {
    core::guarded(m_ctx.env.errors, kSakujo31, [&] {
        if (p < 0) {
            return;
        }
        // The spare entry beyond the last position supplies the value that moves into it.
        at(m_order, m_count);
        at(m_order, p);
        std::copy(m_order.begin() + p + 1, m_order.begin() + m_count + 1, m_order.begin() + p);
        m_count = core::add16(m_count, -1);
        delete m_list->takeItem(p);
        clearSelection();
    });
}

void Form3::sakujo32() {
    core::guarded(m_ctx.env.errors, kSakujo32, [&] {
        for (int q = m_count - 1; q >= 0; --q) {
            sakujo31(q);
        }
    });
}

void Form3::tuika31(int p) {
    core::guarded(m_ctx.env.errors, kTuika31, [&] {
        std::string t = m_text->text().toStdString();
        if (t.empty()) {
            return;
        }
        // An added name goes into the data file like any other: the same check as the entry
        // window, and the form the file will give back.
        std::string storable;
        if (!core::mojikensa(m_ctx.env, t, &storable).empty()) {
            return;
        }
        if (!storable.empty()) {
            t = std::move(storable);
        }
        for (int i = 0; i < m_count; ++i) {
            const std::string& n = shownName(i);
            if (n == t) {
                m_ctx.env.messages.show(n + "　は既に入力されています。", core::kTitle, platform::Buttons::Ok,
                                        platform::Icon::None);
                return;
            }
        }
        if (p < 0) {
            p = m_count;
        }
        m_addedCount = core::add16(m_addedCount, 1);
        hensu_kensuu3();
        at(m_added, m_addedCount) = t;
        for (int n = m_count; n >= p + 1; --n) {
            at(m_order, n) = at(m_order, n - 1);
        }
        at(m_order, p) = static_cast<std::int16_t>(-m_addedCount);
        m_count = core::add16(m_count, 1);
        hensu_kensuu3();
        m_list->insertItem(p, qtext(t));
    });
}

void Form3::kakikae() {
    core::guarded(m_ctx.env.errors, kKakikae, [&] {
        auto& st = m_ctx.env.st;
        clearEntryNameList(m_ctx, m_side);
        // The side as it stands now, sized to its count so that no entry is lost.
        const int before = sideCount();
        std::vector<core::Fields> snapshot(static_cast<std::size_t>(before));
        for (int i = 0; i < before; ++i) {
            snapshot[static_cast<std::size_t>(i)] = st.NameHistory.entry(m_side, i);
            st.NameHistory.set(m_side, i, core::Fields{});
        }
        sideCount() = m_count;
        core::hensu_kensuu(m_ctx.env);
        for (int j = 0; j < m_count; ++j) {
            const int m = at(m_order, j);
            if (m >= 0) {
                st.NameHistory.set(m_side, j, at(snapshot, m));
            } else {
                core::Fields added{};
                added[core::kName] = at(m_added, -m);
                st.NameHistory.set(m_side, j, added);
            }
            appendEntryName(m_ctx, m_side, st.NameHistory.entry(m_side, j)[core::kName]);
        }
    });
}

std::string Form3::kakunin() {
    return core::guardedOr(m_ctx.env.errors, kKakunin, std::string(), [&] {
        std::string state = kUnchanged;
        for (int i = 0; i < m_count; ++i) {
            if (at(m_order, i) != i) {
                state = kChanged;
                break;
            }
        }
        if (m_count < sideCount()) {
            state = kDeleted;
        }
        if (m_okPressed) {
            state = kOkPressed;
        }
        return state;
    });
}

void Form3::bHyouji3() {
    core::guarded(m_ctx.env.errors, kBHyouji3, [&] {
        const int p = selectedPos();
        m_buttons[0]->setEnabled(!m_text->text().isEmpty());
        const bool up = p > 0;
        const bool down = p >= 0 && p < m_count - 1;
        const bool picked = p >= 0;
        m_buttons[1]->setEnabled(up);
        m_buttons[2]->setEnabled(down);
        m_buttons[3]->setEnabled(picked);
        m_items[0]->setEnabled(up);
        m_items[1]->setEnabled(down);
        m_items[2]->setEnabled(picked);
        m_items[3]->setEnabled(m_list->count() > 0);
        m_items[4]->setEnabled(picked);
    });
}

void Form3::t_sentaku() {
    core::guarded(m_ctx.env.errors, kTSentaku,
                  [&] { m_text->setSelection(0, static_cast<int>(m_text->text().size())); });
}

void Form3::Command1_Click(int index) {
    core::guarded(m_ctx.env.errors, kCommand1Click, [&] {
        const int p = selectedPos();
        switch (index) {
        case 0:
            tuika31(p);
            t_sentaku();
            break;
        case 1:
            ueni(p);
            break;
        case 2:
            sitani(p);
            break;
        case 3:
            sakujo31(p);
            break;
        case 4:
            close();
            return;
        case 5:
            kakikae();
            persist::kakikomi01(m_ctx.env);
            m_okPressed = true;
            close();
            return;
        default:
            break;
        }
        bHyouji3();
    });
}

void Form3::hensyu31_Click(int index) {
    core::guarded(m_ctx.env.errors, kHensyu31Click, [&] {
        const int p = selectedPos();
        switch (index) {
        case 0:
            ueni(p);
            break;
        case 1:
            sitani(p);
            break;
        case 2:
            sakujo31(p);
            break;
        case 3:
            sakujo32();
            break;
        case 4:
            clearSelection();
            break;
        default:
            break;
        }
        bHyouji3();
    });
}

void Form3::Text1_Change() {
    core::guarded(m_ctx.env.errors, kText1Change, [&] {
        bHyouji3();
        m_buttons[0]->setDefault(true);
    });
}

void Form3::List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    core::guarded(m_ctx.env.errors, kList1MouseUp, [&] {
        if (button == Qt::RightButton) {
            m_popup->popup(globalPos);
        }
    });
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, this, [this] { t_sentaku(); });
    } else if (watched == m_list->viewport()) {
        return filterListMouse(event, [this](Qt::MouseButton b, const QPoint& p) { List1_MouseUp(b, p); });
    }
    return QWidget::eventFilter(watched, event);
}

void Form3::keyPressEvent(QKeyEvent* event) {
    // Once a name is being typed "追加" is the default button: Enter presses it wherever the focus
    // is, since the box, the list and the other buttons all leave Enter to the window.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_buttons[0]->isDefault()) {
        event->accept();
        if (m_buttons[0]->isEnabled()) {
            m_buttons[0]->click();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Form3::Form_QueryUnload() {
    return core::guardedOr(m_ctx.env.errors, kFormQueryUnload, false, [&] {
        if (m_closingByProgram) {
            return false;
        }
        if (core::value(kakunin()) <= 1) {
            return false;
        }
        const platform::Answer a =
            m_ctx.env.messages.show("変更が保存されていません。\r\n編集を終了しますか?", core::kTitle,
                                    platform::Buttons::YesNo, platform::Icon::Question, platform::Answer::Yes);
        // Only the user's "No" keeps the editor open; a box closed by the program does not.
        return a == platform::Answer::No;
    });
}

void Form3::Form_Unload() {
    core::guarded(m_ctx.env.errors, kFormUnload, [&] {
        auto& st = m_ctx.env.st;
        setEntryEditorItemEnabled(m_ctx, 1 - m_side, true);
        // Where the compositor places windows, the place read back is not where the window stood.
        if (!placesBelongToCompositor()) {
            persist::Geometry g;
            g.top = twips(y());
            g.left = twips(x());
            m_ctx.settings.rejisutory06(g);
        }
        m_ctx.env.log.kiloku("△編集　," + core::dateTimeText(m_ctx.env) + ",,,履歴編集画面を閉じる," + kakunin() +
                             ",タイマー履歴数=" + std::to_string(st.NameHistoryCount[0]) +
                             ",予定履歴数=" + std::to_string(st.NameHistoryCount[1]) + ",,");
        st.HistoryEditorState = "休業中";
    });
}

void Form3::closeEvent(QCloseEvent* event) {
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (Form_QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    m_unloaded = true;
    Form_Unload();
    if (m_ctx.names == this) {
        m_ctx.names = nullptr;
    }
}

void Form3::closeByProgram() {
    m_closingByProgram = true;
    close();
}

void openNamesEditor(UiContext& ctx) {
    if (ctx.names != nullptr) {
        ctx.names->showNormal();
        ctx.names->raise();
        ctx.names->activateWindow();
        return;
    }
    auto* editor = new Form3(ctx);
    ctx.names = editor;
    editor->load();
    editor->show();
}

void closeNamesEditor(UiContext& ctx) {
    if (ctx.names != nullptr) {
        ctx.names->closeByProgram();
    }
}

} // namespace mayorin::ui
