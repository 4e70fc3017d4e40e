// The snapshots in zmtsetup --simulator: what the controller held is kept
// after the first read and before a file replaces it; the history lists the
// snapshots with their cause and what differs from now, shows the
// differences, and its Restore is one undoable edit that reaches the
// controller; "Compare with file..." shows what a file would change.
#include "config/snapshot_store.h"
#include "../program_rig.h"
#include "../window_test_support.h"
#include "ui/shell/snapshot_windows.h"

#include "learned_buttons.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimeZone>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

using namespace zmt;
using namespace zmt::ui;

namespace {

// A row of the history as the eye reads it, its columns one after another.
QString rowText(const QAbstractItemView* list, int row) {
    QStringList columns;
    for (int column = 0; column < list->model()->columnCount(); ++column)
        columns << list->model()->index(row, column).data().toString();
    return columns.join(QStringLiteral("   "));
}

// The local time of the test is three hours ahead of UTC; the suite's own
// (UTC) comes back afterwards.
struct ThreeHoursAheadOfUtc {
    ThreeHoursAheadOfUtc() { useZone("ZMT-3"); }
    ~ThreeHoursAheadOfUtc() { useZone("UTC"); }
    static void useZone(const char* zone) {
        qputenv("TZ", zone);
        tzset();
    }
};

// Every cell of list shows its text whole, and so does every line of memo.
void shownWhole(const QAbstractItemView* list, const QPlainTextEdit* memo) {
    const QFontMetrics metrics(list->font());
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        for (int column = 0; column < list->model()->columnCount(); ++column) {
            const QModelIndex index = list->model()->index(row, column);
            const QRect cell = list->visualRect(index);
            const QString text = index.data().toString();
            QVERIFY2(cell.width() > metrics.horizontalAdvance(text) && cell.right() < list->viewport()->width(),
                     qPrintable(text));
        }
    }
    QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
}

} // namespace

class SnapshotWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void historyComparesRestoresAndUndoes_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Russian") << int(Russian);
        QTest::newRow("English") << int(English);
    }
    void historyComparesRestoresAndUndoes() {
        QFETCH(int, language);
        test::ProgramRig p({.answer = Answer::Yes});
        p.window.setLanguage(codeOf(language));
        const bool ru = language == Russian;
        p.window.show();
        p.poll();
        QVERIFY(p.window.flags().imageValid());
        const SnapshotStore store(p.dir.filePath("snapshots").toStdString());
        QCOMPARE(store.list(1001).size(), std::size_t{1});
        QCOMPARE(store.list(1001)[0].cause, SnapshotCause::FirstRead);
        const uint8_t original = p.record.image.headType;

        // The first file: the controller still holds what the first read
        // kept, so nothing new; the second: the first file's configuration is kept.
        p.commands.openFile(p.writeConfigFile("two.ZMT", 2).toStdString());
        p.tick();
        QCOMPARE(p.controller().state.config[974], 2);
        QCOMPARE(store.list(1001).size(), std::size_t{1});
        p.commands.openFile(p.writeConfigFile("three.ZMT", 3).toStdString());
        p.tick();
        const auto entries = store.list(1001);
        QCOMPARE(entries.size(), std::size_t{2});
        QCOMPARE(entries[0].cause, SnapshotCause::FileSent);

        SnapshotWindows& windows = p.program.snapshotWindows();
        windows.compareWith(p.writeConfigFile("four.ZMT", 4).toStdString());
        QVERIFY(windows.compareDialog()->isVisible());
        const QString compared = windows.compareDifferences()->toPlainText();
        const QString headUnit = ru ? QStringLiteral("Головное устройство") : QStringLiteral("Head unit");
        QVERIFY2(compared.startsWith(ru ? "Параметры\n  - " + headUnit : "Parameters\n  - " + headUnit),
                 qPrintable(compared));
        QCOMPARE(compared.count(headUnit), 2);
        test::savePicture(windows.compareDialog()->grab(), QStringLiteral("compare-with-file"));
        windows.compareDialog()->close();
        // Nothing was sent by comparing.
        QCOMPARE(p.controller().state.config[974], 3);

        windows.showHistory();
        QAbstractItemView* list = windows.snapshotList();
        QCOMPARE(list->model()->rowCount(), 2);
        QVERIFY2(rowText(list, 0).contains(QString::fromStdString(snapshotCauseText(SnapshotCause::FileSent))),
                 qPrintable(rowText(list, 0)));
        QVERIFY(rowText(list, 0).endsWith(ru ? QStringLiteral("Отличается: параметры")
                                             : QStringLiteral("Differs: parameters")));
        list->setCurrentIndex(list->model()->index(1, 0));
        QCOMPARE(windows.historyDifferences()->toPlainText().count(headUnit), 2);
        test::savePicture(windows.historyDialog()->grab(), QStringLiteral("snapshot-history"));

        // Restore: the snapshot's configuration, kept first what it replaces,
        // sent on the next tick, and taken back by one undo.
        windows.restoreButton()->click();
        QCOMPARE(p.record.image.headType, original);
        p.tick();
        QCOMPARE(p.controller().state.config[974], original);
        QCOMPARE(store.list(1001)[0].cause, SnapshotCause::Restored);
        QCOMPARE(list->model()->rowCount(), 3);
        QVERIFY(p.session.undo());
        QCOMPARE(p.record.image.headType, 3);
        p.tick();
        QCOMPARE(p.controller().state.config[974], 3);
    }

    void aCutSnapshotIsNeverOfferedForRestore_data() { historyComparesRestoresAndUndoes_data(); }
    void aCutSnapshotIsNeverOfferedForRestore() {
        QFETCH(int, language);
        test::ProgramRig p({.answer = Answer::Yes});
        p.window.setLanguage(codeOf(language));
        p.window.show();
        p.poll();
        const SnapshotStore store(p.dir.filePath("snapshots").toStdString());
        QCOMPARE(store.list(1001).size(), std::size_t{1});
        const std::string path = store.list(1001)[0].path;
        std::filesystem::resize_file(path, 1500);

        SnapshotWindows& windows = p.program.snapshotWindows();
        windows.showHistory();
        QAbstractItemView* list = windows.snapshotList();
        QCOMPARE(list->model()->rowCount(), 1);
        const QString said = QString::fromStdString(path) +
                             (language == Russian ? QStringLiteral(" неполон") : QStringLiteral(" is incomplete"));
        QVERIFY2(rowText(list, 0).contains(said), qPrintable(rowText(list, 0)));
        list->setCurrentIndex(list->model()->index(0, 0));
        QVERIFY(!windows.restoreButton()->isEnabled());
        QVERIFY2(windows.historyDifferences()->toPlainText().contains(said),
                 qPrintable(windows.historyDifferences()->toPlainText()));
    }

    // What the windows show is read without guessing: the time a snapshot
    // was kept in the user's own time, what "-" and "+" stand for, and
    // every column and line whole, however much differs.
    void timesLegendsAndWholeColumns_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("historyLegend");
        QTest::addColumn<QString>("compareLegend");
        QTest::newRow("Russian") << int(Russian) << QStringLiteral("«-» — в снимке, «+» — сейчас")
                                 << QStringLiteral("«-» — в контроллере, «+» — в файле");
        QTest::newRow("English") << int(English) << QStringLiteral("\"-\" in the snapshot, \"+\" now")
                                 << QStringLiteral("\"-\" in the controller, \"+\" in the file");
    }
    void timesLegendsAndWholeColumns() {
        QFETCH(int, language);
        QFETCH(QString, historyLegend);
        QFETCH(QString, compareLegend);
        const ThreeHoursAheadOfUtc zone;
        test::ProgramRig p({.answer = Answer::Yes});
        p.window.setLanguage(codeOf(language));
        p.window.show();
        p.poll();
        // Buttons, an event, the HOME key and the head unit all differ from
        // what the first read kept.
        fixtures::putLearnedButtons(p.record.image);
        p.record.image.events[0] = EventRecord{1, 0, 1, 2, EventShortPress, {ReactionKeyboard, 0x41, 0x28, 0x29}};
        p.record.image.homeReaction = Reaction{ReactionConsumer, 0, 0xE9, 0};
        p.record.image.headType = 3;
        const SnapshotStore store(p.dir.filePath("snapshots").toStdString());
        const std::vector<SnapshotEntry> entries = store.list(1001);
        QCOMPARE(entries.size(), std::size_t{1});

        SnapshotWindows& windows = p.program.snapshotWindows();
        windows.showHistory();
        QCoreApplication::processEvents();
        QAbstractItemView* list = windows.snapshotList();
        QDateTime kept = QDateTime::fromString(QString::fromStdString(entries[0].stamp), QStringLiteral("yyyyMMdd-HHmmss"));
        kept.setTimeZone(QTimeZone::utc());
        const QString local = kept.addSecs(3 * 3600).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(rowText(list, 0).startsWith(local), qPrintable(rowText(list, 0) + " / " + local));
        QVERIFY(!rowText(list, 0).contains(QStringLiteral("UTC")));
        auto* legend = windows.historyDialog()->findChild<QLabel*>(QStringLiteral("LabelSnapshotLegend"));
        QVERIFY(legend != nullptr && legend->isVisible());
        QCOMPARE(legend->text(), historyLegend);
        shownWhole(list, windows.historyDifferences());
        test::savePicture(windows.historyDialog()->grab(), QStringLiteral("snapshot-history-legend"));

        // The same changes in a file, against what the controller holds.
        const QString path = p.dir.filePath(QStringLiteral("wide.ZMT"));
        QVERIFY(saveConfigFile(p.record.image, path.toStdString()).ok());
        windows.compareWith(path.toStdString());
        QCoreApplication::processEvents();
        legend = windows.compareDialog()->findChild<QLabel*>(QStringLiteral("LabelCompareLegend"));
        QVERIFY(legend != nullptr && legend->isVisible());
        QCOMPARE(legend->text(), compareLegend);
        QCOMPARE(windows.compareDifferences()->horizontalScrollBar()->maximum(), 0);
    }

    void firmwareThatClearsTheConfigurationOffersTheOldOneBack() {
        test::ProgramRig p({.answer = Answer::Yes});
        p.window.setLanguage("en");
        p.window.show();
        p.poll();
        p.commands.openFile(p.writeConfigFile("two.ZMT", 2).toStdString());
        p.tick();
        QCOMPARE(p.controller().state.config[974], 2);
        p.useFirmwareFile(true);
        p.boxes.clear();
        p.procedures.onUpdateFirmware();
        // The new application starts from the factory configuration; the
        // next polls find it and read it as new.
        for (int i = 0; i < 20; ++i) {
            p.clock.now += sim::kRestartMs;
            p.poll();
        }
        QCOMPARE(p.controller().state.applicationVersion, 118);
        QVERIFY(p.window.flags().imageValid());
        const auto offer = std::find_if(p.boxes.begin(), p.boxes.end(), [](const QString& box) {
            return box.contains("Put the old configuration back?");
        });
        QVERIFY2(offer != p.boxes.end(), qPrintable(p.boxes.join(" | ")));
        QCOMPARE(p.record.image.headType, 2);
        QCOMPARE(p.record.deviceCopy.headType, 0);
        p.tick();
        QCOMPARE(p.controller().state.config[974], 2);
        // One edit: undo gives the factory configuration the update left.
        QVERIFY(p.session.undo());
        QCOMPARE(p.record.image.headType, 0);
        const SnapshotStore store(p.dir.filePath("snapshots").toStdString());
        QCOMPARE(store.list(1001)[0].cause, SnapshotCause::FirmwareUpdate);
    }

    void needsAConnectedController() {
        test::ProgramRig p({.plugged = false, .answer = Answer::Yes});
        p.window.setLanguage("en");
        p.poll();
        p.program.snapshotWindows().showHistory();
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxes[0], QStringLiteral("No controller is connected"));
        QVERIFY(p.program.snapshotWindows().historyDialog() == nullptr);
    }
};

QTEST_MAIN(SnapshotWindowsTest)
#include "snapshot_windows_test.moc"
