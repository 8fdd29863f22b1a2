#include "i18n/translate.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "i18n/catalogue.h"

namespace i18n {

namespace {

std::atomic<Language> g_language{Language::kEnglish};

// A locale name's language: "zh_CN.UTF-8" zh, "en_GB" en; anything else
// none, so that the next name is tried.
bool LanguageOfName(std::string_view name, Language& language) {
    const std::string_view code = name.substr(0, name.find_first_of("_.@"));
    if (code == "zh") {
        language = Language::kChinese;
        return true;
    }
    if (code == "en") {
        language = Language::kEnglish;
        return true;
    }
    return false;
}

const char* Lookup(const char* msgid) {
    if (g_language.load(std::memory_order_relaxed) != Language::kChinese) return nullptr;
    const CatalogueEntry* begin = kChineseCatalogue.entries;
    const CatalogueEntry* end = begin + kChineseCatalogue.size;
    const CatalogueEntry* found = std::lower_bound(
        begin, end, msgid, [](const CatalogueEntry& entry, const char* id) { return std::strcmp(entry.msgid, id) < 0; });
    // An entry translated as nothing is untranslated, as gettext takes it.
    if (found == end || std::strcmp(found->msgid, msgid) != 0 || *found->msgstr == '\0') return nullptr;
    return found->msgstr;
}

}  // namespace

void SetLanguage(Language language) { g_language.store(language, std::memory_order_relaxed); }

Language CurrentLanguage() { return g_language.load(std::memory_order_relaxed); }

Language LanguageFromVariables(const std::function<const char*(const char*)>& get) {
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = get(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    // glibc ignores LANGUAGE in the C locale alone: C.UTF-8 is a locale
    // like any other there.
    if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) {
        return Language::kEnglish;
    }
    Language language = Language::kEnglish;
    const char* list = get("LANGUAGE");
    if (list == nullptr || *list == '\0') {
        LanguageOfName(locale, language);
        return language;
    }
    // A list stands in for the locale: a language it does not name stays
    // untranslated, as glibc leaves it.
    for (std::string_view rest = list; !rest.empty();) {
        const std::size_t colon = std::min(rest.find(':'), rest.size());
        if (LanguageOfName(rest.substr(0, colon), language)) return language;
        rest.remove_prefix(std::min(colon + 1, rest.size()));
    }
    return Language::kEnglish;
}

const char* Tr(const char* msgid) {
    const char* translated = Lookup(msgid);
    return translated != nullptr ? translated : msgid;
}

const char* TrN(const char* singular, const char* plural, unsigned long long count) {
    // A plural message is filed under its singular, as msgfmt files it.
    const char* translated = Lookup(singular);
    if (translated != nullptr) return translated;
    return count == 1 ? singular : plural;
}

std::string Format(const char* pattern, std::initializer_list<std::string> arguments) {
    std::string text;
    for (const char* at = pattern; *at != '\0'; ++at) {
        if (at[0] == '%' && at[1] == '%') {
            text += '%';
            ++at;
            continue;
        }
        const bool placed = at[0] == '%' && at[1] >= '1' && at[1] <= '9' && at[2] == '$' && at[3] == 's';
        const std::size_t index = placed ? static_cast<std::size_t>(at[1] - '1') : 0;
        if (placed && index < arguments.size()) {
            text += arguments.begin()[index];
            at += 3;
            continue;
        }
        text += *at;
    }
    return text;
}

}  // namespace i18n
