// The two infrared capture buttons of the event editor, driven through the
// real widgets with the simulated controller connected and its code set in
// the Simulator window: every refusal, box and notice, the trigger and
// reaction texts, and removing an infrared trigger through its menu.
#include "config/config_image.h"
#include "ui/sim/simulator_window.h"
#include "../program_rig.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <cstring>

using namespace zmt;
using namespace zmt::ui;

namespace {

using test::child;

// zmtsetup's Parameters page with the simulated controller plugged in and
// connected, on a virtual clock.
struct Rig : test::ProgramRig {
    MainWindow& form = window;
    QToolButton* irGet = child<QToolButton>(form, "SpeedButtonIRGET");
    QToolButton* irSend = child<QToolButton>(form, "SpeedButtonGetIRSend");

    Rig() {
        record.image.keys[0][0] = KeyRecord{40, 10, {'V', 'O', 'L', '+', 0}};
        record.image.keys[1][0] = KeyRecord{90, 10, {}};
        form.showImage();
        form.show();
    }
    ~Rig() { child<QMenu>(form, "PopupMenuKeys")->hide(); }

    void connect() {
        for (int i = 0; i < 10 && !form.flags().deviceConnected(); ++i) form.onPollTick();
        while (session.link().pollSkip() != 0) form.onPollTick();
    }
    // What a user does in the Simulator window to have the receiver see a code.
    void receive(int protocol, int address, int command) {
        SimulatorWindow& simulator = *session.simulatorWindow();
        child<QSpinBox>(simulator, "irProtocol")->setValue(protocol);
        child<QSpinBox>(simulator, "irAddress")->setValue(address);
        child<QSpinBox>(simulator, "irCommand")->setValue(command);
        QTest::mouseClick(child<QPushButton>(simulator, "irReceiveButton"), Qt::LeftButton);
    }
    // Selecting the tab already selected changes nothing; the event set up
    // behind the editor's back is shown anyway.
    void select(int index) {
        auto* tabs = child<QTabBar>(form, "TabControlEVKEYx");
        if (tabs->currentIndex() == index) editor.showSelectedEvent();
        else tabs->setCurrentIndex(index);
    }
    EventRecord& event(int index) { return record.image.events[index]; }
    QString reactionMemo() { return child<QLabel>(form, "MemoEventReactionx")->text(); }
    QString triggerText() { return child<Panel>(form, "PanelIRDEFx")->text(); }
    bool irPanelShown() { return child<QWidget>(form, "PanelIRCODE")->isVisible(); }
};

bool same(const EventRecord& a, const EventRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

constexpr int kNec = 1;
constexpr int kJvc = 2;

} // namespace

class InfraredCaptureTest : public QObject {
    Q_OBJECT
private slots:
    void buttonsWaitForTheController() {
        Rig p;
        QVERIFY(!p.irGet->isEnabled());
        QVERIFY(!p.irSend->isEnabled());
        p.connect();
        QVERIFY(p.form.flags().deviceConnected());
        QVERIFY(p.irGet->isEnabled());
        QVERIFY(p.irSend->isEnabled());
    }

    void triggerReplacesTheButtonsAndKeepsTheChosenType() {
        Rig p;
        p.connect();
        p.event(2) = EventRecord{1, 0, 1, 1, EV_ONCE | EV_WAKEUP | EventLongPress, {ReactionConsumer, 0, 0xE9, 0}};
        p.select(2);
        QVERIFY(!p.irPanelShown());
        p.receive(kNec, 4, 17);
        p.irGet->click();
        QVERIFY(p.boxes.isEmpty());
        QVERIFY(p.irPanelShown());
        QVERIFY(!child<QWidget>(p.form, "PanelMODKEY")->isVisible());
        QCOMPARE(p.triggerText(), QStringLiteral("NEC 4 / 17"));
        QCOMPARE(p.event(2).flags, uint8_t(EV_IR_TRIGGER | EV_ONCE | EV_WAKEUP | EventAnyPress));
        QCOMPARE(child<QComboBox>(p.form, "ComboBoxEventEvent")->currentIndex(), int(EventAnyPress));
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nConsumerPage:VOL+"));

        // The user picks short press; a new code keeps it. A JVC code is a valid trigger.
        auto* type = child<QComboBox>(p.form, "ComboBoxEventEvent");
        type->setCurrentIndex(EventShortPress);
        emit type->activated(EventShortPress);
        p.receive(kJvc, 0x10, 3);
        p.irGet->click();
        QVERIFY(p.boxes.isEmpty());
        QCOMPARE(p.event(2).eventType(), int(EventShortPress));
        QCOMPARE(p.triggerText(), QStringLiteral("JVC 16 / 3"));

        // A protocol without a name is kept but reads as undefined.
        p.receive(4, 1, 1);
        p.irGet->click();
        QCOMPARE(p.triggerText(), QStringLiteral("Отсутствует"));
        p.form.setLanguage("en");
        QCOMPARE(p.triggerText(), QStringLiteral("Undefined"));
    }

    void reactionTakesNecAndShowsItsCode() {
        Rig p;
        p.connect();
        p.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, {ReactionKeyboard, 0, 4, 0}};
        p.select(0);
        p.receive(kJvc, 0x10, 3);
        p.irSend->click();
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxIcons[0], QMessageBox::Warning);
        QCOMPARE(p.boxes[0], QStringLiteral("Для реакции поддерживается только протокол NEC"));
        QCOMPARE(p.event(0).reaction.kind, uint8_t(ReactionKeyboard));
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nA"));

        p.receive(kNec, 0x0104, 0x22);
        p.irSend->click();
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.event(0).reaction.kind, uint8_t(0x11));
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nИК код\nNEC 260 / 34"));
        p.form.setLanguage("en");
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nIR code\nNEC 260 / 34"));
    }

    void infraredOnBothSidesIsRefusedEitherWay() {
        Rig p;
        p.connect();
        p.receive(kNec, 4, 17);
        p.event(5) = EventRecord{1, 0, 0, 0, EventShortPress, {0x11, 17, 4, 0}};
        p.event(6) = EventRecord{17, 4, 0, 1, EV_IR_TRIGGER | EventAnyPress, {ReactionKeyboard, 0, 4, 0}};
        const EventRecord before5 = p.event(5);
        const EventRecord before6 = p.event(6);
        p.select(5);
        p.irGet->click();
        p.select(6);
        p.irSend->click();
        QCOMPARE(p.boxes.size(), 2);
        for (int box = 0; box < 2; ++box) {
            QCOMPARE(p.boxIcons[box], QMessageBox::Warning);
            QCOMPARE(p.boxes[box], QStringLiteral("Вы не можете ставить ИК код на событие и реакцию"));
        }
        QVERIFY(same(p.event(5), before5));
        QVERIFY(same(p.event(6), before6));
        p.form.setLanguage("en");
        p.irSend->click();
        QCOMPARE(p.boxes.last(), QStringLiteral("You can not put the IR code for the event, and the reaction"));
    }

    void noCodeShowsTheNoticeAndAFailedReadTheError() {
        Rig p;
        p.connect();
        p.event(1) = EventRecord{1, 0, 0, 0, EventShortPress, {ReactionKeyboard, 0, 4, 0}};
        const EventRecord before = p.event(1);
        p.select(1);
        p.irGet->click();
        QCOMPARE(p.notice(), QStringLiteral("ИК код отсутствует"));
        p.form.setLanguage("en");
        p.irSend->click();
        QCOMPARE(p.notice(), QStringLiteral("No Infrared code"));
        QVERIFY(p.boxes.isEmpty());
        QVERIFY(same(p.event(1), before));

        p.receive(kNec, 4, 17);
        p.session.simulator()->controller().faults.forceStatus = 0xFD;
        p.irGet->click();
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxIcons[0], QMessageBox::Critical);
        QVERIFY2(p.boxes[0].startsWith(QStringLiteral("Failed to get IR code\n")), qPrintable(p.boxes[0]));
        QVERIFY(p.boxes[0].size() > QStringLiteral("Failed to get IR code\n").size());
        QVERIFY(same(p.event(1), before));
    }

    void removingTheCodeLeavesAnEmptyDisabledEvent() {
        Rig p;
        p.connect();
        p.event(3) = EventRecord{1, 0, 0, 0, EV_WAKEUP | EventLongPress, {ReactionKeyboard, 0, 4, 0}};
        p.select(3);
        p.receive(kNec, 4, 17);
        p.irGet->click();
        QVERIFY(p.irPanelShown());

        // The caption panel offers the menu as well as the code's own panel.
        QWidget* caption = child<QWidget>(p.form, "PanelKeyIRCODEText");
        QTest::mousePress(caption, Qt::RightButton, {}, caption->rect().center());
        auto* item = child<QAction>(p.form, "DeleteKeyx");
        QCOMPARE(item->text(), QStringLiteral("Удалить ИК код"));
        child<QMenu>(p.form, "PopupMenuKeys")->hide();
        item->trigger();

        const EventRecord empty{};
        QVERIFY(same(p.event(3), empty));
        QVERIFY(!p.irPanelShown());
        QVERIFY(!child<QComboBox>(p.form, "ComboBoxEventEvent")->isEnabled());
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nОтсутствует"));
    }

    void anInfraredHomeReactionIsNamedNotLeftFromThePreviousImage() {
        Rig p;
        p.record.image.homeReaction = Reaction{ReactionConsumer, 0, 0xE9, 0};
        p.form.showImage();
        QCOMPARE(child<QLabel>(p.form, "MemoHOMEx")->text(), QStringLiteral("  \nConsumerPage:VOL+"));
        p.record.image.homeReaction = Reaction{0x11, 17, 4, 0};
        p.form.showImage();
        QCOMPARE(child<QLabel>(p.form, "MemoHOMEx")->text(), QStringLiteral("  \nИК код\nNEC 4 / 17"));
    }

    void anOpenPickerFollowsToAnInfraredReaction() {
        Rig p;
        p.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, {ReactionKeyboard, 0, 4, 0}};
        p.event(1) = EventRecord{1, 1, 0, 0, EventShortPress, {0x11, 17, 4, 0}};
        p.select(0);
        Panel* reaction = child<Panel>(p.form, "PanelEventReactionx");
        QTest::mouseClick(reaction, Qt::LeftButton, {}, reaction->rect().center());
        QVERIFY(p.picker().isVisible());
        QCOMPARE(child<QWidget>(p.picker(), "PanelKey4x")->property("selected").toBool(), true);

        p.select(1);
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nИК код\nNEC 4 / 17"));
        QCOMPARE(p.picker().windowTitle(), QStringLiteral("Клавиатура (реакция на событие 2)"));
        QCOMPARE(child<QWidget>(p.picker(), "PanelKey4x")->property("selected").toBool(), false);
        // A click now edits the event on show, never the one left behind.
        p.picker().onPickerKey({PickerControl::Key, 5});
        QCOMPARE(p.event(1).reaction.kind, uint8_t(ReactionKeyboard));
        QCOMPARE(p.event(1).reaction.arg2, uint8_t(5));
        QCOMPARE(p.event(0).reaction.arg2, uint8_t(4));
        QCOMPARE(p.reactionMemo(), QStringLiteral("  \nB"));
        p.picker().hide();
    }
};

QTEST_MAIN(InfraredCaptureTest)
#include "infrared_capture_test.moc"
