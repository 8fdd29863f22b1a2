#include "cli/input.h"

#include "cli/messages.h"
#include "codepage/gbk_codec.h"

namespace {

const std::string kUtf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

InputPath PathOf(const CliTool& tool, InputFormat format) {
    switch (tool.input) {
        case ToolInput::ByFormatOption:
            return format == InputFormat::Hex ? InputPath::HexDigits : InputPath::Characters;
        case ToolInput::Characters:
            return InputPath::Characters;
        case ToolInput::HexDigits:
            return InputPath::HexDigits;
        case ToolInput::Text:
            return InputPath::Text;
    }
    return InputPath::Text;
}

bool InputToGbk(const std::string& input, bool input_is_gbk, bool was_cut, std::string& gbk, std::string& err) {
    const std::size_t nul = input.find('\0');
    if (nul != std::string::npos) {
        err += kPrefix + "the input holds a NUL byte at byte offset " + std::to_string(nul) +
               "; the input box cannot hold one\n";
        return false;
    }
    if (input_is_gbk) {
        gbk = input;
        return true;
    }
    const bool marked = input.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0;
    const std::size_t start = marked ? kUtf8ByteOrderMark.size() : 0;
    std::size_t offset = 0;
    const Utf8ToGbkResult result = marked ? Utf8ToGbk(input.substr(start), gbk, offset) : Utf8ToGbk(input, gbk, offset);
    offset += start;  // offsets count the bytes as given
    switch (result) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            // A sequence that starts too near the end to be whole was cut by
            // the read limit; `gbk` holds the text before it.
            if (was_cut && offset + kUtf8BytesPerCharacterAtMost > input.size()) return true;
            err += kPrefix + "the input is not valid UTF-8 at byte offset " + std::to_string(offset) +
                   " (use --gbk for GBK bytes)\n";
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            err += kPrefix + "the character at byte offset " + std::to_string(offset) +
                   " of the input has no GBK (code page 936) form\n";
            return false;
    }
    return false;
}
