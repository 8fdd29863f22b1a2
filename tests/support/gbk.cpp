#include "support/gbk.h"

#include <iconv.h>

#include <stdexcept>
#include <vector>

std::string Gbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
    std::vector<char> in(utf8.begin(), utf8.end());
    std::vector<char> out(utf8.size() * 2 + 4);
    char* src = in.data();
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) throw std::runtime_error("not GBK text: " + utf8);
    return std::string(out.data(), out.size() - dst_left);
}
