// The language of the programs' own texts. Japanese is the language the texts are written in
// (the source); English comes from the program's gettext catalogue ("tavrel" or "dalmir", built
// from po/). Record files are never translated: only texts meant for the user go through
// translate().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace core {

enum class Language { Japanese, English };

// The setting "言語": the system's locale, or one language whatever the locale says.
enum class LanguageChoice { System, Japanese, English };

// The setting's stored word ("system", "ja", "en") and back; an unknown word is System.
std::string_view languageChoiceWord(LanguageChoice choice);
LanguageChoice languageChoiceFromWord(std::string_view word);

// The language the locale asks for, read as gettext reads it: the first entry of LANGUAGE, else
// LC_ALL, LC_MESSAGES, LANG. Japanese for a Japanese locale and where no locale is set ("C",
// "POSIX" or nothing: the programs' texts as they always were); English for every other.
using EnvironmentLookup = std::function<const char*(const char*)>;
// Where useLanguage keeps the user's LANGUAGE when it sets its own for gettext; read in its place
// by systemLanguage, so that a program started by an English one still follows the user's locale.
inline constexpr const char* kKeptLanguageVariable = "TAVREL_USER_LANGUAGE";
Language systemLanguage(const EnvironmentLookup& getenv);
Language systemLanguage();

Language chosenLanguage(LanguageChoice choice, Language system);

// The folder of the compiled catalogues for a program in exeFolder: "locale" beside it (the
// build tree), else "../share/locale" (an installed program); nullopt when neither exists.
std::optional<std::string> localeFolderFor(const std::string& exeFolder);

// Turns the program's texts to `language`: for English it binds the catalogue `domain` from
// localeFolder and makes gettext answer in English whatever the process's locale. Call once at
// start-up, before other threads run. False (and the texts stay Japanese) when the catalogue
// cannot be found.
bool useLanguage(Language language, const std::string& domain, const std::string& localeFolder);

Language currentLanguage();

// How the English texts name the players: "Black"/"White" (the default), or "Sente"/"Gote" as
// many English-speaking players say. Only the English texts change.
enum class EnglishSides { BlackWhite, SenteGote };
std::string_view englishSidesWord(EnglishSides sides);     // "black-white", "sente-gote"
EnglishSides englishSidesFromWord(std::string_view word);  // an unknown word is BlackWhite
void useEnglishSides(EnglishSides sides);
// The words "Black" and "White" (any case, whole words) of an English text as `sides` names them.
std::string withEnglishSides(std::string_view english, EnglishSides sides);

// The text in the current language; the Japanese text itself when it is Japanese or the
// catalogue has no translation. The result lives as long as the program.
const char* translate(const char* japanese);
// The same for a text with a count: `one` and `many` differ only in English.
const char* translatePlural(const char* one, const char* many, unsigned long n);

}  // namespace core

// Marks a text for the catalogue where it is translated later (tables of texts).
#define TR_NOOP(text) text
