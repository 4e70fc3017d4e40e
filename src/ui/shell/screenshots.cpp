#include "ui/shell/screenshots.h"

#include "lang/lang.h"
#include "config/config_image.h"
#include "ui/picker/reaction_picker.h"
#include "ui/shell/main_window.h"
#include "ui/shell/toolbar_notice.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

namespace zmt::ui {

bool saveScreenshots(MainWindow& window, const QString& dir, QString* why) {
    if (!QDir().mkpath(dir)) {
        if (why) *why = QStringLiteral("cannot create the folder %1").arg(dir);
        return false;
    }
    // These pictures show the window on its own: the poll must not find a
    // controller meanwhile (on a slow machine it would, and the pages would
    // show its configuration being read instead).
    QTimer* poll = &window.pollTimer();
    const bool polling = poll->isActive();
    poll->stop();
    QTabWidget* pages = &window.pages();
    const std::string languageBefore = languageCode();
    const int pageBefore = pages->currentIndex();
    window.show();
    auto save = [&](const QString& file) {
        if (window.grab().save(file)) return true;
        if (why) *why = QStringLiteral("cannot write %1").arg(file);
        return false;
    };
    bool ok = true;
    // lCtrl + rAlt + A + 1: both sides of the modifiers and both key slots.
    Reaction sampleReaction{ReactionKeyboard, 0x41, 4, 30};
    for (const char* language : {"ru", "en"}) {
        window.setLanguage(language);
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            // Let layout and painting catch up before the picture is taken.
            QCoreApplication::processEvents();
            const QString pageName = pages->widget(page)->objectName().remove(QStringLiteral("TabSheet")).toLower();
            const QString file = QDir(dir).filePath(QStringLiteral("main-%1-%2.png").arg(pageName, QLatin1String(language)));
            ok = save(file) && ok;
        }
        // A transfer half done: status caption and gauge over the notice panel.
        const int total = 989;
        window.host().progressStart(total, localized("Reading configuration from the device"));
        // Steps that follow each other within a few milliseconds are drawn
        // together; a gauge shown again draws its step at once.
        window.host().progressHide();
        window.host().progressStep(total / 2);
        QCoreApplication::processEvents();
        ok = save(QDir(dir).filePath(QStringLiteral("main-transfer-%1.png").arg(QLatin1String(language)))) && ok;
        // Finish it so that no half transfer is left behind to re-appear.
        window.host().progressStep(total - total / 2);
        window.host().progressHide();
        window.setStatusText(QString());
        // The toolbar notice an automatic write shows.
        window.showNotice(0, 0, localized("Record of changes"));
        QCoreApplication::processEvents();
        ok = save(QDir(dir).filePath(QStringLiteral("main-notice-%1.png").arg(QLatin1String(language)))) && ok;
        window.notice().clear();
        // The picker with a reaction chosen: modifiers and keys highlighted.
        ReactionPicker& picker = window.picker();
        picker.open(sampleReaction, nullptr, formatInEveryLanguage(N_("Keyboard (Reactions for the event %d)"), 1));
        QCoreApplication::processEvents();
        const QString file = QDir(dir).filePath(QStringLiteral("picker-%1.png").arg(QLatin1String(language)));
        ok = picker.grab().save(file) && ok;
    }
    window.picker().detach();
    window.picker().hide();
    pages->setCurrentIndex(pageBefore);
    window.setLanguage(languageBefore);
    if (polling) poll->start();
    return ok;
}

} // namespace zmt::ui
