#pragma once
// Pictures of the main window for the documentation and for checking that
// every text fits: each page, a transfer in progress and a toolbar notice,
// in Russian and in English; and the picker window with a reaction chosen.
#include <QString>

namespace zmt::ui {

class MainWindow;

// Shows the window, grabs it, and saves main-<page>-<ru|en>.png and
// picker-<ru|en>.png into dir.
// The language in force before is restored. Returns false (with why) when a
// picture could not be written.
bool saveScreenshots(MainWindow& window, const QString& dir, QString* why);

} // namespace zmt::ui
