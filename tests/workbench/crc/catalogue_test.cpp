// The catalogue's tables against its own files, and parameter lines read and
// written.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/model_text.h"

namespace {

std::vector<std::string> FileLines(const std::string& name) {
    std::ifstream file(std::string(QUOBRIX_CRC_CATALOGUE_DIR) + "/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

TEST(CrcCatalogue, TablesWriteBackTheCatalogueFilesLineForLine) {
    const std::vector<std::string> models = FileLines("models.txt");
    ASSERT_EQ(models.size(), 113u);
    ASSERT_EQ(CrcCatalogue().size(), models.size());
    for (std::size_t i = 0; i < models.size(); ++i) EXPECT_EQ(FormatCrcModelLine(CrcCatalogue()[i]), models[i]);

    const std::vector<std::string> former = FileLines("former-names.txt");
    ASSERT_EQ(CrcFormerNames().size(), former.size());
    for (std::size_t i = 0; i < former.size(); ++i) {
        const CrcFormerName& name = CrcFormerNames()[i];
        EXPECT_EQ(std::string(name.former) + " -> " + std::string(name.current), former[i]);
    }
}

TEST(CrcModelLine, EveryCatalogueLineReadsBackToItsModel) {
    for (const CrcModel& model : CrcCatalogue()) {
        CrcModelLine parsed;
        std::string error;
        ASSERT_TRUE(ParseCrcModelLine(FormatCrcModelLine(model), parsed, error)) << model.name << ": " << error;
        EXPECT_EQ(parsed.params, model.params) << model.name;
        EXPECT_EQ(parsed.check, model.check) << model.name;
        EXPECT_EQ(parsed.residue, model.residue) << model.name;
        EXPECT_EQ(parsed.name, std::string(model.name));
    }
}

TEST(CrcModelLine, FieldsInAnyOrderNameOptionalAndQuotedWithBlanks) {
    CrcModelLine parsed;
    std::string error;
    ASSERT_TRUE(ParseCrcModelLine("  xorout=0 refout=true\tinit=FFFF refin=true poly=8005 width=16 ", parsed, error))
        << error;
    EXPECT_EQ(parsed.params, (CrcParams{16, 0x8005, 0xFFFF, true, true, 0}));
    EXPECT_FALSE(parsed.check);
    EXPECT_FALSE(parsed.name);
    ASSERT_TRUE(ParseCrcModelLine("width=82 poly=0x0308c0111011401440411 init=0 refin=false refout=false "
                                  "xorout=0X3FFFF0000000000000000 name=\"my own CRC\"",
                                  parsed, error))
        << error;
    EXPECT_EQ(parsed.params.poly, (Uint128{0x308C, 0x0111011401440411}));
    EXPECT_EQ(parsed.params.xorout, (Uint128{0x3FFFF, 0}));
    EXPECT_EQ(parsed.name, "my own CRC");
}

TEST(CrcModelLine, FaultsNameTheirField) {
    const std::string good = "width=8 poly=0x07 init=0x00 refin=false refout=false xorout=0x00";
    const struct {
        std::string line;
        std::string error;
    } cases[] = {
        {"width=8 poly=0x07 init=0x00 refin=false refout=false", "xorout= is missing"},
        {good + " width=8", "width is given twice"},
        {good + " colour=red", "unknown field \"colour\""},
        {good + " check", "\"check\" is not a field (want key=value)"},
        {good + " name=\"open", "name: the quote is not closed"},
        {"width=8 poly=0x0G init=0 refin=false refout=false xorout=0", "poly=0x0G is not a hex number"},
        {"width=8 poly=0x07 init=0x refin=false refout=false xorout=0", "init=0x is not a hex number"},
        {"width=8 poly=7 init=0 refin=yes refout=false xorout=0", "refin=yes is not true or false"},
        {"width=0x8 poly=7 init=0 refin=true refout=false xorout=0", "width=0x8 is not a width in decimal"},
        {"width=0 poly=7 init=0 refin=true refout=false xorout=0", "width 0 is outside 1 to 82"},
        {"width=83 poly=7 init=0 refin=true refout=false xorout=0", "width 83 is outside 1 to 82"},
        {"width=8 poly=0x107 init=0 refin=true refout=false xorout=0", "poly has bits above the width of 8"},
        {"width=3 poly=3 init=8 refin=true refout=false xorout=0", "init has bits above the width of 3"},
        {"width=64 poly=1 init=0 refin=true refout=false xorout=0x10000000000000000",
         "xorout has bits above the width of 64"},
        {good + " check=0x100", "check has bits above the width of 8"},
        {"width=8 poly=" + std::string(33, 'F') + " init=0 refin=true refout=false xorout=0",
         "poly=" + std::string(33, 'F') + " is too large for 82 bits"},
        {"width=8 poly=7 init=0x" + std::string(40, '1') + " refin=true refout=false xorout=0",
         "init=0x" + std::string(40, '1') + " is too large for 82 bits"},
        {"width=8 poly=7 init=0x" + std::string(40, '1') + "g refin=true refout=false xorout=0",
         "init=0x" + std::string(40, '1') + "g is not a hex number"},
    };
    for (const auto& c : cases) {
        CrcModelLine parsed;
        std::string error;
        EXPECT_FALSE(ParseCrcModelLine(c.line, parsed, error)) << c.line;
        EXPECT_EQ(error, c.error) << c.line;
    }
    // An even polynomial is a CRC, if a weak one; leading zeros cost nothing.
    CrcModelLine parsed;
    std::string error;
    EXPECT_TRUE(ParseCrcModelLine("width=8 poly=0x06 init=0 refin=true refout=false xorout=0x" +
                                      std::string(40, '0') + "1",
                                  parsed, error))
        << error;
}

TEST(CrcHexDigits, PadsToWholeDigitsOfTheWidth) {
    EXPECT_EQ(CrcHexDigits(0x4B37, 16, true), "4B37");
    EXPECT_EQ(CrcHexDigits(0x4, 3, false), "4");
    EXPECT_EQ(CrcHexDigits(0x1, 17, true), "00001");
    EXPECT_EQ(CrcHexDigits(Uint128{0x9EA8, 0x3F625023801FD612}, 82, false), "09ea83f625023801fd612");
    EXPECT_EQ(CrcHexDigits(~Uint128{}, 128, true), std::string(32, 'F'));
}

}  // namespace
