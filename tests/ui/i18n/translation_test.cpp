// Looking texts up in the translation tables and applying them to a window.
#include "ui/log/log_view.h"
#include "ui/widgets/controls.h"
#include "ui/i18n/translate_form.h"
#include "ui/i18n/translation_tables.h"
#include "../window_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace zmt;
using namespace zmt::ui;

namespace {

const TranslationRow kTestTable[] = {
    {"TestForm_Caption", N_("Window")},
    {"TestForm_ComboBoxEventEvent_Caption", N_("One\r\nTwo\r\nThree\r\n")},
    {"TestForm_ComboBoxTouchMode_Caption", N_("A\r\nB\r\n")},
    {"TestForm_CheckBoxEventOnce_Caption", N_("One time only")},
    {"TestForm_CheckBoxEventOnce_Hint", N_("Hint")},
    {"TestForm_CheckBoxTri_Caption", N_("Tri")},
    {"TestForm_TabControlEVKEY_Caption", N_("I\r\nII\r\nIII\r\n")},
    {"TestForm_CheckListBoxOptions_Caption", N_("One\r\nTwo\r\n")},
    {"TestForm_GroupBoxKeys_Caption", N_(" Buttons ")},
    {"TestForm_PanelKeyText_Caption", N_("Button")},
    {"TestForm_LabelUnit_Caption", N_("mSec")},
    {"TestForm_TabSheetPage_Caption", N_("Page")},
    {"TestForm_SpeedButtonRead_Hint", N_("Read")},
    {"TestForm_SpinEditDelay_Hint", N_("Delay")},
    {"TestForm_MenuItemLog_Caption", N_("Communication log")},
    {"TestForm_MenuItemLog_Hint", N_("Menu hint")},
    {"TestForm_PanelKeyModx_Caption", N_("Do not touch")},
    {"TestForm_FancyCombo_Caption", N_("No\r\n")},
    {"TestForm_MemoLog_Caption", N_("No")},
    {"", ""},
    {"TestForm_AfterTheEnd_Caption", N_("Past the end")},
};

// A control built on a translated class but of its own kind: the exact-class
// rule must leave it alone.
class FancyCombo : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

template <class T>
T* named(QWidget* parent, const char* name) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QStringList comboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

} // namespace

// The test table's texts in a language of the test's own, so that the
// switch is seen from one set of texts to another whatever the program's
// catalogues hold.
constexpr const char* kTestCatalogue = R"po(msgid ""
msgstr "Language: ts\nX-Language-Name: Test\n"

msgid "Window"
msgstr "Окно"

msgid "One\r\nTwo\r\nThree\r\n"
msgstr "Один\r\nДва\r\nТри\r\n"

msgid "A\r\nB\r\n"
msgstr "А\r\nБ\r\n"

msgid "One time only"
msgstr "Однократно"

msgid "Hint"
msgstr "Подсказка"

msgid "Tri"
msgstr "Три"

msgid "I\r\nII\r\nIII\r\n"
msgstr "1\r\n2\r\n3\r\n"

msgid "One\r\nTwo\r\n"
msgstr "Раз\r\nДва\r\n"

msgid " Buttons "
msgstr " Кнопки "

msgid "Button"
msgstr "Кнопка"

msgid "mSec"
msgstr "мСек"

msgid "Page"
msgstr "Страница"

msgid "Read"
msgstr "Прочитать"

msgid "Delay"
msgstr "Задержка"

msgid "Communication log"
msgstr "Лог обмена"

msgid "Menu hint"
msgstr "Подсказка меню"

msgid "Do not touch"
msgstr "Не трогать"

msgid "No\r\n"
msgstr "Нет\r\n"

msgid "No"
msgstr "Нет"

msgid "Past the end"
msgstr "За концом"

msgid "b"
msgstr "а"
)po";

void useTestLanguage() {
    static const bool added = (addCatalogue(kTestCatalogue), true);
    (void)added;
    setLanguage("ts");
}

class TranslationTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setLanguage("ru"); }

    void findsExactKeysUpToTheEmptyRow() {
        const TranslationRow* row = FindTranslation("TestForm_LabelUnit_Caption", kTestTable);
        QVERIFY(row != nullptr);
        QCOMPARE(QString::fromUtf8(row->text), QStringLiteral("mSec"));
        QVERIFY(FindTranslation("TestForm_labelunit_Caption", kTestTable) == nullptr);  // case matters
        QVERIFY(FindTranslation("TestForm_LabelUnit_Caption ", kTestTable) == nullptr);
        QVERIFY(FindTranslation("TestForm_AfterTheEnd_Caption", kTestTable) == nullptr);
        QVERIFY(FindTranslation("", kTestTable) == nullptr);
        QVERIFY(FindTranslation(nullptr, kTestTable) == nullptr);
    }

    void keysOfNamesEndingInXAreNeverFound() {
        QVERIFY(FindTranslation("TestForm_PanelKeyModx_Caption", kTestTable) == nullptr);
        // Only the character right before the last "_" counts.
        QVERIFY(FindTranslation("TestForm_CheckBoxTri_Caption", kTestTable) != nullptr);
        const TranslationRow tableWithX[] = {{"Formx_Panel_Caption", N_("b")}, {"", ""}};
        QVERIFY(FindTranslation("Formx_Panel_Caption", tableWithX) != nullptr);
    }

    void realTablesHoldTheirRowsAndRefuseTheUntranslatable() {
        int mainRows = 0;
        while (kMainFormTranslation[mainRows].key[0] != '\0') ++mainRows;
        int pickerRows = 0;
        while (kFormKeyBoardTranslation[pickerRows].key[0] != '\0') ++pickerRows;
        QCOMPARE(mainRows, 54);
        QCOMPARE(pickerRows, 5);
        const TranslationRow* hint = FindTranslation("MainForm_PanelMenu_Hint", kMainFormTranslation);
        QVERIFY(hint != nullptr);
        setLanguage("en");
        QCOMPARE(QString::fromUtf8(translationText(*hint)),
                 QStringLiteral("Select Options from the menu after clicking the right mouse button"));
        QVERIFY(FindTranslation("MainForm_MenuItemLanguagex_Caption", kMainFormTranslation) == nullptr);
        QVERIFY(FindTranslation("FormKeyBoard_GroupBoxKeyCodes_Caption", kMainFormTranslation) == nullptr);
    }

    void aTextNoCatalogueHoldsShowsInEnglish() {
        const TranslationRow row{"K_C_Caption", "Not in any catalogue"};
        QCOMPARE(QString::fromUtf8(translationText(row)), QStringLiteral("Not in any catalogue"));
    }

    void listTextsSplitAtLineBreaksWithoutATrailingEmptyItem() {
        QCOMPARE(splitListText("a\r\nb\r\n"), (QStringList{"a", "b"}));
        QCOMPARE(splitListText("a\r\nb"), (QStringList{"a", "b"}));
        QCOMPARE(splitListText("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
        QCOMPARE(splitListText(""), QStringList());
        QCOMPARE(splitListText(nullptr), QStringList());
    }

    void classMappingIsExact() {
        QWidget window;
        QCOMPARE(controlKind(new QComboBox(&window)), ControlKind::ComboBox);
        QCOMPARE(controlKind(new FancyCombo(&window)), ControlKind::Other);
        QCOMPARE(controlKind(new QLabel(&window)), ControlKind::Label);
        QCOMPARE(controlKind(new Panel(&window)), ControlKind::Panel);
        QCOMPARE(controlKind(new QWidget(&window)), ControlKind::Other);
        QCOMPARE(controlKind(new TabSheet(&window)), ControlKind::TabSheet);
        QCOMPARE(controlKind(new QTabBar(&window)), ControlKind::TabControl);
        QCOMPARE(controlKind(new QAction(&window)), ControlKind::MenuItem);
        QCOMPARE(controlKind(new QSpinBox(&window)), ControlKind::HintOnly);
        QCOMPARE(controlKind(new LogView(&window)), ControlKind::Other);
        QCOMPARE(controlKind(nullptr), ControlKind::Other);
    }

    void switchingLanguageReplacesTextsAndKeepsEveryChoice() {
        QWidget window;
        window.setObjectName("TestForm");
        auto* event = named<QComboBox>(&window, "ComboBoxEventEvent");
        auto* touch = named<QComboBox>(&window, "ComboBoxTouchMode");
        auto* once = named<QCheckBox>(&window, "CheckBoxEventOnce");
        auto* tri = named<QCheckBox>(&window, "CheckBoxTri");
        tri->setTristate(true);
        auto* tabs = named<QTabBar>(&window, "TabControlEVKEY");
        auto* options = named<QListWidget>(&window, "CheckListBoxOptions");
        auto* keys = named<QGroupBox>(&window, "GroupBoxKeys");
        auto* keyText = named<Panel>(keys, "PanelKeyText");  // nested one level down
        auto* unit = named<QLabel>(&window, "LabelUnit");
        auto* read = named<QToolButton>(&window, "SpeedButtonRead");
        auto* delay = named<QSpinBox>(&window, "SpinEditDelay");
        auto* pages = new QTabWidget(&window);
        auto* page = named<TabSheet>(nullptr, "TabSheetPage");
        pages->addTab(new QWidget, "first");
        pages->addTab(page, "design");
        auto* menu = new QMenu(&window);
        auto* log = named<QAction>(menu, "MenuItemLog");
        auto* keepMe = named<Panel>(&window, "PanelKeyModx");
        keepMe->setText("program text");
        auto* fancy = named<FancyCombo>(&window, "FancyCombo");
        fancy->addItems({"mine"});
        auto* memo = named<LogView>(&window, "MemoLog");
        memo->setPlainText("log");

        // Places wide enough for every caption: the fitting to a narrow place
        // has its own test with the layout check.
        for (QWidget* control : window.findChildren<QWidget*>()) control->resize(400, 40);
        useTestLanguage();
        translateForm(kTestTable, &window);  // design-time texts
        QCOMPARE(window.windowTitle(), QStringLiteral("Окно"));
        QCOMPARE(comboItems(event), (QStringList{"Один", "Два", "Три"}));
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(options->count(), 2);

        event->setCurrentIndex(2);
        touch->setCurrentIndex(1);
        once->setChecked(true);
        tri->setCheckState(Qt::PartiallyChecked);
        tabs->setCurrentIndex(1);
        options->item(1)->setCheckState(Qt::Checked);
        QSignalSpy eventChanged(event, &QComboBox::currentIndexChanged);
        QSignalSpy tabChanged(tabs, &QTabBar::currentChanged);
        QSignalSpy onceToggled(once, &QCheckBox::toggled);

        setLanguage("en");
        translateForm(kTestTable, &window);
        QCOMPARE(window.windowTitle(), QStringLiteral("Window"));
        QCOMPARE(comboItems(event), (QStringList{"One", "Two", "Three"}));
        QCOMPARE(event->currentIndex(), 2);
        QCOMPARE(touch->currentIndex(), 1);
        QCOMPARE(once->text(), QStringLiteral("One time only"));
        QVERIFY(once->isChecked());
        QCOMPARE(tri->checkState(), Qt::PartiallyChecked);
        QCOMPARE(tabs->tabText(2), QStringLiteral("III"));
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(options->item(0)->text(), QStringLiteral("One"));
        QCOMPARE(options->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(options->item(1)->checkState(), Qt::Checked);
        QCOMPARE(keys->title(), QStringLiteral(" Buttons "));
        QCOMPARE(keyText->text(), QStringLiteral("Button"));
        QCOMPARE(unit->text(), QStringLiteral("mSec"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Page"));
        QCOMPARE(pages->tabText(0), QStringLiteral("first"));
        QCOMPARE(read->toolTip(), QStringLiteral("Read"));
        QCOMPARE(delay->toolTip(), QStringLiteral("Delay"));
        QCOMPARE(log->text(), QStringLiteral("Communication log"));
        QCOMPARE(log->toolTip(), QStringLiteral("Menu hint"));
        QCOMPARE(once->toolTip(), QStringLiteral("Hint"));
        // Listeners of the editor must not see a language switch as an edit.
        QCOMPARE(eventChanged.count(), 0);
        QCOMPARE(tabChanged.count(), 0);
        QCOMPARE(onceToggled.count(), 0);
        // Never translated: names ending in "x", subclasses, unmapped classes.
        QCOMPARE(keepMe->text(), QStringLiteral("program text"));
        QCOMPARE(comboItems(fancy), QStringList{"mine"});
        QCOMPARE(memo->toPlainText(), QStringLiteral("log"));

        useTestLanguage();
        translateForm(kTestTable, &window);
        QCOMPARE(comboItems(event), (QStringList{"Один", "Два", "Три"}));
        QCOMPARE(event->currentIndex(), 2);
        QCOMPARE(once->text(), QStringLiteral("Однократно"));
        QVERIFY(once->isChecked());
        QCOMPARE(tabs->tabText(0), QStringLiteral("1"));
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(options->item(1)->checkState(), Qt::Checked);
    }

    void aSelectionBeyondTheNewListSelectsNothing() {
        QWidget window;
        window.setObjectName("TestForm");
        auto* touch = named<QComboBox>(&window, "ComboBoxTouchMode");
        touch->addItems({"a", "b", "c", "d"});
        touch->setCurrentIndex(3);
        translateForm(kTestTable, &window);
        QCOMPARE(touch->count(), 2);
        QCOMPARE(touch->currentIndex(), -1);
    }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
