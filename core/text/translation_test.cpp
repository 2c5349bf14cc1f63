#include "core/text/translation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "tests/support/temp_folder.h"

namespace core {
namespace {

Language languageOf(const std::map<std::string, std::string>& environment) {
    return systemLanguage([&environment](const char* name) -> const char* {
        auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    });
}

// The locale is read as gettext reads it: LC_ALL, then LC_MESSAGES, then LANG decide the locale,
// and LANGUAGE's first entry decides the language except in the "C" locale.
TEST(TranslationTest, TheLocaleChoosesJapaneseOrEnglish) {
    struct Case {
        std::map<std::string, std::string> environment;
        Language want;
    };
    const Case cases[] = {
        {{{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
        {{{"LANG", "ja"}}, Language::Japanese},
        {{{"LANG", "en_US.UTF-8"}}, Language::English},
        {{{"LANG", "de_DE.UTF-8"}}, Language::English},
        // No locale: the texts as they are written.
        {{}, Language::Japanese},
        {{{"LANG", "C"}}, Language::Japanese},
        {{{"LANG", "C.UTF-8"}}, Language::Japanese},
        {{{"LANG", "POSIX"}}, Language::Japanese},
        {{{"LANG", "C"}, {"LANGUAGE", "en"}}, Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en:ja"}}, Language::English},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ja_JP:en"}}, Language::Japanese},
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_ALL", "en_GB.UTF-8"}}, Language::English},
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_ALL", ""}}, Language::Japanese},
        // Started by a program of ours that chose English for itself: the user's own LANGUAGE
        // (here none) counts, not the "en" it set for gettext.
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en"}, {kKeptLanguageVariable, ""}},
         Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en"}, {kKeptLanguageVariable, "en_GB"}},
         Language::English},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& [k, v] : c.environment) shown += k + "=" + v + " ";
        EXPECT_EQ(languageOf(c.environment), c.want) << shown;
    }
}

TEST(TranslationTest, SenteAndGoteReplaceWholeWordsOnly) {
    EXPECT_EQ(withEnglishSides("Black's view; White wins", EnglishSides::SenteGote),
              "Sente's view; Gote wins");
    EXPECT_EQ(withEnglishSides("Swap black and white", EnglishSides::SenteGote),
              "Swap sente and gote");
    EXPECT_EQ(withEnglishSides("Blackboard, Whitehall, BLACK", EnglishSides::SenteGote),
              "Blackboard, Whitehall, SENTE");
    EXPECT_EQ(withEnglishSides("Black ▲", EnglishSides::BlackWhite), "Black ▲");
    for (EnglishSides s : {EnglishSides::BlackWhite, EnglishSides::SenteGote}) {
        EXPECT_EQ(englishSidesFromWord(englishSidesWord(s)), s);
    }
    EXPECT_EQ(englishSidesFromWord("?"), EnglishSides::BlackWhite);
}

TEST(TranslationTest, TheSettingOverridesTheLocaleAndIsStoredAsAWord) {
    EXPECT_EQ(chosenLanguage(LanguageChoice::System, Language::English), Language::English);
    EXPECT_EQ(chosenLanguage(LanguageChoice::System, Language::Japanese), Language::Japanese);
    EXPECT_EQ(chosenLanguage(LanguageChoice::Japanese, Language::English), Language::Japanese);
    EXPECT_EQ(chosenLanguage(LanguageChoice::English, Language::Japanese), Language::English);
    for (LanguageChoice c :
         {LanguageChoice::System, LanguageChoice::Japanese, LanguageChoice::English}) {
        EXPECT_EQ(languageChoiceFromWord(languageChoiceWord(c)), c);
    }
    // A word from a newer version or a hand edit: the locale decides.
    EXPECT_EQ(languageChoiceFromWord("fr"), LanguageChoice::System);
    EXPECT_EQ(languageChoiceFromWord(""), LanguageChoice::System);
}

TEST(TranslationTest, TheCataloguesAreFoundBesideTheProgramOrUnderShare) {
    testsupport::TempFolder folder;
    namespace fs = std::filesystem;
    const fs::path bin = fs::path(folder.path()) / "usr" / "bin";
    fs::create_directories(bin);
    EXPECT_FALSE(localeFolderFor(bin.string()));
    fs::create_directories(fs::path(folder.path()) / "usr" / "share" / "locale");
    EXPECT_EQ(localeFolderFor(bin.string()),
              (fs::path(folder.path()) / "usr" / "share" / "locale").string());
    // The build tree's copy beside the program comes first.
    fs::create_directories(bin / "locale");
    EXPECT_EQ(localeFolderFor(bin.string()), (bin / "locale").string());
}

// The programs' catalogues are built beside them in the build tree: in English the marked texts
// come from there, a text the catalogue lacks stays as written, and Japanese gives the texts
// themselves.
TEST(TranslationTest, EnglishComesFromTheBuiltCatalogue) {
    const std::string folder = std::string(TAVREL_BINARY_DIR) + "/tavrel/locale";
    const Language locale = systemLanguage();
    EXPECT_FALSE(useLanguage(Language::English, "no-such-catalogue", folder));
    EXPECT_EQ(currentLanguage(), Language::Japanese);

    ASSERT_TRUE(useLanguage(Language::English, "tavrel", folder));
    EXPECT_EQ(currentLanguage(), Language::English);
    EXPECT_STREQ(translate("システム既定"), "System default");
    const char* unknown = "どこにもない文";
    EXPECT_EQ(translate(unknown), unknown);
    EXPECT_STREQ(translatePlural("一つ", "二つ以上", 2), "二つ以上");
    // The LANGUAGE set for gettext is not what a program started from here reads.
    EXPECT_EQ(systemLanguage(), locale);

    // Sente and Gote for the players where the user asks for them, in English only.
    useEnglishSides(EnglishSides::SenteGote);
    EXPECT_STREQ(translate("先手番"), "Sente to move");
    useEnglishSides(EnglishSides::BlackWhite);
    EXPECT_STREQ(translate("先手番"), "Black to move");

    ASSERT_TRUE(useLanguage(Language::Japanese, "tavrel", folder));
    useEnglishSides(EnglishSides::SenteGote);
    EXPECT_STREQ(translate("先手番"), "先手番");
    useEnglishSides(EnglishSides::BlackWhite);
    const char* text = "システム既定";
    EXPECT_EQ(translate(text), text);
}

}  // namespace
}  // namespace core
