// What the command line says on standard error besides the tools' own messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every line the command line writes to standard error starts with it.
extern const std::string kPrefix;

// `bytes` fit to echo in a message: valid UTF-8 stays as it is, every other
// byte and every control character becomes \xHH.
std::string EscapeBytes(const std::string& bytes);

// A library's error of one or more lines as standard error shows it: each
// line prefixed, its bytes escaped, ended by a line feed.
std::string ErrorLines(const std::string& error);

// And back, for a face that shows the messages itself: each line of `text`
// without kPrefix and its line feed.
std::vector<std::string> MessageLines(const std::string& text);

// `text` as a JSON string: quotes and backslashes escaped, control
// characters as \u00XX, every other byte as it is.
std::string JsonString(std::string_view text);
