#include "field_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Every character survives the way from bytes into a field and back, whatever its length. The
// lines are kept short enough for a field to show them whole.
TEST(FieldText, EveryCharacterComesBackAsItsBytes)
{
    std::u16string all;
    for (char32_t code = 1; code <= 0x10FFFF; ++code) {
        if ((code >= 0xD800 && code < 0xE000) || code == u'\r' || code == u'\n')
            continue;
        if (code % 1024 == 0)
            all.push_back(u'\n');
        if (code < 0x10000) {
            all.push_back(static_cast<char16_t>(code));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    const std::string bytes = fieldBytes(EntryField::Name, all, "");
    ASSERT_TRUE(isUtf8(bytes));
    const std::u16string shown = editText(bytes);
    const auto differs = std::mismatch(shown.begin(), shown.end(), all.begin(), all.end());
    EXPECT_TRUE(differs.first == shown.end() && differs.second == all.end())
        << "first difference at " << (differs.first - shown.begin());
    EXPECT_EQ(fieldBytes(EntryField::Name, u"a\xD800" u"b\xDC00", ""), "a?b?");
}

TEST(FieldText, CodePageAndLineBreaksFollowTheShownBytes)
{
    EXPECT_EQ(editText("caf\xE9 \x80"), u"caf\u00E9 \u20AC");
    EXPECT_EQ(fieldBytes(EntryField::Name, u"caf\u00E9 \u20AC!", "caf\xE9"), "caf\xE9 \x80!");
    EXPECT_EQ(fieldBytes(EntryField::Name, u"caf\u00E9 \u0100", "caf\xE9"), "caf\xC3\xA9 \xC4\x80");
    EXPECT_EQ(fieldBytes(EntryField::Notes, u"a\nb\r\nc\rd", ""), "a\r\nb\r\nc\rd");
    EXPECT_EQ(fieldBytes(EntryField::Other, u"a\nb", ""), "a\nb");
}

// A huge text handed over in pieces reads as the whole: pieces end after a line feed, CR LF
// stays one line break, an over-long line is shortened within its piece, and a byte that is not
// UTF-8 at the very end decides how the first piece is read.
TEST(FieldText, PiecesMakeTheWholeText)
{
    std::string bytes;
    while (bytes.size() < 3 * kEditTextPiece)
        bytes += "caf\xC3\xA9 " + std::string(kLongestFieldLine / 4, 'a') + "\r\n";
    bytes += std::string(kEditTextPiece + kLongestFieldLine, 'x') + "\n\xE9";
    std::u16string joined;
    int pieces = 0;
    writeEditTextPieces(bytes, [&](std::u16string_view piece) {
        EXPECT_TRUE(joined.empty() || joined.back() == u'\n');
        joined += piece;
        ++pieces;
    });
    EXPECT_EQ(joined, editText(bytes));
    EXPECT_EQ(joined.substr(0, 6), u"caf\u00C3\u00A9 ");
    EXPECT_GT(pieces, 3);
}

TEST(FieldText, CellsAreOneShortLine)
{
    EXPECT_EQ(cellText(EntryField::Notes, "a\r\nb\nc\rd"), u"a\u21B5b\u21B5c\u21B5d");
    EXPECT_EQ(cellText(EntryField::Name, "a\r\nb"), u"a\r\nb");
    // A character outside the first plane is never cut in half by the ellipsis.
    const std::string longName = std::string(255, 'x') + "\xF0\x9F\x98\x80" + "y";
    EXPECT_EQ(cellText(EntryField::Name, longName), std::u16string(255, u'x') + kEllipsis);
}

}  // namespace
