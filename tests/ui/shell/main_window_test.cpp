// The main window's frame: layout, notices, menus, memo, language switch,
// device buttons, start-up and shut-down.
#include "ui/log/log_view.h"
#include "ui/shell/toolbar_notice.h"
#include "ui/widgets/dialog_centring.h"
#include "ui/widgets/controls.h"
#include "ui/picker/reaction_picker.h"
#include "ui/widgets/msg_box.h"
#include "../window_test_support.h"
#include "flags_for_tests.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace zmt;
using namespace zmt::ui;
using zmt::ui::test::timerNamed;

namespace {

using test::child;

QLabel* panelMenu(MainWindow& window) { return child<Panel>(window, "PanelMenu"); }

// The settings file as the window sees it: what it loads, what it was
// handed at the close.
struct FakeSettings : SettingsSource {
    std::optional<ProgramSettings> stored = ProgramSettings{};
    std::optional<ProgramSettings> saved;
    int saves = 0;
    std::function<void()> onSave;
    std::optional<ProgramSettings> loadSettings() override { return stored; }
    void saveSettings(const ProgramSettings& settings) override {
        saved = settings;
        ++saves;
        if (onSave) onSave();
    }
};

const char* const kToolbarButtons[] = {"SpeedButtonUpdateDevice", "SpeedButtonReadConfig", "SpeedButtonWriteConfig",
                                       "SpeedButtonReadDevice",   "SpeedButtonWriteDevice", "SpeedButtonToDefault",
                                       "SpeedButtonReset"};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setLanguage("ru"); }

    void frameIsLaidOutAsDesigned() {
        MainWindow window;
        QCOMPARE(window.size(), QSize(696, 442));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        int left = 0;
        for (const char* name : kToolbarButtons) {
            auto* button = child<QToolButton>(window, name);
            QCOMPARE(button->size(), QSize(23, 22));
            QCOMPARE(button->x(), left);
            QVERIFY(test::drawnForBothDensities(button->icon(), 16));
            left += 23;
        }
        // Undo and redo after a gap, nothing to take back in a new window.
        left += 5;
        for (const char* name : {"SpeedButtonUndox", "SpeedButtonRedox"}) {
            auto* button = child<QToolButton>(window, name);
            QCOMPARE(button->geometry(), QRect(left, 3, 23, 22));
            QVERIFY(test::drawnForBothDensities(button->icon(), 16));
            QVERIFY(!button->isEnabled());
            left += 23;
        }
        QCOMPARE(child(window, "SpeedButtonUndox")->toolTip(), QStringLiteral("Нечего отменять"));
        QCOMPARE(panelMenu(window)->geometry(), QRect(left + 5, 3, 412, 22));
        QVERIFY(panelMenu(window)->geometry().right() < 696);
        QCOMPARE(panelMenu(window)->cursor().shape(), Qt::WhatsThisCursor);
        QCOMPARE(panelMenu(window)->toolTip(),
                 QStringLiteral("Выберите параметры в меню, после нажатия правой кнопки мыши"));
        QVERIFY(child(window, "CGaugeProgressProcent")->isHidden());
        QCOMPARE(child(window, "MainToolBar")->height(), 29);
        QCOMPARE(child(window, "StatusBar")->geometry(), QRect(0, 442 - 19, 696, 19));
        auto* pages = child<QTabWidget>(window, "PageControlMain");
        QCOMPARE(pages->currentWidget(), child(window, "TabSheetParameters"));
        QCOMPARE(pages->tabText(0), QStringLiteral("Мониторинг"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Параметры"));
        QCOMPARE(child(window, "MainPanel")->geometry(), QRect(0, 29, 696, 442 - 29 - 19));
        QCOMPARE(child(window, "Memo")->parentWidget(), child(window, "TabSheetMonitoring"));

        QCOMPARE(timerNamed(window, "TimerZELMORVATOUCHTest")->interval(), 200);
        QVERIFY(!timerNamed(window, "TimerZELMORVATOUCHTest")->isActive());
        QVERIFY(timerNamed(window, "TimerCommon")->isActive());
        QCOMPARE(timerNamed(window, "TimerCommon")->interval(), 100);
        QVERIFY(!timerNamed(window, "TimerNoticeClear")->isActive());
        QVERIFY(!timerNamed(window, "TimerFlash")->isActive());
        QVERIFY(!timerNamed(window, "TimerOnShow")->isActive());

        ReactionPicker picker;
        QCOMPARE(picker.size(), QSize(750, 348));
        QVERIFY(!picker.isModal());
    }

    void ticksReachThePartsInTheOrderTheyConnected() {
        MainWindow window;
        std::vector<std::string> ran;
        {
            QObject gone;   // a part that goes away is not called any more
            QObject::connect(&window.shellSignals(), &ShellSignals::syncTick, &gone, [&] { ran.push_back("gone"); });
        }
        QObject::connect(&window.shellSignals(), &ShellSignals::syncTick, [&] { ran.push_back("sync"); });
        QObject::connect(&window.shellSignals(), &ShellSignals::syncTick, [&] { ran.push_back("name"); });
        QObject::connect(&window, &MainWindow::pollTick, [&] { ran.push_back("poll"); });
        window.onSyncTick();
        window.onPollTick();
        QCOMPARE(ran, (std::vector<std::string>{"sync", "name", "poll"}));
    }

    void blinkingNoticeIsClearedOnceAndLeftVisibleAndEmpty() {
        MainWindow window;
        window.showNotice(3000, 250, formatText("%s %d", "Запись изменений", 1));
        QLabel* panel = panelMenu(window);
        QCOMPARE(panel->text(), QStringLiteral("Запись изменений 1"));
        QTimer* flash = timerNamed(window, "TimerFlash");
        QTimer* clear = timerNamed(window, "TimerNoticeClear");
        QVERIFY(flash->isActive());
        QCOMPARE(flash->interval(), 250);
        QVERIFY(clear->isActive());
        QCOMPARE(clear->interval(), 3000);

        window.notice().onFlashTick();
        QVERIFY(panel->isHidden());
        window.notice().onFlashTick();
        QVERIFY(!panel->isHidden());
        window.notice().onFlashTick();  // caught mid-blink by the auto-clear
        QVERIFY(QMetaObject::invokeMethod(clear, "timeout"));
        QVERIFY(!panel->isHidden());
        QCOMPARE(panel->text(), QString());
        QVERIFY(!flash->isActive());
        QVERIFY(!clear->isActive());  // fires once
    }

    void noticeWithoutAutoClearBlinksUntilReplaced() {
        MainWindow window;
        window.showNotice(0, 250, "первый");
        QVERIFY(!timerNamed(window, "TimerNoticeClear")->isActive());
        window.notice().onFlashTick();
        QVERIFY(panelMenu(window)->isHidden());
        // A steady notice replaces it: shown at once, no blinking, no clear pending.
        window.showNotice(1000, 0, "второй");
        window.host().notice(0, 0, "третий");
        QVERIFY(!panelMenu(window)->isHidden());
        QCOMPARE(panelMenu(window)->text(), QStringLiteral("третий"));
        QVERIFY(!timerNamed(window, "TimerFlash")->isActive());
        QVERIFY(!timerNamed(window, "TimerNoticeClear")->isActive());
    }

    void diagnosticMenuItemsFollowTheDebugTick() {
        MainWindow window;
        auto* debug = child<QAction>(window, "MenuItemDebug");
        auto* log = child<QAction>(window, "MenuItemLog");
        auto* device = child<QAction>(window, "MenuItemDevice");
        auto* languages = child<QAction>(window, "MenuItemLanguagex");
        QCOMPARE(debug->text(), QStringLiteral("Отладка"));
        QCOMPARE(log->text(), QStringLiteral("Лог обмена"));
        QCOMPARE(device->text(), QStringLiteral("Лог устройства"));
        QCOMPARE(languages->text(), QStringLiteral("Язык/Language"));
        // Every language present, each in its own name.
        QCOMPARE(child<QAction>(window, "languageItem-ru")->text(), QStringLiteral("Русский"));
        QCOMPARE(child<QAction>(window, "languageItem-en")->text(), QStringLiteral("English"));
        // Default settings: only the language sub-menu shows.
        window.startUp();
        QVERIFY(!debug->isVisible() && !log->isVisible() && !device->isVisible());
        QVERIFY(languages->isVisible());

        ProgramSettings settings;
        settings.debug = true;
        settings.log = true;
        window.setDeviceLogOn(true);
        window.applySettings(settings);
        window.onDebugMenuToggled();
        QVERIFY(debug->isVisible() && log->isVisible() && device->isVisible());
        QVERIFY(window.exchangeLogOn());
        QVERIFY(!window.deviceLogOn());  // never carried over

        debug->trigger();  // unticks itself and hides all three
        QVERIFY(!debug->isChecked());
        QVERIFY(!debug->isVisible() && !log->isVisible() && !device->isVisible());
        QVERIFY(window.exchangeLogOn());  // hidden, not switched off
    }

    void doubleClickEmptiesTheMemo() {
        MainWindow window;
        window.memoLine(formatText("t:%02X l:%02X [%s ]", 1, 2, "ab"));
        window.host().memoLine("вторая строка");
        auto* memo = child<LogView>(window, "Memo");
        QCOMPARE(memo->toPlainText(), QStringLiteral("t:01 l:02 [ab ]\nвторая строка"));
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);  // never wrapped
        QVERIFY(memo->font().fixedPitch());
        window.show();
        QTest::mouseDClick(memo->viewport(), Qt::LeftButton);
        QCOMPARE(memo->toPlainText(), QString());
        window.memoLine("новый журнал");
        QCOMPARE(memo->lineCount(), 1u);
    }

    void aPictureButtonIsReadByItsHintWithoutTheShortcutInBrackets() {
        MainWindow window;
        auto* button = child<QToolButton>(window, "SpeedButtonReadConfig");
        const struct {
            const char* hint;
            const char* name;
        } cases[] = {
            {"Open a file (Ctrl+O)", "Open a file"},
            {"Undo: name \"VOL+ (2)\" (Ctrl+Z)", "Undo: name \"VOL+ (2)\""},
            {"Read \t (F5)", "Read"},
            {"Nothing to undo", "Nothing to undo"},
            {"(F1)", ""},
            {"Brackets (inside) the hint", "Brackets (inside) the hint"},
            {"Nested (a(b))", "Nested (a(b))"},
            {"Unclosed (Ctrl", "Unclosed (Ctrl"},
            {"", ""},
        };
        for (const auto& c : cases) {
            button->setToolTip(QString::fromUtf8(c.hint));
            QCOMPARE(button->accessibleName(), QString::fromUtf8(c.name));
        }
    }

    void setLanguageSelectsEnglishOnlyForOneAndQueriesWithMinusOne() {
        test::RussianAfterwards russian;
        MainWindow window;
        window.startUp();
        int images = 0;
        QObject::connect(&window.shellSignals(), &ShellSignals::showingImage, [&] { ++images; });
        int switches = 0;
        QObject::connect(&window, &MainWindow::languageSwitching, [&] { ++switches; });

        window.setLanguage("en");
        QCOMPARE(languageCode(), std::string("en"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Setup program ZEL MORVA TOUCH. Version 1.17"));
        QCOMPARE(child<QTabWidget>(window, "PageControlMain")->tabText(0), QStringLiteral("Monitoring"));
        QCOMPARE(child<QToolButton>(window, "SpeedButtonReset")->toolTip(), QStringLiteral("Reset device"));
        QCOMPARE(child<QAction>(window, "MenuItemLog")->text(), QStringLiteral("Communication log"));
        QVERIFY(child<QAction>(window, "languageItem-en")->isChecked());
        QVERIFY(!child<QAction>(window, "languageItem-ru")->isChecked());
        QCOMPARE(switches, 1);  // the next poll announces the controller again
        QCOMPARE(images, 1);

        window.setLanguage("de");   // no such catalogue: nothing changes
        QCOMPARE(languageCode(), std::string("en"));
        window.setLanguage("ru");
        QCOMPARE(languageCode(), std::string("ru"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Программа настройки ZEL MORVA TOUCH. Версия 1.17"));
        QCOMPARE(child<QTabWidget>(window, "PageControlMain")->tabText(1), QStringLiteral("Параметры"));
        QVERIFY(child<QAction>(window, "languageItem-ru")->isChecked());

        child<QAction>(window, "languageItem-en")->trigger();
        QCOMPARE(languageCode(), std::string("en"));
        child<QAction>(window, "languageItem-ru")->trigger();
        QCOMPARE(languageCode(), std::string("ru"));
    }

    void languageSwitchReachesControlsAddedLater() {
        test::RussianAfterwards russian;
        MainWindow window;
        window.startUp();
        // The picker is built after start-up, when first needed; the switch
        // finds its controls by name.
        ReactionPicker& picker = window.picker();
        auto* keyCodes = child<QGroupBox>(picker, "GroupBoxKeyCodes");
        picker.setTitle(formatInEveryLanguage(N_("Keyboard (HOME key)")));
        int languageChanges = 0;
        QObject::connect(&window.shellSignals(), &ShellSignals::languageChanged, [&] { ++languageChanges; });

        window.setLanguage("en");
        QCOMPARE(languageChanges, 1);
        QCOMPARE(keyCodes->title(), QStringLiteral(" Key codes "));
        QCOMPARE(picker.windowTitle(), QStringLiteral("Keyboard (HOME key)"));
        window.setLanguage("ru");
        QCOMPARE(keyCodes->title(), QStringLiteral(" Коды кнопок "));
        QCOMPARE(picker.windowTitle(), QStringLiteral("Клавиатура (кнопка HOME)"));
    }

    void deviceButtonsFollowBusyAndConnection() {
        MainWindow window;
        // A button of a later page that needs the controller.
        auto* irGet = new QToolButton(child(window, "TabSheetParameters"));
        irGet->setObjectName("SpeedButtonIRGET");
        window.addDeviceButton(irGet);
        auto enabled = [&](const char* name) { return child(window, name)->isEnabled(); };

        window.setToolbarBusy(false);
        QVERIFY(enabled("SpeedButtonReadConfig") && enabled("SpeedButtonWriteConfig"));
        QVERIFY(!enabled("SpeedButtonReadDevice") && !enabled("SpeedButtonUpdateDevice") && !enabled("SpeedButtonIRGET"));

        FlagsForTests::setDeviceConnected(window.flags(), true);
        window.setToolbarBusy(false);
        for (const char* name : kToolbarButtons) QVERIFY2(enabled(name), name);
        QVERIFY(enabled("SpeedButtonIRGET"));

        window.setToolbarBusy(true);
        for (const char* name : kToolbarButtons) QVERIFY2(!enabled(name), name);
        QVERIFY(!enabled("SpeedButtonIRGET"));
    }

    // Qt's own texts (standard buttons, edit menus) are not on the way to
    // the first window: they come with the first tick, or before a box
    // (the boxes' tests see them on a window that never ticked).
    void qtOwnTextsComeWithTheFirstTick() {
        test::RussianAfterwards russian;
        auto qtYes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
        MainWindow window;
        window.startUp();
        QCOMPARE(qtYes(), QStringLiteral("&Yes"));
        window.onSyncTick();
        QCOMPARE(qtYes(), QStringLiteral("&Да"));
        window.setLanguage("en");
        QCOMPARE(qtYes(), QStringLiteral("&Yes"));
        window.setLanguage("ru");
        QCOMPARE(qtYes(), QStringLiteral("&Да"));
    }

    void startUpAppliesDefaultsAndArmsThePoll() {
        MainWindow window;
        std::vector<std::string> ran;
        QObject::connect(&window.shellSignals(), &ShellSignals::startingUp, [&] { ran.push_back("editor"); });
        QObject::connect(&window.shellSignals(), &ShellSignals::showingImage, [&] { ran.push_back("image"); });
        child<QTabWidget>(window, "PageControlMain")->setCurrentIndex(0);
        window.startUp();
        // The image is shown once, after the editors have started up in
        // the settings' language.
        QCOMPARE(ran, (std::vector<std::string>{"editor", "image"}));
        QCOMPARE(child<QTabWidget>(window, "PageControlMain")->currentIndex(), 1);
        QVERIFY(timerNamed(window, "TimerZELMORVATOUCHTest")->isActive());
        QVERIFY(child(window, "SpeedButtonReadConfig")->isEnabled());
        QVERIFY(!child(window, "SpeedButtonReadDevice")->isEnabled());
        QCOMPARE(languageCode(), std::string("ru"));
        QVERIFY(window.builtPicker() == nullptr);   // not shown, so not built
    }

    void unusableSettingsKeepTheDesignTimeState() {
        test::RussianAfterwards russian;
        MainWindow window;
        // Built by the editor before start-up, and the picker after it; they
        // still get their texts.
        auto* keys = new QGroupBox(child(window, "TabSheetParameters"));
        keys->setObjectName("GroupBoxKeys");
        FakeSettings settings;
        settings.stored.reset();
        window.setSettingsSource(&settings);
        child<QTabWidget>(window, "PageControlMain")->setCurrentIndex(0);
        window.startUp();
        QCOMPARE(languageCode(), std::string("ru"));
        QCOMPARE(child<QTabWidget>(window, "PageControlMain")->currentIndex(), 0);
        QCOMPARE(keys->title(), QStringLiteral(" Кнопки "));
        QCOMPARE(child<QGroupBox>(window.picker(), "GroupBoxKeyCodes")->title(), QStringLiteral(" Коды кнопок "));
        QVERIFY(timerNamed(window, "TimerZELMORVATOUCHTest")->isActive());
    }

    void storedSettingsComeBackAndAreHandedToSave() {
        test::RussianAfterwards russian;
        MainWindow window;
        test::useVirtualClock(window);
        ProgramSettings stored;
        stored.lang = "en";
        stored.log = true;
        stored.debug = true;
        stored.eventPage = 60;  // out of range: the first tab
        stored.mainLeft = 10;
        stored.mainTop = 20;
        stored.keyVisible = true;
        FakeSettings settings;
        settings.stored = stored;
        window.setSettingsSource(&settings);
        const std::optional<ProgramSettings>& saved = settings.saved;
        window.startUp();
        QCOMPARE(languageCode(), std::string("en"));
        QCOMPARE(window.initialEventPage(), 0);
        QVERIFY(child<QAction>(window, "MenuItemDebug")->isVisible());
        QVERIFY(window.builtPicker() != nullptr && window.builtPicker()->isVisible());

        window.close();
        QVERIFY(saved.has_value());
        QCOMPARE(saved->lang, std::string("en"));
        QVERIFY(saved->log && saved->debug);
        QCOMPARE(saved->mainLeft, std::optional<int>(window.frameGeometry().left()));
        QVERIFY(saved->keyVisible);
    }

    void pickerNeverOpenedKeepsItsPlaceAndIsBuiltThere() {
        MainWindow window;
        test::useVirtualClock(window);
        FakeSettings settings;
        settings.stored->keyLeft = 40;
        settings.stored->keyTop = 50;
        window.setSettingsSource(&settings);
        window.startUp();
        window.close();
        QVERIFY(window.builtPicker() == nullptr);
        QCOMPARE(settings.saved->keyLeft, std::optional<int>(40));
        QCOMPARE(settings.saved->keyTop, std::optional<int>(50));
        QVERIFY(!settings.saved->keyVisible);
        QCOMPARE(window.picker().pos(), QPoint(40, 50));
    }

    void closingStopsThePollClosesTheControllerThenSaves() {
        MainWindow window;
        test::VirtualClockHost& clock = test::useVirtualClock(window);
        window.startUp();
        window.show();
        std::vector<std::string> ran;
        QTimer* poll = timerNamed(window, "TimerZELMORVATOUCHTest");
        QObject::connect(&window, &MainWindow::shuttingDown, [&] {
            ran.push_back(std::string("close, poll ") + (poll->isActive() ? "on" : "off") + ", closing " +
                          (window.flags().appClosing() ? "yes" : "no"));
        });
        FakeSettings settings;
        settings.onSave = [&] { ran.push_back("save"); };
        window.setSettingsSource(&settings);
        QSignalSpy closed(&window, &MainWindow::closed);
        const uint32_t before = clock.now;
        QVERIFY(window.close());
        QCOMPARE(ran, (std::vector<std::string>{"close, poll off, closing yes", "save"}));
        QCOMPARE(clock.now - before, 0u);  // nothing waits: closing is quick
        QCOMPARE(closed.count(), 1);
    }

    void closingDuringAGuidedProcedureEndsItWithinOneTurn() {
        MainWindow window;
        test::useVirtualClock(window);
        window.show();
        FakeSettings settings;
        window.setSettingsSource(&settings);
        const int& saves = settings.saves;
        // A loop that waits inside its handler, as the firmware transfer
        // still does: one turn per 100 ms while the window stays.
        int turnsAfterClose = 0;
        bool closeRequested = false;
        for (int turn = 0; !window.flags().appClosing() && turn < 100; ++turn) {
            if (turn == 3) {
                QTimer::singleShot(0, &window, [&] { window.close(); });
                closeRequested = true;
            }
            delayMs(window.host(), 100);
            if (closeRequested) ++turnsAfterClose;
        }
        QCOMPARE(turnsAfterClose, 1);
        QCOMPARE(saves, 1);
        QVERIFY(!window.isVisible());
    }

    void closeRequestDuringShutDownIsNotRunTwice() {
        MainWindow window;
        test::VirtualClockHost& clock = test::useVirtualClock(window);
        (void)clock;
        window.show();
        int saves = 0;
        bool innerAccepted = true;
        // A second click on the window's close box while the first close runs.
        QObject::connect(&window, &MainWindow::shuttingDown, [&] {
            QCloseEvent again;
            QCoreApplication::sendEvent(&window, &again);
            innerAccepted = again.isAccepted();
        });
        FakeSettings settings;
        settings.onSave = [&] { ++saves; };
        window.setSettingsSource(&settings);
        QVERIFY(window.close());
        QVERIFY(!innerAccepted);
        QCOMPARE(saves, 1);
    }

    void windowHostLetsPendingEventsRunWithoutWaiting() {
        MainWindow window;
        bool ran = false;
        QTimer::singleShot(0, &window, [&] { ran = true; });
        const uint32_t before = window.host().tickMs();
        window.host().processEvents();
        QVERIFY(ran);
        QVERIFY(window.host().tickMs() >= before);
        QCOMPARE(delayMs(window.host(), 0), 0u);
    }

    void fileDialogIsKeptOverTheWindowCentreForFiftyTicks() {
        MainWindow window;
        window.move(100, 100);
        QTimer* onShow = timerNamed(window, "TimerOnShow");
        QDialog dialog;
        dialog.resize(300, 200);
        window.dialogCentring().centreWhileShown(&dialog);
        QVERIFY(onShow->isActive());
        QCOMPARE(onShow->interval(), 1);
        window.dialogCentring().onTick();  // not up yet: waits
        QVERIFY(onShow->isActive());
        dialog.show();
        for (int tick = 0; tick < 49; ++tick) {
            dialog.move(0, 0);  // whatever places it meanwhile, the next tick moves it back
            window.dialogCentring().onTick();
        }
        QCOMPARE(dialog.frameGeometry().topLeft(),
                 centredPosition(window.frameGeometry(), dialog.frameGeometry().size(), 0));
        QVERIFY(onShow->isActive());
        window.dialogCentring().onTick();
        QVERIFY(!onShow->isActive());  // the 50th move was the last

        window.dialogCentring().centreWhileShown(&dialog);
        window.dialogCentring().onTick();
        dialog.hide();  // the dialog ended
        window.dialogCentring().onTick();
        QVERIFY(!onShow->isActive());
    }

    void delayZeroReturnsAtOnceAndOthersWaitOnTheClock() {
        MainWindow window;
        test::VirtualClockHost& clock = test::useVirtualClock(window);
        QCOMPARE(delayMs(window.host(), 0), 0u);
        QCOMPARE(clock.passes, 0);
        QCOMPARE(delayMs(window.host(), 150), 150u);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
