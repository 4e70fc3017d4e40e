#include "ui/main/screenshots.h"

#include "ui/main/main_form.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

namespace zmt::ui {

bool saveScreenshots(MainForm& window, const QString& dir, QString* why) {
    if (!QDir().mkpath(dir)) {
        if (why) *why = QStringLiteral("cannot create the folder %1").arg(dir);
        return false;
    }
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControlMain"));
    const int languageBefore = window.SetLanguage(-1);
    const int pageBefore = pages->currentIndex();
    window.show();
    bool ok = true;
    for (const char* language : {"ru", "en"}) {
        window.SetLanguage(QString::fromLatin1(language) == QLatin1String("en") ? 1 : 0);
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            // Let layout and painting catch up before the picture is taken.
            QCoreApplication::processEvents();
            const QString pageName = pages->widget(page)->objectName().remove(QStringLiteral("TabSheet")).toLower();
            const QString file = QDir(dir).filePath(QStringLiteral("main-%1-%2.png").arg(pageName, QLatin1String(language)));
            if (!window.grab().save(file)) {
                if (why) *why = QStringLiteral("cannot write %1").arg(file);
                ok = false;
            }
        }
    }
    pages->setCurrentIndex(pageBefore);
    window.SetLanguage(languageBefore);
    return ok;
}

} // namespace zmt::ui
