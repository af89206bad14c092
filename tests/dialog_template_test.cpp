// Reads the built template back as the dialog manager would, independently
// of the writer: little-endian fields, UTF-16 strings, 4-aligned items.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/dialog_template.h"

namespace {

struct ParsedItem {
    std::size_t offset;
    std::uint32_t style, exStyle;
    int x, y, width, height;
    int id;
    std::string className;  // "#0080" style for an atom
    std::string text;
    int creationDataSize;
};

struct Reader {
    const std::vector<unsigned char>& bytes;
    std::size_t at;

    std::uint16_t Word() {
        const auto value = static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
        at += 2;
        return value;
    }
    std::uint32_t Dword() {
        const std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    int Short() { return static_cast<std::int16_t>(Word()); }
    // A UTF-16 string of ASCII units up to its 0 unit; fails on anything wider.
    std::string String() {
        std::string text;
        for (std::uint16_t unit = Word(); unit != 0; unit = Word()) {
            EXPECT_LT(unit, 0x80) << "at offset " << at - 2;
            text += static_cast<char>(unit);
        }
        return text;
    }
    std::string ClassOrString() {
        if (bytes.at(at) == 0xFF && bytes.at(at + 1) == 0xFF) {
            at += 2;
            char atom[8];
            std::snprintf(atom, sizeof atom, "#%04X", Word());
            return atom;
        }
        return String();
    }
};

std::vector<unsigned char> BuiltBlock() {
    std::vector<unsigned char> block(kTemplateBlockBytes, 0);
    BuildDialogTemplate(block.data());
    return block;
}

ParsedItem ReadItem(Reader& in) {
    in.at = (in.at + 3) & ~std::size_t{3};
    ParsedItem item{};
    item.offset = in.at;
    item.style = in.Dword();
    item.exStyle = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.width = in.Short();
    item.height = in.Short();
    item.id = in.Word();
    item.className = in.ClassOrString();
    item.text = in.String();
    item.creationDataSize = in.Word();
    return item;
}

TEST(DialogTemplate, HeaderHoldsStyleItemCountGeometryTitleAndFont) {
    const auto block = BuiltBlock();
    Reader in{block, 0};
    EXPECT_EQ(in.Dword(), 0x00080840u);  // WS_SYSMENU | DS_CENTER | DS_SETFONT
    EXPECT_EQ(in.Dword(), 0u);
    EXPECT_EQ(in.Word(), 9);
    EXPECT_EQ(in.Short(), 50);
    EXPECT_EQ(in.Short(), 50);
    EXPECT_EQ(in.Short(), 250);
    EXPECT_EQ(in.Short(), 106);
    EXPECT_EQ(in.Word(), 0) << "menu";
    EXPECT_EQ(in.Word(), 0) << "class";
    EXPECT_EQ(in.at, 22u);
    EXPECT_EQ(in.String(), "   ");
    EXPECT_EQ(in.at, 30u);
    EXPECT_EQ(in.Word(), 10) << "point size";
    EXPECT_EQ(in.String(), "MS Sans Serif");
    EXPECT_EQ(in.at, 60u);
}

TEST(DialogTemplate, NineItemsInTabOrderWithTheirClassesTextsIdsGeometryAndStyles) {
    const ParsedItem expected[] = {
        {60, 0x50010000, 0, 5, 5, 50, 13, 101, "#0080", "Qsort C", 0},
        {100, 0x50010000, 0, 5, 20, 50, 13, 102, "#0080", "Qsort asm", 0},
        {144, 0x50010000, 0, 5, 35, 50, 13, 103, "#0080", "SB sort C", 0},
        {188, 0x50010000, 0, 5, 50, 50, 13, 104, "#0080", "SB sort asm", 0},
        {236, 0x50010000, 0, 5, 65, 50, 13, 105, "#0080", "Optimise Me", 0},
        {284, 0x50010000, 0, 60, 65, 50, 13, 106, "#0080", "Reset", 0},
        {320, 0x50010000, 0, 192, 65, 50, 13, 2, "#0080", "Close", 0},
        {356, 0x50000000, 0, 0, 0, 0, 0, 110, "msctls_statusbar32", "", 0},
        {416, 0x50A11004, 0, 60, 5, 182, 58, 111, "#0081", "", 0},
    };
    const auto block = BuiltBlock();
    Reader in{block, 60};
    for (const ParsedItem& want : expected) {
        const ParsedItem got = ReadItem(in);
        SCOPED_TRACE("item \"" + want.text + "\" id " + std::to_string(want.id));
        EXPECT_EQ(got.offset, want.offset);
        EXPECT_EQ(got.offset % 4, 0u);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.className, want.className);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.creationDataSize, want.creationDataSize);
    }
    EXPECT_EQ(in.at, 442u) << "end of the template";
}

TEST(DialogTemplate, EveryByteFromTheTemplatesEndOnStaysZero) {
    const auto block = BuiltBlock();
    for (std::size_t k = 442; k < block.size(); ++k) ASSERT_EQ(block[k], 0) << "offset " << k;
}

TEST(DialogTemplate, WritesNothingBeyondTheTemplateIntoADirtyBlock) {
    std::vector<unsigned char> block(kTemplateBlockBytes, 0xAB);
    BuildDialogTemplate(block.data());
    for (std::size_t k = 442; k < block.size(); ++k) ASSERT_EQ(block[k], 0xAB) << "offset " << k;
}

}  // namespace
