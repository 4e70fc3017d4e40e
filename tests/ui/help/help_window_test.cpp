// The help in zmtsetup --simulator: F1 on each page, in each window and in a
// message box opens the guide in the program's language at the section for
// where the user is; the menu item does the same; the window follows a
// language switch; every section and picture of the guide is there once Qt
// has read it; the window's place is kept in the settings.
#include "../program_rig.h"
#include "../window_test_support.h"
#include "ui/help/help_window.h"
#include "ui/procedures/quick_setup_window.h"
#include "ui/shell/quick_setup_entry.h"
#include "ui/shell/snapshot_windows.h"
#include "ui/sim/simulator_window.h"
#include "ui/widgets/msg_box.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <fstream>
#include <functional>

using namespace zmt;
using namespace zmt::ui;
using test::child;
using test::RigOptions;

namespace {

struct HelpRig : test::ProgramRig {
    HelpRig(RigOptions options = {}) : test::ProgramRig(std::move(options)) {}
    ~HelpRig() {
        if (HelpWindow* help = program.help().builtWindow()) help->hide();
    }
    HelpWindow& help() {
        HelpWindow* built = program.help().builtWindow();
        if (built == nullptr) qFatal("the help was never opened");
        return *built;
    }
    // F1 as the user presses it, on a control of some window.
    void pressF1(QWidget* where) {
        QTest::keyClick(where, Qt::Key_F1);
        QCoreApplication::processEvents();
    }
    QString shownGuide() { return help().browser().source().fileName(); }
    void showPage(const char* page) { window.pages().setCurrentWidget(child<QWidget>(window, page)); }
};

// Every heading shows as one, in bold, the anchor it carries or not.
bool headingsLookLikeHeadings(const QTextDocument& document) {
    int headings = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() <= 0) continue;
        ++headings;
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (fragment.fragment().charFormat().fontWeight() < QFont::Bold) return false;
    }
    return headings > 0;
}

QString guideOf(int language) { return language == English ? "guide-en.md" : "guide-ru.md"; }

// Every anchor name Qt kept in the document it made of the guide.
QStringList anchorsIn(const QTextDocument& document) {
    QStringList names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            names += fragment.fragment().charFormat().anchorNames();
    return names;
}

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT
private slots:
    void f1OpensTheSectionForWhereTheUserIs_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Russian") << int(Russian);
        QTest::newRow("English") << int(English);
    }
    void f1OpensTheSectionForWhereTheUserIs() {
        QFETCH(int, language);
        HelpRig p({.answer = Answer::Yes});
        p.window.setLanguage(codeOf(language));
        p.connect();
        p.window.show();
        struct Place {
            const char* where;
            std::function<QWidget*()> control;
            const char* topic;
        };
        const Place places[] = {
            {"buttons grid", [&] { p.showPage("TabSheetParameters"); return child<QWidget>(p.window, "StringGridKeys"); },
             "learning"},
            {"event type", [&] { return child<QWidget>(p.window, "ComboBoxEventEvent"); }, "events"},
            {"event's reaction", [&] { return child<QWidget>(p.window, "PanelEventReactionx"); }, "reactions"},
            {"HOME key", [&] { return child<QWidget>(p.window, "PanelHOMEx"); }, "home"},
            {"event tabs", [&] { return child<QWidget>(p.window, "TabControlEVKEYx"); }, "events"},
            {"long-press field", [&] { return child<QWidget>(p.window, "Edit_PAR_LongTO"); }, "parameters"},
            {"toolbar, Parameters shown", [&] { return child<QWidget>(p.window, "SpeedButtonReadDevice"); }, "parameters-page"},
            {"monitoring log", [&] { p.showPage("TabSheetMonitoring"); return child<QWidget>(p.window, "Memo"); }, "monitoring"},
            {"toolbar, Monitoring shown", [&] { return child<QWidget>(p.window, "SpeedButtonReadDevice"); }, "monitoring"},
            {"picker", [&] { p.picker().show(); return static_cast<QWidget*>(&p.picker()); }, "reactions"},
            {"Simulator window", [&] { return static_cast<QWidget*>(p.session.simulatorWindow()); }, "simulator"},
            {"History window",
             [&] {
                 p.program.snapshotWindows().showHistory();
                 return static_cast<QWidget*>(p.program.snapshotWindows().historyDialog());
             },
             "snapshots"},
            {"Compare window",
             [&] {
                 p.nextFile = p.writeConfigFile("other.ZMT", 2);
                 p.program.snapshotWindows().compareWithFile();
                 return static_cast<QWidget*>(p.program.snapshotWindows().compareDialog());
             },
             "compare"},
            {"quick set-up window",
             [&] {
                 p.program.quickSetup().quickSetupAction()->trigger();
                 return static_cast<QWidget*>(child<QComboBox>(p.program.quickSetup().setupWindow(),
                                                               "ComboQuickFunction"));
             },
             "quick-setup"},
        };
        for (const Place& place : places) {
            QWidget* control = place.control();
            QVERIFY2(control != nullptr, place.where);
            p.pressF1(control);
            QVERIFY2(p.help().isVisible(), place.where);
            QCOMPARE(p.help().currentTopic(), QString(place.topic));
            QCOMPARE(p.shownGuide(), guideOf(language));
            p.help().hide();
        }
        QVERIFY2(p.boxes.isEmpty(), qPrintable(p.boxes.join(" | ")));
    }

    // A box's F1 opens the entry that quotes its message.
    void aMessageBoxOpensItsEntry_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("topic");
        // Which entry explains which text is the guide checks' table; here
        // only that a real box leads there, in each language.
        QTest::newRow("Russian") << int(Russian) << "Ошибка записи в устройство\nКонтроллер отключен" << "msg-controller";
        QTest::newRow("English") << int(English) << "Error writing to the device\nController is disconnected"
                                 << "msg-controller";
        QTest::newRow("unknown") << int(English) << "Something new" << "troubleshooting";
    }
    void aMessageBoxOpensItsEntry() {
        QFETCH(int, language);
        QFETCH(QString, text);
        QFETCH(QString, topic);
        HelpRig p;
        p.window.setLanguage(codeOf(language));
        p.window.show();
        const std::unique_ptr<QMessageBox> box = buildMsgBox(MessageStyle(MessageKind::Error), text, &p.window);
        box->show();
        p.pressF1(box->buttons().first());
        QCOMPARE(p.help().currentTopic(), topic);
        QCOMPARE(p.shownGuide(), guideOf(language));
        if (topic == "msg-controller") test::savePicture(p.help().grab(), "help-message");
    }

    void theMenuItemOpensItInTheProgramsLanguage() {
        HelpRig p;
        p.window.show();
        for (const int language : {int(Russian), int(English)}) {
            p.window.setLanguage(codeOf(language));
            QAction& item = p.program.help().menuItem();
            QVERIFY(p.window.toolBarMenu().actions().contains(&item));
            QCOMPARE(item.text(), language == English ? QString("Help") : QString("Справка"));
            item.trigger();
            QVERIFY(p.help().isVisible());
            QCOMPARE(p.help().currentTopic(), QString("parameters-page"));
            QCOMPARE(p.shownGuide(), guideOf(language));
            test::savePicture(p.help().grab(), "help-parameters");
        }
    }

    void followsALanguageSwitchAtTheSameSection() {
        HelpRig p;
        p.window.show();
        p.pressF1(child<QWidget>(p.window, "Edit_PAR_LongTO"));
        QCOMPARE(p.shownGuide(), QString("guide-ru.md"));
        QCOMPARE(p.help().windowTitle(), QString("Справка — ZEL MORVA TOUCH"));
        QVERIFY(headingsLookLikeHeadings(*p.help().browser().document()));
        p.window.setLanguage("en");
        QCOMPARE(p.shownGuide(), QString("guide-en.md"));
        QCOMPARE(p.help().currentTopic(), QString("parameters"));
        QVERIFY(headingsLookLikeHeadings(*p.help().browser().document()));
        p.pressF1(child<QWidget>(p.window, "StringGridKeys"));
        QCOMPARE(p.help().currentTopic(), QString("learning"));
        QVERIFY(headingsLookLikeHeadings(*p.help().browser().document()));
        QCOMPARE(p.help().windowTitle(), QString("Help — ZEL MORVA TOUCH"));
        QCOMPARE(child<QToolButton>(p.help(), "ButtonHelpContents")->text(), QString("Contents"));
        // Escape in the text closes the window; F1 there changes nothing.
        p.pressF1(&p.help().browser());
        QCOMPARE(p.help().currentTopic(), QString("learning"));
        QTest::keyClick(&p.help().browser(), Qt::Key_Escape);
        QVERIFY(!p.help().isVisible());
    }

    // What the checks of the guide's text cannot see: the sections and
    // pictures as Qt's own reader of the guide makes them.
    void everySectionAndPictureSurvivesQtsReading() {
        HelpRig p;
        p.window.show();
        for (const int language : {int(Russian), int(English)}) {
            p.window.setLanguage(codeOf(language));
            p.program.help().showHelpFor(&p.window);
            QTextBrowser& browser = p.help().browser();
            const QStringList anchors = anchorsIn(*browser.document());
            for (const help::GuideSection& section : guideIndex()) {
                if (section.anchor.empty()) continue;
                QVERIFY2(anchors.contains(QString::fromStdString(section.anchor)), section.anchor.c_str());
                for (const std::string& picture : section.pictures) {
                    const QUrl url = browser.source().resolved(QUrl(QString::fromStdString(picture)));
                    QVERIFY2(!browser.loadResource(QTextDocument::ImageResource, url).isNull(), picture.c_str());
                }
            }
            // A link between sections goes there, and Back comes back.
            // As a click on a link does: the link's address against the guide's.
            browser.setSource(browser.source().resolved(QUrl("#msg-files")));
            QCOMPARE(p.help().currentTopic(), QString("msg-files"));
            child<QToolButton>(p.help(), "ButtonHelpBack")->click();
            QCOMPARE(p.help().currentTopic(), QString("parameters-page"));
        }
    }

    void itsPlaceIsKeptInTheSettings() {
        const QTemporaryDir folder;
        const std::string settings = folder.filePath("zmtsetup.ini").toStdString();
        const QRect place(40, 30, 520, 410);
        {
            HelpRig p({.settingsPath = settings});
            p.window.show();
            p.program.help().showHelpFor(&p.window);
            p.help().move(place.topLeft());
            p.help().resize(place.size());
            p.help().close();
            p.window.close();
        }
        std::ifstream file(settings);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        QVERIFY2(text.find("HelpLeft=40") != std::string::npos && text.find("HelpHeight=410") != std::string::npos,
                 text.c_str());
        HelpRig again({.settingsPath = settings});
        again.window.show();
        again.program.help().showHelpFor(&again.window);
        QCOMPARE(again.help().pos(), place.topLeft());
        QCOMPARE(again.help().size(), place.size());
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
