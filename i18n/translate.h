// Messages in the user's language. Every message a face shows is written in
// English in the code, as gettext's msgid, and looked up in the catalogue of
// the language chosen for the process (i18n/po/*.po, compiled into the
// program when it is built, so Linux, Windows and the page read the same
// catalogues without libintl). A message the catalogue lacks stays English.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

namespace i18n {

enum class Language { kEnglish, kChinese };

// The language of this process's messages, English until set. Set it before
// the work starts; any thread may read it.
void SetLanguage(Language language);
Language CurrentLanguage();

// The language GNU gettext would speak for LC_MESSAGES, from the variables
// `get` returns (null when unset): the locale is the first set of LC_ALL,
// LC_MESSAGES and LANG; in the C or POSIX locale, or none, messages are
// English whatever LANGUAGE says (C.UTF-8 is no such locale to glibc);
// else LANGUAGE's list (zh_CN:en), when set, is tried in its order in the
// locale's stead, and without it the locale's language speaks. A language
// with no catalogue is English.
Language LanguageFromVariables(const std::function<const char*(const char*)>& get);

// `msgid` in the current language.
const char* Tr(const char* msgid);
// ngettext: `singular` or `plural` as `count` needs, in the current language.
const char* TrN(const char* singular, const char* plural, unsigned long long count);

// `pattern` with its arguments in place: %1$s to %9$s stand for the first to
// the ninth, %% for a percent sign. Positions let a translation put the
// arguments in its own order; msgfmt --check holds each catalogue to its
// msgid's arguments.
std::string Format(const char* pattern, std::initializer_list<std::string> arguments);

}  // namespace i18n
