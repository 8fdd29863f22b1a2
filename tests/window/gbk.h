// Expected texts are written as UTF-8 literals in the tests and compared as
// the GBK bytes (code page 936) that the program's windows hold.
#pragma once

#include <string>

namespace window_test {

// The GBK bytes of a UTF-8 text, converted by the system's code page 936.
std::string Gbk(const std::string& utf8);

// A readable rendering of GBK bytes for failure messages: the UTF-8 text,
// followed by the bytes in hex when they are not all printable ASCII.
std::string Show(const std::string& gbk);

}  // namespace window_test
