// What the user's names for CRCs resolve to, and the lines that explain the
// names that do not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"

namespace {

// The lines of an error, which stand one after another line feed.
std::vector<std::string> Lines(const std::string& error) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = error.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(error.substr(start, end - start));
    }
    lines.push_back(error.substr(start));
    return lines;
}

TEST(ResolveCrc, CatalogueNamesInAnyCaseAndFormerNamesWithANote) {
    ResolvedCrc crc;
    std::string error;
    ASSERT_TRUE(ResolveCrc("crc-16/modbus", crc, error));
    EXPECT_EQ(crc.name, "CRC-16/MODBUS");
    EXPECT_EQ(crc.params, (CrcParams{16, 0x8005, 0xFFFF, true, true, 0}));
    EXPECT_EQ(crc.note, "");

    for (const CrcFormerName& former : CrcFormerNames()) {
        ASSERT_TRUE(ResolveCrc(former.former, crc, error)) << former.former;
        EXPECT_EQ(crc.name, former.current);
        EXPECT_EQ(crc.note, std::string(former.former) + " is the former name of " + std::string(former.current));
    }
    ASSERT_TRUE(ResolveCrc("Modbus", crc, error));
    EXPECT_EQ(crc.name, "CRC-16/MODBUS");
}

TEST(ResolveCrc, CcittInEverySpellingListsTheThreeItMayMean) {
    for (const char* name : {"CCITT", "crc-ccitt", "CRC-16/CCITT", "CRC16_CCITT"}) {
        ResolvedCrc crc;
        std::string error;
        ASSERT_FALSE(ResolveCrc(name, crc, error)) << name;
        const std::vector<std::string> lines = Lines(error);
        ASSERT_EQ(lines.size(), 4u) << name;
        // The check values are the published ones of "123456789".
        EXPECT_NE(lines[1].find("CRC-16/IBM-3740  check 29B1  width=16 poly=0x1021 init=0xffff refin=false"), std::string::npos);
        EXPECT_NE(lines[2].find("CRC-16/XMODEM    check 31C3  width=16 poly=0x1021 init=0x0000 refin=false"), std::string::npos);
        EXPECT_NE(lines[3].find("CRC-16/KERMIT    check 2189  width=16 poly=0x1021 init=0x0000 refin=true"),
                  std::string::npos);
    }
}

TEST(ResolveCrc, UnknownNamesSuggestTheNearest) {
    const struct {
        const char* name;
        const char* suggestion;
    } cases[] = {
        {"CRC-16/MODBOS", "CRC-16/MODBUS"},  // one letter off
        {"crc16modbus", "CRC-16/MODBUS"},    // without the punctuation
        {"MPEG", "CRC-32/MPEG-2"},           // a part of the name
        {"xz", "CRC-64/XZ"},
        {"CRC-32/ISO-HDCL", "CRC-32/ISO-HDLC"},
        {"crc32", "CRC-32/ISO-HDLC CRC-32/AIXM"},  // the former name CRC-32 first
    };
    for (const auto& c : cases) {
        ResolvedCrc crc;
        std::string error;
        ASSERT_FALSE(ResolveCrc(c.name, crc, error)) << c.name;
        const std::string text = error;
        EXPECT_EQ(Lines(error).front(), std::string("no CRC is called \"") + c.name + "\"");
        EXPECT_NE(text.find(std::string("the nearest names: ") + c.suggestion), std::string::npos) << text;
    }
    ResolvedCrc crc;
    std::string error;
    ASSERT_FALSE(ResolveCrc("WHIRLPOOL-512", crc, error));
    EXPECT_EQ(error.find("nearest"), std::string::npos) << "nothing is near";
    EXPECT_NE(Lines(error).back().find("--list"), std::string::npos);
}

TEST(ResolveCrc, ParameterLinesWithTheirCheckVerified) {
    ResolvedCrc crc;
    std::string error;
    // CRC-12/UMTS: the input is not reflected, the result is.
    ASSERT_TRUE(ResolveCrc("width=12 poly=0x80f init=0 refin=false refout=true xorout=0 check=0xdaf", crc, error))
        << error;
    EXPECT_EQ(crc.name, "");
    EXPECT_EQ(crc.params, (CrcParams{12, 0x80F, 0, false, true, 0}));

    ASSERT_TRUE(ResolveCrc("width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0 name=\"mine\"", crc, error));
    EXPECT_EQ(crc.name, "mine");

    ASSERT_FALSE(ResolveCrc("width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0 check=0x374b", crc, error));
    EXPECT_EQ(error, "check=0x374b does not hold: these parameters give 0x4b37 for \"123456789\"");

    ASSERT_FALSE(ResolveCrc("width=16 poly=0x8005", crc, error));
    EXPECT_EQ(error, "not a CRC parameter line: init= is missing");
}

// Every line of the catalogue, with its published check and residue and its
// own name, reads back as that model; the same line under another model's
// name, or with a residue one bit off, is refused.
TEST(ResolveCrc, CatalogueLinesReadBackAndTheirNamesAndResiduesMustHold) {
    const auto catalogue = CrcCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CrcModel& model = catalogue[i];
        const std::string line = FormatCrcModelLine(model);
        ResolvedCrc crc;
        std::string error;
        ASSERT_TRUE(ResolveCrc(line, crc, error)) << line << ": " << error;
        EXPECT_EQ(crc.params, model.params) << line;
        EXPECT_EQ(crc.name, model.name) << line;

        CrcModel wrong_residue = model;
        wrong_residue.residue = model.residue ^ Uint128{1};
        EXPECT_FALSE(ResolveCrc(FormatCrcModelLine(wrong_residue), crc, error)) << line;
        EXPECT_EQ(error.rfind("residue=", 0), 0u) << error;

        // The next model's name, unless it happens to share the parameters.
        const CrcModel& other = catalogue[(i + 1) % catalogue.size()];
        if (other.params == model.params) continue;
        CrcModel misnamed = model;
        misnamed.name = other.name;
        EXPECT_FALSE(ResolveCrc(FormatCrcModelLine(misnamed), crc, error)) << line;
        EXPECT_NE(error.find(std::string("is the catalogue's ") + std::string(other.name)), std::string::npos)
            << error;
    }
}

TEST(ResolveCrc, AParameterLineMayNotBorrowACatalogueName) {
    ResolvedCrc crc;
    std::string error;
    // MODBUS's parameters under ARC's name: ARC starts from 0, MODBUS from 0xffff.
    ASSERT_FALSE(ResolveCrc("width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0 name=\"CRC-16/ARC\"",
                            crc, error));
    EXPECT_EQ(error,
              "name=\"CRC-16/ARC\" is the catalogue's CRC-16/ARC, whose parameters differ: width=16 poly=0x8005 "
              "init=0x0000 refin=true refout=true xorout=0x0000");
    // A former name is the model's too; in another case as well.
    ASSERT_FALSE(ResolveCrc("width=4 poly=0x3 init=0 refin=true refout=true xorout=0xf name=\"crc-4/itu\"", crc,
                            error));
    EXPECT_NE(error.find("is the catalogue's CRC-4/G-704"), std::string::npos) << error;
    ASSERT_TRUE(ResolveCrc("width=4 poly=0x3 init=0 refin=true refout=true xorout=0 name=\"crc-4/itu\"", crc, error))
        << error;
    // A name of the user's own is theirs.
    ASSERT_TRUE(ResolveCrc("width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0 name=\"ARC-like\"",
                           crc, error));
    EXPECT_EQ(crc.name, "ARC-like");
}

}  // namespace
