// The chime that lies beside the program, and the player that plays it: whatever the file or the
// machine, the open, play and close steps come back at once and never report anything.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "platform/qt/QtSoundPlayer.h"

using mayorin::platform::QtSoundPlayer;
using mayorin::platform::SoundTrouble;

namespace {

const QString kChime = QString::fromUtf8(MAYORIN_CHIME);

quint32 le32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 le16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

} // namespace

class TestQtSoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void chimeIsAShortPlainWaveFile() {
        QFile f(kChime);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(kChime));
        const QByteArray b = f.readAll();
        QVERIFY(b.size() < 100 * 1024);
        QCOMPARE(b.left(4), QByteArray("RIFF"));
        QCOMPARE(le32(b, 4), quint32(b.size() - 8));
        QCOMPARE(b.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(le16(b, 20), quint16(1)); // plain PCM
        const int channels = le16(b, 22);
        const quint32 rate = le32(b, 24);
        QCOMPARE(le16(b, 34), quint16(16));
        QCOMPARE(b.mid(36, 4), QByteArray("data"));
        const quint32 bytes = le32(b, 40);
        QCOMPARE(bytes, quint32(b.size() - 44));
        const double seconds = double(bytes) / (rate * channels * 2);
        QVERIFY2(seconds >= 0.5 && seconds <= 2.0, qPrintable(QString::number(seconds)));
        // Loud enough to hear, never clipped.
        int peak = 0;
        for (int at = 44; at + 1 < b.size(); at += 2) {
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(b.constData() + at))));
        }
        QVERIFY2(peak > 8000 && peak < 32767, qPrintable(QString::number(peak)));
    }

    void stepsComeBackAtOnceWhateverTheFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("fallback");   // the file named to play in its place: 0 none, 1 the chime, 2 garbage
        QTest::addColumn<QString>("loaded"); // what is loaded at the open, then once loading is over
        QTest::addColumn<int>("told");       // what the player says at each round when it falls back; -1 nothing
        QTest::newRow("chime") << "chime" << 0 << "file,file" << -1;
        QTest::newRow("missing") << "missing" << 0 << "," << -1;
        QTest::newRow("not a wave file") << "garbage" << 0 << "file,file" << -1;
        QTest::newRow("chime, with a fallback") << "chime" << 1 << "file,file" << -1;
        QTest::newRow("missing, with a fallback")
            << "missing" << 1 << "fallback,fallback" << int(SoundTrouble::Missing);
        QTest::newRow("not a wave file, with a fallback")
            << "garbage" << 1 << "file,fallback" << int(SoundTrouble::NotPlayable);
        // Once only: a fallback that does not decode either is not fallen back from again.
        QTest::newRow("not a wave file either") << "garbage" << 2 << "file,fallback" << int(SoundTrouble::NotPlayable);
    }
    void stepsComeBackAtOnceWhateverTheFile() {
        QFETCH(QString, kind);
        QFETCH(int, fallback);
        QFETCH(QString, loaded);
        QFETCH(int, told);
        QTemporaryDir dir;
        const auto file = [&](const QString& kind, const QString& name) {
            if (kind != "garbage") {
                return kind == "chime" ? kChime : kind.isEmpty() ? QString() : dir.filePath(name);
            }
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray(4096, 'x'));
            return f.fileName();
        };
        const QString path = file(kind, "Mayorin。音.wav");
        const QString other = file(QStringList{"", "chime", "garbage"}[fallback], "other.wav");
        QStringList expected = loaded.split(',');
        for (QString& e : expected) {
            e = e == "file" ? path : e == "fallback" ? other : e;
        }
        QtSoundPlayer player;
        QStringList said;
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 3; ++round) {
            player.close(); // a new start always closes first
            player.setFile(path.toStdString(), other.toStdString(), [&](const std::string& file, SoundTrouble why) {
                QCOMPARE(QString::fromStdString(file), path);
                said << QString::number(int(why));
            });
            player.open();
            QCOMPARE(player.loadedFile(), expected[0]);
            player.play();
            // A file that does not decode gives way to its fallback once the effect has tried it.
            QTRY_COMPARE(player.loadedFile(), expected[1]);
            QTRY_COMPARE(player.isPlaying(), player.loadedFile() == kChime);
        }
        player.close();
        QCOMPARE(player.loadedFile(), QString());
        QCOMPARE(said, told < 0 ? QStringList{} : QStringList(3, QString::number(told)));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    void closeBeforeAnyOpenIsHarmless() {
        QtSoundPlayer player;
        player.close();
        player.play();
        QCOMPARE(player.loadedFile(), QString());
    }
};

QTEST_MAIN(TestQtSoundPlayer)
#include "TestQtSoundPlayer.moc"
