#include <gtest/gtest.h>

#include <string>

#include "ui/message_box.h"
#include "ui/text.h"

namespace vexilo::ui {
namespace {

// The edits count UTF-16 code units: a character beyond the BMP is two, and a cut never halves
// a character; a byte that starts no character counts as one.
TEST(Utf8Text, CountsAndCutsAsTheEditsCount) {
    struct Case {
        const char* text;
        int units;
        int cutAt;
        const char* cut;
    };
    const Case cases[] = {
        {"KTP-RGB-SDI (ttyACM0)", 21, 11, "KTP-RGB-SDI"},
        {"映像", 2, 1, "映"},
        {"a😀b", 4, 2, "a"},
        {"a😀b", 4, 3, "a😀"},
        {"\xFF"
         "ab",
         3, 2,
         "\xFF"
         "a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16Length(c.text), c.units) << c.text;
        EXPECT_EQ(Utf16Left(c.text, c.cutAt), c.cut) << c.text;
    }
}

TEST(Utf8Text, ValidityAsAStrictDecoderSeesIt) {
    for (const char* good : {"", "abc", "スタジオＡ", "😀", "\xEF\xBF\xBF"}) {
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    }
    // Overlong, surrogate, beyond U+10FFFF, cut short, stray continuation byte.
    for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xE3\x81", "\x80"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    }
}

TEST(Utf8Text, FormatReplacesNumberedMarkersOnce) {
    EXPECT_EQ(FormatText("%1 (%2)", {"KTP-RGB-SDI", "COM3"}), "KTP-RGB-SDI (COM3)");
    EXPECT_EQ(FormatText("%2 %1 %1", {"a", "b"}), "b a a");
    EXPECT_EQ(FormatText("%1 %2", {"%2"}), "%2 %2") << "an argument is not read again";
    EXPECT_EQ(FormatText("100%", {"x"}), "100%");
    EXPECT_EQ(FixedDecimal(59.94, 2), "59.94");
    EXPECT_EQ(FixedDecimal(-0.5, 1), "-0.5");
}

TEST(Utf8Text, AsciiCaseFolding) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("0x5f", "0x5F"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("0x5", "0x5F"));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("0x5F", "0X5"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("ａ", "Ａ")) << "only A-Z fold";
}

// One character one pixel: lines break at spaces (which go) or after 、 and 。 (which stay).
TEST(MessageBoxText, LinesBreakOnlyBetweenPhrases) {
    const auto width = [](std::string_view s) { return Utf16Length(s); };
    EXPECT_EQ(BreakAtPhrases("aaaa bbbb cccc", width, 9), "aaaa bbbb\ncccc");
    EXPECT_EQ(BreakAtPhrases("あいう、えおか。きく", width, 5), "あいう、\nえおか。\nきく");
    EXPECT_EQ(BreakAtPhrases("グループグループ", width, 3), "グループグループ")
        << "no word is split";
    EXPECT_EQ(BreakAtPhrases("ab cd\nef", width, 3), "ab\ncd\nef");
}

}  // namespace
}  // namespace vexilo::ui
