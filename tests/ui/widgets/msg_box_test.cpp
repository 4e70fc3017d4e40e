// Message boxes: what each kind of box shows, where the box goes, and how the
// box treats the device poll around it.
#include "lang/lang.h"
#include "ui/widgets/msg_box.h"
#include "../window_test_support.h"
#include "flags_for_tests.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace zmt;
using namespace zmt::ui;
using zmt::ui::test::timerNamed;

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QStringList buttonTexts;   // as shown, shortcut marks included
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool onTop = false;
    Qt::TextFormat format = Qt::AutoText;
    bool pollArmed = true;
    QPoint position;
};

// Outlives every window of the tests.
test::ScriptedDialogs& boxDialogs() {
    static test::ScriptedDialogs dialogs;
    return dialogs;
}

// Runs the window's boxes without a modal loop: records what was built and
// presses the button the test asks for (nullptr: the box is just closed).
void answerBoxes(MainWindow& window, SeenBox& seen, QMessageBox::StandardButton press) {
    window.setDialogs(boxDialogs());
    boxDialogs().messageBox = [&window, &seen, press](QMessageBox& box) {
        seen.caption = box.windowTitle();
        seen.text = box.text();
        seen.icon = box.icon();
        seen.buttons.clear();
        seen.buttonTexts.clear();
        for (QAbstractButton* b : box.buttons()) {
            seen.buttons << box.standardButton(b);
            seen.buttonTexts << b->text();
        }
        seen.defaultButton = box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::NoButton;
        seen.format = box.textFormat();
        seen.pollArmed = timerNamed(window, "TimerZELMORVATOUCHTest")->isActive();
        box.show();
        QCoreApplication::processEvents();  // the box is placed once it has settled its size
        seen.position = box.frameGeometry().topLeft();
        seen.onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (press != QMessageBox::NoButton) box.button(press)->click();
        else box.reject();
        return msgBoxAnswer(box);
    };
}

} // namespace

class MsgBoxTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setLanguage("ru"); }

    void kindsChooseCaptionIconAndButtons() {
        const MsgBoxLayout error = msgBoxLayout(MessageKind::Error);
        QCOMPARE(error.buttons, std::vector<Answer>{Answer::Ok});
        QCOMPARE(error.icon, MsgBoxIcon::Stop);
        QCOMPARE(QString::fromUtf8(localized(error.captionLiteral)), QStringLiteral("Ошибка"));
        const MsgBoxLayout info = msgBoxLayout(MessageKind::Information);
        QCOMPARE(info.buttons, std::vector<Answer>{Answer::Ok});
        QCOMPARE(info.icon, MsgBoxIcon::Information);
        for (MessageKind kind : {MessageKind::Question, MessageKind::Warning}) {
            const MsgBoxLayout yesNo = msgBoxLayout(kind);
            QCOMPARE(yesNo.buttons, (std::vector<Answer>{Answer::Yes, Answer::No}));
            QCOMPARE(yesNo.defaultButton, Answer::Yes);
            QCOMPARE(msgBoxLayout({kind, DefaultAnswer::No}).defaultButton, Answer::No);
        }
        QCOMPARE(msgBoxLayout(MessageKind::Warning).icon, MsgBoxIcon::Exclamation);
        // A box with OK alone keeps it as its default whatever is asked for.
        QCOMPARE(msgBoxLayout({MessageKind::Error, DefaultAnswer::No}).defaultButton, Answer::Ok);
    }

    void boxesAreCentredFiftyPixelsBelowTheMiddle() {
        QCOMPARE(centredPosition(QRect(100, 100, 700, 480), QSize(300, 120), kMsgBoxShiftDown), QPoint(300, 330));
        // Odd sizes halve toward zero, each on its own.
        QCOMPARE(centredPosition(QRect(0, 0, 701, 481), QSize(301, 121), 0), QPoint(350 - 150, 240 - 60));
        QCOMPARE(centredPosition(QRect(-300, -50, 200, 100), QSize(100, 50), 0), QPoint(-300 + 100 - 50, -50 + 50 - 25));
        // A box whose size cannot be read counts as 400 x 400.
        QCOMPARE(centredPosition(QRect(100, 100, 700, 480), QSize(), kMsgBoxShiftDown), QPoint(250, 190));
        QCOMPARE(centredPosition(QRect(100, 100, 700, 480), QSize(0, 0), 0), QPoint(250, 140));
    }

    void questionShowsYesNoInTheCurrentLanguageWithNoAsDefault() {
        test::RussianAfterwards russian;
        MainWindow window;
        SeenBox seen;
        answerBoxes(window, seen, QMessageBox::Yes);
        QCOMPARE(window.showMessage({MessageKind::Question, DefaultAnswer::No}, formatText("Удалить %d <b>кнопок</b>?", 3)), Answer::Yes);
        QCOMPARE(seen.caption, QStringLiteral("Вопрос"));
        QCOMPARE(seen.text, QStringLiteral("Удалить 3 <b>кнопок</b>?"));
        QCOMPARE(seen.format, Qt::PlainText);  // a name like "<b>" is shown, not obeyed
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No}));
        QCOMPARE(seen.defaultButton, QMessageBox::No);
        QVERIFY(seen.onTop);
        // Qt's own texts follow the program's language too: its buttons and
        // the edit fields' context menus.
        QCOMPARE(seen.buttonTexts, (QStringList{QStringLiteral("&Да"), QStringLiteral("&Нет")}));
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QCOMPARE(menu->actions().first()->text().section(QLatin1Char('\t'), 0, 0), QStringLiteral("&Отменить действие"));

        window.setLanguage("en");
        answerBoxes(window, seen, QMessageBox::No);
        QCOMPARE(window.showMessage({MessageKind::Warning, DefaultAnswer::No}, "Sure?"), Answer::No);
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.defaultButton, QMessageBox::No);
        QCOMPARE(seen.buttonTexts, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
        menu.reset(field.createStandardContextMenu());
        QCOMPARE(menu->actions().first()->text().section(QLatin1Char('\t'), 0, 0), QStringLiteral("&Undo"));

        window.setLanguage("ru");
        answerBoxes(window, seen, QMessageBox::Yes);
        QCOMPARE(window.showMessage(MessageKind::Question, "Готово?"), Answer::Yes);
        QCOMPARE(seen.buttonTexts, (QStringList{QStringLiteral("&Да"), QStringLiteral("&Нет")}));
    }

    void closingABoxWithoutAButtonNeverMeansYes() {
        MainWindow window;
        SeenBox seen;
        answerBoxes(window, seen, QMessageBox::NoButton);
        QCOMPARE(window.showMessage(MessageKind::Warning, "?"), Answer::No);
        QCOMPARE(window.showMessage(MessageKind::Error, "!"), Answer::Ok);
        QCOMPARE(window.showMessage(MessageKind::Question, "?"), Answer::No);
    }

    void errorAndInformationOfferOnlyOk() {
        MainWindow window;
        SeenBox seen;
        answerBoxes(window, seen, QMessageBox::Ok);
        QCOMPARE(window.showMessage(MessageKind::Error, "x"), Answer::Ok);
        QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QCOMPARE(seen.caption, QStringLiteral("Ошибка"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(window.showMessage(MessageKind::Information, "x"), Answer::Ok);
        QCOMPARE(seen.caption, QStringLiteral("Информация"));
    }

    void shownBoxSitsOverTheWindow() {
        MainWindow window;
        window.move(100, 100);
        window.show();
        SeenBox seen;
        QSize boxSize;
        answerBoxes(window, seen, QMessageBox::Ok);
        boxDialogs().messageBox = [inner = boxDialogs().messageBox, &boxSize](QMessageBox& box) {
            const Answer answer = inner(box);
            boxSize = box.frameGeometry().size();
            return answer;
        };
        window.showMessage(MessageKind::Information, "Готово");
        QCOMPARE(seen.position, centredPosition(window.frameGeometry(), boxSize, kMsgBoxShiftDown));
    }

    void realModalBoxAnswersWithTheButtonPressed() {
        MainWindow window;
        window.show();
        QString caption;
        // Runs inside the box's own modal loop, as soon as it is up.
        QTimer::singleShot(0, &window, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            caption = box->windowTitle();
            box->defaultButton()->click();
        });
        QCOMPARE(window.showMessage({MessageKind::Warning, DefaultAnswer::No}, "Записать?"), Answer::No);
        QCOMPARE(caption, QStringLiteral("Предупреждение"));
    }

    void pollIsStoppedWhileTheBoxIsUpAndArmedAfterwards() {
        MainWindow window;
        QTimer* poll = timerNamed(window, "TimerZELMORVATOUCHTest");
        SeenBox seen;
        answerBoxes(window, seen, QMessageBox::Ok);
        QVERIFY(!poll->isActive());
        window.showMessage(MessageKind::Error, "x");
        QVERIFY(!seen.pollArmed);
        QVERIFY(poll->isActive());  // armed whatever it was before
    }

    void boxDuringShutDownLeavesThePollStopped() {
        MainWindow window;
        SeenBox seen;
        answerBoxes(window, seen, QMessageBox::Ok);
        FlagsForTests::setAppClosing(window.flags(), true);
        window.showMessage(MessageKind::Error, "Ошибка записи");
        QVERIFY(!timerNamed(window, "TimerZELMORVATOUCHTest")->isActive());
    }

    void hostBoxesGoThroughTheWindow() {
        MainWindow window;
        SeenBox seen;
        answerBoxes(window, seen, QMessageBox::Yes);
        QCOMPARE(window.host().messageBox(MessageKind::Question, "Продолжить?"), Answer::Yes);
        QCOMPARE(seen.text, QStringLiteral("Продолжить?"));
    }
};

QTEST_MAIN(MsgBoxTest)
#include "msg_box_test.moc"
