#include "ui/i18n/qt_translations.h"

#include "lang/lang.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace zmt::ui {

QtTranslations::QtTranslations() : translator_(std::make_unique<QTranslator>()) {}

QtTranslations::~QtTranslations() {
    if (installed_) QCoreApplication::removeTranslator(translator_.get());
}

QString QtTranslations::folder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool QtTranslations::use(const std::string& language) {
    if (held_) {
        wanted_ = language;
        return true;
    }
    if (language == language_) return loaded_;
    language_ = language;
    loaded_ = load(language);
    return loaded_;
}

bool QtTranslations::release() {
    if (!held_) return false;
    held_ = false;
    if (!wanted_.empty()) use(wanted_);
    return true;
}

bool QtTranslations::load(const std::string& language) {
    if (installed_) {
        QCoreApplication::removeTranslator(translator_.get());
        installed_ = false;
    }
    if (language == kSourceLanguage) return true;
    // qtbase holds the widgets' texts; "qt_ru" would pull in every module.
    const QString name = QStringLiteral("qtbase_") + QString::fromStdString(language);
    if (!translator_->load(name, folder())) {
        // Said once, so that a packager sees why the buttons stay English.
        if (!warned_)
            std::fprintf(stderr, "zmtsetup: Qt's texts for '%s' (%s.qm) are not in %s\n", language.c_str(),
                         name.toLocal8Bit().constData(), folder().toLocal8Bit().constData());
        warned_ = true;
        return false;
    }
    installed_ = QCoreApplication::installTranslator(translator_.get());
    return installed_;
}

} // namespace zmt::ui
