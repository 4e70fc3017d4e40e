// The snapshots in zmtsetup --simulator: what the controller held is kept
// after the first read and before a file replaces it; the history lists the
// snapshots with their cause and what differs from now, shows the
// differences, and its Restore is one undoable edit that reaches the
// controller; "Compare with file..." shows what a file would change.
#include "config/snapshot_store.h"
#include "../program_rig.h"
#include "../window_test_support.h"
#include "ui/shell/snapshot_windows.h"

#include <filesystem>

#include <QDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstring>

using namespace zmt;
using namespace zmt::ui;

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
        test::ProgramRig p({.answer = ID_YES});
        p.window.setLanguage(language);
        const bool ru = language == Russian;
        p.window.show();
        p.poll();
        QVERIFY(p.window.flags().imageValid);
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
        QListWidget* list = windows.snapshotList();
        QCOMPARE(list->count(), 2);
        QVERIFY2(list->item(0)->text().contains(QString::fromStdString(snapshotCauseText(SnapshotCause::FileSent))),
                 qPrintable(list->item(0)->text()));
        QVERIFY(list->item(0)->text().endsWith(ru ? QStringLiteral("Отличается: параметры")
                                                  : QStringLiteral("Differs: parameters")));
        list->setCurrentRow(1);
        QCOMPARE(windows.historyDifferences()->toPlainText().count(headUnit), 2);
        test::savePicture(windows.historyDialog()->grab(), QStringLiteral("snapshot-history"));

        // Restore: the snapshot's configuration, kept first what it replaces,
        // sent on the next tick, and taken back by one undo.
        windows.restoreButton()->click();
        QCOMPARE(p.record.image.headType, original);
        p.tick();
        QCOMPARE(p.controller().state.config[974], original);
        QCOMPARE(store.list(1001)[0].cause, SnapshotCause::Restored);
        QCOMPARE(list->count(), 3);
        QVERIFY(p.wiring.undo());
        QCOMPARE(p.record.image.headType, 3);
        p.tick();
        QCOMPARE(p.controller().state.config[974], 3);
    }

    void aCutSnapshotIsNeverOfferedForRestore_data() { historyComparesRestoresAndUndoes_data(); }
    void aCutSnapshotIsNeverOfferedForRestore() {
        QFETCH(int, language);
        test::ProgramRig p({.answer = ID_YES});
        p.window.setLanguage(language);
        p.window.show();
        p.poll();
        const SnapshotStore store(p.dir.filePath("snapshots").toStdString());
        QCOMPARE(store.list(1001).size(), std::size_t{1});
        const std::string path = store.list(1001)[0].path;
        std::filesystem::resize_file(path, 1500);

        SnapshotWindows& windows = p.program.snapshotWindows();
        windows.showHistory();
        QListWidget* list = windows.snapshotList();
        QCOMPARE(list->count(), 1);
        const QString said = QString::fromStdString(path) +
                             (language == Russian ? QStringLiteral(" неполон") : QStringLiteral(" is incomplete"));
        QVERIFY2(list->item(0)->text().contains(said), qPrintable(list->item(0)->text()));
        list->setCurrentRow(0);
        QVERIFY(!windows.restoreButton()->isEnabled());
        QVERIFY2(windows.historyDifferences()->toPlainText().contains(said),
                 qPrintable(windows.historyDifferences()->toPlainText()));
    }

    void firmwareThatClearsTheConfigurationOffersTheOldOneBack() {
        test::ProgramRig p({.answer = ID_YES});
        p.window.setLanguage(English);
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
        QVERIFY(p.window.flags().imageValid);
        const auto offer = std::find_if(p.boxes.begin(), p.boxes.end(), [](const QString& box) {
            return box.contains("Put the old configuration back?");
        });
        QVERIFY2(offer != p.boxes.end(), qPrintable(p.boxes.join(" | ")));
        QCOMPARE(p.record.image.headType, 2);
        QCOMPARE(p.record.deviceCopy.headType, 0);
        p.tick();
        QCOMPARE(p.controller().state.config[974], 2);
        // One edit: undo gives the factory configuration the update left.
        QVERIFY(p.wiring.undo());
        QCOMPARE(p.record.image.headType, 0);
        const SnapshotStore store(p.dir.filePath("snapshots").toStdString());
        QCOMPARE(store.list(1001)[0].cause, SnapshotCause::FirmwareUpdate);
    }

    void needsAConnectedController() {
        test::ProgramRig p({.plugged = false, .answer = ID_YES});
        p.window.setLanguage(English);
        p.poll();
        p.program.snapshotWindows().showHistory();
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxes[0], QStringLiteral("No controller is connected"));
        QVERIFY(p.program.snapshotWindows().historyDialog() == nullptr);
    }
};

QTEST_MAIN(SnapshotWindowsTest)
#include "snapshot_windows_test.moc"
