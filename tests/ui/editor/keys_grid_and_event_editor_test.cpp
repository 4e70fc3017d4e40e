// The Parameters page driven through its real widgets: presses, moves and
// releases on the buttons grid, typing into its cells, the pop-up menus and
// the event editor's controls. The rules themselves are tested without a
// window; here we check that the widgets reach them and show the answers.
#include "test_languages.h"
#include "config/config_image.h"
#include "config/reaction_text.h"
#include "learned_buttons.h"
#include "../program_rig.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QSet>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <functional>

using namespace zmt;
using namespace zmt::ui;

namespace {

using test::child;

// The program as zmtsetup builds it, with no controller plugged in and a
// learned configuration: channel 1 holds VOL+, VOL- and an unnamed button at
// level 80, channel 3 one unnamed button, encoder 1 is on and encoder 2 off.
struct Page : test::ProgramRig {
    MainWindow& form = window;
    QTableWidget* grid = child<QTableWidget>(form, "StringGridKeys");
    QTabBar* tabs = child<QTabBar>(form, "TabControlEVKEYx");
    Panel* modPanel = child<Panel>(form, "PanelKeyModx");
    Panel* keyPanel = child<Panel>(form, "PanelKeyValx");
    QComboBox* type = child<QComboBox>(form, "ComboBoxEventEvent");
    QCheckBox* once = child<QCheckBox>(form, "CheckBoxEventOnce");
    QMenu* menu = child<QMenu>(form, "PopupMenuKeys");
    QAction* deleteItem = child<QAction>(form, "DeleteKeyx");

    Page() : ProgramRig({.plugged = false}) {
        fixtures::putLearnedButtons(record.image);
        form.showImage();
        form.show();
    }
    ~Page() { menu->hide(); }

    EventRecord& event(int index) { return record.image.events[index]; }
    void select(int index) { tabs->setCurrentIndex(index); }
    QString cell(int column, int row) { return grid->item(row - 1, column)->text(); }

    QPoint cellPoint(int column, int row) {
        return grid->visualRect(grid->model()->index(row - 1, column)).center();
    }
    static QPoint centreOf(QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); }

    void press(int column, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(grid->viewport(), button, {}, cellPoint(column, row));
    }
    // While the button is held the grid keeps the pointer, so it gets the
    // movements and the release wherever the pointer is.
    void dragTo(const QPoint& global) {
        QMouseEvent move(QEvent::MouseMove, grid->viewport()->mapFromGlobal(global), global, Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(grid->viewport(), &move);
    }
    void releaseAt(const QPoint& global) {
        QMouseEvent release(QEvent::MouseButtonRelease, grid->viewport()->mapFromGlobal(global), global,
                            Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(grid->viewport(), &release);
    }
    void dragCell(int column, int row, QWidget* target) {
        press(column, row);
        dragTo(centreOf(target));
        releaseAt(centreOf(target));
    }

    // Types into the cell's in-place editor and confirms, then lets the
    // sync timer commit the name.
    QLineEdit* openEditor(int column, int row) {
        // Closed editors linger until deferred deletion; only the new one may be found.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        grid->editItem(grid->item(row - 1, column));
        return grid->findChild<QLineEdit*>();
    }
    void rename(int column, int row, const QString& text) {
        QLineEdit* edit = openEditor(column, row);
        QVERIFY(edit != nullptr);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        test::confirmCellName(edit);
    }
    void hover(int column, int row) {
        const QPoint local = cellPoint(column, row);
        QMouseEvent move(QEvent::MouseMove, local, grid->viewport()->mapToGlobal(local), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(grid->viewport(), &move);
    }
    void rightClickPanel(QWidget* panel) { QTest::mousePress(panel, Qt::RightButton, {}, panel->rect().center()); }

    // The keyboard: the window active on its Parameters page, keys sent to
    // whatever has the focus, as a user's keys are.
    void useKeyboard() {
        child<QTabWidget>(form, "PageControlMain")->setCurrentWidget(child<QWidget>(form, "TabSheetParameters"));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    static void key(Qt::Key code, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr);
        QTest::keyClick(focused, code, modifiers);
    }
    static void menuKey() {
        QWidget* focused = QApplication::focusWidget();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, focused->rect().center(),
                               focused->mapToGlobal(focused->rect().center()));
        QApplication::sendEvent(focused, &menu);
    }
    // The share of a picture button's outline (the drawn pixels at the edge
    // of its shape) that stands out from the button's face: the shape shows
    // where it does, whatever the colours inside it.
    static double outlineStandingOut(const QToolButton& button) {
        const QColor face = button.palette().color(QPalette::Button);
        const QImage picture = button.icon().pixmap(button.iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
        auto drawn = [&picture](int x, int y) { return picture.valid(x, y) && qAlpha(picture.pixel(x, y)) >= 128; };
        int outline = 0, seen = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (!drawn(x, y) || (drawn(x - 1, y) && drawn(x + 1, y) && drawn(x, y - 1) && drawn(x, y + 1))) continue;
                ++outline;
                if (contrastRatio(QColor::fromRgb(picture.pixel(x, y)), face) >= kPictureContrast) ++seen;
            }
        }
        return outline == 0 ? 0.0 : double(seen) / outline;
    }
    static QAccessibleInterface* readerView(QObject* control) {
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(control);
        if (view == nullptr) qFatal("no accessible interface for %s", qPrintable(control->objectName()));
        return view;
    }
    static QString readerName(QObject* control) { return readerView(control)->text(QAccessible::Name); }
    QString cellReaderName(int column, int row) {
        return readerView(grid)->tableInterface()->cellAt(row - 1, column)->text(QAccessible::Name);
    }
    static QString focusedName() {
        return QApplication::focusWidget() != nullptr ? QApplication::focusWidget()->objectName() : QString();
    }

    static QColor background(QWidget* panel) { return panel->palette().color(QPalette::Window); }
    static Qt::CursorShape pointer() {
        return QApplication::overrideCursor() != nullptr ? QApplication::overrideCursor()->shape() : Qt::BitmapCursor;
    }
};

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

} // namespace

class KeysGridAndEventEditorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false); }

    void pageShowsTheImage() {
        Page p;
        QCOMPARE(p.tabs->count(), 60);
        QCOMPARE(p.tabs->tabText(59), QStringLiteral("60"));
        QCOMPARE(p.cell(0, 1), QStringLiteral("VOL+"));
        QCOMPARE(p.cell(0, 3), QStringLiteral("1.80"));
        QCOMPARE(p.cell(2, 1), QStringLiteral("3.42"));
        QCOMPARE(p.cell(4, 2), QStringLiteral("Enc1-"));
        QCOMPARE(p.cell(4, 3), QString());
        QCOMPARE(p.grid->horizontalHeaderItem(0)->text(), QStringLiteral("Канал 1"));
        QCOMPARE(p.grid->horizontalHeaderItem(4)->text(), QStringLiteral("Энкодер"));
        p.form.setLanguage("en");
        QCOMPARE(p.grid->horizontalHeaderItem(3)->text(), QStringLiteral("Ch 4"));
        QCOMPARE(p.grid->horizontalHeaderItem(4)->text(), QStringLiteral("Encoder"));
        QCOMPARE(p.keyPanel->toolTip(), QStringLiteral("Drag a button here"));
        QCOMPARE(child(p.form, "PanelHOMEx")->toolTip(), QStringLiteral("Click to edit the virtual key HOME"));
        QCOMPARE(p.type->itemText(2), QStringLiteral("Long tap"));
        QCOMPARE(child<QLabel>(p.form, "MemoHOMEx")->text(), QStringLiteral("  \nNot specified"));
        // Switching encoder 2 on shows its labels when the encoder column is refilled.
        p.record.image.enc1Mode = 2;
        p.keysGrid.rewriteEncoderLabels();
        QCOMPARE(p.cell(4, 4), QStringLiteral("Enc2-"));
    }

    void encoderIsRefusedAsModifierAndAcceptedAsKey() {
        Page p;
        p.select(0);
        p.press(4, 1);
        QCOMPARE(Page::pointer(), Qt::ForbiddenCursor);
        p.dragTo(Page::centreOf(p.modPanel));
        QCOMPARE(Page::background(p.modPanel), kRed);
        QCOMPARE(Page::pointer(), Qt::ForbiddenCursor);
        p.dragTo(Page::centreOf(p.keyPanel));
        QCOMPARE(Page::background(p.keyPanel), kGreen);
        QVERIFY(Page::background(p.modPanel) != kRed);
        QCOMPARE(Page::pointer(), Qt::DragMoveCursor);
        QCOMPARE(p.event(0).keyRow, uint8_t(0));  // moving only shows
        p.releaseAt(Page::centreOf(p.keyPanel));
        QCOMPARE(p.event(0).keyCol, uint8_t(4));
        QCOMPARE(p.event(0).keyRow, uint8_t(1));
        QCOMPARE(p.event(0).flags, uint8_t(EV_ONCE | EventAnyPress));
        QCOMPARE(p.keyPanel->text(), QStringLiteral("Enc1+"));
        QVERIFY(Page::background(p.keyPanel) != kGreen);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(p.once->isChecked() && !p.once->isEnabled());

        // Dropping the encoder on the modifier panel changes nothing.
        p.select(1);
        p.dragCell(4, 2, p.modPanel);
        QCOMPARE(p.event(1).modRow, uint8_t(0));
        QCOMPARE(p.event(1).flags, uint8_t(0));

        // Encoder 1 switched off: the key stays and shows as unresolved.
        p.select(0);
        p.record.image.enc0Mode = 0;
        p.form.showImage();
        QCOMPARE(p.keyPanel->text(), QStringLiteral("Enc1+ ?"));
        QCOMPARE(p.cell(4, 1), QString());
        // ...and its rows can no longer be dragged.
        p.select(2);
        p.dragCell(4, 1, p.keyPanel);
        QCOMPARE(p.event(2).keyRow, uint8_t(0));
    }

    void buttonsOnTheKeysChannelAreRefusedAsModifier() {
        Page p;
        p.event(3) = EventRecord{1, 0, 0, 0, EventShortPress, {ReactionKeyboard, 0, 0x28, 0}};
        p.select(3);
        p.press(0, 2);
        p.dragTo(Page::centreOf(p.modPanel));
        QCOMPARE(Page::background(p.modPanel), kRed);
        p.releaseAt(Page::centreOf(p.modPanel));
        QCOMPARE(p.event(3).modRow, uint8_t(0));
        // A button of another channel is taken, and the event type stays.
        p.dragCell(2, 1, p.modPanel);
        QCOMPARE(p.event(3).modCol, uint8_t(2));
        QCOMPARE(p.event(3).modRow, uint8_t(1));
        QCOMPARE(p.event(3).flags, uint8_t(EventShortPress));
        QCOMPARE(p.modPanel->text(), QStringLiteral("3.42"));
        // A release away from both panels stores nothing.
        p.select(4);
        p.press(0, 1);
        p.releaseAt(p.grid->mapToGlobal(QPoint(5, 5)));
        QCOMPARE(p.event(4).keyRow, uint8_t(0));
    }

    void namingInTheGrid() {
        Page p;
        // Seven letters typed keep five.
        QLineEdit* edit = p.openEditor(0, 3);
        QVERIFY(edit != nullptr);
        QTest::keyClicks(edit, QStringLiteral("ABCDEFG"));
        QCOMPARE(edit->text(), QStringLiteral("ABCDE"));
        test::confirmCellName(edit);
        QCOMPARE(p.cell(0, 3), QStringLiteral("ABCDE"));
        QVERIFY(std::memcmp(p.record.image.keys[0][2].name, "ABCDE", 5) == 0);
        QCOMPARE(p.keysGrid.rules().state().editState, editor::NamingState::Idle);

        // A duplicate shows the box and the old name comes back.
        p.rename(0, 3, QStringLiteral("VOL-"));
        QCOMPARE(p.boxes.size(), 1);
        QVERIFY(p.boxes.front().startsWith(QStringLiteral("Имя \"VOL-\"\nуже присвоено другой кнопке")));
        QCOMPARE(p.cell(0, 3), QStringLiteral("ABCDE"));
        QVERIFY(std::memcmp(p.record.image.keys[0][2].name, "ABCDE", 5) == 0);

        // An emptied name stores the automatic label.
        p.rename(0, 3, QString());
        QCOMPARE(p.cell(0, 3), QStringLiteral("1.80"));
        QVERIFY(std::memcmp(p.record.image.keys[0][2].name, "1.80\0", 5) == 0);

        // An event shows the new name at once.
        p.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(0);
        p.rename(0, 1, QStringLiteral("Tune"));
        QCOMPARE(p.keyPanel->text(), QStringLiteral("Tune"));
        QCOMPARE(p.boxes.size(), 1);

        // A double click opens the editor as well; leaving it unchanged keeps the name.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (int click = 0; click < 2; ++click) {
            QTest::mousePress(p.grid->viewport(), Qt::LeftButton, {}, p.cellPoint(0, 2));
            if (click == 1) QTest::mouseDClick(p.grid->viewport(), Qt::LeftButton, {}, p.cellPoint(0, 2));
            QTest::mouseRelease(p.grid->viewport(), Qt::LeftButton, {}, p.cellPoint(0, 2));
        }
        QLineEdit* opened = p.grid->findChild<QLineEdit*>();
        QVERIFY(opened != nullptr && opened->isVisible());
        QCOMPARE(opened->text(), QStringLiteral("VOL-"));
        QVERIFY(QApplication::overrideCursor() == nullptr);  // a click is no drag
        QTest::keyClick(opened, Qt::Key_Escape);
        QCoreApplication::processEvents();
        p.tick();
        QCOMPARE(p.cell(0, 2), QStringLiteral("VOL-"));
        QCOMPARE(p.boxes.size(), 1);

        // Encoder labels and empty slots open no editor.
        QVERIFY(p.openEditor(4, 1) == nullptr);
        QVERIFY(p.openEditor(0, 9) == nullptr);
        QCOMPARE(p.keysGrid.rules().state().editState, editor::NamingState::Idle);
    }

    void deletingFromTheGridMenus() {
        Page p;
        p.event(0) = EventRecord{1, 0, 1, 2, EventShortPress, {ReactionKeyboard, 0, 0x28, 0}};
        p.event(1) = EventRecord{2, 0, 1, 0, EventAnyPress, {}};
        p.event(2) = EventRecord{1, 2, 0, 0, EventShortPress, {}};

        // One button: right click on its cell.
        p.press(0, 1, Qt::RightButton);
        QVERIFY(p.menu->isVisible());
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Удалить эту кнопку"));
        p.menu->hide();
        p.deleteItem->trigger();
        QCOMPARE(p.record.image.keys[0][0].level, uint8_t(0));
        QCOMPARE(p.cell(0, 1), QString());
        QCOMPARE(p.event(0).keyRow, uint8_t(0));
        QCOMPARE(p.event(1).modRow, uint8_t(0));
        QCOMPARE(p.event(1).keyRow, uint8_t(2));
        QCOMPARE(p.keysGrid.rules().state().popupAction, 0);

        // A right click on an empty slot or an empty channel's header offers nothing.
        p.press(0, 1, Qt::RightButton);
        QVERIFY(!p.menu->isVisible());
        QHeaderView* header = p.grid->horizontalHeader();
        auto headerPoint = [header](int column) {
            return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        };
        QTest::mousePress(header->viewport(), Qt::RightButton, {}, headerPoint(1));
        QVERIFY(!p.menu->isVisible());

        // A whole channel: its header, captioned with the channel number.
        p.form.setLanguage("en");
        QTest::mousePress(header->viewport(), Qt::RightButton, {}, headerPoint(2));
        QVERIFY(p.menu->isVisible());
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Delete all buttons of the channel 3"));
        p.menu->hide();
        p.deleteItem->trigger();
        QCOMPARE(p.cell(2, 1), QString());
        QCOMPARE(p.event(2).keyRow, uint8_t(1));
        p.select(2);
        QCOMPARE(p.keyPanel->text(), QStringLiteral("3.[1] ?"));
        p.select(0);
        QCOMPARE(p.modPanel->text(), QStringLiteral("3.[1] ?"));
    }

    void eventTypeAndOptions() {
        Page p;
        // Only a modifier: any press, and the once box stays disabled.
        p.event(6) = EventRecord{0, 0, 1, 0, EventShortPress, {}};
        p.select(6);
        QCOMPARE(p.type->currentIndex(), int(EventAnyPress));
        QVERIFY(!p.once->isEnabled());
        p.type->setFocus();
        QTest::keyClick(p.type, Qt::Key_Up);  // long press
        QCOMPARE(p.type->currentIndex(), int(EventAnyPress));
        QCOMPARE(p.event(6).flags, uint8_t(EventAnyPress));
        p.type->setCurrentIndex(1);
        emit p.type->activated(0);
        QCOMPARE(p.type->currentIndex(), int(EventDisabled));
        QCOMPARE(p.event(6).flags, uint8_t(EventDisabled));
        QVERIFY(!p.once->isEnabled());

        // A key: long press enables once, short press clears it again.
        p.event(7) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(7);
        QVERIFY(!p.once->isEnabled());
        QTest::keyClick(p.type, Qt::Key_Down);
        QCOMPARE(p.event(7).flags, uint8_t(EventLongPress));
        QVERIFY(p.once->isEnabled());
        QTest::mouseClick(p.once, Qt::LeftButton);
        QCOMPARE(p.event(7).flags, uint8_t(EV_ONCE | EventLongPress));
        QTest::mouseClick(child<QCheckBox>(p.form, "CheckBoxEventWakeUp"), Qt::LeftButton);
        QCOMPARE(p.event(7).flags, uint8_t(EV_WAKEUP | EV_ONCE | EventLongPress));
        QTest::keyClick(p.type, Qt::Key_Up);
        QCOMPARE(p.event(7).flags, uint8_t(EV_WAKEUP | EventShortPress));
        QVERIFY(!p.once->isChecked() && !p.once->isEnabled());
    }

    void eventPanelMenus() {
        Page p;
        p.event(8) = EventRecord{1, 0, 0, 0, EventLongPress, {ReactionConsumer, 0, 0xE9, 0}};
        p.select(8);
        Panel* reaction = child<Panel>(p.form, "PanelEventReactionx");
        QCOMPARE(child<QLabel>(p.form, "MemoEventReactionx")->text(), QStringLiteral("  \nConsumerPage:VOL+"));

        // No modifier: its panel offers no menu.
        p.rightClickPanel(p.modPanel);
        QVERIFY(!p.menu->isVisible());
        p.rightClickPanel(reaction);
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Удалить реакцию"));
        p.menu->hide();
        p.deleteItem->trigger();
        QCOMPARE(p.event(8).reaction.kind, uint8_t(0));
        QCOMPARE(child<QLabel>(p.form, "MemoEventReactionx")->text(), QStringLiteral("  \nОтсутствует"));

        // Deleting the key of an event without modifier empties it.
        p.event(8).reaction = Reaction{ReactionKeyboard, 0, 0x28, 0};
        p.rightClickPanel(p.keyPanel);
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Удалить кнопку"));
        p.menu->hide();
        p.deleteItem->trigger();
        const uint8_t zero[9] = {};
        QVERIFY(std::memcmp(&p.event(8), zero, 9) == 0);
        QVERIFY(!p.type->isEnabled());
        QCOMPARE(p.keyPanel->text(), QString());

        // The HOME key's reaction.
        p.record.image.homeReaction = Reaction{ReactionKeyboard, 0, 0x4A, 0};
        p.form.showImage();
        p.rightClickPanel(child<Panel>(p.form, "PanelHOMEx"));
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Удалить кнопку HOME"));
        p.menu->hide();
        p.deleteItem->trigger();
        QCOMPARE(p.record.image.homeReaction.kind, uint8_t(0));
        QCOMPARE(child<QLabel>(p.form, "MemoHOMEx")->text(), QStringLiteral("  \nОтсутствует"));

        // An infrared trigger: its panel replaces the buttons and offers its own menu.
        p.event(9) = EventRecord{17, 4, 0, 1, EV_IR_TRIGGER | EventShortPress, {}};
        p.select(9);
        QVERIFY(child<QWidget>(p.form, "PanelIRCODE")->isVisible());
        QVERIFY(!child<QWidget>(p.form, "PanelMODKEY")->isVisible());
        QCOMPARE(child<Panel>(p.form, "PanelIRDEFx")->text(), QStringLiteral("NEC 4 / 17"));
        p.rightClickPanel(child<Panel>(p.form, "PanelIRDEFx"));
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Удалить ИК код"));
        p.menu->hide();
        p.deleteItem->trigger();
        QVERIFY(std::memcmp(&p.event(9), zero, 9) == 0);
        QVERIFY(child<QWidget>(p.form, "PanelMODKEY")->isVisible());
    }

    void thePickerFollowsTheSelectedEvent() {
        Page p;
        // Events with a trigger: only they take a reaction.
        for (int index : {11, 12}) p.event(index) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(11);
        Panel* reaction = child<Panel>(p.form, "PanelEventReactionx");
        QTest::mouseClick(reaction, Qt::LeftButton, {}, reaction->rect().center());
        QVERIFY(p.picker().isVisible());
        QCOMPARE(p.picker().windowTitle(), QStringLiteral("Клавиатура (реакция на событие 12)"));
        p.form.setLanguage("en");
        QCOMPARE(p.picker().windowTitle(), QStringLiteral("Keyboard (Reactions for the event 12)"));
        p.select(12);
        QCOMPARE(p.picker().windowTitle(), QStringLiteral("Keyboard (Reactions for the event 13)"));
        Panel* home = child<Panel>(p.form, "PanelHOMEx");
        QTest::mouseClick(home, Qt::LeftButton, {}, home->rect().center());
        QCOMPARE(p.picker().windowTitle(), QStringLiteral("Keyboard (reaction to the virtual button HOME)"));

        // Clicking a reaction again brings an open picker forward, even
        // from behind the main window; following a tab leaves the input
        // with the main window.
        auto activeAfter = [&](const std::function<void()>& action) {
            p.form.activateWindow();
            QCoreApplication::processEvents();
            action();
            QCoreApplication::processEvents();
            return QApplication::activeWindow();
        };
        for (Panel* panel : {reaction, home}) {
            QWidget* active = activeAfter([&] { QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center()); });
            QCOMPARE(active, static_cast<QWidget*>(&p.picker()));
        }
        QCOMPARE(activeAfter([&] { p.select(13); }), static_cast<QWidget*>(&p.form));
        p.picker().hide();
    }

    // An event without a trigger loses its reaction whenever it is shown,
    // so none is taken for it, from the panel, the open picker or the
    // infrared receiver: the user is told to give it a trigger first.
    void aReactionIsRefusedForAnEventWithoutATrigger() {
        Page p;
        const QString refusal = QStringLiteral("Сначала задайте событию кнопку или ИК код");
        Panel* reaction = child<Panel>(p.form, "PanelEventReactionx");
        p.select(20);
        QTest::mouseClick(reaction, Qt::LeftButton, {}, reaction->rect().center());
        QCOMPARE(p.boxes, QStringList{refusal});
        QCOMPARE(p.boxIcons.last(), QMessageBox::Information);   // told, not asked
        QVERIFY(p.form.builtPicker() == nullptr);

        p.event(21) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(21);
        QTest::mouseClick(reaction, Qt::LeftButton, {}, reaction->rect().center());
        QVERIFY(p.picker().isVisible());
        QCOMPARE(p.boxes.size(), 1);
        p.select(20);   // the open picker follows, but its keys change nothing here
        QTest::mouseClick(child<Panel>(p.picker(), "PanelKey4x"), Qt::LeftButton);
        QCOMPARE(p.boxes.size(), 2);
        QCOMPARE(p.event(20).reaction.kind, uint8_t(0));
        QVERIFY(!child<Panel>(p.picker(), "PanelKey4x")->property("selected").toBool());
        p.select(21);
        QTest::mouseClick(child<Panel>(p.picker(), "PanelKey4x"), Qt::LeftButton);
        QCOMPARE(p.event(21).reaction.kind, uint8_t(ReactionKeyboard));
        p.select(20);
        p.select(21);
        QCOMPARE(p.event(21).reaction.kind, uint8_t(ReactionKeyboard));
        QCOMPARE(p.boxes.size(), 2);

        p.select(20);
        p.editor.onCaptureIrReaction();   // its button waits for a controller
        QCOMPARE(p.boxes.last(), refusal);
        QCOMPARE(p.boxes.size(), 3);
        p.picker().hide();
    }

    // The picker opens beside the main window where the screen has room,
    // and never over the panel that opened it, so the next click meant for
    // the panel cannot land on a key; where the screen allows, it leaves
    // the toolbar and the event tabs in sight too. A minimized one comes back.
    void thePickerOpensClearOfThePanelClicked() {
        Page p;
        for (int index : {0, 1}) p.event(index) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        const QRect screen = p.form.screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1280, 800));
        auto clear = [&](QWidget* panel) {
            const QRect picker = p.picker().frameGeometry();
            return !picker.intersects(QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size())) &&
                   screen.contains(picker);
        };
        auto click = [](QWidget* panel) { QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center()); };
        Panel* reaction = child<Panel>(p.form, "PanelEventReactionx");
        Panel* home = child<Panel>(p.form, "PanelHOMEx");

        // Lower on the screen than the picker is tall, too high for it to
        // fit below: covering least of the window put it over the toolbar
        // and the tabs, though there is room below the reaction panel.
        p.form.move(screen.left() + 16, screen.top() + 260);
        click(reaction);
        QVERIFY(clear(reaction));
        QVERIFY(clear(child(p.form, "MainToolBar")));
        QVERIFY(clear(p.tabs));

        // Centred on the screen, as at a first start: the screen's centre,
        // where a picker with no place of its own used to open, lies over
        // the reaction panel.
        p.form.move(screen.center() - p.form.rect().center());
        click(reaction);
        QVERIFY(clear(reaction));
        // Where it stands now it is clear of the panel: it stays there.
        const QPoint placed = p.picker().pos();
        p.select(1);
        click(reaction);
        QCOMPARE(p.picker().pos(), placed);
        // The HOME panel lies lower: at the bottom of the screen the window
        // leaves room above it.
        p.form.move(screen.left(), screen.bottom() + 1 - p.form.frameGeometry().height());
        click(home);
        QVERIFY(clear(home));

        p.picker().showMinimized();
        QVERIFY(p.picker().isMinimized());
        click(home);
        QVERIFY(!p.picker().isMinimized());
        QVERIFY(p.picker().isVisible());
        p.picker().hide();
    }

    void thePickerBuiltWhenFirstOpenedComesTranslatedAndLocked() {
        Page p;
        QVERIFY(p.form.builtPicker() == nullptr);   // start-up leaves it for later
        p.form.setLanguage("en");
        p.editor.setEditorLock(false);   // as while the firmware is updated
        p.editor.onHomeReactionClicked();
        ReactionPicker* picker = p.form.builtPicker();
        QVERIFY(picker != nullptr && picker->isVisible());
        QCOMPARE(picker->windowTitle(), QStringLiteral("Keyboard (reaction to the virtual button HOME)"));
        QCOMPARE(child<QGroupBox>(*picker, "GroupBoxKeyCodes")->title(), QStringLiteral(" Key codes "));
        QVERIFY(!child<QGroupBox>(*picker, "GroupBoxKeyboardPage07")->isEnabled());
        p.editor.setEditorLock(true);
        QVERIFY(child<QGroupBox>(*picker, "GroupBoxKeyboardPage07")->isEnabled());
        QCOMPARE(p.form.currentSettings().keyVisible, true);
    }

    void tooltipsAndTheirWithdrawal() {
        Page p;
        QWidget* page = child<QWidget>(p.form, "TabSheetParameters");
        p.hover(0, 1);
        QCOMPARE(page->toolTip(), QStringLiteral("Кнопка \"VOL+\" канал 1, код 40 (допуск 10)"));
        QCOMPARE(p.grid->viewport()->cursor().shape(), Qt::PointingHandCursor);
        p.hover(0, 9);
        QCOMPARE(page->toolTip(), QString());
        QCOMPARE(p.grid->viewport()->cursor().shape(), Qt::ForbiddenCursor);
        p.hover(2, 1);
        QCOMPARE(page->toolTip(), QStringLiteral("Канал 3, код 42 (допуск 15)"));
        // The pointer leaves the grid: the next tick withdraws the hint.
        QCursor::setPos(p.form.mapToGlobal(QPoint(p.form.width() - 5, p.form.height() - 5)));
        p.tick();
        QCOMPARE(page->toolTip(), QString());
    }

    void everyControlNameIsTheOnlyOne() {
        // The grid, the event editor and the parameters panel share one
        // page; a name found twice would leave whoever looks it up (the
        // translation tables, the editor lock) with the wrong control.
        Page p;
        QSet<QString> seen;
        for (QObject* object : p.form.findChildren<QObject*>()) {
            const QString name = object->objectName();
            // The tab bars' own scroll arrows are Qt's, not ours.
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || qobject_cast<QTabBar*>(object->parent())) continue;
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
        for (const char* name : {"PanelSetup", "GroupBoxTouch", "PanelHOMEx", "MemoHOMEx", "GroupBoxKeySetup"}) {
            QVERIFY2(seen.contains(QLatin1String(name)), name);
        }
        QCOMPARE(child<QWidget>(p.form, "PanelHOMEx")->parent()->objectName(), QStringLiteral("GroupBoxTouch"));
    }

    // What a new user sees, in both languages: no list cuts an item,
    // nothing in the parameters' group boxes sits on a frame, the grid's
    // cells fill its box, and the HOME panel shows the longest descriptions
    // whole, as the event's Response box does.
    void nothingIsCutOrOnAFrame() {
        test::RussianAfterwards russian;
        Page p;
        QCoreApplication::processEvents();
        auto* page = child<QWidget>(p.form, "TabSheetParameters");
        for (int language : {Russian, English}) {
            p.form.setLanguage(codeOf(language));
            for (QComboBox* list : page->findChildren<QComboBox*>()) {
                QStyleOptionComboBox option;
                option.initFrom(list);
                const QRect field =
                    list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
                for (int i = 0; i < list->count(); ++i) {
                    QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) + 2 <= field.width(),
                             qPrintable(list->objectName() + ": " + list->itemText(i)));
                }
            }
        }
        for (QGroupBox* group : p.panel.findChildren<QGroupBox*>()) {
            for (QWidget* control : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QVERIFY2(group->contentsRect().contains(control->geometry()), qPrintable(control->objectName()));
            }
        }

        const QHeaderView* columns = p.grid->horizontalHeader();
        const QHeaderView* rows = p.grid->verticalHeader();
        QCOMPARE(columns->sectionViewportPosition(4) + columns->sectionSize(4), p.grid->viewport()->width());
        QCOMPARE(rows->sectionViewportPosition(14) + rows->sectionSize(14), p.grid->viewport()->height());
        for (int row = 0; row < 15; ++row) QVERIFY(rows->sectionSize(row) >= 21);

        auto* home = child<QLabel>(p.form, "MemoHOMEx");
        auto* response = child<QLabel>(p.form, "MemoEventReactionx");
        // The part of a memo its panel shows, and where the description
        // (after the memo's blank first line) lands in it.
        auto fits = [](QLabel* memo) {
            const QRect shown = memo->rect() & memo->parentWidget()->contentsRect().translated(-memo->pos());
            const QFontMetrics metrics(memo->font());
            QRect text = metrics.boundingRect(memo->rect(), Qt::AlignCenter | Qt::TextWordWrap, memo->text());
            text.setTop(text.top() + metrics.lineSpacing());
            return text.width() <= memo->width() && shown.contains(text);
        };
        const Reaction longest[] = {{ReactionConsumer, 0, 0x94, 0x01},     // MACHINE BROWSER
                                    {ReactionConsumer, 0, 0xCD, 0x00},     // PLAY/PAUSE
                                    {ReactionKeyboard, 0x07, 4, 5},        // lCtrl + lShift + lAlt + A + B
                                    {ReactionKeyboard, 0xFF, 42, 43}};     // all eight + Backspace + Tab
        for (const Reaction& reaction : longest) {
            p.record.image.homeReaction = reaction;
            p.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, reaction};
            p.select(0);
            p.form.showImage();
            QVERIFY2(fits(response), qPrintable(response->text()));
            QCOMPARE(home->text(), response->text());
            QVERIFY2(fits(home), qPrintable(home->text()));
        }
    }

    // Qt's scroll buttons on the event tabs are named for screen readers
    // in the language in force, not the one the tabs were made in. Qt's
    // texts come with the window's first tick, or with a box before it.
    void theTabScrollButtonsFollowTheLanguage() {
        for (const bool boxFirst : {false, true}) {
            Page p;
            auto leftName = [&] {
                for (QToolButton* scroll : p.tabs->findChildren<QToolButton*>())
                    if (scroll->arrowType() == Qt::LeftArrow) return scroll->accessibleName();
                return QString();
            };
            if (boxFirst) p.form.showMessage(MessageKind::Information, "Готово");
            p.form.onSyncTick();
            const QString russian = leftName();
            QVERIFY(!russian.isEmpty() && russian != QStringLiteral("Scroll Left"));
            p.form.setLanguage("en");
            QCOMPARE(leftName(), QStringLiteral("Scroll Left"));
            p.form.setLanguage("ru");
            QCOMPARE(leftName(), russian);
        }
    }

    // Tab reaches every control of the page and the toolbar; nothing on the
    // way needs the mouse.
    void tabReachesEveryControl() {
        Page p;
        p.useKeyboard();
        // No controller: its commands are disabled, and so no tab stops.
        child<QWidget>(p.form, "SpeedButtonReadConfig")->setFocus(Qt::TabFocusReason);
        QSet<QString> reached;
        QStringList firstRound;
        for (int step = 0; step < 200; ++step) {
            if (!reached.contains(Page::focusedName())) firstRound << Page::focusedName();
            reached << Page::focusedName();
            Page::key(Qt::Key_Tab);
        }
        // As the eye goes: the grid, the event, its reaction, the
        // parameters below with HOME among the touch settings.
        const char* inOrder[] = {"SpeedButtonReadConfig", "StringGridKeys", "TabControlEVKEYx", "PanelKeyModx",
                                 "PanelKeyValx", "PanelEventReactionx", "Edit_PAR_LongTO", "CheckBoxTouchDXY",
                                 "PanelHOMEx", "ComboBoxHEADTYPE"};
        for (std::size_t i = 0; i + 1 < std::size(inOrder); ++i) {
            QVERIFY2(firstRound.indexOf(QLatin1String(inOrder[i])) < firstRound.indexOf(QLatin1String(inOrder[i + 1])),
                     qPrintable(firstRound.join(QLatin1Char(' '))));
        }
        for (const char* name : {"SpeedButtonReadConfig", "SpeedButtonWriteConfig", "PanelMenu",
                                 "StringGridKeys", "TabControlEVKEYx", "PanelKeyModx", "PanelKeyValx",
                                 "PanelEventReactionx", "PanelHOMEx"}) {
            QVERIFY2(reached.contains(QLatin1String(name)), name);
        }
        // The strip's scroll arrows are the mouse's; the arrow keys move along the tabs.
        for (QToolButton* scroll : p.tabs->findChildren<QToolButton*>()) QCOMPARE(scroll->focusPolicy(), Qt::NoFocus);
        // Space on a toolbar button acts, and the focus stays on it.
        int dialogs = 0;
        p.dialogs.fileDialog = [&dialogs](QFileDialog&) {
            ++dialogs;
            return QString();
        };
        child<QWidget>(p.form, "SpeedButtonReadConfig")->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Space);
        QCOMPARE(dialogs, 1);
        QCOMPARE(Page::focusedName(), QStringLiteral("SpeedButtonReadConfig"));

        p.tabs->setFocus(Qt::TabFocusReason);
        p.select(0);
        Page::key(Qt::Key_Right);
        Page::key(Qt::Key_Right);
        QCOMPARE(p.editor.selectedEvent(), 2);
    }

    // The grid's selected cell set as the event's modifier and button with
    // the shortcuts, refused where a drop would be, then deleted from the
    // panels with Delete and from the grid's menu.
    void keyboardSetsAndDeletesAnEventsButtons() {
        test::RussianAfterwards russian;
        Page p;
        p.form.setLanguage("en");
        p.useKeyboard();
        p.select(1);
        p.grid->setFocus(Qt::TabFocusReason);
        p.grid->setCurrentCell(0, 0);   // VOL+
        Page::key(Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(p.event(1).modCol, uint8_t(0));
        QCOMPARE(p.event(1).modRow, uint8_t(1));
        QCOMPARE(p.modPanel->text(), QStringLiteral("VOL+"));
        // VOL- lies on the modifier's channel: refused, and said so.
        Page::key(Qt::Key_Down);
        Page::key(Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(p.event(1).keyRow, uint8_t(0));
        QCOMPARE(p.notice(), QStringLiteral("This button cannot be assigned here"));
        // Right skips the empty cells to the encoder's Enc1-, which is taken as the key.
        Page::key(Qt::Key_Right);
        QCOMPARE(p.grid->currentColumn(), 4);
        Page::key(Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(p.event(1).modRow, uint8_t(1));
        Page::key(Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(p.event(1).keyCol, uint8_t(4));
        QCOMPARE(p.event(1).keyRow, uint8_t(2));
        QCOMPARE(p.keyPanel->text(), QStringLiteral("Enc1-"));
        QCOMPARE(p.window.editHistory()->undoLabel(p.record.image), std::string("event 2: key"));

        // The menu key offers the same on the cell; an encoder turn is never deleted.
        auto* cellMenu = child<QMenu>(p.form, "PopupMenuGridKeyx");
        Page::menuKey();
        QVERIFY(cellMenu->isVisible());
        QVERIFY(child<QAction>(p.form, "MenuItemUseAsKeyx")->isEnabled());
        QVERIFY(!child<QAction>(p.form, "MenuItemUseAsModifierx")->isEnabled());
        QVERIFY(!child<QAction>(p.form, "MenuItemDeleteKeyx")->isEnabled());
        cellMenu->hide();
        p.grid->setCurrentCell(1, 0);   // VOL-
        Page::menuKey();
        QCOMPARE(child<QAction>(p.form, "MenuItemDeleteChannelx")->text(), QStringLiteral("Delete all buttons of the channel 1"));
        child<QAction>(p.form, "MenuItemDeleteKeyx")->trigger();
        cellMenu->hide();
        QCOMPARE(p.cell(0, 2), QString());
        QCOMPARE(p.cell(0, 1), QStringLiteral("VOL+"));

        // Delete on the focused panels takes the modifier and the key away.
        p.modPanel->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Delete);
        QCOMPARE(p.event(1).modRow, uint8_t(0));
        p.keyPanel->setFocus(Qt::TabFocusReason);
        Page::menuKey();
        QVERIFY(p.menu->isVisible());
        QCOMPARE(p.deleteItem->text(), QStringLiteral("Delete key"));
        p.menu->hide();
        Page::key(Qt::Key_Backspace);
        QCOMPARE(p.event(1).keyRow, uint8_t(0));
        QCOMPARE(p.keyPanel->text(), QString());
    }

    // The grid shows the keyboard's cell while it has the focus, and keeps
    // one after a name's editor is left with Escape and after a button is
    // deleted from its menu: the menu key and Ctrl+B go on working.
    void theGridAlwaysHasAVisibleCurrentCell() {
        Page p;
        p.useKeyboard();
        p.select(1);
        p.grid->setFocus(Qt::TabFocusReason);
        QVERIFY(p.grid->currentIndex().isValid());
        p.grid->setCurrentCell(0, 0);   // VOL+
        auto looks = [&p](int column, int row) {
            return p.grid->viewport()->grab(p.grid->visualRect(p.grid->model()->index(row - 1, column))).toImage();
        };
        const QImage volPlusCurrent = looks(0, 1);
        const QImage volMinusPlain = looks(0, 2);
        Page::key(Qt::Key_Down);
        QVERIFY(looks(0, 1) != volPlusCurrent);
        QVERIFY(looks(0, 2) != volMinusPlain);

        // F2 opens VOL-'s name, Escape leaves it: VOL- is still the cell.
        Page::key(Qt::Key_F2);
        QLineEdit* name = p.grid->findChild<QLineEdit*>();
        QVERIFY(name != nullptr && name->isVisible());
        QTest::keyClick(name, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        p.tick();
        QCOMPARE(p.grid->currentIndex(), p.grid->model()->index(1, 0));
        QCOMPARE(Page::focusedName(), QStringLiteral("StringGridKeys"));
        Page::key(Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(p.event(1).keyCol, uint8_t(0));
        QCOMPARE(p.event(1).keyRow, uint8_t(2));

        // Deleted from the menu: the keyboard stays on a button of the channel.
        auto* cellMenu = child<QMenu>(p.form, "PopupMenuGridKeyx");
        Page::menuKey();
        QVERIFY(cellMenu->isVisible());
        child<QAction>(p.form, "MenuItemDeleteKeyx")->trigger();
        cellMenu->hide();
        QCOMPARE(p.cell(0, 2), QString());
        const QModelIndex kept = p.grid->currentIndex();
        QVERIFY(kept.isValid() && kept.column() == 0 && !p.cell(0, kept.row() + 1).isEmpty());
        Page::menuKey();
        QVERIFY(child<QAction>(p.form, "MenuItemUseAsKeyx")->isEnabled());
        cellMenu->hide();
    }

    // Enter on the reaction opens the picker with a key in the focus;
    // arrows move among the keys and Space toggles them. The same from HOME.
    void keyboardPicksAReaction() {
        Page p;
        p.useKeyboard();
        p.event(4) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(4);
        auto* reaction = child<Panel>(p.form, "PanelEventReactionx");
        reaction->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Return);
        ReactionPicker& picker = p.picker();
        QVERIFY(picker.isVisible());
        // The reaction holds no key yet: the focus is on the picker's first.
        QCOMPARE(picker.focusWidget(), child(picker, "SystemControl0x"));
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        auto* a = child<Panel>(picker, "PanelKey4x");
        a->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Space);
        Page::key(Qt::Key_Right);   // S
        QCOMPARE(Page::focusedName(), QStringLiteral("PanelKey22x"));
        Page::key(Qt::Key_Up);      // W, above it
        QCOMPARE(Page::focusedName(), QStringLiteral("PanelKey26x"));
        Page::key(Qt::Key_Enter);
        QCOMPARE(p.event(4).reaction.kind, uint8_t(ReactionKeyboard));
        QCOMPARE(p.event(4).reaction.arg2, uint8_t(4));
        QCOMPARE(p.event(4).reaction.arg3, uint8_t(26));
        Page::key(Qt::Key_Space);   // W comes off again
        QCOMPARE(p.event(4).reaction.arg3, uint8_t(0));

        // Delete on the reaction clears it; Space on HOME retargets the picker.
        p.useKeyboard();
        reaction->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Delete);
        QCOMPARE(p.event(4).reaction.kind, uint8_t(0));
        auto* home = child<Panel>(p.form, "PanelHOMEx");
        home->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Space);
        QVERIFY(picker.target() == &p.record.image.homeReaction);
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        child<Panel>(picker, "PanelKey5x")->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Space);
        QCOMPARE(p.record.image.homeReaction.arg2, uint8_t(5));

        // A multimedia reaction opens with the focus on its own button.
        p.event(5) = EventRecord{1, 0, 0, 0, EventShortPress, {ReactionConsumer, 0, 0xE9, 0}};
        p.select(5);
        picker.hide();
        p.useKeyboard();
        reaction->setFocus(Qt::TabFocusReason);
        Page::key(Qt::Key_Return);
        QCOMPARE(picker.focusWidget(), child(picker, "SpeedButtonMMKey00E9x"));
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        Page::key(Qt::Key_Right);   // VOL- beside it
        QCOMPARE(Page::focusedName(), QStringLiteral("SpeedButtonMMKey00EAx"));
        Page::key(Qt::Key_Space);
        QCOMPARE(p.event(5).reaction.word(), uint16_t(0xEA));
    }

    // What a screen reader is told, in the language in force.
    void screenReaderNamesFollowTheLanguage() {
        test::RussianAfterwards russian;
        Page p;
        QCOMPARE(Page::readerView(&p.form)->role(), QAccessible::Window);
        QWidget* open = child(p.form, "SpeedButtonReadConfig");
        const QString russianOpen = Page::readerName(open);
        QVERIFY(!russianOpen.isEmpty());
        QCOMPARE(p.cellReaderName(0, 3), QStringLiteral("Канал 1, 3: 1.80"));
        QCOMPARE(p.cellReaderName(1, 1), QStringLiteral("Канал 2, 1: пусто"));
        p.form.setLanguage("en");
        QCOMPARE(Page::readerName(open), QStringLiteral("Open the device configuration file"));
        QVERIFY(open->toolTip().endsWith(QStringLiteral("(Ctrl+O)")));
        for (const char* name : {"SpeedButtonUpdateDevice", "SpeedButtonToDefault", "SpeedButtonReset",
                                 "SpeedButtonUndox", "SpeedButtonRedox"}) {
            QVERIFY2(!Page::readerName(child(p.form, name)).isEmpty(), name);
        }
        QCOMPARE(p.cellReaderName(1, 1), QStringLiteral("Ch 2, 1: empty"));
        QCOMPARE(p.cellReaderName(4, 1), QStringLiteral("Encoder, 1: Enc1+"));
        p.rename(0, 3, QStringLiteral("MODE"));
        QCOMPARE(p.cellReaderName(0, 3), QStringLiteral("Ch 1, 3: MODE"));
        QCOMPARE(Page::readerName(child(p.form, "Edit_PAR_LongTO")), QStringLiteral("Long tap >"));

        // The picker: keys as toggles that say whether the reaction holds
        // them, the multimedia keys by keyword, the code fields by caption.
        p.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(0);
        p.editor.onEventReactionClicked();
        ReactionPicker& picker = p.picker();
        QAccessibleInterface* a = Page::readerView(child(picker, "PanelKey4x"));
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("A"));
        QVERIFY(a->state().checkable && !a->state().checked);
        picker.onPickerKey({PickerControl::Key, 4});
        QVERIFY(a->state().checked);
        QCOMPARE(Page::readerName(child(picker, "EditKEY1")), QStringLiteral("KEY1"));
        QCOMPARE(Page::readerName(child(picker, "EditKEY2")), QStringLiteral("KEY2"));
        QSet<QString> keywords;
        for (QToolButton* key : child(picker, "GroupBoxKeyboardPage0C")->findChildren<QToolButton*>())
            keywords << Page::readerName(key);
        QCOMPARE(keywords.size(), 19);
        QVERIFY(!keywords.contains(QString()));
    }

    // Under a dark palette the colours drawn in code stay readable: the
    // names in the grid in the palette's text, white on the learning mark,
    // on a selected picker key and on a drop panel. With ZMT_SCREENSHOT_DIR
    // set, the window and the picker are saved there to be looked at.
    void aDarkPaletteKeepsTheTextReadable() {
        const QPalette normal = QApplication::palette();
        QApplication::setPalette(QPalette(QColor(45, 45, 48)));
        struct Restore {
            QPalette palette;
            ~Restore() { QApplication::setPalette(palette); }
        } restore{normal};
        Page p;
        const QColor light = QApplication::palette().color(QPalette::ButtonText);
        QVERIFY(light.lightness() > 200);
        p.keysGrid.setKeyCell(2, 1, QStringLiteral("3.42"), true);
        auto colours = [&] {
            QSet<QRgb> seen;
            const QImage cells = p.grid->viewport()->grab().toImage();
            for (int y = 0; y < cells.height(); ++y)
                for (int x = 0; x < cells.width(); ++x) seen << cells.pixel(x, y);
            return seen;
        };
        const QSet<QRgb> drawn = colours();
        QVERIFY(drawn.contains(light.rgb()));       // unmarked names
        QVERIFY(drawn.contains(qRgb(255, 255, 255)));   // the marked one
        QVERIFY(!drawn.contains(qRgb(0, 0, 0)));

        p.event(0) = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        p.select(0);
        p.editor.onEventReactionClicked();
        ReactionPicker& picker = p.picker();
        picker.onPickerKey({PickerControl::Key, 4});
        QCOMPARE(child<Panel>(picker, "PanelKey4x")->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(child<Panel>(picker, "PanelKey5x")->palette().color(QPalette::WindowText), light);
        p.select(1);
        p.press(0, 2);
        p.dragTo(Page::centreOf(p.keyPanel));
        QCOMPARE(p.keyPanel->palette().color(QPalette::WindowText), QColor(Qt::white));
        p.releaseAt(Page::centreOf(p.keyPanel));
        QCOMPARE(p.keyPanel->palette().color(QPalette::WindowText), light);

        if (const QString dir = qEnvironmentVariable("ZMT_SCREENSHOT_DIR"); !dir.isEmpty()) {
            child<QTabWidget>(p.form, "PageControlMain")->setCurrentWidget(child<QWidget>(p.form, "TabSheetParameters"));
            p.form.grab().save(dir + QStringLiteral("/dark-parameters.png"));
            picker.grab().save(dir + QStringLiteral("/dark-picker.png"));
        }
    }

    // The picture buttons (toolbar, undo and redo, learning, the picker's
    // multimedia keys) stand out from their face under a light palette and
    // a dark one: two thirds of each one's outline at least, at the
    // contrast graphics need.
    void picturesStandOutOnLightAndDarkPalettes_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QApplication::palette();
        QTest::newRow("dark") << QPalette(QColor(45, 45, 48));
    }
    void picturesStandOutOnLightAndDarkPalettes() {
        QFETCH(QPalette, palette);
        const QPalette normal = QApplication::palette();
        QApplication::setPalette(palette);
        struct Restore {
            QPalette palette;
            ~Restore() { QApplication::setPalette(palette); }
        } restore{normal};
        Page p;
        QList<QToolButton*> buttons = p.form.findChildren<QToolButton*>() + p.picker().findChildren<QToolButton*>();
        buttons.removeIf([](const QToolButton* button) { return button->icon().isNull(); });
        QCOMPARE(buttons.size(), 7 + 2 + 2 + 2 + kConsumerKeyCount);
        for (const QToolButton* button : buttons) {
            const double share = Page::outlineStandingOut(*button);
            QVERIFY2(share >= 2.0 / 3, qPrintable(button->objectName() + ": " + QString::number(share)));
        }
    }

    void editorLock() {
        Page p;
        // The names in the grid are drawn in black, and greyed out with the rest when locked.
        auto blackPixels = [&] {
            const QImage cells = p.grid->viewport()->grab().toImage();
            int black = 0;
            for (int y = 0; y < cells.height(); ++y)
                for (int x = 0; x < cells.width(); ++x) black += cells.pixel(x, y) == qRgb(0, 0, 0);
            return black;
        };
        QVERIFY(blackPixels() > 0);
        p.editor.setEditorLock(false);
        QCOMPARE(blackPixels(), 0);
        QVERIFY(!child<QWidget>(p.form, "GroupBoxKeys")->isEnabled());
        QVERIFY(!p.tabs->isEnabled());
        QVERIFY(!child<QWidget>(p.form, "GroupBoxTouch")->isEnabled());
        p.editor.setEditorLock(true);
        QVERIFY(p.tabs->isEnabled());
    }
};

// On the screen the window was tried on (1280 x 800), where the picker's
// place beside the window matters.
int main(int argc, char** argv) {
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 800}]})") < 0) {
        return 1;
    }
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    KeysGridAndEventEditorTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "keys_grid_and_event_editor_test.moc"
