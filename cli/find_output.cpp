#include "cli/find_output.h"

#include "workbench/crc/model_text.h"

namespace {

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char kDigits[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += kDigits[c >> 4];
            quoted += kDigits[c & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

const char* JsonBool(bool value) { return value ? "true" : "false"; }

std::string OrderWord(const FrameMatch& match) { return CheckOrderWord(match.order, match.method.byte_count()); }

std::string JsonObject(const FrameMatch& match) {
    const CheckMethod& method = match.method;
    std::string object = "{\"name\": " + (match.recovered ? std::string("null") : JsonString(method.Label())) +
                         ", \"width\": " + std::to_string(method.width());
    if (method.is_crc()) {
        const CrcParams& p = method.crc_params();
        object += ", \"poly\": \"" + CrcCatalogueNumber(p.poly, p.width) + "\", \"init\": \"" +
                  CrcCatalogueNumber(p.init, p.width) + "\", \"refin\": " + JsonBool(p.refin) +
                  ", \"refout\": " + JsonBool(p.refout) + ", \"xorout\": \"" +
                  CrcCatalogueNumber(p.xorout, p.width) + "\"";
    }
    return object + ", \"order\": \"" + OrderWord(match) + "\", \"head\": " + std::to_string(match.head) +
           ", \"tail\": " + std::to_string(match.tail) + ", \"recovered\": " + JsonBool(match.recovered) + "}";
}

}  // namespace

std::string FindLine(const FrameMatch& match) {
    // A recovered CRC's line is set off by two blanks, as its words are many.
    const std::string gap = match.recovered ? "  " : " ";
    return match.method.Label() + gap + OrderWord(match) + " head=" + std::to_string(match.head) +
           " tail=" + std::to_string(match.tail);
}

std::string FindJson(const std::vector<FrameMatch>& matches) {
    if (matches.empty()) return "[]\n";
    std::string json = "[\n";
    for (std::size_t i = 0; i < matches.size(); ++i) {
        json += "  " + JsonObject(matches[i]) + (i + 1 < matches.size() ? ",\n" : "\n");
    }
    return json + "]\n";
}
