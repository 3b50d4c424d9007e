#include "shared/TextCodec.h"

#include <gtest/gtest.h>

namespace {

std::wstring Decode(const std::string& bytes, TTextEncoding& enc) {
    return DecodeText(bytes, enc, Latin1Codec());
}

}  // namespace

TEST(TextCodec, MarkSelectsEncodingAndIsNotText) {
    TTextEncoding enc;
    EXPECT_EQ(Decode("\xEF\xBB\xBFk=\xD0\x96", enc), L"k=\x0416");
    EXPECT_EQ(enc, TTextEncoding::Utf8);
    EXPECT_EQ(Decode(std::string("\xFF\xFEk\0\x16\x04", 6), enc), L"k\x0416");
    EXPECT_EQ(enc, TTextEncoding::Utf16LE);
    EXPECT_EQ(Decode(std::string("\xFE\xFF\0k\x04\x16", 6), enc), L"k\x0416");
    EXPECT_EQ(enc, TTextEncoding::Utf16BE);
    // Without a mark the bytes are the code page's, even when they look like UTF-8.
    EXPECT_EQ(Decode("\xD0\x96", enc), L"\xD0\x96");
    EXPECT_EQ(enc, TTextEncoding::Ansi);
}

TEST(TextCodec, LoneMarksAndTruncatedInputGiveEmptyOrPartialText) {
    TTextEncoding enc;
    EXPECT_EQ(Decode("\xEF\xBB\xBF", enc), L"");
    EXPECT_EQ(enc, TTextEncoding::Utf8);
    EXPECT_EQ(Decode("\xFF\xFE", enc), L"");
    EXPECT_EQ(Decode("\xFF\xFE" "a", enc), L"");  // odd last byte dropped
    EXPECT_EQ(Decode("\xEF\xBB", enc), L"\xEF\xBB");  // half a mark is text
    EXPECT_EQ(enc, TTextEncoding::Ansi);
    EXPECT_EQ(Decode("", enc), L"");
}

TEST(TextCodec, InvalidUtf8BecomesReplacementCharacters) {
    TTextEncoding enc;
    // Stray continuation, overlong slash, encoded surrogate, truncated sequence at the end.
    EXPECT_EQ(Decode("\xEF\xBB\xBF" "a\x80" "b\xC0\xAF" "c\xED\xA0\x80" "d\xE2\x82", enc),
              L"a\xFFFD" L"b\xFFFD\xFFFD" L"c\xFFFD" L"d\xFFFD");
    // A sequence cut short by an ASCII byte keeps that byte.
    EXPECT_EQ(Decode("\xEF\xBB\xBF\xE2" "A", enc), L"\xFFFD" L"A");
}

TEST(TextCodec, SupplementaryCharactersSurviveEveryUnicodeEncoding) {
    std::wstring text = L"x";
    AppendCodePoint(text, 0x1F600);
    text += L"\x0416";
    for (TTextEncoding e : {TTextEncoding::Utf8, TTextEncoding::Utf16LE, TTextEncoding::Utf16BE}) {
        const std::string bytes = EncodeText(text, e, Latin1Codec());
        TTextEncoding found;
        EXPECT_EQ(DecodeText(bytes, found, Latin1Codec()), text);
        EXPECT_EQ(found, e);
    }
    EXPECT_EQ(EncodeText(text, TTextEncoding::Utf8, Latin1Codec()),
              "\xEF\xBB\xBFx\xF0\x9F\x98\x80\xD0\x96");
}

TEST(TextCodec, LoneSurrogatesAreKeptInUtf16AndReplacedInUtf8) {
    TTextEncoding enc;
    const std::string le("\xFF\xFE\x00\xD8" "a\0", 6);
    const std::wstring text = Decode(le, enc);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(static_cast<unsigned>(text[0]), 0xD800u);
    EXPECT_EQ(EncodeText(text, TTextEncoding::Utf16LE, Latin1Codec()), le);
    EXPECT_EQ(EncodeText(text, TTextEncoding::Utf8, Latin1Codec()), "\xEF\xBB\xBF\xEF\xBF\xBD" "a");
}

TEST(TextCodec, SplitLinesTakesEveryLineBreakForm) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(SplitLines(L"a\r\nb\nc\rd"), (V{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitLines(L"a\r\n"), (V{L"a"}));
    EXPECT_EQ(SplitLines(L"a\n\n"), (V{L"a", L""}));
    EXPECT_EQ(SplitLines(L"\r\n\r\n"), (V{L"", L""}));
    EXPECT_EQ(SplitLines(L"\n\r"), (V{L"", L""}));  // LF then a lone CR: two breaks
    EXPECT_EQ(SplitLines(L""), V{});
    EXPECT_EQ(SplitLines(std::wstring(L"a\0b", 3)), (V{std::wstring(L"a\0b", 3)}));
    EXPECT_EQ(SplitLines(L"1\n2\n3\n4", 2), (V{L"1", L"2"}));
}

// The first and last code points of each UTF-8 length, through both encoders and
// back. Under Wine wchar_t is 16 bits, so the supplementary ones become surrogate
// pairs in memory; on the host they are single units.
TEST(TextCodec, EveryUtf8LengthBoundaryRoundTrips) {
    struct Case { char32_t cp; const char* utf8; unsigned high, low; };
    const Case cases[] = {
        {0x7F, "\x7F", 0, 0},                 {0x80, "\xC2\x80", 0, 0},
        {0x7FF, "\xDF\xBF", 0, 0},            {0x800, "\xE0\xA0\x80", 0, 0},
        {0xFFFD, "\xEF\xBF\xBD", 0, 0},       {0xFFFF, "\xEF\xBF\xBF", 0, 0},
        {0x10000, "\xF0\x90\x80\x80", 0xD800, 0xDC00},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", 0xDBFF, 0xDFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.cp));
        std::wstring text;
        AppendCodePoint(text, c.cp);
        if (sizeof(wchar_t) == 2 && c.high != 0) {
            ASSERT_EQ(text.size(), 2u);
            EXPECT_EQ(static_cast<unsigned>(text[0]), c.high);
            EXPECT_EQ(static_cast<unsigned>(text[1]), c.low);
        } else {
            ASSERT_EQ(text.size(), 1u);
        }
        EXPECT_EQ(EncodeUtf8(text), c.utf8);
        EXPECT_EQ(DecodeUtf8(c.utf8), text);
        std::string direct;
        AppendUtf8(direct, c.cp);
        EXPECT_EQ(direct, c.utf8);
        TTextEncoding found;
        EXPECT_EQ(DecodeText(EncodeText(text, TTextEncoding::Utf16BE, Latin1Codec()), found,
                             Latin1Codec()), text);
    }
}

// Past the last code point, overlong forms and encoded surrogates are not
// characters: each becomes U+FFFD rather than a stray unit or pair.
TEST(TextCodec, OutOfRangeAndOverlongUtf8BecomeReplacement) {
    EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), L"\xFFFD");  // U+110000
    EXPECT_EQ(DecodeUtf8("\xC0\x80" "a").back(), L'a');
    EXPECT_EQ(DecodeUtf8("\xC0\x80").front(), L'\xFFFD');
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80").front(), L'\xFFFD');  // U+D800 as UTF-8
    std::string out;
    AppendUtf8(out, 0x110000);
    AppendUtf8(out, 0xDC00);
    EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}
