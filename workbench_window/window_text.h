// The workbench window's texts: their line breaks, and the small files it
// writes (its settings, a CRC's C source).
#pragma once

#include <string>

// A library's lines for an edit box or a static, whose line break is CR LF.
std::string WindowsLines(const std::string& text);

// `bytes` written to the file `path` names as quobrix -o writes: whole or
// not at all, and a link, a file of several names or a file's mode kept
// (cli/output_file.h). A write cut short (a full disk, the session ending)
// leaves the file as it was.
bool WriteSmallFile(const std::string& path, const std::string& bytes);
