// The parameters panel driven through its controls on the main window's
// Parameters page: what each control stores and which settings it switches off.
#include "ui/editor/parameter_rules.h"
#include "ui/editor/parameters_panel.h"
#include "ui/widgets/controls.h"
#include "ui/shell/main_window.h"
#include "ui/i18n/translate_form.h"
#include "ui/i18n/translation_tables.h"
#include "../window_test_support.h"
#include "parameter_images.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <cstring>
#include <string>
#include <vector>

using namespace zmt;
using namespace zmt::ui;

using zmt::test::imageWith;

namespace {

using zmt::ui::test::child;

struct Page {
    MainWindow window;
    ConfigRecord record;
    ParametersPanel* panel = nullptr;
    std::vector<std::string> refreshes;

    explicit Page(ConfigImage start = {}) {
        record.image = start;
        panel = new ParametersPanel(window, record);
        QObject::connect(panel, &ParametersPanel::encoderColumnOutdated,
                         [this] { refreshes.push_back("encoder column"); });
        QObject::connect(panel, &ParametersPanel::selectedEventOutdated, [this] { refreshes.push_back("event"); });
    }
    ConfigImage& image() { return record.image; }
    QString notice() { return child<Panel>(window, "PanelMenu")->text(); }
    QComboBox* list(const char* name) { return child<QComboBox>(*panel, name); }
    QCheckBox* check(const char* name) { return child<QCheckBox>(*panel, name); }
    // What a user choosing an item does: the selection moves and the list
    // reports the choice (a selection set by the program reports nothing).
    void choose(const char* name, int index) {
        QComboBox* combo = list(name);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void click(const char* name) { QTest::mouseClick(check(name), Qt::LeftButton); }
    QString typeTimeout(const QString& text) {
        auto* edit = child<QLineEdit>(*panel, "Edit_PAR_LongTO");
        edit->clear();
        QTest::keyClicks(edit, text);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &leave);
        return edit->text();
    }
    bool refreshedOnce() const {
        return refreshes == std::vector<std::string>{"encoder column", "event"};
    }
};

} // namespace

class ParametersPanelTest : public QObject {
    Q_OBJECT
private slots:
    void sitsOnTheParametersPageAndShowsTheImage() {
        ConfigImage image = imageWith(EncoderKeys12, EncoderTouch34, 0, 5, TOUCH_5LINES | TOUCH_WINDOWS);
        image.longPressTimeout = 700;
        image.enc0Div = 9;
        image.enc1Div = 200;   // out of range: shown as the nearest, never written back
        image.touchWakeUp = 1;
        Page page(image);
        QCOMPARE(page.panel->parentWidget()->objectName(), QStringLiteral("TabSheetParameters"));
        QCOMPARE(page.panel->geometry(), QRect(244, 160, 442, 201));
        QCOMPARE(child<QLineEdit>(*page.panel, "Edit_PAR_LongTO")->text(), QStringLiteral("700"));
        QCOMPARE(page.list("ComboBoxEditEncoder1Mode")->currentIndex(), 4);
        QCOMPARE(page.list("ComboBoxEditEncoder2Mode")->currentIndex(), 3);
        QCOMPARE(page.list("ComboBoxHEADTYPE")->currentIndex(), 5);
        QCOMPARE(child<QSpinBox>(*page.panel, "CSpinEditEncoder1Div")->value(), 10);
        QCOMPARE(child<QSpinBox>(*page.panel, "CSpinEditEncoder2Div")->value(), 10);
        QVERIFY(page.check("CheckBoxWindows")->isChecked());
        QVERIFY(page.check("CheckBox5lines")->isChecked());
        QVERIFY(page.check("CheckBoxTouchWakeUp")->isChecked());
        // Showing a 5-wire panel beside a Keys12 encoder must not edit the image.
        QCOMPARE(page.image().enc0Mode, uint8_t(EncoderKeys12));
        QCOMPARE(page.image().enc1Div, uint8_t(200));
        QVERIFY(page.refreshes.empty());
    }

    void longPressTimeoutIsCorrectedWhenTheFieldIsLeft() {
        Page page;
        // The rules' table has the other corrections; the field's own limit is here.
        for (const char* text : {"150", "abc"}) {
            page.image().longPressTimeout = 700;
            QCOMPARE(page.typeTimeout(QString::fromLatin1(text)), QStringLiteral("1500"));
            QCOMPARE(page.image().longPressTimeout, uint16_t(1500));
        }
        QCOMPARE(page.typeTimeout(QStringLiteral("200")), QStringLiteral("200"));
        QCOMPARE(page.image().longPressTimeout, uint16_t(200));
        QCOMPARE(page.typeTimeout(QStringLiteral("1500")), QStringLiteral("1500"));
        // The field takes no more than six characters.
        QCOMPARE(page.typeTimeout(QStringLiteral("00000750")), QStringLiteral("1500"));
    }

    // Return commits as leaving the field does, and a corrected value says
    // the range it was put into (a value in range says nothing).
    void longPressTimeoutCommitsOnReturnAndSaysTheRange() {
        Page page;
        auto* edit = child<QLineEdit>(*page.panel, "Edit_PAR_LongTO");
        edit->clear();
        QTest::keyClicks(edit, "900");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(page.image().longPressTimeout, uint16_t(900));
        QCOMPARE(page.notice(), QString());
        edit->clear();
        QTest::keyClicks(edit, "1600");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(page.image().longPressTimeout, uint16_t(1500));
        QCOMPARE(page.notice(), QString("Допустимо от 200 до 1500 мс, установлено 1500"));
        setLanguage("en");
        page.typeTimeout("50");
        setLanguage("ru");
        QCOMPARE(page.notice(), QString("Allowed 200 to 1500 ms, set to 1500"));
    }

    void divisorsStoreTheShownValueMinusOne() {
        Page page;
        auto* divisor = child<QSpinBox>(*page.panel, "CSpinEditEncoder2Div");
        divisor->setValue(10);
        QCOMPARE(page.image().enc1Div, uint8_t(9));
        QTest::keyClick(divisor, Qt::Key_Down);
        QCOMPARE(page.image().enc1Div, uint8_t(8));
        child<QSpinBox>(*page.panel, "CSpinEditEncoder1Div")->setValue(1);
        QCOMPARE(page.image().enc0Div, uint8_t(0));
    }

    void alpineSwitchesOffAnEncoderOnRxdTxd() {
        Page page(imageWith(EncoderRxdTxd, EncoderTouch12, 2, 0, 0));
        page.choose("ComboBoxHEADTYPE", 1);
        QCOMPARE(page.image().headType, uint8_t(1));
        QCOMPARE(page.image().enc0Mode, uint8_t(EncoderDisabled));
        QCOMPARE(page.image().enc1Mode, uint8_t(EncoderTouch12));
        QCOMPARE(page.image().touchMode, uint8_t(0));
        QCOMPARE(page.list("ComboBoxEditEncoder1Mode")->currentIndex(), 0);
        QCOMPARE(page.list("ComboBoxTouchMode")->currentIndex(), 0);
        QVERIFY(page.refreshedOnce());
        // What the rule switched off is said, not left to be found, and
        // the synchronisation's brief notice does not take it away.
        const QString said("Выключено: энкодер 1, режим сенсорной панели");
        QCOMPARE(page.notice(), said);
        page.window.showNotice(1000, 250, "Запись изменений");
        QVERIFY(QMetaObject::invokeMethod(zmt::ui::test::timerNamed(page.window, "TimerNoticeClear"), "timeout"));
        QCOMPARE(page.notice(), said);
        QVERIFY(QMetaObject::invokeMethod(zmt::ui::test::timerNamed(page.window, "TimerRemark"), "timeout"));
        QCOMPARE(page.notice(), QString());
    }

    // The exclusions themselves are the rules' table; here each list is
    // checked to reach its own rule and to show what the rule switched off.
    void everyListReachesItsRule() {
        Page page(imageWith(0, 0, 0, 3, 0));
        page.choose("ComboBoxTouchMode", 1);
        QCOMPARE(page.list("ComboBoxHEADTYPE")->currentIndex(), 0);
        page.choose("ComboBoxEditEncoder2Mode", EncoderTouch34);
        QCOMPARE(page.image().enc1Mode, uint8_t(EncoderTouch34));
        QCOMPARE(page.list("ComboBoxTouchMode")->currentIndex(), 0);
        QCOMPARE(page.notice(), QString("Выключено: режим сенсорной панели"));
    }

    void fiveWireTouchAndKeys12() {
        Page page(imageWith(EncoderKeys12, 0, 0, 0, 0));
        // With four wires the Keys12 encoder survives an intercept mode.
        page.choose("ComboBoxTouchMode", 2);
        QCOMPARE(page.image().enc0Mode, uint8_t(EncoderKeys12));
        page.refreshes.clear();
        page.click("CheckBox5lines");
        QCOMPARE(page.image().touchFlags, uint8_t(TOUCH_5LINES));
        QCOMPARE(page.image().enc0Mode, uint8_t(EncoderDisabled));
        QCOMPARE(page.list("ComboBoxEditEncoder1Mode")->currentIndex(), 0);
        QVERIFY(page.refreshedOnce());
        // Keys12 chosen again takes the fifth wire away.
        page.choose("ComboBoxEditEncoder1Mode", EncoderKeys12);
        QCOMPARE(page.image().touchFlags, uint8_t(0));
        QVERIFY(!page.check("CheckBox5lines")->isChecked());
        // Switching the option off changes nothing else and refreshes nothing.
        page.image().touchFlags = TOUCH_5LINES;
        page.panel->showImage();
        page.refreshes.clear();
        page.click("CheckBox5lines");
        QCOMPARE(page.image().touchFlags, uint8_t(0));
        QCOMPARE(page.image().enc0Mode, uint8_t(EncoderKeys12));
        QVERIFY(page.refreshes.empty());
        // With five wires an intercept mode takes the Keys12 encoder off.
        page.click("CheckBox5lines");
        page.image().enc1Mode = EncoderKeys12;
        page.choose("ComboBoxTouchMode", 2);
        QCOMPARE(page.image().enc1Mode, uint8_t(EncoderDisabled));
    }

    void touchOptionsWriteTheirBits() {
        Page page;
        page.click("CheckBoxWindows");
        page.click("CheckBoxTouchWakeUp");
        QCOMPARE(page.image().touchFlags, uint8_t(TOUCH_WINDOWS));
        QCOMPARE(page.image().touchWakeUp, uint8_t(1));
        page.click("CheckBoxTouchWakeUp");
        QCOMPARE(page.image().touchWakeUp, uint8_t(0));
        // The corner offset belongs to the calibration, not to the image.
        const ConfigImage before = page.image();
        page.click("CheckBoxTouchDXY");
        QVERIFY(page.check("CheckBoxTouchDXY")->isChecked());
        QVERIFY(std::memcmp(&before, &page.image(), sizeof before) == 0);
        QVERIFY(page.refreshes.empty());
    }

    void languageSwitchKeepsTheSelections() {
        zmt::ui::test::RussianAfterwards russian;
        Page page(imageWith(EncoderTouch12, 0, 0, 2, 0));
        QCOMPARE(page.list("ComboBoxHEADTYPE")->currentText(), QStringLiteral("KENWOOD тип 1"));
        page.window.setLanguage("en");
        QCOMPARE(page.list("ComboBoxHEADTYPE")->currentText(), QStringLiteral("KENWOOD type 1"));
        QCOMPARE(page.list("ComboBoxEditEncoder1Mode")->currentText(), QStringLiteral("pins Touch12"));
        QCOMPARE(child<Panel>(*page.panel, "PanelEncoder1DivText")->text(), QStringLiteral("Divisor"));
        QCOMPARE(child<QCheckBox>(*page.panel, "CheckBox5lines")->toolTip(), QStringLiteral("5 lines touch panel"));
        QCOMPARE(page.image().headType, uint8_t(2));
        QVERIFY(page.refreshes.empty());
    }
};

QTEST_MAIN(ParametersPanelTest)
#include "parameters_panel_test.moc"
