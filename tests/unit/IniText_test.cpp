#include "shared/IniText.h"

#include <gtest/gtest.h>

namespace {

TIniText Parsed(std::wstring_view text) {
    TIniText doc;
    doc.Parse(text);
    return doc;
}

std::wstring Value(const TIniText& doc, std::wstring_view s, std::wstring_view k) {
    const std::wstring* v = doc.FindValue(s, k);
    return v ? *v : L"<missing>";
}

}  // namespace

TEST(IniText, LineRules) {
    const TIniText doc = Parsed(
        L"orphan=1\r\n"
        L"  [ options ]  \r\n"
        L"; comment=1\r\n"
        L"\r\n"
        L"\t FilterType \t=  \t 3 \t\r\n"
        L"novalue\r\n"
        L"a=b=c\n"
        L"=empty key\r"
        L"[x]=y\r\n"
        L"[other]\r\n"
        L"k=v");  // no final line break
    ASSERT_EQ(doc.Sections().size(), 2u);
    const TIniSection& s = doc.Sections()[0];
    EXPECT_EQ(s.Name, L"options");
    ASSERT_EQ(s.Keys.size(), 5u);
    EXPECT_EQ(s.Keys[0].Name, L"FilterType");
    EXPECT_EQ(s.Keys[0].Value, L"3");
    EXPECT_EQ(s.Keys[1].Name, L"novalue");
    EXPECT_EQ(s.Keys[1].Value, L"");
    EXPECT_EQ(s.Keys[2].Name, L"a");
    EXPECT_EQ(s.Keys[2].Value, L"b=c");
    EXPECT_EQ(s.Keys[3].Name, L"");
    EXPECT_EQ(s.Keys[3].Value, L"empty key");
    EXPECT_EQ(s.Keys[4].Name, L"[x]");
    EXPECT_EQ(Value(doc, L"other", L"k"), L"v");
    EXPECT_EQ(Value(doc, L"options", L"orphan"), L"<missing>");
}

TEST(IniText, RepeatedSectionIsIgnoredWithItsKeys) {
    const TIniText doc = Parsed(L"[A]\nk=1\n[b]\nk=2\n[a]\nk=3\nz=4\n[B]\ny=5\n[c]\nk=6\n");
    ASSERT_EQ(doc.Sections().size(), 3u);
    EXPECT_EQ(Value(doc, L"a", L"k"), L"1");
    EXPECT_EQ(Value(doc, L"a", L"z"), L"<missing>");
    EXPECT_EQ(Value(doc, L"b", L"y"), L"<missing>");
    EXPECT_EQ(Value(doc, L"C", L"K"), L"6");
}

TEST(IniText, NamesMatchWithoutRegardToCaseInCyrillicToo) {
    const TIniText doc = Parsed(L"[Настройки]\nКлюч=1\n[ÄÖ]\nΣ=2\n");
    EXPECT_EQ(Value(doc, L"НАСТРОЙКИ", L"ключ"), L"1");
    EXPECT_EQ(Value(doc, L"äö", L"σ"), L"2");
    EXPECT_EQ(FoldNameSimple(L"ЁЖ×Ü"), L"ёж×ü");
}

TEST(IniText, SetReplacesInPlaceKeepingSpellingAndAppendsNewKeys) {
    TIniText doc = Parsed(L"[first]\na=1\n[OPTIONS]\n; note\nfiltertype=7\nOther=x\n[last]\nb=2\n");
    doc.SetInteger(L"options", L"FilterType", 0);
    doc.SetInteger(L"options", L"HardwareType", 1);
    doc.SetString(L"new", L"Name", L"Значение");
    EXPECT_EQ(doc.Serialise(),
              L"[first]\r\na=1\r\n\r\n"
              L"[OPTIONS]\r\nfiltertype=0\r\nOther=x\r\nHardwareType=1\r\n\r\n"
              L"[last]\r\nb=2\r\n\r\n"
              L"[new]\r\nName=Значение\r\n\r\n");
}

TEST(IniText, NewDocumentHoldsOnlyWhatWasSet) {
    TIniText doc;
    doc.SetInteger(L"options", L"FilterType", 0);
    doc.SetInteger(L"options", L"HardwareType", 1);
    doc.SetInteger(L"options", L"Big", -9223372036854775807LL - 1);
    EXPECT_EQ(doc.Serialise(),
              L"[options]\r\nFilterType=0\r\nHardwareType=1\r\nBig=-9223372036854775808\r\n\r\n");
    EXPECT_EQ(doc.Encoding, TTextEncoding::Ansi);
    EXPECT_EQ(doc.SaveBytes(Latin1Codec()).substr(0, 11), "[options]\r\n");
}

TEST(IniText, WriteBackKeepsTheEncodingFound) {
    const std::string utf16(
        "\xFF\xFE[\0o\0]\0\r\0\n\0k\0=\0\x16\x04\r\0\n\0", 22);
    TIniText doc;
    doc.LoadBytes(utf16, Latin1Codec());
    EXPECT_EQ(doc.Encoding, TTextEncoding::Utf16LE);
    EXPECT_EQ(Value(doc, L"o", L"k"), L"\x0416");
    doc.SetInteger(L"o", L"n", 5);
    TIniText again;
    again.LoadBytes(doc.SaveBytes(Latin1Codec()), Latin1Codec());
    EXPECT_EQ(again.Encoding, TTextEncoding::Utf16LE);
    EXPECT_EQ(again.Serialise(), L"[o]\r\nk=\x0416\r\nn=5\r\n\r\n");

    TIniText utf8;
    utf8.LoadBytes("\xEF\xBB\xBF[s]\nk=\xD0\x96", Latin1Codec());
    EXPECT_EQ(utf8.SaveBytes(Latin1Codec()), "\xEF\xBB\xBF[s]\r\nk=\xD0\x96\r\n\r\n");
}

TEST(IniText, HostileInputParsesToSomethingStable) {
    std::wstring big(100000, L'x');
    std::wstring text = L"\xFEFF[s]\r\nlong=" + big + L"\r\n" + std::wstring(L"nul=a\0b\0", 8) +
                        L"\r\n[s]\r\n[s]\r\nlost=1\r\n" + big + L"\r\n";
    const TIniText doc = Parsed(text);
    // A mark that survived decoding is not blank: the first header is not a section.
    EXPECT_EQ(doc.FindSection(L"s")->Keys.size(), 0u);
    const TIniText clean = Parsed(text.substr(1));
    ASSERT_EQ(clean.Sections().size(), 1u);
    ASSERT_EQ(clean.Sections()[0].Keys.size(), 2u);
    EXPECT_EQ(Value(clean, L"s", L"long"), big);
    EXPECT_EQ(Value(clean, L"s", L"nul"), std::wstring(L"a\0b", 3));  // inner NUL kept, last trimmed
    // Written back and read again, the document is the same.
    EXPECT_EQ(Parsed(clean.Serialise()).Serialise(), clean.Serialise());
}

TEST(IniText, ManyDistinctSectionsParseQuickly) {
    // Duplicate detection must not be quadratic: 100,000 headers.
    std::wstring text;
    for (int i = 0; i < 100000; ++i) text += L"[s" + std::to_wstring(i) + L"]\nk=v\n";
    const TIniText doc = Parsed(text);
    EXPECT_EQ(doc.Sections().size(), 100000u);
    EXPECT_EQ(Value(doc, L"S99999", L"K"), L"v");
}
