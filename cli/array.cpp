#include "cli/array.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/subcommand_words.h"
#include "i18n/translate.h"
#include "workbench/c_array/c_array_reader.h"

const char kArrayUsageHint[] = "Usage: quobrix array [OPTIONS] [FILE]; quobrix array --help tells more";

namespace {

using i18n::Format;
using i18n::Tr;

// ---- The options -------------------------------------------------------

enum class ArrayInput { StandardInput, File, Text, HexDigits };

struct ArrayOptions {
    CArrayFormat format;
    bool reverse = false;
    bool char_is_signed = true;  // --char: as gcc on x86 and x86-64
    ArrayInput input = ArrayInput::StandardInput;
    std::string file;    // with File
    std::string text;    // of --text or --hex
    std::string output;  // -o's FILE; empty: standard output
};

// What the parser fills.
struct ArrayWords {
    std::vector<std::string> files;
    std::string name, type, per_line, text, hex, output, char_sign;
    CLI::Option* name_option = nullptr;
    CLI::Option* type_option = nullptr;
    CLI::Option* char_option = nullptr;
    CLI::Option* per_line_option = nullptr;
    CLI::Option* text_option = nullptr;
    CLI::Option* hex_option = nullptr;
    CLI::Option* output_option = nullptr;
    CLI::Option* decimal = nullptr;
    CLI::Option* is_static = nullptr;
    CLI::Option* is_mutable = nullptr;
    CLI::Option* header = nullptr;
    CLI::Option* crc = nullptr;
    CLI::Option* pad = nullptr;
    CLI::Option* reverse = nullptr;
};

bool Complete(const ArrayWords& words, const CLI::App& chosen, ArrayOptions& options, std::string& error);
int RunArray(const ArrayOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupArray(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kArraySummary, kArrayGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<ArrayWords>();
    given->name_option = sub->add_option("--name", given->name);
    given->type_option = sub->add_option("--type", given->type);
    given->char_option = sub->add_option("--char", given->char_sign);
    given->per_line_option = sub->add_option("--per-line", given->per_line);
    given->text_option = sub->add_option("--text", given->text);
    given->hex_option = sub->add_option("--hex", given->hex);
    given->output_option = sub->add_option("-o,--output", given->output);
    given->decimal = sub->add_flag("--decimal")->disable_flag_override();
    given->is_static = sub->add_flag("--static")->disable_flag_override();
    given->is_mutable = sub->add_flag("--mutable")->disable_flag_override();
    given->header = sub->add_flag("--header")->disable_flag_override();
    given->crc = sub->add_flag("--crc")->disable_flag_override();
    given->pad = sub->add_flag("--pad")->disable_flag_override();
    given->reverse = sub->add_flag("--reverse")->disable_flag_override();
    AddAllWords(*sub, "FILE", given->files);
    return OneSubcommandParse<ArrayWords, ArrayOptions>(sub, given, name, Complete, RunArray);
}

bool FlushArrayText(const CliEnvironment& env, std::string& out, bool at_end) {
    // Large enough that a write costs little beside the formatting.
    constexpr std::size_t kFlushBytes = std::size_t{1} << 18;
    // A cancelled run ends as a failed write does: nothing more goes out,
    // and a file being written is not kept.
    if (env.cancelled && env.cancelled()) return false;
    if (!env.write_stdout || (!at_end && out.size() < kFlushBytes)) return true;
    // A failed write leaves the text in `out`: the final write says why.
    if (!env.write_stdout(out)) return false;
    out.clear();
    return true;
}

namespace {

// ---- Judging the command line ------------------------------------------

bool CompleteType(const ArrayWords& words, ArrayOptions& options, std::string& error) {
    if (words.type_option->count() == 0) return true;
    static const struct {
        const char* name;
        int size;
        bool big_endian;
    } kTypes[] = {{"u8", 1, false}, {"u16le", 2, false}, {"u16be", 2, true}, {"u32le", 4, false}, {"u32be", 4, true}};
    for (const auto& type : kTypes) {
        if (words.type == type.name) {
            options.format.element_size = type.size;
            options.format.big_endian = type.big_endian;
            return true;
        }
    }
    error = Format(Tr("--type '%1$s' is none of u8 u16le u16be u32le u32be"), {EscapeBytes(words.type)});
    return false;
}

bool CompletePerLine(const ArrayWords& words, ArrayOptions& options, std::string& error) {
    if (words.per_line_option->count() == 0) return true;
    constexpr int kMaxPerLine = 1000;
    int value = 0;
    bool number = !words.per_line.empty() && words.per_line.size() <= 4;
    for (const char c : words.per_line) {
        number = number && c >= '0' && c <= '9';
        if (number) value = value * 10 + (c - '0');
    }
    if (!number || value < 1 || value > kMaxPerLine) {
        error = Format(Tr("--per-line '%1$s' is no number from 1 to %2$s"),
                       {EscapeBytes(words.per_line), std::to_string(kMaxPerLine)});
        return false;
    }
    options.format.per_line = value;
    return true;
}

bool CompleteInput(const ArrayWords& words, ArrayOptions& options, std::string& error) {
    const bool text = words.text_option->count() > 0, hex = words.hex_option->count() > 0;
    if (text && hex) {
        error = Tr("--text and --hex exclude each other");
        return false;
    }
    if ((text || hex) && !words.files.empty()) {
        error = Tr("--text and --hex take no FILE");
        return false;
    }
    if (words.files.size() > 1) {
        error = Tr("one FILE at most: an array each is a command each");
        return false;
    }
    if (hex && options.reverse) {
        error = Tr("--reverse reads C text: FILE, standard input or --text");
        return false;
    }
    if (text) {
        options.input = ArrayInput::Text;
        options.text = words.text;
    } else if (hex) {
        options.input = ArrayInput::HexDigits;
        options.text = words.hex;
    } else if (!words.files.empty() && words.files.front() != "-") {
        options.input = ArrayInput::File;
        options.file = words.files.front();
    }
    return true;
}

bool Complete(const ArrayWords& words, const CLI::App& chosen, ArrayOptions& options, std::string& error) {
    options.reverse = words.reverse->count() > 0;
    if (options.reverse) {
        // Only --type and the input say anything about bytes to come.
        for (const CLI::Option* option : chosen.get_options()) {
            if (option->count() == 0 || option == words.reverse || option == words.type_option ||
                option == words.char_option ||
                option == words.text_option || option == words.hex_option || option == words.output_option ||
                option->get_name().empty() || option->get_name() == "FILE") {
                continue;
            }
            error = Format(Tr("%1$s shapes the C text; --reverse reads it and takes only --type and --char"),
                           {option->get_name()});
            return false;
        }
    }
    if (words.char_option->count() > 0) {
        if (!options.reverse) {
            error = Tr("--char goes with --reverse: it says how character literals are read");
            return false;
        }
        if (words.char_sign != "signed" && words.char_sign != "unsigned") {
            error = Format(Tr("--char '%1$s' is neither signed nor unsigned"), {EscapeBytes(words.char_sign)});
            return false;
        }
        options.char_is_signed = words.char_sign == "signed";
    }
    if (!CompleteType(words, options, error) || !CompletePerLine(words, options, error) ||
        !CompleteInput(words, options, error)) {
        return false;
    }
    CArrayFormat& format = options.format;
    if (words.name_option->count() > 0) {
        format.name = words.name;
    } else if (options.input == ArrayInput::File) {
        format.name = CArrayNameFromPath(options.file);
    }
    format.decimal = words.decimal->count() > 0;
    format.is_static = words.is_static->count() > 0;
    format.is_const = words.is_mutable->count() == 0;
    format.header = words.header->count() > 0;
    format.crc = words.crc->count() > 0;
    format.pad = words.pad->count() > 0;
    // Known once the type is: <stdint.h>'s names are kept only where it is included.
    const std::string problem = options.reverse ? "" : CArrayNameProblem(format.name, format);
    if (!problem.empty() && words.name_option->count() > 0) {
        error = Format(Tr("--name '%1$s' %2$s"), {EscapeBytes(format.name), problem});
        return false;
    }
    if (!problem.empty()) {
        error = Format(Tr("the array's name '%1$s', made from FILE '%2$s', %3$s: give one with --name"),
                       {format.name, EscapeBytes(options.file), problem});
        return false;
    }
    if (words.output_option->count() > 0 && words.output != "-") {
        if (words.output.empty()) {
            error = Tr("-o takes a FILE name, or - for standard output");
            return false;
        }
        options.output = words.output;
    }
    return true;
}

// ---- The run -----------------------------------------------------------

std::string InputName(const ArrayOptions& options) {
    switch (options.input) {
        case ArrayInput::StandardInput:
            return Tr("standard input");
        case ArrayInput::File:
            return EscapeBytes(options.file);
        case ArrayInput::Text:
            return "--text";
        case ArrayInput::HexDigits:
            return "--hex";
    }
    return "";
}

// A failed read, after the input's name; hex digits name their own place.
std::string ReadErrorLine(const ArrayOptions& options, const std::string& error) {
    return kPrefix + (options.input == ArrayInput::HexDigits ? "" : InputName(options) + ": ") + error + "\n";
}

// Passes the input's bytes to `consume`, a block at a time; false with why
// it could not be read.
bool ReadInput(const ArrayOptions& options, const CliEnvironment& env, const ConsumeBlock& consume,
               std::string& error) {
    switch (options.input) {
        case ArrayInput::StandardInput:
            return env.stream_stdin(consume, error);
        case ArrayInput::File:
            return env.stream_file(options.file, consume, error);
        case ArrayInput::Text:
            consume(options.text.data(), options.text.size());
            return true;
        case ArrayInput::HexDigits: {
            std::vector<unsigned char> bytes;
            if (!ReadHexBytes(options.text, "--hex", bytes, error)) return false;
            consume(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            return true;
        }
    }
    return false;
}

int RunReverse(const ArrayOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    if (env.stdout_is_terminal) {
        err += kPrefix + Tr("--reverse writes bytes, not text: send standard output to a file (> data.bin)") + "\n";
        return kExitUsage;
    }
    CArrayReader reader(options.format.element_size, options.format.big_endian, options.char_is_signed);
    bool parsed = true, written = true;
    reader.SetFlush([&](std::string& bytes) { return written = FlushArrayText(env, bytes, false); });
    const ConsumeBlock consume = [&](const char* text, std::size_t size) {
        if (!parsed || !written) return;
        parsed = reader.Feed(text, size, out);
        if (written) written = FlushArrayText(env, out, false);
    };
    std::string error;
    if (!ReadInput(options, env, consume, error)) {
        err += ReadErrorLine(options, error);
        return kExitUsage;
    }
    if (!written) return kExitUsage;
    if (!parsed || !reader.Finish(out)) {
        if (!written) return kExitUsage;  // the write said why
        err += ErrorLines(InputName(options) + ": " + reader.error());
        return kExitUsage;
    }
    return FlushArrayText(env, out, true) ? kExitReport : kExitUsage;
}

int RunForward(const ArrayOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    CArrayWriter writer(options.format);
    // The declaration waits for the first block: a file that cannot be
    // opened leaves nothing on standard output.
    bool begun = false;
    const auto begin = [&]() {
        if (!begun) writer.Begin(out);
        begun = true;
    };
    bool written = true;
    const ConsumeBlock consume = [&](const char* bytes, std::size_t size) {
        if (!written) return;
        begin();
        writer.Bytes(bytes, size, out);
        written = FlushArrayText(env, out, false);
    };
    std::string error;
    if (!ReadInput(options, env, consume, error)) {
        err += ReadErrorLine(options, error);
        return kExitUsage;
    }
    if (!written) return kExitUsage;
    begin();
    if (!writer.End(out, error)) {
        err += kPrefix + InputName(options) + ": " +
               Format(Tr("%1$s (--pad fills the last element with zeros)"), {error}) + "\n";
        return kExitUsage;
    }
    return FlushArrayText(env, out, true) ? kExitReport : kExitUsage;
}

// -o FILE: what would go to standard output goes to FILE instead, and only
// if all of it does: an error midway leaves FILE as it was (a device or a
// FIFO is written through; cli/output_file.h tells each case).
int RunToFile(const ArrayOptions& options, const CliEnvironment& env, std::string& err) {
    return RunIntoOutputFile(options.output, env, err, [&](const CliEnvironment& to_file, std::string& text) {
        return options.reverse ? RunReverse(options, to_file, text, err) : RunForward(options, to_file, text, err);
    });
}

int RunArray(const ArrayOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    if (!options.output.empty()) return RunToFile(options, env, err);
    return options.reverse ? RunReverse(options, env, out, err) : RunForward(options, env, out, err);
}

}  // namespace

const CliCommand kArrayCommand = {"array", SetupArray, ArrayHelpSection, ArrayHelp, kArrayUsageHint};
