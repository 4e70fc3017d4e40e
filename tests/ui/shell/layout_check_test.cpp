// Every window at its own size, in Russian and in English, cuts no text and
// lays no control with text over another (tests/ui/layout_check.h says what
// is measured). A caption that grows in translation fails here, with the
// control, its text and the pixels it lacks.
#include "pseudo_language.h"
#include "../layout_check.h"
#include "../program_rig.h"
#include "ui/procedures/quick_setup_window.h"
#include "ui/shell/quick_setup_entry.h"
#include "ui/shell/snapshot_windows.h"
#include "ui/sim/simulator_window.h"
#include "ui/widgets/msg_box.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <cstdio>

namespace zmt::ui {

class LayoutCheckTest : public QObject {
    Q_OBJECT
private slots:
    // The check itself: each kind of cut text is found, and room enough is
    // not taken for a fault.
    void theCheckFindsCutTextAndOverlaps() {
        QWidget window;
        window.resize(400, 300);
        const auto place = [](QWidget* widget, const char* name, QRect where) {
            widget->setObjectName(QString::fromLatin1(name));
            widget->setGeometry(where);
        };
        place(new QLabel(QStringLiteral("Длинная подпись"), &window), "narrowLabel", {0, 0, 30, 20});
        place(new QLabel(QStringLiteral("Да"), &window), "wideLabel", {0, 30, 100, 20});
        auto* combo = new QComboBox(&window);
        combo->addItems({QStringLiteral("Один"), QStringLiteral("Очень длинный пункт списка")});
        place(combo, "narrowCombo", {0, 60, 80, 24});
        place(new QCheckBox(QStringLiteral("Включено"), &window), "narrowCheck", {0, 90, 40, 20});
        place(new QPushButton(QStringLiteral("Записать в контроллер"), &window), "narrowButton", {0, 120, 60, 24});
        auto* group = new QGroupBox(QStringLiteral("Настройки головного устройства"), &window);
        place(group, "narrowGroup", {200, 0, 60, 60});
        place(new QCheckBox(QStringLiteral("А"), &window), "first", {200, 100, 60, 20});
        place(new QCheckBox(QStringLiteral("Б"), &window), "second", {220, 110, 60, 20});
        // A caption at a fixed place that does not fit is elided, whole for a
        // screen reader, and the check lists it as elided: no worse.
        auto* fitted = new QCheckBox(&window);
        place(fitted, "fittedCheck", {0, 150, 60, 20});
        setFittedText(*fitted, QStringLiteral("Отступ 10% при настройке"));
        auto* fits = new QCheckBox(&window);
        place(fits, "fitsCheck", {0, 180, 200, 20});
        setFittedText(*fits, QStringLiteral("Отступ"));
        window.show();
        QCoreApplication::processEvents();
        QVERIFY(fitted->text().endsWith(QChar(0x2026)));
        QCOMPARE(fitted->accessibleName(), QStringLiteral("Отступ 10% при настройке"));
        QCOMPARE(fits->text(), QStringLiteral("Отступ"));

        QStringList found;
        QStringList worse;
        for (const test::LayoutFault& fault : test::layoutFaults(window)) {
            found << fault.where.section(QLatin1Char('/'), 1, 1);
            if (test::worseThanElision(fault)) worse << fault.where.section(QLatin1Char('/'), 1, 1);
        }
        found.sort();
        QCOMPARE(found, (QStringList{QStringLiteral("first"), QStringLiteral("fittedCheck"), QStringLiteral("narrowButton"),
                                     QStringLiteral("narrowCheck"), QStringLiteral("narrowCombo"), QStringLiteral("narrowGroup"),
                                     QStringLiteral("narrowLabel")}));
        QVERIFY(!worse.contains(QStringLiteral("fittedCheck")) && !worse.contains(QStringLiteral("narrowCombo")));
        QVERIFY(worse.contains(QStringLiteral("narrowCheck")));
    }

    void noTextIsCutInAnyWindow_data() {
        addPseudoLanguage();
        QTest::addColumn<QString>("language");
        QTest::newRow("Russian") << QStringLiteral("ru");
        QTest::newRow("English") << QStringLiteral("en");
        QTest::newRow("pseudo") << QString::fromLatin1(kPseudoLanguage);
    }
    void noTextIsCutInAnyWindow() {
        QFETCH(QString, language);
        test::ProgramRig p({.answer = Answer::Yes});
        p.window.setLanguage(language.toStdString());
        p.window.show();
        p.poll();
        QVERIFY(p.window.flags().imageValid());
        // Every event in use, with a reaction: the event panel shows all it can.
        p.editor.selectEvent(3);

        std::vector<test::LayoutFault> faults;
        const auto check = [&faults](QWidget& window) {
            QCoreApplication::processEvents();
            for (test::LayoutFault& fault : test::layoutFaults(window)) faults.push_back(std::move(fault));
        };
        for (int page = 0; page < p.window.pages().count(); ++page) {
            p.window.pages().setCurrentIndex(page);
            check(p.window);
        }
        ReactionPicker& picker = p.picker();
        Reaction sample{ReactionKeyboard, 0x41, 4, 30};
        picker.open(sample, nullptr, formatInEveryLanguage(N_("Keyboard (Reactions for the event %d)"), 1));
        check(picker);
        picker.hide();
        SnapshotWindows& snapshots = p.program.snapshotWindows();
        snapshots.showHistory();
        QVERIFY(snapshots.historyDialog() != nullptr);
        check(*snapshots.historyDialog());
        snapshots.historyDialog()->close();
        snapshots.compareWith(p.writeConfigFile("other.ZMT", 2).toStdString());
        QVERIFY(snapshots.compareDialog() != nullptr);
        check(*snapshots.compareDialog());
        snapshots.compareDialog()->close();
        SimulatorWindow* simulator = p.session.simulatorWindow();
        QVERIFY(simulator != nullptr);
        simulator->show();
        check(*simulator);
        simulator->hide();
        // A box of each kind, with real messages: its caption, its text and
        // its buttons in the language.
        const struct {
            MessageKind kind;
            std::string text;
        } boxes[] = {
            {MessageKind::Error, formatText(localized("Failed to update the firmware\n%s"), localized("Controller is disconnected"))},
            {MessageKind::Question, formatText(localized("Changes made while controller %u was connected have not been written to it yet.\nWrite "
                                                         "them to controller %u?\nNo: read the configuration of controller %u instead."),
                                               1001u, 1002u, 1002u)},
            {MessageKind::Warning, localized("Only the boot loader runs")},
            {MessageKind::Information, formatText(localized("Unknown error USB: %d"), 7)},
        };
        for (const auto& box : boxes) {
            const auto shown = buildMsgBox(box.kind, QString::fromStdString(box.text), &p.window);
            shown->show();
            check(*shown);
        }

        const auto failing = test::failingFaults(std::move(faults), language == QLatin1String(kPseudoLanguage));
        if (!failing.empty()) std::fprintf(stderr, "%s\n", test::describe(failing).c_str());
        QVERIFY2(failing.empty(), test::describe(failing).c_str());
    }

    // The quick set-up's window at each of its pages: a step waiting for a
    // press (with the long press offered), the summary, the button test, and
    // the question about a button in use (a second run on a button the first
    // one set up).
    void noTextIsCutInTheQuickSetupWindow_data() { noTextIsCutInAnyWindow_data(); }
    void noTextIsCutInTheQuickSetupWindow() {
        QFETCH(QString, language);
        constexpr uint8_t kIdle = 10;
        test::ProgramRig p;
        p.controller().levelNoise = 0;
        p.controller().state.keyLevels = {kIdle, kIdle, kIdle, kIdle};
        p.window.setLanguage(language.toStdString());
        p.window.show();
        p.connect();
        QuickSetupEntry& entry = p.program.quickSetup();
        QuickSetupWindow& quick = entry.setupWindow();

        std::vector<test::LayoutFault> faults;
        const auto check = [&](QuickSetupWindow::Page expected) {
            QCoreApplication::processEvents();
            QCOMPARE(quick.page(), expected);
            for (test::LayoutFault& fault : test::layoutFaults(quick)) faults.push_back(std::move(fault));
        };
        const auto measure = [&] {
            entry.quickSetupAction()->trigger();
            p.passTime(2100);
        };
        measure();
        check(QuickSetupWindow::Page::Run);
        p.holdButton(0, 150, kIdle);
        check(QuickSetupWindow::Page::Run);
        test::child<QPushButton>(quick, "ButtonQuickFinish")->click();
        check(QuickSetupWindow::Page::Summary);
        test::child<QPushButton>(quick, "ButtonQuickApply")->click();
        p.passTime(500);
        p.holdButton(0, 150, kIdle);
        check(QuickSetupWindow::Page::Test);
        test::child<QPushButton>(quick, "ButtonQuickClose")->click();
        measure();
        p.holdButton(0, 150, kIdle);
        check(QuickSetupWindow::Page::Conflict);
        quick.reject();

        const auto failing = test::failingFaults(std::move(faults), language == QLatin1String(kPseudoLanguage));
        if (!failing.empty()) std::fprintf(stderr, "%s\n", test::describe(failing).c_str());
        QVERIFY2(failing.empty(), test::describe(failing).c_str());
    }
};

} // namespace zmt::ui

QTEST_MAIN(zmt::ui::LayoutCheckTest)
#include "layout_check_test.moc"
