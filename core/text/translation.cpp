#include "core/text/translation.h"

#include <libintl.h>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace core {

namespace {

std::atomic<Language> g_language{Language::Japanese};
// The bound domain; written once at start-up before any translate().
std::string g_domain;

std::atomic<EnglishSides> g_sides{EnglishSides::BlackWhite};

// The English texts with the sides renamed, made once each and kept for the program's life (the
// callers hold the pointers). Workers translate too: the table is locked.
const char* renamedSides(const char* english) {
    static std::mutex lock;
    static std::unordered_map<const char*, std::unique_ptr<std::string>> made;
    std::lock_guard<std::mutex> hold(lock);
    std::unique_ptr<std::string>& text = made[english];
    if (!text) text = std::make_unique<std::string>(withEnglishSides(english, g_sides));
    return text->c_str();
}

bool isWordByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The language part of a locale name ("ja_JP.UTF-8" → "ja").
std::string_view languagePart(std::string_view locale) {
    const std::size_t end = locale.find_first_of("_.@");
    return locale.substr(0, end);
}

}  // namespace

std::string_view languageChoiceWord(LanguageChoice choice) {
    switch (choice) {
        case LanguageChoice::System:
            return "system";
        case LanguageChoice::Japanese:
            return "ja";
        case LanguageChoice::English:
            return "en";
    }
    return "system";
}

LanguageChoice languageChoiceFromWord(std::string_view word) {
    if (word == "ja") return LanguageChoice::Japanese;
    if (word == "en") return LanguageChoice::English;
    return LanguageChoice::System;
}

Language systemLanguage(const EnvironmentLookup& getenv) {
    auto value = [&getenv](const char* name) -> std::string_view {
        const char* v = getenv(name);
        return v ? std::string_view(v) : std::string_view();
    };
    // The locale of messages decides whether LANGUAGE counts at all: gettext ignores it in the
    // "C" locale, and so do we.
    std::string_view locale = value("LC_ALL");
    if (locale.empty()) locale = value("LC_MESSAGES");
    if (locale.empty()) locale = value("LANG");
    std::string_view language = languagePart(locale);
    if (language.empty() || language == "C" || language == "POSIX") return Language::Japanese;
    // A program of ours that turned itself to English set LANGUAGE for gettext and kept the
    // user's own value aside: a program it starts reads the user's.
    const char* kept = getenv(kKeptLanguageVariable);
    std::string_view list = kept ? std::string_view(kept) : value("LANGUAGE");
    if (!list.empty()) {
        std::string_view first = languagePart(list.substr(0, list.find(':')));
        if (!first.empty()) language = first;
    }
    return language == "ja" ? Language::Japanese : Language::English;
}

Language systemLanguage() {
    return systemLanguage([](const char* name) { return std::getenv(name); });
}

Language chosenLanguage(LanguageChoice choice, Language system) {
    switch (choice) {
        case LanguageChoice::Japanese:
            return Language::Japanese;
        case LanguageChoice::English:
            return Language::English;
        case LanguageChoice::System:
            break;
    }
    return system;
}

std::optional<std::string> localeFolderFor(const std::string& exeFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base(exeFolder);
    for (const fs::path& candidate : {base / "locale", base / ".." / "share" / "locale"}) {
        if (fs::is_directory(candidate, ec)) return fs::weakly_canonical(candidate, ec).string();
    }
    return std::nullopt;
}

bool useLanguage(Language language, const std::string& domain, const std::string& localeFolder) {
    if (language == Language::Japanese) {
        g_language = Language::Japanese;
        return true;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(fs::path(localeFolder) / "en" / "LC_MESSAGES" / (domain + ".mo"), ec)) {
        return false;
    }
    // gettext answers from LANGUAGE only outside the "C" locale; C.UTF-8 is always there.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0) {
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    }
    if (!std::getenv(kKeptLanguageVariable)) {
        const char* own = std::getenv("LANGUAGE");
        ::setenv(kKeptLanguageVariable, own ? own : "", 1);
    }
    ::setenv("LANGUAGE", "en", 1);
    if (!::bindtextdomain(domain.c_str(), localeFolder.c_str())) return false;
    ::bind_textdomain_codeset(domain.c_str(), "UTF-8");
    g_domain = domain;
    g_language = Language::English;
    return true;
}

Language currentLanguage() { return g_language; }

std::string_view englishSidesWord(EnglishSides sides) {
    return sides == EnglishSides::SenteGote ? "sente-gote" : "black-white";
}

EnglishSides englishSidesFromWord(std::string_view word) {
    return word == "sente-gote" ? EnglishSides::SenteGote : EnglishSides::BlackWhite;
}

void useEnglishSides(EnglishSides sides) { g_sides = sides; }

std::string withEnglishSides(std::string_view english, EnglishSides sides) {
    if (sides == EnglishSides::BlackWhite) return std::string(english);
    static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
        {"Black", "Sente"}, {"White", "Gote"},  {"black", "sente"},
        {"white", "gote"},  {"BLACK", "SENTE"}, {"WHITE", "GOTE"}};
    std::string out;
    out.reserve(english.size());
    std::size_t i = 0;
    while (i < english.size()) {
        bool replaced = false;
        if (i == 0 || !isWordByte(english[i - 1])) {
            for (const auto& [from, to] : kWords) {
                const std::size_t end = i + from.size();
                if (english.substr(i, from.size()) == from &&
                    (end == english.size() || !isWordByte(english[end]))) {
                    out += to;
                    i = end;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += english[i++];
    }
    return out;
}

const char* translate(const char* japanese) {
    if (g_language == Language::Japanese) return japanese;
    const char* english = ::dgettext(g_domain.c_str(), japanese);
    return g_sides == EnglishSides::BlackWhite ? english : renamedSides(english);
}

const char* translatePlural(const char* one, const char* many, unsigned long n) {
    if (g_language == Language::Japanese) return n == 1 ? one : many;
    const char* english = ::dngettext(g_domain.c_str(), one, many, n);
    return g_sides == EnglishSides::BlackWhite ? english : renamedSides(english);
}

}  // namespace core
