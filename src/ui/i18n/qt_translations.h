#pragma once
// Qt's own texts in the program's language: the standard buttons of message
// boxes and file dialogs ("Да", "Нет", "Отмена") and the edit fields' context
// menus ("Отменить", "Вырезать", "Копировать", "Вставить"). Our texts come
// from the program's catalogues; these come from Qt's translation files
// (Debian's qt6-translations-l10n), in the folder Qt was built to use.
#include <QString>

#include <memory>
#include <string>

class QTranslator;

namespace zmt::ui {

class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Installs Qt's translation for the language (a code of languages()), or
    // none for English (Qt's texts are English already). Widgets that are shown follow at once;
    // asking again for the same language changes nothing.
    // False when the translation cannot be loaded: Qt's texts then stay
    // English, which is all a missing file costs. While held: true.
    bool use(const std::string& language);

    // Qt's texts show only in a box, a menu or a dialog, none of which the
    // first window has: while held, use() only notes the language, and
    // release() installs it; true when it did (something was held).
    void hold() { held_ = true; }
    bool release();

    // Where Qt's translation files are looked for.
    static QString folder();

private:
    bool load(const std::string& language);

    std::unique_ptr<QTranslator> translator_;
    bool installed_ = false;
    std::string language_;   // the language last installed for (not while held)
    bool loaded_ = false;
    bool warned_ = false;
    bool held_ = false;
    std::string wanted_;   // asked for while held
};

} // namespace zmt::ui
