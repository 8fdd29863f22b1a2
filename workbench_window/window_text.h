// The line breaks of the workbench window's texts.
#pragma once

#include <string>

// A library's lines for an edit box or a static, whose line break is CR LF.
std::string WindowsLines(const std::string& text);
