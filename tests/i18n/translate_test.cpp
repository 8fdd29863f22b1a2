// Messages in the user's language: the language the locale's variables
// choose, the compiled catalogue's lookup, and arguments placed by position.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "i18n/catalogue.h"
#include "i18n/translate.h"

namespace {

using i18n::Language;

// Restores English, the language every other test expects.
struct ChineseForATest {
    ChineseForATest() { i18n::SetLanguage(Language::kChinese); }
    ~ChineseForATest() { i18n::SetLanguage(Language::kEnglish); }
};

Language Chosen(const std::map<std::string, std::string>& variables) {
    return i18n::LanguageFromVariables([&variables](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    });
}

}  // namespace

// GNU gettext's order: LC_ALL, LC_MESSAGES, LANG for the locale; LANGUAGE's
// list in its stead, except in the C locale, where messages stay
// untranslated.
TEST(Language, ChosenAsGnuGettextChoosesIt) {
    const struct {
        std::map<std::string, std::string> variables;
        Language expected;
    } cases[] = {
        {{}, Language::kEnglish},
        {{{"LANG", "zh_CN.UTF-8"}}, Language::kChinese},
        {{{"LANG", "zh_TW.Big5"}}, Language::kChinese},
        {{{"LANG", "en_GB.UTF-8"}}, Language::kEnglish},
        {{{"LANG", "fr_FR.UTF-8"}}, Language::kEnglish},  // no catalogue: the code's own English
        {{{"LC_ALL", "C"}, {"LANG", "zh_CN.UTF-8"}}, Language::kEnglish},
        {{{"LC_ALL", "C.UTF-8"}, {"LANG", "zh_CN.UTF-8"}}, Language::kEnglish},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "zh_CN"}}, Language::kChinese},  // not the C locale to glibc
        {{{"LC_ALL", "POSIX"}, {"LANGUAGE", "zh_CN"}}, Language::kEnglish},
        {{{"LANGUAGE", "zh_CN"}}, Language::kEnglish},  // no locale at all is C's
        {{{"LC_ALL", ""}, {"LANG", "zh_CN.UTF-8"}}, Language::kChinese},  // empty is unset
        {{{"LC_MESSAGES", "zh_CN.GBK"}, {"LANG", "en_US.UTF-8"}}, Language::kChinese},
        {{{"LC_ALL", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}}, Language::kEnglish},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_CN:en"}}, Language::kChinese},
        {{{"LC_ALL", "zh_CN.UTF-8"}, {"LANGUAGE", "en"}}, Language::kEnglish},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:de:zh"}}, Language::kChinese},
        {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "fr:de"}}, Language::kEnglish},  // the list stands for the locale
        {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", ""}}, Language::kChinese},
        {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "::en_GB"}}, Language::kEnglish},
        {{{"LANG", "zh@pinyin"}}, Language::kChinese},
        {{{"LANG", "zhx_CN"}}, Language::kEnglish},
        {{{"LANG", "Chinese"}}, Language::kEnglish},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& [name, value] : c.variables) shown += name + "=" + value + " ";
        EXPECT_EQ(Chosen(c.variables), c.expected) << shown;
    }
}

TEST(Format, ArgumentsGoWhereTheirPositionsSay) {
    EXPECT_EQ(i18n::Format("%1$s of %2$s", {"3", "5"}), "3 of 5");
    EXPECT_EQ(i18n::Format("%2$s 中的 %1$s", {"3", "5"}), "5 中的 3");
    EXPECT_EQ(i18n::Format("%1$s and %1$s", {"x"}), "x and x");
    EXPECT_EQ(i18n::Format("100%% of %1$s", {"it"}), "100% of it");
    // An argument's own text is not read again for positions.
    EXPECT_EQ(i18n::Format("%1$s|%2$s", {"%2$s", "b"}), "%2$s|b");
    // What names no argument stays as it is: a translation's fault shows.
    EXPECT_EQ(i18n::Format("%3$s %1$d %s %", {"a", "b"}), "%3$s %1$d %s %");
    EXPECT_EQ(i18n::Format("", {}), "");
}

TEST(Catalogue, EveryEntryIsFoundByItsMsgid) {
    ASSERT_GT(i18n::kChineseCatalogue.size, 0u);
    const ChineseForATest chinese;
    for (std::size_t i = 0; i < i18n::kChineseCatalogue.size; ++i) {
        const i18n::CatalogueEntry& entry = i18n::kChineseCatalogue.entries[i];
        EXPECT_STREQ(i18n::Tr(entry.msgid), entry.msgstr) << entry.msgid;
        if (i > 0) {
            EXPECT_LT(std::strcmp(i18n::kChineseCatalogue.entries[i - 1].msgid, entry.msgid), 0);
        }
    }
}

TEST(Catalogue, EnglishIsTheCodesOwnAndChineseItsTranslation) {
    const char* msgid = "more frames";
    EXPECT_EQ(i18n::Tr(msgid), msgid);
    EXPECT_STREQ(i18n::TrN("%1$s fits", "%1$s fit", 1), "%1$s fits");
    EXPECT_STREQ(i18n::TrN("%1$s fits", "%1$s fit", 0), "%1$s fit");
    EXPECT_STREQ(i18n::TrN("%1$s fits", "%1$s fit", 2), "%1$s fit");
    const ChineseForATest chinese;
    EXPECT_STREQ(i18n::Tr(msgid), "更多的帧");
    // One form in Chinese, whatever the count.
    EXPECT_STREQ(i18n::TrN("%1$s fits", "%1$s fit", 1), i18n::TrN("%1$s fits", "%1$s fit", 7));
    // A message no catalogue has stays English.
    const char* unknown = "a message nobody translated";
    EXPECT_EQ(i18n::Tr(unknown), unknown);
    EXPECT_STREQ(i18n::TrN("one thing", "many things", 3), "many things");
}
