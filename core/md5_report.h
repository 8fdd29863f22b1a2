// The report of the MD5 button: the digest in three notations, "%02X ",
// "0x%02X," and "%02X", each under its heading.
#pragma once

#include <string>

#include "core/md5.h"

std::string Md5Report(const unsigned char (&digest)[MD5_DIGEST_SIZE]);
