// The picker window driven through its own controls: clicks on keys,
// modifiers, multimedia and system controls, typed codes, highlighting and
// the description the opener's memo receives.
#include "config/reaction_text.h"
#include "ui/widgets/controls.h"
#include "ui/picker/reaction_picker.h"
#include "ui/i18n/translate_form.h"
#include "ui/i18n/translation_tables.h"
#include "../window_test_support.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <map>
#include <memory>

using namespace zmt;
using namespace zmt::ui;

namespace {

// A title in every language, as the editor makes them.
const std::string kCaption = formatInEveryLanguage(N_("Keyboard (Reactions for the event %d)"), 3);

using zmt::ui::test::child;

// Describes its reaction in a memo whenever the picker shows it, as the
// event editor does.
struct DescribingOwner : ReactionOwner {
    Reaction& reaction;
    QPlainTextEdit& memo;
    int describes = 0;
    DescribingOwner(Reaction& r, QPlainTextEdit& m) : reaction(r), memo(m) {}
    void reactionShown() override {
        ++describes;
        showReactionText(reaction, memo);
    }
};

// A picker opened on one reaction whose description goes to a memo.
struct OpenPicker {
    ReactionPicker picker;
    Reaction reaction{};
    QPlainTextEdit memo;
    DescribingOwner owner{reaction, memo};
    int& describes = owner.describes;

    explicit OpenPicker(Reaction start = {}) : reaction(start) { picker.open(reaction, &owner, kCaption); }
    void click(const QString& name) {
        if (auto* button = picker.findChild<QToolButton*>(name)) QTest::mouseClick(button, Qt::LeftButton);
        else QTest::mouseClick(child<Panel>(picker, name), Qt::LeftButton);
    }
    void type(const char* edit, const char* text) {
        auto* field = child<QLineEdit>(picker, edit);
        field->selectAll();
        QTest::keyClicks(field, QString::fromUtf8(text));
        QTest::keyClick(field, Qt::Key_Return);
    }
    QString line() const { return memo.toPlainText().section(QLatin1Char('\n'), 1); }
    bool selected(const char* name) { return child<Panel>(picker, QString::fromLatin1(name))->property("selected").toBool(); }
    bool down(const char* name) { return child<QToolButton>(picker, QString::fromLatin1(name))->isChecked(); }
    QString field(const char* name) { return child<QLineEdit>(picker, QString::fromLatin1(name))->text(); }
    QColor background(const char* name) {
        return child<Panel>(picker, QString::fromLatin1(name))->palette().color(QPalette::Window);
    }
};

bool same(const Reaction& a, const Reaction& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

class PickerTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsThereByName() {
        ReactionPicker picker;
        QCOMPARE(picker.size(), QSize(750, 348));
        for (const KeyboardKey& key : kKeyboardKeys) {
            auto* panel = child<Panel>(picker, QStringLiteral("PanelKey%1x").arg(key.usage));
            QVERIFY(panel != nullptr);
            QCOMPARE(panel->text(), QString::fromLatin1(key.caption));
        }
        for (int n = 0; n < 8; ++n) {
            QVERIFY(child<Panel>(picker, QStringLiteral("PanelMod%1x").arg(n)) != nullptr);
            QVERIFY(child<Panel>(picker, QStringLiteral("SystemControl%1x").arg(n)) != nullptr);
        }
        QCOMPARE(picker.findChildren<Panel*>().size(), 96 + 8 + 8);
        // The consumer table comes from the buttons, in increasing order.
        const std::vector<uint16_t>& usages = picker.consumerUsages();
        QCOMPARE(int(usages.size()), kConsumerKeyCount);
        QVERIFY(std::is_sorted(usages.begin(), usages.end()));
        QCOMPARE(usages.front(), uint16_t(0x00B0));
        QCOMPARE(usages.back(), uint16_t(0x0224));
        for (uint16_t usage : usages) {
            auto* button = child<QToolButton>(picker, QString::asprintf("SpeedButtonMMKey%04Xx", usage));
            QVERIFY(test::drawnForBothDensities(button->icon(), 22));
        }
        // Keys lie inside their group and never on top of each other.
        const QList<Panel*> panels = child<QGroupBox>(picker, QStringLiteral("GroupBoxKeyboardPage07"))->findChildren<Panel*>();
        for (int i = 0; i < panels.size(); ++i) {
            QVERIFY(panels[i]->parentWidget()->rect().contains(panels[i]->geometry()));
            for (int j = i + 1; j < panels.size(); ++j) {
                QVERIFY2(!panels[i]->geometry().intersects(panels[j]->geometry()),
                         qPrintable(panels[i]->objectName() + QLatin1String(" / ") + panels[j]->objectName()));
            }
        }
    }

    void keysFillKey1ThenKey2AndComeOffAgain() {
        test::RussianAfterwards russian;
        setLanguage("en");
        OpenPicker p;
        QCOMPARE(p.line(), QStringLiteral("Not specified"));
        p.click("PanelKey4x");
        p.click("PanelKey5x");
        p.click("PanelKey6x");
        QVERIFY(same(p.reaction, {ReactionKeyboard, 0, 5, 6}));
        QCOMPARE(p.memo.toPlainText(), QStringLiteral("  \nB + C"));
        QVERIFY(!p.selected("PanelKey4x"));
        QVERIFY(p.selected("PanelKey5x") && p.selected("PanelKey6x"));
        QCOMPARE(p.background("PanelKey5x"), QColor(0, 128, 0));
        QCOMPARE(p.field("EditKEY1"), QStringLiteral("x05"));
        QCOMPARE(p.field("EditKEY2"), QStringLiteral("x06"));
        p.click("PanelKey6x");
        QVERIFY(same(p.reaction, {ReactionKeyboard, 0, 5, 0}));
        QVERIFY(!p.selected("PanelKey6x"));
        p.click("PanelKey5x");
        QVERIFY(same(p.reaction, {}));
        QCOMPARE(p.line(), QStringLiteral("Not specified"));
        QVERIFY(!p.selected("PanelKey5x"));
        QVERIFY(p.background("PanelKey5x") != QColor(0, 128, 0));
    }

    void modifiersDescribeWithTheirSide() {
        test::RussianAfterwards russian;
        OpenPicker p;
        p.click("PanelMod0x");
        p.click("PanelMod6x");
        p.click("PanelKey4x");
        QCOMPARE(p.line(), QStringLiteral("lCtrl + rAlt + A"));
        QVERIFY(p.selected("PanelMod0x") && p.selected("PanelMod6x") && !p.selected("PanelMod2x"));
        p.click("PanelKey4x");
        p.click("PanelMod6x");
        p.click("PanelMod0x");
        // A keyboard reaction without bits or keys is still one, and says so.
        QVERIFY(same(p.reaction, {ReactionKeyboard, 0, 0, 0}));
        QCOMPARE(p.line(), QStringLiteral("Отсутствует"));
        setLanguage("en");
        p.click("PanelMod0x");
        p.click("PanelMod0x");
        QCOMPARE(p.line(), QStringLiteral("Not specified"));
    }

    void multimediaButtonsAreOneAtATime() {
        OpenPicker p{{ReactionKeyboard, 0x41, 4, 5}};
        p.click("SpeedButtonMMKey00E9x");
        QCOMPARE(p.line(), QStringLiteral("ConsumerPage:VOL+"));
        QVERIFY(p.down("SpeedButtonMMKey00E9x"));
        QCOMPARE(p.field("EditMMKey"), QStringLiteral("x00E9"));
        QVERIFY(!p.selected("PanelKey4x") && !p.selected("PanelMod0x"));
        QCOMPARE(p.field("EditKEY1"), QStringLiteral("x00"));
        p.click("SpeedButtonMMKey0224x");
        QVERIFY(p.down("SpeedButtonMMKey0224x") && !p.down("SpeedButtonMMKey00E9x"));
        QCOMPARE(p.line(), QStringLiteral("ConsumerPage:BACK"));
        p.click("SpeedButtonMMKey0224x");
        QCOMPARE(p.reaction.kind, ReactionNone);
        QVERIFY(!p.down("SpeedButtonMMKey0224x"));
        QCOMPARE(p.field("EditMMKey"), QStringLiteral("x0000"));
    }

    void systemControlsAreOneAtATime() {
        OpenPicker p;
        p.click("SystemControl0x");
        p.click("SystemControl1x");
        QVERIFY(same(p.reaction, {ReactionSystem, 0, 0x02, 0}));
        QVERIFY(p.selected("SystemControl1x") && !p.selected("SystemControl0x"));
        QCOMPARE(p.line(), QStringLiteral("Sleep"));
        p.click("SystemControl1x");
        QVERIFY(same(p.reaction, {}));
        QVERIFY(!p.selected("SystemControl1x"));
    }

    void typedCodesAreReadClampedAndShownBack() {
        OpenPicker p;
        p.type("EditKEY1", "x1E");
        QVERIFY(same(p.reaction, {ReactionKeyboard, 0, 0x1E, 0}));
        QVERIFY(p.selected("PanelKey30x"));   // the 1 of the digit row
        QVERIFY(!p.selected("PanelKey89x"));  // not the 1 of the keypad
        QCOMPARE(p.field("EditKEY1"), QStringLiteral("x1E"));
        p.type("EditKEY2", "300");
        QCOMPARE(p.reaction.arg3, uint8_t(255));
        QCOMPARE(p.field("EditKEY2"), QStringLiteral("xFF"));
        QCOMPARE(p.line(), QStringLiteral("1 + KEY2:xFF"));
        p.type("EditKEY2", "xyz");
        QCOMPARE(p.reaction.arg3, uint8_t(0));
        p.type("EditMMKey", "x1234");
        QVERIFY(same(p.reaction, {ReactionConsumer, 0, 0x34, 0x12}));
        QCOMPARE(p.line(), QStringLiteral("ConsumerPage:x1234"));
        for (QToolButton* button : p.picker.findChildren<QToolButton*>()) QVERIFY(!button->isChecked());
        // Typing without Enter changes nothing yet.
        QTest::keyClicks(child<QLineEdit>(p.picker, QStringLiteral("EditMMKey")), QStringLiteral("5"));
        QCOMPARE(p.reaction.word(), uint16_t(0x1234));
    }

    void infraredReactionIsLeftToItsOwnDisplayUntilACodeIsTyped() {
        OpenPicker p{{ReactionKeyboard, 0x01, 4, 0}};
        Reaction infrared{0x11, 0x20, 0x34, 0x12};
        p.reaction = infrared;
        p.memo.clear();
        p.describes = 0;
        p.picker.open(p.reaction, &p.owner, kCaption);
        QCOMPARE(p.describes, 0);
        QVERIFY(p.memo.toPlainText().isEmpty());
        // Nothing of the key reaction shown before stays highlighted.
        QVERIFY(!p.selected("PanelKey4x") && !p.selected("PanelMod0x"));
        QVERIFY(same(p.reaction, infrared));
        QCOMPARE(p.picker.windowTitle(), QStringLiteral("Клавиатура (реакция на событие 3)"));
        p.type("EditKEY1", "x1E");
        QVERIFY(same(p.reaction, {ReactionKeyboard, 0, 0x1E, 0}));
        QCOMPARE(p.line(), QStringLiteral("1"));
    }

    // The arrows go as a keyboard is read: along a row, and up or down to
    // the key under it in the next row, whatever lies nearer on the screen;
    // the key reached is marked as focused.
    void arrowsGoByKeyboardRowsAndShowTheFocus_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("arrows");   // Left, Right, Up, Down
        QTest::addColumn<QString>("reached");
        QTest::newRow("Play down: F4, not the space bar") << "SpeedButtonMMKey00B0x" << "D" << "PanelKey61x";
        QTest::newRow("space bar left: left Alt, not C") << "PanelKey44x" << "L" << "PanelMod2x";
        QTest::newRow("space bar up: B above its middle") << "PanelKey44x" << "U" << "PanelKey5x";
        QTest::newRow("left Ctrl along the bottom row to Right") << "PanelMod0x" << "RRRRRRRRRR" << "PanelKey79x";
        QTest::newRow("F12 down: Backspace") << "PanelKey69x" << "D" << "PanelKey42x";
        QTest::newRow("F1 up: a multimedia button") << "PanelKey58x" << "U" << "SpeedButtonMMKey00E2x";
        QTest::newRow("Esc up twice: the system row") << "PanelKey41x" << "UU" << "SystemControl0x";
        QTest::newRow("keypad + down: keypad Enter, then left") << "PanelKey87x" << "DL" << "PanelKey91x";
        QTest::newRow("the end of a row keeps the focus") << "PanelKey88x" << "R" << "PanelKey88x";
    }
    void arrowsGoByKeyboardRowsAndShowTheFocus() {
        QFETCH(QString, start);
        QFETCH(QString, arrows);
        QFETCH(QString, reached);
        OpenPicker p;
        p.picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.picker));
        child(p.picker, start)->setFocus(Qt::MouseFocusReason);
        const std::map<QChar, Qt::Key> keys{
            {'L', Qt::Key_Left}, {'R', Qt::Key_Right}, {'U', Qt::Key_Up}, {'D', Qt::Key_Down}};
        for (const QChar arrow : arrows) QTest::keyClick(p.picker.focusWidget(), keys.at(arrow));
        QWidget* focused = p.picker.focusWidget();
        QCOMPARE(focused->objectName(), reached);
        QVERIFY(focused->hasFocus());
        const QImage marked = focused->grab().toImage();
        focused->clearFocus();
        QVERIFY(focused->grab().toImage() != marked);
    }

    void clicksWithoutATargetChangeNothing() {
        ReactionPicker picker;
        QTest::mouseClick(child<Panel>(picker, QStringLiteral("PanelKey4x")), Qt::LeftButton);
        auto* vol = child<QToolButton>(picker, QStringLiteral("SpeedButtonMMKey00E9x"));
        QTest::mouseClick(vol, Qt::LeftButton);
        QVERIFY(!vol->isChecked());
        auto* key1 = child<QLineEdit>(picker, QStringLiteral("EditKEY1"));
        key1->setText(QStringLiteral("x1E"));
        QTest::keyClick(key1, Qt::Key_Return);
        QVERIFY(picker.target() == nullptr);
        QVERIFY(!child<Panel>(picker, QStringLiteral("PanelKey4x"))->property("selected").toBool());
    }

    void reopeningRetargetsAndKeepsItsOwnCopyOfTheTitle() {
        test::RussianAfterwards russian;
        ReactionPicker picker;
        Reaction first{}, second{ReactionSystem, 0, 0x04, 0};
        QPlainTextEdit firstMemo, secondMemo;
        DescribingOwner firstOwner{first, firstMemo}, secondOwner{second, secondMemo};
        picker.open(first, &firstOwner, formatInEveryLanguage(N_("Keyboard (Reactions for the event %d)"), 12));
        QVERIFY(picker.isVisible());
        QCOMPARE(picker.windowTitle(), QStringLiteral("Клавиатура (реакция на событие 12)"));
        picker.open(second, &secondOwner, kCaption);
        QVERIFY(child<Panel>(picker, QStringLiteral("SystemControl2x"))->property("selected").toBool());
        QTest::mouseClick(child<Panel>(picker, QStringLiteral("PanelKey4x")), Qt::LeftButton);
        QVERIFY(same(first, {}));
        QVERIFY(same(second, {ReactionKeyboard, 0, 4, 0}));
        QCOMPARE(secondMemo.toPlainText(), QStringLiteral("  \nA"));
        // Hiding keeps the target; a language switch re-titles from the copy.
        picker.hide();
        QCOMPARE(picker.target(), &second);
        setLanguage("en");
        translateForm(kFormKeyBoardTranslation, &picker);
        picker.retranslateTitle();
        QCOMPARE(picker.windowTitle(), QStringLiteral("Keyboard (Reactions for the event 3)"));
        QCOMPARE(child<QGroupBox>(picker, QStringLiteral("GroupBoxKeyCodes"))->title(), QStringLiteral(" Key codes "));
        // The clearing the infrared display uses leaves the reaction alone.
        picker.clearHighlights();
        QVERIFY(!child<Panel>(picker, QStringLiteral("PanelKey4x"))->property("selected").toBool());
        QCOMPARE(child<QLineEdit>(picker, QStringLiteral("EditKEY1"))->text(), QStringLiteral("x00"));
        QVERIFY(same(second, {ReactionKeyboard, 0, 4, 0}));
    }
};

QTEST_MAIN(PickerTest)
#include "picker_test.moc"
