#include "tools/mediacheck/XmlScan.h"

#include <algorithm>
#include <set>
#include <vector>

#include "tools/mediacheck/MediaText.h"

namespace mediacheck {
namespace {

struct TXmlError {
    size_t at;
    std::string what;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) {
    auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// UTF-16 with a byte-order mark (or an unmarked '<' pair) becomes UTF-8.
std::optional<std::string> ToUtf8Document(std::string_view in) {
    bool le = in.size() >= 2 && uint8_t(in[0]) == 0xFF && uint8_t(in[1]) == 0xFE;
    bool be = in.size() >= 2 && uint8_t(in[0]) == 0xFE && uint8_t(in[1]) == 0xFF;
    size_t skip = 2;
    if (!le && !be && in.size() >= 4) {
        le = in[0] == '<' && in[1] == 0 && in[2] != 0 && in[3] == 0;
        be = in[0] == 0 && in[1] == '<' && in[2] == 0 && in[3] != 0;
        skip = 0;
    }
    if (!le && !be) return std::string(in);
    if ((in.size() - skip) % 2 != 0) return std::nullopt;
    std::string out;
    for (size_t i = skip; i < in.size(); i += 2) {
        char32_t c = le ? (char32_t(uint8_t(in[i + 1])) << 8 | uint8_t(in[i]))
                        : (char32_t(uint8_t(in[i])) << 8 | uint8_t(in[i + 1]));
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= in.size()) return std::nullopt;
            char32_t low = le ? (char32_t(uint8_t(in[i + 3])) << 8 | uint8_t(in[i + 2]))
                              : (char32_t(uint8_t(in[i + 2])) << 8 | uint8_t(in[i + 3]));
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// Position of the first byte that is not valid UTF-8 XML text, or npos.
size_t BadUtf8At(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if (!IsXmlChar(b)) return i;
            ++i;
            continue;
        }
        int extra = (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) return i;
        char32_t cp = b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || !IsXmlChar(cp)) return i;
        i += static_cast<size_t>(extra) + 1;
    }
    return std::string_view::npos;
}

class TScanner {
public:
    TScanner(std::string_view s, size_t maxDepth) : s_(s), maxDepth_(maxDepth) {}

    void Run(TReleaseInfoScan& out) {
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") p_ = 3;
        if (s_.substr(p_, 5) == "<?xml" && p_ + 5 < s_.size() && IsSpace(s_[p_ + 5])) Declaration();
        while (p_ < s_.size()) {
            if (s_[p_] == '<')
                Markup(out);
            else
                Text(out);
        }
        if (!stack_.empty()) Fail(s_.size(), "element <" + stack_.back() + "> is not closed");
        if (!rootSeen_) Fail(s_.size(), "no document element");
    }

private:
    [[noreturn]] void Fail(size_t at, std::string what) { throw TXmlError{at, std::move(what)}; }

    bool At(std::string_view word) const { return s_.substr(p_, word.size()) == word; }

    void SkipSpace() {
        while (p_ < s_.size() && IsSpace(s_[p_])) ++p_;
    }

    std::string Name() {
        size_t start = p_;
        if (p_ >= s_.size() || !IsNameStart(s_[p_])) Fail(p_, "a name was expected");
        while (p_ < s_.size() && IsNameChar(s_[p_])) ++p_;
        return std::string(s_.substr(start, p_ - start));
    }

    size_t Find(std::string_view what, const char* unterminated) {
        size_t end = s_.find(what, p_);
        if (end == std::string_view::npos) Fail(p_, unterminated);
        return end;
    }

    void Declaration() {
        size_t end = Find("?>", "unterminated XML declaration");
        std::string_view decl = s_.substr(p_, end - p_);
        size_t enc = decl.find("encoding");
        if (enc != std::string_view::npos) {
            size_t q = decl.find_first_of("\"'", enc);
            if (q != std::string_view::npos) {
                size_t qe = decl.find(decl[q], q + 1);
                if (qe != std::string_view::npos) {
                    std::string name(decl.substr(q + 1, qe - q - 1));
                    std::transform(name.begin(), name.end(), name.begin(),
                                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
                    declaredOther_ = name != "utf-8" && name != "utf8" && name != "utf-16" && name != "unicode";
                }
            }
        }
        p_ = end + 2;
    }

public:
    bool declaredOther_ = false;

private:
    // Decodes a reference at p_ (just after '&') into out; unknown names are
    // allowed only when a document type could have declared them.
    void Reference(std::string* out) {
        size_t start = p_ - 1;
        size_t semi = s_.find(';', p_);
        if (semi == std::string_view::npos || semi - p_ > 32) Fail(start, "'&' that starts no reference");
        std::string_view ref = s_.substr(p_, semi - p_);
        p_ = semi + 1;
        if (!ref.empty() && ref[0] == '#') {
            bool hex = ref.size() > 1 && ref[1] == 'x';
            std::string_view digits = ref.substr(hex ? 2 : 1);
            if (digits.empty() || digits.size() > 8) Fail(start, "bad character reference");
            char32_t cp = 0;
            for (char c : digits) {
                int v = (c >= '0' && c <= '9') ? c - '0'
                        : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                        : -1;
                if (v < 0) Fail(start, "bad character reference");
                cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(v);
            }
            if (!IsXmlChar(cp)) Fail(start, "character reference to a character XML forbids");
            if (out) AppendUtf8(*out, cp);
            return;
        }
        static const std::pair<std::string_view, char> known[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
        for (const auto& [name, ch] : known)
            if (ref == name) {
                if (out) *out += ch;
                return;
            }
        if (!doctype_) Fail(start, "undefined entity &" + std::string(ref) + ";");
    }

    void Markup(TReleaseInfoScan& out) {
        if (At("<!--")) {
            p_ += 4;
            size_t end = Find("-->", "unterminated comment");
            if (s_.substr(p_, end - p_).find("--") != std::string_view::npos) Fail(p_, "'--' inside a comment");
            p_ = end + 3;
        } else if (At("<?")) {
            size_t start = p_;
            p_ += 2;
            std::string target = Name();
            std::string lower = target;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
            if (lower == "xml") Fail(start, "XML declaration not at the very start");
            p_ = Find("?>", "unterminated processing instruction") + 2;
        } else if (At("<![CDATA[")) {
            if (stack_.empty()) Fail(p_, "CDATA outside the document element");
            p_ += 9;
            size_t end = Find("]]>", "unterminated CDATA section");
            Capture(s_.substr(p_, end - p_));
            p_ = end + 3;
        } else if (At("<!DOCTYPE")) {
            if (rootSeen_ || doctype_) Fail(p_, "misplaced document type declaration");
            doctype_ = true;
            Doctype();
        } else if (At("</")) {
            size_t start = p_;
            p_ += 2;
            std::string name = Name();
            SkipSpace();
            if (p_ >= s_.size() || s_[p_] != '>') Fail(p_, "'>' expected after </" + name);
            ++p_;
            if (stack_.empty() || stack_.back() != name)
                Fail(start, stack_.empty() ? "</" + name + "> closes nothing"
                                           : "</" + name + "> closes <" + stack_.back() + ">");
            EndCapture();
            stack_.pop_back();
        } else {
            StartTag(out);
        }
    }

    void Doctype() {
        p_ += 9;
        int brackets = 0;
        while (p_ < s_.size()) {
            char c = s_[p_++];
            if (c == '"' || c == '\'') {
                size_t end = s_.find(c, p_);
                if (end == std::string_view::npos) break;
                p_ = end + 1;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                return;
            }
        }
        Fail(s_.size(), "unterminated document type declaration");
    }

    void StartTag(TReleaseInfoScan& out) {
        size_t start = p_;
        ++p_;
        std::string name = Name();
        if (stack_.empty() && rootSeen_) Fail(start, "a second document element <" + name + ">");
        std::set<std::string> attributes;
        for (;;) {
            size_t before = p_;
            SkipSpace();
            if (p_ >= s_.size()) Fail(start, "unterminated tag <" + name + ">");
            if (s_[p_] == '>' || At("/>")) break;
            if (p_ == before) Fail(p_, "blank expected between attributes of <" + name + ">");
            std::string attr = Name();
            SkipSpace();
            if (p_ >= s_.size() || s_[p_] != '=') Fail(p_, "'=' expected after attribute " + attr);
            ++p_;
            SkipSpace();
            if (p_ >= s_.size() || (s_[p_] != '"' && s_[p_] != '\'')) Fail(p_, "quoted value expected for " + attr);
            char quote = s_[p_++];
            while (p_ < s_.size() && s_[p_] != quote) {
                if (s_[p_] == '<') Fail(p_, "'<' inside the value of " + attr);
                if (s_[p_++] == '&') Reference(nullptr);
            }
            if (p_ >= s_.size()) Fail(start, "unterminated value of " + attr);
            ++p_;
            if (!attributes.insert(attr).second) Fail(start, "attribute " + attr + " given twice");
        }
        bool empty = At("/>");
        p_ += empty ? 2 : 1;
        if (stack_.empty()) {
            rootSeen_ = true;
            out.root = name;
        }
        stack_.push_back(name);
        if (stack_.size() > maxDepth_) Fail(start, "elements nested deeper than " + std::to_string(maxDepth_) + " levels");
        if (stack_.size() == 2 && capture_ == nullptr) {
            if (name == "Version" && !out.version) capture_ = &out.version.emplace();
            if (name == "Level" && !out.level) capture_ = &out.level.emplace();
        }
        if (empty) {
            EndCapture();
            stack_.pop_back();
        }
    }

    void Capture(std::string_view text) {
        if (capture_) *capture_ += text;
    }

    void EndCapture() {
        if (stack_.size() == 2) capture_ = nullptr;
    }

    void Text(TReleaseInfoScan&) {
        while (p_ < s_.size() && s_[p_] != '<') {
            char c = s_[p_];
            if (stack_.empty()) {
                if (!IsSpace(c)) Fail(p_, rootSeen_ ? "text after the document element" : "text before the document element");
                ++p_;
            } else if (c == '&') {
                ++p_;
                std::string decoded;
                Reference(&decoded);
                Capture(decoded);
            } else {
                if (c == '>' && p_ >= 2 && s_.substr(p_ - 2, 3) == "]]>") Fail(p_, "']]>' in text");
                size_t run = p_;
                while (p_ < s_.size() && s_[p_] != '<' && s_[p_] != '&' && s_[p_] != '>') ++p_;
                if (p_ == run) ++p_;
                Capture(s_.substr(run, p_ - run));
            }
        }
    }

    std::string_view s_;
    size_t maxDepth_;
    size_t p_ = 0;
    std::vector<std::string> stack_;
    bool rootSeen_ = false;
    bool doctype_ = false;
    std::string* capture_ = nullptr;
};

size_t LineOf(std::string_view s, size_t at) {
    at = std::min(at, s.size());
    return 1 + static_cast<size_t>(std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

}  // namespace

TReleaseInfoScan ScanReleaseInfo(std::string_view bytes, size_t maxDepth) {
    TReleaseInfoScan out;
    auto text = ToUtf8Document(bytes);
    if (!text) {
        out.error = "damaged UTF-16 text";
        return out;
    }
    TScanner scanner(*text, maxDepth);
    try {
        scanner.Run(out);
    } catch (const TXmlError& e) {
        out = TReleaseInfoScan{};
        out.error = e.what + " (line " + std::to_string(LineOf(*text, e.at)) + ")";
        return out;
    }
    // Single-byte encodings declared in the header are taken as they are.
    size_t bad = std::string_view::npos;
    if (scanner.declaredOther_) {
        auto it = std::find_if(text->begin(), text->end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && !IsSpace(c);
        });
        if (it != text->end()) bad = static_cast<size_t>(it - text->begin());
    } else {
        bad = BadUtf8At(*text);
    }
    if (bad != std::string_view::npos) {
        out = TReleaseInfoScan{};
        out.error = std::string(scanner.declaredOther_ ? "control character in the text"
                                                       : "not UTF-8 text, or a character XML forbids") +
                    " (line " + std::to_string(LineOf(*text, bad)) + ")";
        return out;
    }
    out.wellFormed = true;
    return out;
}

std::optional<long long> VersionNumber(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsSpace(text[b])) ++b;
    while (e > b && IsSpace(text[e - 1])) --e;
    std::string_view t = text.substr(b, e - b);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || t.size() > 18) return std::nullopt;
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

}  // namespace mediacheck
