// The language of a windows program: the choice kept in the user's profile ("言語" in the
// settings dialogs), the program's catalogue and Qt's own texts (file dialogs, standard buttons,
// the print dialog) in the same language.
#pragma once

#include <QString>
#include <array>
#include <string>

#include "core/text/translation.h"

namespace desktop {

// The choice kept in the profile of `product` (section "Language", value "Choice").
core::LanguageChoice storedLanguageChoice(const QString& product);
void storeLanguageChoice(const QString& product, core::LanguageChoice choice);

// The names of the players in English (section "Language", value "EnglishSides"), taking effect
// at the next start like the language.
core::EnglishSides storedEnglishSides(const QString& product);
void storeEnglishSides(const QString& product, core::EnglishSides sides);
// "Black / White", "Sente / Gote", in the order of EnglishSides.
std::array<QString, 2> englishSidesTexts();

// Turns the program's texts (catalogue `domain`, looked for beside the program) and Qt's own to
// the language the choice and the locale give. Call after the QApplication exists and before
// any window is made; a change of the setting takes effect at the next start.
core::Language setUpLanguage(core::LanguageChoice choice, const std::string& domain);

// The texts of the choice as the settings dialogs list them, in the order of LanguageChoice:
// "システム既定", "日本語", "English" (each language named in itself).
std::array<QString, 3> languageChoiceTexts();
// "言語の変更は次回の起動から有効になります。"
QString languageChangeNote();

// Qt's own translation for `language` (Japanese: Debian's qtbase_ja); false when it is not
// installed (Qt's texts stay English) or not needed (English).
bool installQtTranslation(core::Language language);

}  // namespace desktop
