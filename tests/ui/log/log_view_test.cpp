// The monitoring log as its user meets it: selecting and copying, following
// the end while lines arrive, the context menu and saving the whole log.
#include "ui/log/log_view.h"
#include "../window_test_support.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace zmt;
using namespace zmt::ui;
using test::child;

namespace {

// The log with lines 0..count-1, then the Cyrillic banner.
QString fill(MainWindow& window, int count) {
    QString expected;
    for (int i = 0; i < count; ++i) {
        window.memoLine(formatText("t:01 l:02 [ %02X ]", i & 0xFF));
        expected += QString::asprintf("t:01 l:02 [ %02X ]\n", i & 0xFF);
    }
    window.memoLine("********** Контроллер подключен *********");
    return expected + QStringLiteral("********** Контроллер подключен *********");
}

} // namespace

class LogViewTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setLanguage("ru"); }

    void selectAllAndCopyGiveTheWholeLogAndTheMouseSelectsAcrossLines() {
        MainWindow window;
        window.show();
        auto* memo = child<LogView>(window, "Memo");
        const QString expected = fill(window, 2000);
        QApplication::clipboard()->clear();
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), expected);

        // Dragging from the third character of the first row in sight to the
        // seventh of the next marks the rest of one line and the start of the other.
        memo->verticalScrollBar()->setValue(0);
        memo->horizontalScrollBar()->setValue(0);
        const QFontMetrics metrics(memo->font());
        const int rowHeight = int(std::ceil(QFontMetricsF(memo->font()).height()));
        auto at = [&metrics, rowHeight](int column, int row) {   // just right of the gap before column
            return QPoint(4 + column * metrics.horizontalAdvance(QLatin1Char('M')) + 1,
                          4 + row * rowHeight + rowHeight / 2);
        };
        QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, at(2, 0));
        QTest::mouseMove(memo->viewport(), at(6, 1));
        QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, at(6, 1));
        QCOMPARE(memo->selectedText(), QStringLiteral("01 l:02 [ 00 ]\nt:01 l"));
        // A screen reader reads the same text, and where the selection lies in it.
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(memo);
        QAccessibleTextInterface* text = reader->textInterface();
        QVERIFY(text != nullptr && reader->state().readOnly && reader->state().multiLine);
        QCOMPARE(text->characterCount(), int(expected.size()));
        QCOMPARE(text->text(17, 34), QStringLiteral("t:01 l:02 [ 01 ]\n"));
        int start = -1;
        int end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(start, 2);
        QCOMPARE(text->text(start, end), memo->selectedText());
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Журнал контроллера"));
        window.setLanguage("en");
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Controller log"));
        // A click without a drag selects nothing; copying then leaves the clipboard alone.
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, at(1, 0));
        QVERIFY(!memo->hasSelection());
        memo->copy();
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void followsTheEndOnlyWhileTheUserIsThere() {
        MainWindow window;
        window.show();
        auto* memo = child<LogView>(window, "Memo");
        QScrollBar* bar = memo->verticalScrollBar();
        fill(window, 500);
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        window.memoLine("last");
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(memo->firstVisibleLine() + bar->pageStep(), int(memo->lineCount()));

        // Reading older lines: new ones do not pull the view down.
        bar->setValue(10);
        window.memoLine("one more");
        QCOMPARE(bar->value(), 10);
        // Back at the end, it follows again; Ctrl+Home and Ctrl+End move there.
        QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(bar->value(), bar->maximum());
        window.memoLine("and another");
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(bar->value(), 0);

        // Emptied, it starts over at the top.
        window.memoClear();
        QCOMPARE(bar->maximum(), 0);
        QCOMPARE(memo->toPlainText(), QString());
        QVERIFY(!memo->hasSelection());
    }

    void contextMenuOffersCopySelectAllAndSaveLogInBothLanguages() {
        MainWindow window;
        window.show();
        auto* memo = child<LogView>(window, "Memo");
        for (const auto& [language, save] : {std::pair{Russian, "Сохранить лог…"}, std::pair{English, "Save log…"}}) {
            setLanguage(codeOf(language));
            QStringList shown;
            // Read the menu once it is up, then close it: the menu runs its own loop.
            QTimer::singleShot(0, &window, [&shown] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (menu == nullptr) return;
                for (QAction* item : menu->actions())
                    if (!item->isSeparator()) shown << item->text() + (item->isEnabled() ? "" : " (off)");
                menu->close();
            });
            const QPoint at(10, 10);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, memo->viewport()->mapToGlobal(at));
            QApplication::sendEvent(memo->viewport(), &event);
            QCOMPARE(shown.size(), 3);
            QVERIFY(shown[0].endsWith(" (off)"));   // nothing selected, nothing to copy
            QCOMPARE(shown[2], QString::fromUtf8(save));
        }
    }

    void saveLogWritesTheWholeLogOrSaysWhyNot() {
        test::ScriptedDialogs dialogs;
        MainWindow window;
        window.setDialogs(dialogs);
        auto* memo = child<LogView>(window, "Memo");
        const QString expected = fill(window, 300);
        QStringList boxes;
        dialogs.messageBox = [&boxes](QMessageBox& box) {
            boxes << box.text();
            return Answer::Ok;
        };
        QTemporaryDir folder;
        QString answer = folder.filePath("монитор.txt");
        dialogs.fileDialog = [&answer](QFileDialog&) { return answer; };
        auto* save = child<QAction>(window, "MenuItemMemoSaveLogx");

        save->trigger();
        QFile saved(answer);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), expected + "\n");
        QVERIFY(boxes.isEmpty());

        // A folder that does not exist: the user is told, the log stays.
        setLanguage("en");
        answer = folder.filePath("missing/log.txt");
        save->trigger();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("Unable to write to") && boxes[0].contains("log.txt"), qPrintable(boxes[0]));
        QCOMPARE(memo->toPlainText(), expected);

        // A cancelled dialog writes nothing and says nothing.
        answer.clear();
        save->trigger();
        QCOMPARE(boxes.size(), 1);
    }
};

QTEST_MAIN(LogViewTest)
#include "log_view_test.moc"
