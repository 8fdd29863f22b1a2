// Texts between the workbench window's controls, the file system and the
// pages' logic: UTF-8 and Windows' UTF-16, and the line breaks of each.
#pragma once

#include <string>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
// A library's lines for an edit box or a static, whose line break is CR LF.
std::string WindowsLines(const std::string& text);
