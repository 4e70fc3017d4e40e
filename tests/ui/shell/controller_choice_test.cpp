// Several controllers on the bus: the toolbar offers the choice, the chosen
// one is taken (and remembered), it is never swapped for another by itself,
// and with one controller nothing of it shows.
#include "test_languages.h"
#include "device/connection_watch.h"
#include "sim/simulator.h"
#include "ui/shell/controller_choice.h"
#include "../program_rig.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTest>

using namespace zmt;
using namespace zmt::ui;

namespace {

struct Rig : test::ProgramRig {
    explicit Rig(std::size_t units = 2, std::string settingsPath = {})
        : ProgramRig({.settingsPath = std::move(settingsPath), .units = units}) {
        window.setLanguage("en");
    }
    QComboBox* box() { return window.findChild<QComboBox*>("ComboBoxControllerx"); }
    QStringList entries() {
        QStringList texts;
        for (int i = 0; i < box()->count(); ++i) texts << box()->itemText(i);
        return texts;
    }
    void pick(const QString& text) {
        const int index = box()->findText(text);
        QVERIFY(index >= 0);
        box()->setCurrentIndex(index);
        emit box()->activated(index);
    }
    uint32_t connectedSerial() { return window.flags().deviceConnected() ? session.watch().lastSerial() : 0; }
};

} // namespace

class ControllerChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void oneControllerShowsNoChoice() {
        Rig program(1);
        const QString title = program.window.windowTitle();
        program.poll();
        QCOMPARE(program.connectedSerial(), 1001u);
        QCOMPARE(program.window.windowTitle(), title);
        for (int tick = 0; tick < 2 * ControllerChoice::kLookEveryPolls; ++tick) program.poll();
        QVERIFY(program.box()->isHidden());
    }

    void severalAreOfferedAndTheChosenOneIsTakenAndRemembered() {
        Rig program;
        program.poll();
        QCOMPARE(program.connectedSerial(), 0u);
        QCOMPARE(program.window.statusText(), QString("Several controllers are connected: choose one"));
        QVERIFY(!program.box()->isHidden());
        QCOMPARE(program.entries(), (QStringList{"1001  1.17", "1002  1.17"}));
        QCOMPARE(program.box()->currentIndex(), -1);   // nothing chosen yet
        // Editing waits for the choice: an edit now would belong to no
        // controller, and reading the chosen one would drop it unasked.
        QVERIFY(!program.window.findChild<QWidget*>("Edit_PAR_LongTO")->isEnabled());
        QVERIFY(!program.window.findChild<QWidget*>("StringGridKeys")->isEnabled());
        // The notice panel ends before the choice.
        const QWidget* notice = program.window.findChild<QLabel*>("PanelMenu");
        QVERIFY(notice->geometry().right() < program.box()->geometry().left());
        program.window.show();
        test::savePicture(program.window.grab(), "main-several-controllers");
        // The Russian guide shows the Russian window.
        program.window.setLanguage("ru");
        program.poll();
        test::savePicture(program.window.grab(), "main-several-controllers");
        program.window.setLanguage("en");
        program.poll();

        program.pick("1002  1.17");
        program.poll();
        QCOMPARE(program.connectedSerial(), 1002u);
        QVERIFY(program.window.findChild<QWidget*>("Edit_PAR_LongTO")->isEnabled());
        // The title says which one the window works with.
        QVERIFY(program.window.windowTitle().endsWith(" - controller 1002"));
        program.window.setLanguage("ru");
        QVERIFY(program.window.windowTitle().endsWith(" - контроллер 1002"));
        program.window.setLanguage("en");

        // Unplugged, the chosen one is "disconnected": the other one is
        // never taken by itself.
        auto& simulator = *program.session.simulator();
        simulator.backend().unplug(simulator.port(1));
        for (int tick = 0; tick < 3; ++tick) program.poll();
        QCOMPARE(program.connectedSerial(), 0u);
        program.program.controllerChoice().refresh();
        QCOMPARE(program.entries(), (QStringList{"1001  1.17", "1002 (not connected)"}));
        simulator.backend().plug(simulator.port(1));
        program.poll();
        QCOMPARE(program.connectedSerial(), 1002u);

        QVERIFY(program.window.close());
        QFile settings(program.dir.filePath("zmtsetup.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("Controller=1002"));
    }

    // The next run takes the remembered controller again when it is among
    // several, without asking; a remembered one that is not there leaves
    // the choice to the user.
    void theRememberedControllerIsTakenAgainAmongSeveral() {
        QTemporaryDir dir;
        const QString path = dir.filePath("zmtsetup.ini");
        for (const auto& [remembered, expected] : {std::pair{"1002", 1002u}, std::pair{"4711", 0u}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("[MainSettings]\nController=") + remembered + "\n");
            file.close();
            Rig program(2, path.toStdString());
            program.poll();
            program.poll();
            QCOMPARE(program.connectedSerial(), expected);
        }
    }

    // Choosing another controller while edits have not reached the current
    // one is like plugging in another controller: the user is asked.
    void switchingWithUnsentEditsAsks() {
        Rig program;
        program.poll();
        program.pick("1001  1.17");
        program.poll();
        QCOMPARE(program.connectedSerial(), 1001u);
        auto& simulator = *program.session.simulator();
        simulator.backend().unplug(simulator.port(0));
        program.poll();
        program.record.image.headType = 2;   // an edit that cannot go out
        program.tick();
        const int boxes = program.boxes.size();
        program.answers = {Answer::No};           // No: read the other one's configuration
        program.pick("1002  1.17");
        program.poll();
        QCOMPARE(program.connectedSerial(), 1002u);
        QCOMPARE(program.boxes.size(), boxes + 1);
        // Both are named: "the controller just connected" says nothing here.
        QCOMPARE(program.boxes.last(), QString("Changes made while controller 1001 was connected have not been "
                                               "written to it yet.\nWrite them to controller 1002?\n"
                                               "No: read the configuration of controller 1002 instead."));
    }
};

QTEST_MAIN(ControllerChoiceTest)
#include "controller_choice_test.moc"
