#include "desktop/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include "desktop/qt_text.h"

namespace desktop {

namespace {

QSettings profile(const QString& product) {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
}

}  // namespace

core::LanguageChoice storedLanguageChoice(const QString& product) {
    QSettings s = profile(product);
    const QString word = s.value(QStringLiteral("Language/Choice")).toString();
    return core::languageChoiceFromWord(word.toStdString());
}

void storeLanguageChoice(const QString& product, core::LanguageChoice choice) {
    QSettings s = profile(product);
    const std::string_view word = core::languageChoiceWord(choice);
    s.setValue(QStringLiteral("Language/Choice"),
               QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size())));
    s.sync();
}

core::EnglishSides storedEnglishSides(const QString& product) {
    QSettings s = profile(product);
    return core::englishSidesFromWord(
        s.value(QStringLiteral("Language/EnglishSides")).toString().toStdString());
}

void storeEnglishSides(const QString& product, core::EnglishSides sides) {
    QSettings s = profile(product);
    const std::string_view word = core::englishSidesWord(sides);
    s.setValue(QStringLiteral("Language/EnglishSides"),
               QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size())));
    s.sync();
}

std::array<QString, 2> englishSidesTexts() {
    return {QStringLiteral("Black / White"), QStringLiteral("Sente / Gote")};
}

core::Language setUpLanguage(core::LanguageChoice choice, const std::string& domain) {
    core::Language language = core::chosenLanguage(choice, core::systemLanguage());
    if (language == core::Language::English) {
        const std::string exeFolder =
            QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
        const std::optional<std::string> folder = core::localeFolderFor(exeFolder);
        // Without the catalogue the texts stay as they are written, in Japanese.
        if (!folder || !core::useLanguage(language, domain, *folder)) {
            language = core::Language::Japanese;
        }
    }
    QLocale::setDefault(
        QLocale(language == core::Language::Japanese ? QLocale::Japanese : QLocale::English));
    installQtTranslation(language);
    return language;
}

std::array<QString, 3> languageChoiceTexts() {
    return {translated("システム既定"), QStringLiteral("日本語"), QStringLiteral("English")};
}

QString languageChangeNote() { return translated("言語の変更は次回の起動から有効になります。"); }

bool installQtTranslation(core::Language language) {
    if (language != core::Language::Japanese) return false;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace desktop
