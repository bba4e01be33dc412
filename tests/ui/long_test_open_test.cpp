// "Otevři" of a long test: the file is read off the GUI thread (the window keeps handling
// events), the progress dialog offers "Zrušit", and a cancelled open leaves the test that
// was open before in the panel, the title and the data window, and as the current test
// file; the next open then succeeds.
#include "demo_definitions.h"
#include "support/long_test_file.h"
#include "support/qt/messages.h"
#include "support/recorded_test.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace kapsorel;

namespace {

// Enough samples that reading them takes many pieces of the open.
constexpr std::size_t kLongSamples = 200'000;

// A short test of one step with three samples, battery "A12".
std::filesystem::path writeShortTest(const test::TempHome& home)
{
    return test::recordTest(home / "Data");
}

QProgressDialog* openProgress(const QWidget& w)
{
    return w.findChild<QProgressDialog*>(QStringLiteral("openProgress"));
}

} // namespace

class LongTestOpenTest : public QObject {
    Q_OBJECT

    test::TempHome home_;
    std::filesystem::path shortTest_;
    std::filesystem::path longTest_;

  private slots:
    void initTestCase()
    {
        QVERIFY(demo::writeDemoDefinitions(home_.path()).ok());
        home_.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nData_adr=" +
                                            (home_ / "Data").string() + "\n");
        shortTest_ = writeShortTest(home_);
        QVERIFY(!shortTest_.empty());
        longTest_ = home_ / "Data" / "dlouhy.tst";
        test::writeLongTestFile(longTest_, {.samples = kLongSamples});
    }

    void theWindowHandlesEventsWhileTheFileIsRead()
    {
        ui::MainWindow w(home_.path(), home_ / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        int ticks = 0;
        QTimer tick;
        tick.setInterval(0);
        connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start();
        QVERIFY(w.openTestFileAt(longTest_));
        tick.stop();
        QVERIFY2(ticks > 0, "the GUI thread handled no event while the file was read");
        QCOMPARE(w.findChild<QTableView*>(QStringLiteral("gdata"))->model()->rowCount(), int(kLongSamples));
        QCOMPARE(w.samples().size(), kLongSamples);
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(longTest_.string())));
    }

    void cancelLeavesThePreviousTestOpen()
    {
        ui::MainWindow w(home_.path(), home_ / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(shortTest_));
        auto* grid = w.findChild<QTableView*>(QStringLiteral("gdata"));
        const QString title = w.windowTitle();

        // "Zrušit" as soon as the GUI thread takes events during the read. The read may
        // (rarely, on a busy machine) end before that; then the short test is opened again
        // and the cancel tried once more.
        bool opened = true;
        for (int attempt = 0; attempt < 5 && opened; ++attempt) {
            QTimer::singleShot(0, &w, [&w] {
                QProgressDialog* progress = openProgress(w);
                QVERIFY(progress);
                auto* cancel = progress->findChild<QPushButton*>();
                QVERIFY(cancel);
                QCOMPARE(cancel->text(), QStringLiteral("Zrušit"));
                cancel->click();
            });
            opened = w.openTestFileAt(longTest_);
            if (opened)
                QVERIFY(w.openTestFileAt(shortTest_));
        }
        QVERIFY(!opened);
        QVERIFY(test::messages(w).contains(QString::fromUtf8(test_file_messages::kOpenCancelled)));
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(w.samples().size(), std::size_t{3});
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("Lcislo_bat"))->text(), QStringLiteral("A12"));
        QCOMPARE(w.runtime().testFile().currentPath(), shortTest_);
        QCOMPARE(w.runtime().testFile().header().batteryNumber, std::string("A12"));

        // The next open is not held back by the cancelled one.
        QVERIFY(w.openTestFileAt(longTest_));
        QCOMPARE(grid->model()->rowCount(), int(kLongSamples));
    }
};

QTEST_MAIN(LongTestOpenTest)
#include "long_test_open_test.moc"
