// The C array reader against gcc: C initialisers made at random (nested
// braces, sizes larger than the list, arrays of arrays, character literals,
// negative numbers, casts, comments, joined lines, preprocessor lines, a
// BOM), each compiled by gcc into an object whose bytes a program prints.
// The reader must give those bytes or refuse the text: never other bytes.
// The reader does not judge the C grammar of the declarations around the
// array (what follows its closing brace it only lexes), so the text made
// there is C that gcc accepts; where the reader reads (initialiser,
// literals, comments, joined lines, directives) anything goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "workbench/c_array/c_array_reader.h"
#include "workbench/c_array/c_array_writer.h"

#if defined(QUOBRIX_HOST_C_COMPILER)
#include <stdlib.h>  // mkdtemp
#endif

namespace {

struct Snippet {
    std::string text;  // what the reader reads, and gcc compiles
    int size = 1;      // bytes of the element type declared
    bool must_read = false;  // gcc's bytes are expected, not a refusal
};

struct ReadResult {
    bool ok = false;
    std::string bytes, error;
};

ReadResult Read(const std::string& text, int size, bool char_is_signed, std::size_t piece) {
    CArrayReader reader(size, false, char_is_signed);
    ReadResult result;
    result.ok = true;
    for (std::size_t at = 0; at < text.size() && result.ok; at += piece) {
        result.ok = reader.Feed(text.data() + at, std::min(piece, text.size() - at), result.bytes);
    }
    result.ok = result.ok && reader.Finish(result.bytes);
    result.error = reader.error();
    return result;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char b : bytes) {
        hex += kDigits[static_cast<unsigned char>(b) >> 4];
        hex += kDigits[static_cast<unsigned char>(b) & 0xF];
    }
    return hex;
}

// ---- The snippets ------------------------------------------------------

class SnippetMaker {
public:
    explicit SnippetMaker(unsigned seed) : random_(seed) {}

    Snippet Make(int index) {
        Snippet snippet;
        static const struct {
            const char* type;
            int size;
            bool stdint;
        } kTypes[] = {{"unsigned char", 1, false}, {"const unsigned char", 1, false}, {"uint8_t", 1, true},
                      {"unsigned short", 2, false}, {"uint16_t", 2, true},          {"uint32_t", 4, true},
                      {"unsigned long long", 8, false}};
        const auto& type = kTypes[Pick(sizeof kTypes / sizeof kTypes[0])];
        snippet.size = type.size;
        const std::string name = "a_" + std::to_string(index);
        std::string text, closing;
        if (Chance(10)) text += "\xEF\xBB\xBF";
        if (type.stdint || Chance(20)) text += "#include <stdint.h>\n";
        if (Chance(25)) {
            text += "#ifndef GUARD_" + std::to_string(index) + "_H\n#define GUARD_" + std::to_string(index) + "_H\n";
            closing = "#endif" + std::string(Chance(50) ? " /* guard */" : "") + "\n" + closing;
        }
        if (Chance(15)) {
            text += "#ifdef __cplusplus\nextern \"C\" {\n#endif\n";
            closing = "#ifdef __cplusplus\n}\n#endif\n" + closing;
        }
        // Arrays gcc does not see: a blank made a line break must not bring them in.
        text = Joined(Spaced(text));
        if (Chance(20)) text += "#define TABLE_INIT {9, 9}\n";
        if (Chance(15)) text += "#if 0\n" + std::string(type.type) + " " + name + "[] = {7, 7};\n#endif\n";
        if (Chance(15)) text += "// a note \\\n" + std::string(type.type) + " " + name + "[] = {5, 5};\n";
        if (Chance(10)) text += "/* " + name + "[] = {6}; */\n";
        if (Chance(5)) text += "#define N_" + std::to_string(index) + " 4\n";
        std::string body;

        // The declarator: one, two or three sizes, some left out or given.
        std::vector<int> sizes;
        const int dimensions = Chance(60) ? 1 : Chance(70) ? 2 : 3;
        for (int d = 0; d < dimensions; ++d) sizes.push_back(1 + Pick(4));
        std::string declarator = name;
        for (int d = 0; d < dimensions; ++d) {
            if (d == 0 && Chance(40)) {
                declarator += "[]";
            } else if (Chance(8)) {
                declarator += "[" + SizeText(sizes[static_cast<std::size_t>(d)]) + "]";
            } else {
                declarator += "[" + std::to_string(sizes[static_cast<std::size_t>(d)]) + "]";
            }
        }
        if (Chance(3)) declarator = name + "[N_" + std::to_string(index) + "]";
        if (Chance(4)) declarator += " __attribute__((aligned(4)))";
        body += (Chance(20) ? "static " : "") + std::string(type.type) + " " + declarator + " =" + Blank() + Initialiser(sizes, 0, true) +
                ";" + (Chance(30) ? " /* the end */" : "") + "\n";
        body += closing;
        if (Chance(10)) body += "const unsigned int " + name + "_len = 4;\n";
        snippet.text = text + Joined(Spaced(body));
        if (Chance(10)) snippet.text = LineEnds(snippet.text);
        return snippet;
    }

private:
    bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
    int Pick(std::size_t count) { return static_cast<int>(random_() % count); }

    std::string SizeText(int size) {
        switch (Pick(4)) {
            case 0:
                return "0x" + std::to_string(size);
            case 1:
                return "0" + std::to_string(size);
            case 2:
                return std::to_string(size) + "u";
            default:
                return std::to_string(size) + " + 0";
        }
    }

    std::string Blank() {
        switch (Pick(8)) {
            case 0:
                return " /* c */ ";
            case 1:
                return " // note\n";
            case 2:
                return "\n";
            case 3:
                return "";
            default:
                return " ";
        }
    }

    // A list for the part of the array at `level`: braced sub-lists, numbers
    // that C's brace elision spreads over the parts, or both; sometimes more
    // than fit, sometimes fewer.
    std::string Initialiser(const std::vector<int>& sizes, std::size_t level, bool braced) {
        std::string text = braced ? "{" : "";
        const int parts = level < sizes.size() ? sizes[level] : 1;
        int count = Chance(15) ? parts + 1 : Chance(40) ? Pick(static_cast<std::size_t>(parts) + 1) : parts;
        if (level == sizes.size()) count = 1;
        for (int i = 0; i < count; ++i) {
            if (i > 0) text += "," + Blank();
            if (Chance(4)) text += Directive();
            if (level + 1 >= sizes.size() || level == sizes.size()) {
                text += Chance(5) && level < sizes.size() ? "{" + Scalar() + "}" : Scalar();
            } else {
                text += Initialiser(sizes, level + 1, Chance(70));
            }
        }
        if (braced && Chance(20)) text += ",";
        if (braced && Chance(3)) text += "{}";
        return text + (braced ? "}" : "");
    }

    std::string Directive() {
        switch (Pick(5)) {
            case 0:
                return "\n#if 0\n 77,\n#endif\n";
            case 1:
                return "\n#ifdef __cplusplus\n 66,\n#endif\n";
            case 2:
                return "\n#if 1\n#endif\n";
            case 3:
                return "\n#pragma once\n";
            default:
                return "\n#ifdef UNDEFINED_MACRO\n 55,\n#else\n#endif\n";
        }
    }

    std::string Scalar() {
        const unsigned value = static_cast<unsigned>(random_() % 300);
        char text[64];
        switch (Pick(14)) {
            case 0:
                std::snprintf(text, sizeof text, "0x%X", value);
                return text;
            case 1:
                return "0x" + std::string(static_cast<std::size_t>(Pick(120)), '0') + std::to_string(value % 10);
            case 2:
                std::snprintf(text, sizeof text, "0%o", value);
                return text;
            case 3:
                return "-" + std::to_string(value % 140);
            case 4: {
                static const char* const kChars[] = {"'a'",    "'\\n'",   "'\\0'",   "'\\xff'",  "'\\377'", "'\\x80'",
                                                     "'\\x7f'", "'\\''",   "'\\\\'", "'\\x0000ff'", "'\\e'",  "'ab'",
                                                     "'\\u00e9'", "L'a'",  "'\\200'", "'\\t'"};
                return kChars[Pick(sizeof kChars / sizeof kChars[0])];
            }
            case 5:
                return "(unsigned char)" + std::to_string(value);
            case 6:
                return std::to_string(value) + (Chance(50) ? "u" : "ULL");
            case 7:
                return "0b1" + std::to_string(value % 2) + "1";
            case 8:
                return "TABLE_INIT";
            case 9:
                return std::to_string(value) + " /* v */";
            case 10:
                return "+" + std::to_string(value % 100);
            case 11:
                return "1.0";
            default:
                return std::to_string(value);
        }
    }

    // Blanks made comments and line breaks at random (a comment only
    // outside one: gcc's comments do not nest).
    std::string Spaced(const std::string& text) {
        std::string spaced;
        bool in_comment = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (text.compare(i, 2, "/*") == 0) in_comment = true;
            if (i > 0 && text.compare(i - 1, 2, "*/") == 0) in_comment = false;
            if (c == ' ' && Chance(5)) {
                spaced += Chance(50) && !in_comment ? " /* x */ " : "\n";
                continue;
            }
            spaced += c;
        }
        return spaced;
    }

    // A backslash and a line break put anywhere: within a number, a comment
    // or a directive the lines are one.
    std::string Joined(const std::string& text) {
        std::string joined;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i > 3 && Chance(2)) joined += Chance(80) ? "\\\n" : "\\  \n";
            joined += text[i];
        }
        return joined;
    }

    std::string LineEnds(const std::string& text) {
        const bool lone = Chance(30);
        std::string ends;
        for (const char c : text) ends += c == '\n' ? (lone ? "\r" : "\r\n") : std::string(1, c);
        return ends;
    }

    std::mt19937 random_;
};

// The cases of the issue that gcc reads and the reader must read too.
std::vector<Snippet> MustRead() {
    const std::vector<std::pair<std::string, int>> kTexts = {
        {"#define TABLE_INIT {9, 9}\nunsigned char @[] = {1, 2};\n", 1},
        {"unsigned char @[4] = {1};\n", 1},
        {"unsigned char @[2][3] = {{1, 2}, {3}};\n", 1},
        {"unsigned char @[][3] = {1, 2, 3, 4};\n", 1},
        {"unsigned char @[2][2][2] = {1, {2}, 3, 4, {5, 6}};\n", 1},
        {"unsigned short @[] = {'\\xff', '\\x7f', '\\377'};\n", 2},
        {"unsigned char @[] = {1, // note \\\n 2,\n 3};\n", 1},
        {"unsigned char @[] = {0x" + std::string(100, '0') + "1};\n", 1},
        {"\xEF\xBB\xBFunsigned char @[] = {1, 2};\n", 1},
        {"unsigned char @[] = {0x1\\\n2, 3};\n", 1},
        {"unsigned char @[] = {1, 2,\n#if 0\n 3,\n#endif\n 4};\n", 1},
        {"#ifdef __cplusplus\nextern \"C\" {\n#endif\nunsigned char @[] = {1};\n#ifdef __cplusplus\n}\n#endif\n", 1},
        {"unsigned char @[3] __attribute__((aligned(4))) = {1};\n", 1},
        {"unsigned char @[] = {1, // x\r2};\n", 1},
        {"unsigned int @[3] = {-1, 'a'};\n", 4},
    };
    std::vector<Snippet> snippets;
    for (const auto& text : kTexts) {
        Snippet snippet;
        snippet.text = text.first;
        snippet.size = text.second;
        snippet.must_read = true;
        snippets.push_back(snippet);
    }
    return snippets;
}

#if defined(QUOBRIX_HOST_C_COMPILER)

// Compiles each snippet (its array named a_N) into an object of its own,
// links those gcc accepts with a program that prints their bytes, and runs
// it: the hex of each array gcc accepts, by index.
class GccBytes {
public:
    GccBytes() {
        char dir_template[] = "/tmp/quobrix-c-array.XXXXXX";
        if (mkdtemp(dir_template) != nullptr) dir_ = dir_template;
    }
    ~GccBytes() {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    GccBytes(const GccBytes&) = delete;
    GccBytes& operator=(const GccBytes&) = delete;

    bool Available() { return !dir_.empty() && Shell(Compiler() + " --version", false); }

    std::map<std::size_t, std::string> Run(const std::vector<Snippet>& snippets, bool char_is_signed) {
        std::string files, declarations, calls;
        for (std::size_t i = 0; i < snippets.size(); ++i) {
            const std::string name = "a_" + std::to_string(i);
            // Two line breaks: a snippet's last line may join the next.
            Write(name + ".c", snippets[i].text + "\n\nconst unsigned char *const " + name +
                                   "_bytes = (const unsigned char *)&" + name + ";\nconst unsigned long " + name +
                                   "_size = sizeof " + name + ";\n");
            files += " " + name + ".c";
        }
        const std::string flags = std::string(" -std=gnu17 -w ") + (char_is_signed ? "-fsigned-char" : "-funsigned-char");
        // gcc goes on after a file it refuses: the objects made are those it accepts.
        Shell("rm -f *.o && " + Compiler() + flags + " -c" + files, false);
        std::string objects;
        for (std::size_t i = 0; i < snippets.size(); ++i) {
            const std::string name = "a_" + std::to_string(i);
            if (!std::filesystem::exists(dir_ + "/" + name + ".o")) continue;
            objects += " " + name + ".o";
            declarations += "extern const unsigned char *const " + name + "_bytes;\nextern const unsigned long " +
                            name + "_size;\n";
            calls += "    show(" + std::to_string(i) + ", " + name + "_bytes, " + name + "_size);\n";
        }
        Write("driver.c", "#include <stdio.h>\n" + declarations +
                              "static void show(int index, const unsigned char *bytes, unsigned long size)\n{\n"
                              "    unsigned long i;\n    printf(\"%d \", index);\n"
                              "    for (i = 0; i < size; i++) printf(\"%02x\", bytes[i]);\n    printf(\"\\n\");\n}\n"
                              "int main(void)\n{\n" + calls + "    return 0;\n}\n");
        std::map<std::size_t, std::string> bytes;
        if (!Shell(Compiler() + " -w -o driver driver.c" + objects + " && ./driver", true)) return bytes;
        std::ifstream lines(dir_ + "/log");
        std::size_t index = 0;
        std::string hex;
        while (lines >> index) {
            std::getline(lines, hex);
            bytes[index] = hex.empty() ? "" : hex.substr(1);
        }
        return bytes;
    }

    // Whether gcc compiles `source` under -std=`standard`, warnings as errors.
    bool Compiles(const std::string& source, const std::string& standard) {
        Write("names.c", source);
        return Shell(Compiler() + " -std=" + standard + " -pedantic-errors -Wall -Werror -Wno-unused-const-variable "
                                  "-fsyntax-only names.c",
                     true);
    }

private:
    static std::string Compiler() { return std::string("'") + QUOBRIX_HOST_C_COMPILER + "'"; }
    void Write(const std::string& file, const std::string& text) const {
        std::ofstream(dir_ + "/" + file, std::ios::binary) << text;
    }
    // Runs `command` in the folder, its output to the file "log".
    bool Shell(const std::string& command, bool must_pass) const {
        const std::string log = dir_ + "/log";
        const bool ok = std::system(("cd '" + dir_ + "' && " + command + " >'" + log + "' 2>&1").c_str()) == 0;
        if (!ok && must_pass) {
            std::ostringstream text;
            text << std::ifstream(log).rdbuf();
            ADD_FAILURE() << command << ":\n" << text.str().substr(0, 4000);
        }
        return ok;
    }

    std::string dir_;
};

#endif

}  // namespace

TEST(CArrayReaderAgainstGcc, GivesGccsBytesOrRefuses) {
#if defined(QUOBRIX_HOST_C_COMPILER)
    GccBytes gcc;
    if (!gcc.Available()) GTEST_SKIP() << "no C compiler to compare with";
    std::vector<Snippet> snippets = MustRead();
    SnippetMaker maker(33);
    for (int i = 0; i < 300; ++i) snippets.push_back(maker.Make(static_cast<int>(snippets.size())));
    for (std::size_t i = 0; i < snippets.size(); ++i) {
        const std::string name = "a_" + std::to_string(i);
        std::string& text = snippets[i].text;
        for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@')) text.replace(at, 1, name);
    }
    for (const bool char_is_signed : {true, false}) {
        SCOPED_TRACE(char_is_signed ? "char signed (x86)" : "char unsigned (ARM)");
        const std::map<std::size_t, std::string> bytes = gcc.Run(snippets, char_is_signed);
        ASSERT_GT(bytes.size(), snippets.size() / 5) << "gcc accepted too few snippets to judge by";
        std::size_t read = 0;
        for (std::size_t i = 0; i < snippets.size(); ++i) {
            const Snippet& snippet = snippets[i];
            const ReadResult whole = Read(snippet.text, snippet.size, char_is_signed, snippet.text.size() + 1);
            // The same answer, read a byte at a time.
            const ReadResult bytewise = Read(snippet.text, snippet.size, char_is_signed, 1);
            EXPECT_EQ(Hex(whole.bytes), Hex(bytewise.bytes)) << snippet.text;
            EXPECT_EQ(whole.error, bytewise.error) << snippet.text;
            const auto compiled = bytes.find(i);
            if (!whole.ok) {
                EXPECT_FALSE(snippet.must_read) << snippet.text << "\nrefused: " << whole.error;
                EXPECT_EQ(whole.error.find('\n'), std::string::npos);
                continue;
            }
            ASSERT_TRUE(compiled != bytes.end()) << "gcc refuses what the reader read as " << Hex(whole.bytes)
                                                 << ":\n" << snippet.text;
            EXPECT_EQ(Hex(whole.bytes), compiled->second) << snippet.text;
            ++read;
        }
        // Refusing everything would pass the test above: most are read.
        EXPECT_GT(read, bytes.size() / 3) << read << " of the " << bytes.size() << " arrays gcc compiled were read";
    }
#else
    GTEST_SKIP() << "no C compiler to compare with";
#endif
}

// Every name the check lets through makes an array gcc compiles, in C89's
// keywords to C23's and in GNU C; every keyword is refused.
TEST(CArrayNameAgainstGcc, AcceptedNamesCompile) {
#if defined(QUOBRIX_HOST_C_COMPILER)
    GccBytes gcc;
    if (!gcc.Available()) GTEST_SKIP() << "no C compiler to compare with";
    std::vector<std::string> names = {"data",     "x",       "_tmp_a_bin", "__1st_bin", "uint8",  "INT8",
                                      "int8_tt",  "Bool",    "True",       "complex",   "noreturn", "wchar_t",
                                      "_stdint",  "_x",      "x_",         "imaginary", "fortran", "__",
                                      "int8_t",   "INT8_MAX", "SIZE_MAX",  "Int8_t",    "uint8_T", "I"};
    std::mt19937 random(8);
    static const char kFirst[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    static const char kRest[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789";
    while (names.size() < 200) {
        std::string name(1, kFirst[random() % (sizeof kFirst - 1)]);
        for (std::size_t k = random() % 8; k > 0; --k) name += kRest[random() % (sizeof kRest - 1)];
        names.push_back(name);
    }
    for (const bool header : {false, true}) {
        CArrayFormat format;
        format.element_size = header ? 2 : 1;
        format.header = header;
        std::string source;
        std::vector<std::string> used;
        for (const std::string& name : names) {
            // One array of a name each, and no name that is another's NAME_len.
            const bool clash = std::find(used.begin(), used.end(), name) != used.end() ||
                               (name.size() > 4 && name.compare(name.size() - 4, 4, "_len") == 0);
            if (clash || !CArrayNameProblem(name, format).empty()) continue;
            used.push_back(name);
            format.name = name;
            CArrayWriter writer(format);
            std::string error;
            writer.Begin(source);
            writer.Bytes("\x01\x02", 2, source);
            EXPECT_TRUE(writer.End(source, error)) << error;
        }
        EXPECT_GT(used.size(), names.size() / 2);
        for (const char* standard : {"c89", "c99", "c11", "c17", "c2x", "gnu17"}) {
            // C89 has no <stdint.h> to speak of, nor // comments in the code around.
            if (header && std::string(standard) == "c89") continue;
            EXPECT_TRUE(gcc.Compiles(source, standard)) << standard;
        }
    }
#else
    GTEST_SKIP() << "no C compiler to compare with";
#endif
}
