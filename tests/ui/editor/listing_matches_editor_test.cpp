// zmtctl show must read like the window: for every event of a file, the
// trigger, type, options and reaction it lists are what the event editor's
// panels, list, check boxes and memo show for that event, in both languages.
#include "test_languages.h"
#include "config/config_file.h"
#include "config/config_listing.h"
#include "../program_rig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabBar>
#include <QTest>

using namespace zmt;
using namespace zmt::ui;

namespace {

using test::child;

// The program as zmtsetup builds it, with no controller plugged in.
struct Page : test::ProgramRig {
    MainWindow& form = window;
    Page() : ProgramRig({.plugged = false}) {}

    // The event line and the response line as the window shows event index.
    QStringList shown(int index) {
        child<QTabBar>(form, "TabControlEVKEYx")->setCurrentIndex(index);
        editor.showSelectedEvent();
        QString trigger;
        if (child<QWidget>(form, "PanelIRCODE")->isVisibleTo(&form)) {
            trigger = QString::fromUtf8(localized("IR code")) + " " + child<Panel>(form, "PanelIRDEFx")->text();
        } else {
            const QString modifier = child<Panel>(form, "PanelKeyModx")->text();
            const QString key = child<Panel>(form, "PanelKeyValx")->text();
            if (!modifier.isEmpty()) trigger = QString::fromUtf8(localized("Modifier")) + " " + modifier;
            if (!key.isEmpty()) {
                if (!trigger.isEmpty()) trigger += ", ";
                trigger += QString::fromUtf8(localized("Button")) + " " + key;
            }
        }
        QString line = QStringLiteral("  %1: ").arg(index + 1) + trigger + "; " +
                       child<QComboBox>(form, "ComboBoxEventEvent")->currentText();
        if (child<QCheckBox>(form, "CheckBoxEventOnce")->isChecked()) line += "; " + child<QCheckBox>(form, "CheckBoxEventOnce")->text();
        if (child<QCheckBox>(form, "CheckBoxEventWakeUp")->isChecked()) line += "; " + child<QCheckBox>(form, "CheckBoxEventWakeUp")->text();
        QStringList memo = child<QLabel>(form, "MemoEventReactionx")->text().split('\n');
        memo.removeFirst();
        return {line, "      " + QString::fromUtf8(localized("Response: ")) + memo.join(' ')};
    }
};

} // namespace

class ListingMatchesEditorTest : public QObject {
    Q_OBJECT
private slots:
    void everyListedEventReadsAsTheEditorShowsIt_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Russian") << int(Russian);
        QTest::newRow("English") << int(English);
    }
    void everyListedEventReadsAsTheEditorShowsIt() {
        QFETCH(int, language);
        Page p;
        p.form.setLanguage(codeOf(language));
        const std::string path = qEnvironmentVariable("ZMT_TEST_DATA").toStdString() + "/show-reactions.ZMT";
        QVERIFY(loadConfigFile(p.record.image, path).ok());
        const ConfigImage before = p.record.image;
        p.form.showImage();

        const std::vector<std::string> listing = listConfiguration(p.record.image);
        int events = 0;
        for (std::size_t i = 0; i + 1 < listing.size(); ++i) {
            const QString line = QString::fromStdString(listing[i]);
            int number = 0;
            if (std::sscanf(listing[i].c_str(), "  %d: ", &number) != 1 || !line.startsWith("  ")) continue;
            const QStringList shown = p.shown(number - 1);
            QCOMPARE(line, shown[0]);
            QCOMPARE(QString::fromStdString(listing[i + 1]), shown[1]);
            ++events;
        }
        QCOMPARE(events, 8);
        // Listing worked on a copy: the file's event 10 is still as it was read.
        QCOMPARE(std::memcmp(&before.events[9], &p.record.image.events[9], sizeof(EventRecord)), 0);
    }
};

QTEST_MAIN(ListingMatchesEditorTest)
#include "listing_matches_editor_test.moc"
