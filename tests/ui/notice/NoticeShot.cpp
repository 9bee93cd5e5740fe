// Shows the notification window with three notices at its default size and leaves it up for a
// few seconds, so that a screenshot can be taken of it (tests/ui/notice/shot.sh).
#include <QApplication>
#include <QTimer>

#include "tests/ui/notice/NoticeHarness.h"

using namespace mayorin;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int showMs = argc > 1 ? std::atoi(argv[1]) : 4000;

    test::Program p;
    p.clock.set(2026, 12, 7, 15, 0, 0);
    p.st.AppDir = QCoreApplication::applicationDirPath().toStdString();
    const auto add = [&](core::Fields row, double late) {
        row[core::kNextSecond] = core::spacedDecimalText(core::genByou(p.env) - late);
        p.st.ReservationTable[p.st.ReservationCount] = row;
        core::tuika_mein(p.env);
        p.resident.tick();
    };
    add({"", "2", "1", "週次ミーティング", "15", "00", "", "", "", ""}, 0);
    p.clock.advance(65);
    add({"", "1", " 5", "ストレッチ", "00", "25", "00", "05", " 3", ""}, 0);
    p.clock.advance(300);
    add({"", "0", "0", "お茶の時間", "00", "05:30", "", "", "", ""}, 12);

    QTimer::singleShot(showMs, &app, [&] {
        ui::closeNoticeWindow(p.ctx);
        app.quit();
    });
    return app.exec();
}
