// Every catalogued CRC on every way this program computes one: the bit-serial
// reference, the engine on each path this processor offers and on its own
// choice, the one-table CRC of frames, the frames' named checks, the check
// values written for a model line, and the emitted C compiled by the host's
// compiler and run. Each must give the catalogue's published check and
// residue; a failure names the model, the path and what was asked.
//
// The check text alone is too short for the folding paths, so it is also
// sent after a prefix of a few KiB (a ramp through every table entry, random
// bytes, then bits that bring the register back to init): the CRC of the
// whole is still the published check, and every path folds on the way.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "workbench/crc/bitwise.h"
#include "workbench/crc/byte_table.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/check_values.h"
#include "workbench/crc/emit_c.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/frames/check_method.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Hex(Uint128 value) { return CrcHexDigits(value, 128, false); }

const Bytes kCheckText = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

// One message for every path: its bytes in pieces, the register carried from
// one to the next.
struct Message {
    std::string what;
    bool from_zero = false;  // the register starts at zero instead of init
    std::vector<Bytes> pieces;
    // Whether the CRC XORed with xorout is the residue; otherwise the CRC is
    // the check.
    bool residue = false;
};

// The register in normal form after `bits` more bits of `bytes` (in the
// order they are sent), from `reg`.
Uint128 RunBits(const CrcParams& p, Uint128 reg, const Bytes& bytes, std::size_t bits) {
    for (std::size_t n = 0; n < bits; ++n) reg = crc_bitwise::FeedBit(p, reg, crc_bitwise::ByteBit(p, bytes[n / 8], static_cast<int>(n % 8)));
    return reg;
}

// Undoes one zero bit: the register fed a zero bit gives `reg`. The
// polynomial's lowest bit is set, so the lowest bit of `reg` tells whether
// it came in, and with it the bit that left at the top.
Uint128 UnfeedZero(const CrcParams& p, Uint128 reg) {
    const bool top = reg.Bit(0);
    const Uint128 shifted = top ? reg ^ p.poly : reg;
    return (shifted >> 1) | (top ? Uint128{1} << (p.width - 1) : Uint128{});
}

// `size` bytes (at least 512 + width/8 + 1) after which the register is init
// again: 512 bytes that reach every table entry (0 to 255, then down again),
// random bytes, and last the `width` bits c that make x^width * (R + c) mod P
// equal init, R being the register before them; feeding bits c into R is
// that product.
Bytes BackToInit(const CrcParams& p, std::mt19937_64& random, std::size_t size) {
    EXPECT_TRUE(p.poly.Bit(0)) << "a polynomial without x^0 cannot be run backwards";
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(i < 256 ? i : i < 512 ? 511 - i : random());
    }
    const std::size_t free_bits = 8 * size - static_cast<std::size_t>(p.width);
    const Uint128 before = RunBits(p, p.init, bytes, free_bits);
    Uint128 target = p.init;
    for (int n = 0; n < p.width; ++n) target = UnfeedZero(p, target);
    const Uint128 bits = target ^ before;
    for (int n = 0; n < p.width; ++n) {
        const std::size_t at = free_bits + static_cast<std::size_t>(n);
        const unsigned mask = 1u << (p.refin ? at % 8 : 7 - at % 8);
        unsigned char& byte = bytes[at / 8];
        byte = static_cast<unsigned char>(bits.Bit(p.width - 1 - n) ? byte | mask : byte & ~mask);
    }
    return bytes;
}

// The `width` bits of `value`, top first, after zero bits that pad them to
// whole bytes, in bytes whose bits go out in the model's order.
Bytes PackBits(const CrcParams& p, Uint128 value) {
    const int pad = (8 - p.width % 8) % 8;
    Bytes bytes((pad + p.width) / 8);
    for (int n = 0; n < p.width; ++n) {
        const int at = pad + n;
        if (value.Bit(p.width - 1 - n)) bytes[at / 8] |= static_cast<unsigned char>(1u << (p.refin ? at % 8 : 7 - at % 8));
    }
    return bytes;
}

std::vector<Bytes> SplitAt(const Bytes& bytes, std::vector<std::size_t> splits) {
    splits.push_back(0);
    splits.push_back(bytes.size());
    std::sort(splits.begin(), splits.end());
    std::vector<Bytes> pieces;
    for (std::size_t s = 0; s + 1 < splits.size(); ++s) {
        pieces.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(splits[s]),
                            bytes.begin() + static_cast<std::ptrdiff_t>(splits[s + 1]));
    }
    return pieces;
}

std::vector<Message> MessagesFor(const CrcModel& model, std::mt19937_64& random) {
    const CrcParams& p = model.params;
    std::vector<Message> messages;
    messages.push_back({"the check text", false, {kCheckText}, false});
    messages.push_back({"the check text in pieces", false, {{}, {'1', '2', '3', '4'}, {'5', '6', '7', '8', '9'}}, false});

    Bytes long_text = BackToInit(p, random, 2048 + random() % 1024);
    long_text.insert(long_text.end(), kCheckText.begin(), kCheckText.end());
    messages.push_back({"the check text after " + std::to_string(long_text.size() - 9) + " bytes", false,
                        {long_text}, false});
    // One split inside the ramp, the others anywhere.
    std::vector<std::size_t> splits = {301};
    for (int s = 0; s < 3; ++s) splits.push_back(random() % (long_text.size() + 1));
    messages.push_back({"the same in pieces", false, SplitAt(long_text, splits), false});

    // After a message and its CRC the register is the final XOR (in normal
    // form) times x^width: the CRC cancels the message's register. From a
    // zero register, zero bits change nothing, so the XOR's bits padded in
    // front to whole bytes leave that register for any width.
    messages.push_back({"the final XOR's bits from a zero register", true,
                        {PackBits(p, p.refout ? ReflectLowBits(p.xorout, p.width) : p.xorout)}, true});
    if (p.width % 8 == 0) {
        // A real codeword: the check text and its check value, as sent.
        Bytes codeword = kCheckText;
        const Bytes crc = PackBits(p, p.refout ? ReflectLowBits(model.check, p.width) : model.check);
        codeword.insert(codeword.end(), crc.begin(), crc.end());
        messages.push_back({"the check text and its check", false, {codeword}, true});
    }
    return messages;
}

// What a path says of one model: for each message, the check or the
// residue, as the message asks; a path that takes no messages answers only
// what it can, the rest left empty.
struct Answer {
    bool given = false;
    Uint128 value;
};
using Answers = std::vector<Answer>;

// The value a message asks for, from the CRC a path delivered.
Answer Asked(const CrcParams& p, const Message& message, Uint128 crc) {
    return {true, message.residue ? crc ^ p.xorout : crc};
}

// A path with Start, Update and Finish, as the engine, the byte table and
// the frames' checks have them.
template <typename Crc, typename Register>
Answers RunMessages(const CrcParams& p, const Crc& crc, Register zero, const std::vector<Message>& messages) {
    Answers answers;
    for (const Message& message : messages) {
        Register reg = message.from_zero ? zero : crc.Start();
        for (const Bytes& piece : message.pieces) reg = crc.Update(reg, piece.data(), piece.size());
        answers.push_back(Asked(p, message, crc.Finish(reg)));
    }
    return answers;
}

struct Path {
    std::string name;
    std::function<Answers(std::size_t model, const std::vector<Message>&)> run;
};

std::string PathName(CrcPath path) {
    switch (path) {
        case CrcPath::kTables: return "tables";
        case CrcPath::kPclmul: return "PCLMULQDQ";
        case CrcPath::kVpclmul512: return "VPCLMULQDQ on 512 bits";
    }
    return "path " + std::to_string(static_cast<int>(path));
}

// The emitted C of every model in one program, compiled as C99 (and checked
// as C++) with every warning an error, fed the messages on its standard
// input: for each model in turn, the number of messages, and for each the
// number of pieces, then each piece as a 4-byte length (lowest byte first)
// and its bytes. It prints each CRC as 32 hex digits on a line of its own.
class EmittedCatalogue {
public:
    EmittedCatalogue() {
        char dir_template[] = "/tmp/quobrix-catalogue-c.XXXXXX";
        if (mkdtemp(dir_template) != nullptr) dir_ = dir_template;
    }
    ~EmittedCatalogue() {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    EmittedCatalogue(const EmittedCatalogue&) = delete;
    EmittedCatalogue& operator=(const EmittedCatalogue&) = delete;

    // The CRCs of each model's messages, or an empty list with a failure.
    std::vector<std::vector<Uint128>> Run(const std::vector<std::vector<Message>>& messages) const {
#if defined(QUOBRIX_HOST_C_COMPILER) && defined(QUOBRIX_HOST_CXX_COMPILER)
        if (dir_.empty()) {
            ADD_FAILURE() << "no folder for the emitted C";
            return {};
        }
        std::string includes, calls;
        std::string input;
        for (std::size_t i = 0; i < CrcCatalogue().size(); ++i) {
            const CrcModel& model = CrcCatalogue()[i];
            const std::string file = "crc" + std::to_string(i) + ".c";
            const std::string source = EmitCrcC(model.params, model.name);
            Write(file, source);
            includes += "#include \"" + file + "\"\n";
            const std::string p = Stem(source);
            calls += "    for (m = *at++; m > 0; m--) {\n"
                     "        " + RegisterType(source) + " crc;\n"
                     "        if (*at++) memset(&crc, 0, sizeof crc); else crc = " + p + "_init();\n"
                     "        for (k = *at++; k > 0; k--) {\n"
                     "            size_t length = take_length();\n"
                     "            crc = " + p + "_update(crc, at, length);\n"
                     "            at += length;\n"
                     "        }\n"
                     "        crc = " + p + "_final(crc);\n" +
                     (model.params.width > 64 ? "        show(crc.high, crc.low);\n"
                                              : "        show(0, crc);\n") +
                     "    }\n";
            input += static_cast<char>(messages[i].size());
            for (const Message& message : messages[i]) {
                input += static_cast<char>(message.from_zero);
                input += static_cast<char>(message.pieces.size());
                for (const Bytes& piece : message.pieces) {
                    for (int b = 0; b < 4; ++b) input += static_cast<char>((piece.size() >> (8 * b)) & 0xFF);
                    input.append(piece.begin(), piece.end());
                }
            }
        }
        const std::string size = std::to_string(input.size());
        Write("input", input);
        Write("driver.c", includes +
                              "#include <inttypes.h>\n#include <stdio.h>\n#include <string.h>\n"
                              "static unsigned char input[" + size + "];\n"
                              "static const unsigned char *at = input;\n"
                              "static size_t take_length(void)\n{\n"
                              "    size_t length = (size_t)at[0] | (size_t)at[1] << 8 | (size_t)at[2] << 16 |"
                              " (size_t)at[3] << 24;\n"
                              "    at += 4;\n    return length;\n}\n"
                              "static void show(uint64_t high, uint64_t low)\n"
                              "{\n    printf(\"%016\" PRIx64 \"%016\" PRIx64 \"\\n\", high, low);\n}\n"
                              "int main(void)\n{\n    unsigned m, k;\n"
                              "    if (fread(input, 1, sizeof input, stdin) != " + size + ") return 1;\n" +
                              calls + "    return 0;\n}\n");
        const std::string warnings = " -Wall -Wextra -Wpedantic -Wconversion -Werror ";
        std::string out;
        if (!Shell(std::string("'") + QUOBRIX_HOST_C_COMPILER + "' -std=c99" + warnings + "-o driver driver.c", out) ||
            !Shell(std::string("'") + QUOBRIX_HOST_CXX_COMPILER + "' -x c++ -std=c++11" + warnings +
                       "-fsyntax-only driver.c",
                   out) ||
            !Shell("./driver <input", out)) {
            return {};
        }
        std::istringstream lines(out);
        std::vector<std::vector<Uint128>> crcs(messages.size());
        for (std::size_t i = 0; i < messages.size(); ++i) {
            for (std::size_t m = 0; m < messages[i].size(); ++m) {
                std::string line;
                if (!std::getline(lines, line) || line.size() != 32) {
                    ADD_FAILURE() << "the emitted C's program printed too little or a bad line: " << line;
                    return {};
                }
                crcs[i].push_back({std::stoull(line.substr(0, 16), nullptr, 16), std::stoull(line.substr(16), nullptr, 16)});
            }
        }
        return crcs;
#else
        (void)messages;
        return {};
#endif
    }

private:
    // What stands before "_init(void);" in the source: its functions' stem.
    static std::string Stem(const std::string& source) {
        const std::size_t end = source.find("_init(void);");
        const std::size_t start = source.rfind(' ', end) + 1;
        return source.substr(start, end - start);
    }
    // The register's type: what stands before the stem on that line.
    static std::string RegisterType(const std::string& source) {
        const std::size_t stem = source.rfind(' ', source.find("_init(void);"));
        const std::size_t line = source.rfind('\n', stem) + 1;
        return source.substr(line, stem - line);
    }
    void Write(const std::string& file, const std::string& text) const {
        std::ofstream(dir_ + "/" + file, std::ios::binary) << text;
    }
    // Runs `command` in the folder; false with a failure that shows its output.
    bool Shell(const std::string& command, std::string& out) const {
        const std::string file = dir_ + "/out";
        const bool ok = std::system(("cd '" + dir_ + "' && " + command + " >'" + file + "' 2>&1").c_str()) == 0;
        std::ostringstream text;
        text << std::ifstream(file).rdbuf();
        out = text.str();
        if (!ok) ADD_FAILURE() << command << ":\n" << out.substr(0, 4000);
        return ok;
    }

    std::string dir_;
};

TEST(CrcCatalogue, EveryModelGivesItsCheckAndResidueOnEveryPath) {
    ASSERT_EQ(CrcCatalogue().size(), 113u);
    const std::size_t models = CrcCatalogue().size();

    std::mt19937_64 random(113);
    std::vector<std::vector<Message>> messages;
    for (const CrcModel& model : CrcCatalogue()) messages.push_back(MessagesFor(model, random));

    const auto params = [](std::size_t model) -> const CrcParams& { return CrcCatalogue()[model].params; };
    std::vector<Path> paths;
    paths.push_back({"the bit-serial reference", [&](std::size_t model, const std::vector<Message>& list) {
                         const CrcParams& p = params(model);
                         Answers answers;
                         for (const Message& message : list) {
                             Uint128 reg = message.from_zero ? Uint128{} : p.init;
                             for (const Bytes& piece : message.pieces) reg = crc_bitwise::Run(p, reg, piece);
                             answers.push_back(Asked(p, message, crc_bitwise::Deliver(p, reg)));
                         }
                         return answers;
                     }});
    for (const CrcPath path : CrcPathsOffered()) {
        paths.push_back({"the engine on " + PathName(path), [&, path](std::size_t model, const std::vector<Message>& list) {
                             const CrcEngine engine(params(model), path);
                             return RunMessages(params(model), engine, Uint128{}, list);
                         }});
    }
    paths.push_back({"the engine on the path it chooses", [&](std::size_t model, const std::vector<Message>& list) {
                         const CrcEngine engine(params(model));
                         return RunMessages(params(model), engine, Uint128{}, list);
                     }});
    paths.push_back({"the byte table of frames", [&](std::size_t model, const std::vector<Message>& list) {
                         const CrcByteTable table(params(model));
                         return RunMessages(params(model), table, Uint128{}, list);
                     }});
    // The frames' checks by name, as find tries them: the catalogue's CRCs
    // in its order, then the sums.
    const std::vector<CheckMethod> named = CheckMethod::AllNamed();
    ASSERT_GE(named.size(), models);
    paths.push_back({"the frames' named check", [&](std::size_t model, const std::vector<Message>& list) {
                         const CheckMethod& method = named[model];
                         EXPECT_EQ(method.name(), std::string(CrcCatalogue()[model].name));
                         EXPECT_TRUE(method.crc_params() == params(model));
                         CheckMethod::Register zero = method.Start();
                         zero.crc = Uint128{};
                         return RunMessages(params(model), method, zero, list);
                     }});
    // Written for a model line: the check text's CRC and the residue alone.
    paths.push_back({"the check values of a model line", [&](std::size_t model, const std::vector<Message>& list) {
                         Answers answers(list.size());
                         for (std::size_t i = 0; i < list.size(); ++i) {
                             if (list[i].what == "the check text") answers[i] = {true, CrcCheckValue(params(model))};
                             if (list[i].from_zero) answers[i] = {true, CrcResidue(params(model))};
                         }
                         return answers;
                     }});
#if defined(QUOBRIX_HOST_C_COMPILER) && defined(QUOBRIX_HOST_CXX_COMPILER)
    const std::vector<std::vector<Uint128>> emitted = EmittedCatalogue().Run(messages);
    EXPECT_EQ(emitted.size(), models) << "the emitted C was not run";
    paths.push_back({"the emitted C", [&](std::size_t model, const std::vector<Message>& list) {
                         Answers answers;
                         for (std::size_t m = 0; m < list.size(); ++m) {
                             if (model < emitted.size()) answers.push_back(Asked(params(model), list[m], emitted[model][m]));
                         }
                         return answers;
                     }});
#else
    std::printf("[   NOTE   ] no host C compiler: the emitted C is left out\n");
#endif

    for (const Path& path : paths) {
        for (std::size_t model = 0; model < models; ++model) {
            const CrcModel& m = CrcCatalogue()[model];
            SCOPED_TRACE(std::string(m.name) + " on " + path.name);
            const Answers answers = path.run(model, messages[model]);
            for (std::size_t i = 0; i < answers.size() && i < messages[model].size(); ++i) {
                if (!answers[i].given) continue;
                const Message& message = messages[model][i];
                const Uint128 want = message.residue ? m.residue : m.check;
                EXPECT_EQ(Hex(answers[i].value), Hex(want))
                    << m.name << " on " << path.name << ", " << message.what << ": the "
                    << (message.residue ? "residue" : "check") << " is wrong";
            }
        }
    }
}

}  // namespace
