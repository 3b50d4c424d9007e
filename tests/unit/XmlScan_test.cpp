#include <gtest/gtest.h>

#include <random>

#include "tools/mediacheck/XmlScan.h"

using namespace mediacheck;

TEST(XmlScan, PicksRootVersionAndLevel) {
    auto s = ScanReleaseInfo(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- release -->\n<!DOCTYPE ROOT [ <!ENTITY x \"y\"> ]>\n"
        "<ROOT a='1' b=\"&amp;\">\n <Other><Version>9</Version></Other>\n <Version> 1 </Version>\n"
        " <Level>0<![CDATA[10]]>&#52;2<b>1</b></Level><Level>second</Level>\n <?pi data?><Empty/>&x;</ROOT>\n");
    ASSERT_TRUE(s.wellFormed) << s.error;
    EXPECT_EQ(s.root, "ROOT");
    EXPECT_EQ(s.version, " 1 ");
    EXPECT_EQ(s.level, "010421");  // the first Level, with its descendants' text
    EXPECT_EQ(VersionNumber(*s.version), 1);
}

TEST(XmlScan, EmptyElementsAndMissingChildren) {
    auto s = ScanReleaseInfo("<ROOT><Level/></ROOT>");
    ASSERT_TRUE(s.wellFormed);
    EXPECT_EQ(s.level, "");
    EXPECT_FALSE(s.version);
    // Names are case-sensitive.
    auto t = ScanReleaseInfo("<ROOT><version>1</version><LEVEL/></ROOT>");
    ASSERT_TRUE(t.wellFormed);
    EXPECT_FALSE(t.version);
    EXPECT_FALSE(t.level);
}

TEST(XmlScan, Utf16WithByteOrderMark) {
    std::u16string text = u"<ROOT><Version>1</Version><Level>Уровень</Level></ROOT>";
    std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (char16_t c : text) {
        le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8), be += static_cast<char>(c & 0xFF);
    }
    for (const auto& doc : {le, be}) {
        auto s = ScanReleaseInfo(doc);
        ASSERT_TRUE(s.wellFormed) << s.error;
        EXPECT_EQ(s.level, "Уровень");
    }
    EXPECT_FALSE(ScanReleaseInfo(le.substr(0, le.size() - 1)).wellFormed);
}

TEST(XmlScan, MalformedDocumentsAreRefusedWithALine) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no document element"},
        {"   \n  ", "no document element"},
        {"<ROOT>", "not closed"},
        {"<ROOT></root>", "closes <ROOT>"},
        {"<ROOT/><ROOT/>", "second document element"},
        {"<ROOT/>trailing", "after the document element"},
        {"text<ROOT/>", "before the document element"},
        {"<ROOT a=1/>", "quoted value"},
        {"<ROOT a='1' a='2'/>", "given twice"},
        {"<ROOT a='<'/>", "'<' inside"},
        {"<ROOT>&nbsp;</ROOT>", "undefined entity"},
        {"<ROOT>&#0;</ROOT>", "forbids"},
        {"<ROOT>&#xZZ;</ROOT>", "bad character reference"},
        {"<ROOT>a & b</ROOT>", "'&'"},
        {"<ROOT><!-- a -- b --></ROOT>", "'--'"},
        {"<ROOT><!-- open", "unterminated comment"},
        {"<ROOT><![CDATA[x</ROOT>", "unterminated CDATA"},
        {"<ROOT>]]></ROOT>", "']]>'"},
        {"\n\n<ROOT><?xml version='1.0'?></ROOT>", "line 3"},
        {"<1ROOT/>", "name was expected"},
        {"<ROOT>\x01</ROOT>", "forbids"},
        {"<ROOT>\xC3\x28</ROOT>", "not UTF-8"},
        {"<ROOT a='1'b='2'/>", "blank expected"},
        {"<ROOT", "unterminated tag"},
        {"</ROOT>", "closes nothing"},
    };
    for (const auto& [doc, expected] : cases) {
        auto s = ScanReleaseInfo(doc);
        EXPECT_FALSE(s.wellFormed) << doc;
        EXPECT_NE(s.error.find(expected), std::string::npos) << doc << " -> " << s.error;
        EXPECT_NE(s.error.find("(line "), std::string::npos) << s.error;
    }
}

TEST(XmlScan, DeclaredSingleByteEncodingIsTakenAsIs) {
    auto s = ScanReleaseInfo("<?xml version='1.0' encoding='windows-1251'?><ROOT><Level>\xD3</Level></ROOT>");
    ASSERT_TRUE(s.wellFormed) << s.error;
    EXPECT_EQ(s.level, "\xD3");
}

TEST(XmlScan, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    auto s = ScanReleaseInfo(deep);
    EXPECT_FALSE(s.wellFormed);
    EXPECT_NE(s.error.find("nested deeper than 256"), std::string::npos) << s.error;
    std::string ok = "<ROOT>";
    for (int i = 0; i < 200; ++i) ok += "<a>";
    for (int i = 0; i < 200; ++i) ok += "</a>";
    EXPECT_TRUE(ScanReleaseInfo(ok + "</ROOT>").wellFormed);
}

TEST(XmlScan, LargeDocumentIsReadInOnePass) {
    std::string big = "<ROOT><Version>1</Version>";
    while (big.size() < (8u << 20)) big += "<Item name=\"x\">some text &amp; more</Item>\n";
    big += "<Level>1</Level></ROOT>";
    auto s = ScanReleaseInfo(big);
    ASSERT_TRUE(s.wellFormed) << s.error;
    EXPECT_EQ(s.level, "1");
}

TEST(XmlScan, GarbageNeverCrashes) {
    const std::string seed = "<?xml version='1.0'?><!DOCTYPE R [<!ENTITY e 'v'>]><ROOT a=\"&amp;\"><Version>1</Version>"
                             "<!--c--><![CDATA[x]]>&#x41;<Level>2</Level></ROOT>";
    std::mt19937 rng(42);
    const char alphabet[] = "<>/&;#x!-[]?='\" ROOTaVL\0\xC3\xFF";
    for (int i = 0; i < 50000; ++i) {
        std::string doc = seed;
        int edits = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < edits; ++k) {
            size_t at = rng() % (doc.size() + 1);
            switch (rng() % 3) {
                case 0: doc.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
                case 1: if (at < doc.size()) doc.erase(at, 1 + rng() % 8); break;
                default: if (at < doc.size()) doc[at] = alphabet[rng() % (sizeof alphabet - 1)];
            }
        }
        auto s = ScanReleaseInfo(doc);
        EXPECT_TRUE(s.wellFormed || !s.error.empty());
    }
}

TEST(XmlScan, VersionNumberAcceptsBlanksAndSignOnly) {
    EXPECT_EQ(VersionNumber("1"), 1);
    EXPECT_EQ(VersionNumber("\n 01\t"), 1);
    EXPECT_EQ(VersionNumber("-1"), -1);
    EXPECT_FALSE(VersionNumber(""));
    EXPECT_FALSE(VersionNumber("1.0"));
    EXPECT_FALSE(VersionNumber("one"));
    EXPECT_FALSE(VersionNumber("99999999999999999999"));
}
