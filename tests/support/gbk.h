// Test helper: the GBK bytes of a UTF-8 literal, by the C library's iconv,
// independent of the program's own tables.
#pragma once

#include <string>

std::string Gbk(const std::string& utf8);
