#include "tests/window/gbk.h"

#include <windows.h>

#include <cstdio>

namespace window_test {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring Widen(const std::string& bytes, UINT code_page) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT code_page) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], n,
                        nullptr, nullptr);
    return bytes;
}

}  // namespace

std::string Gbk(const std::string& utf8) { return Narrow(Widen(utf8, CP_UTF8), kGbkCodePage); }

std::string Show(const std::string& gbk) {
    // Long texts (the 20 KB inputs) are cut for the failure message.
    constexpr size_t kShownBytes = 160;
    const std::string head = gbk.substr(0, kShownBytes);
    std::string shown = "\"" + Narrow(Widen(head, kGbkCodePage), CP_UTF8) + "\"";
    if (gbk.size() > kShownBytes) shown += "...";
    bool plain = true;
    for (unsigned char c : gbk) plain = plain && c >= 0x20 && c < 0x7F;
    if (!plain && gbk.size() <= 64) {
        shown += " [";
        for (unsigned char c : gbk) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", c);
            shown += hex;
        }
        shown.back() = ']';
    } else if (!plain) {
        shown += " [" + std::to_string(gbk.size()) + " bytes]";
    }
    return shown;
}

}  // namespace window_test
