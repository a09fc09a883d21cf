// A strict reader of the XML the judge writes, for its tests: elements,
// attributes, character data, the five named entities and character
// references, one optional declaration. Anything not well-formed (an
// unclosed or mismatched tag, a bare '<' or '&', a control character, bytes
// that are not UTF-8) throws.
#pragma once

#include <cctype>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace judge_testing {

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<Element> children;
    std::string text;  // the character data directly inside, decoded

    const Element& child(const std::string& child_name, std::size_t index = 0) const
    {
        for (const Element& element : children)
            if (element.name == child_name && index-- == 0)
                return element;
        throw std::runtime_error("no element " + child_name + " in " + name);
    }

    std::size_t count(const std::string& child_name) const
    {
        std::size_t n = 0;
        for (const Element& element : children)
            n += element.name == child_name ? 1 : 0;
        return n;
    }
};

class XmlReader {
public:
    explicit XmlReader(const std::string& text) : text_(text) { check_characters(); }

    Element document()
    {
        if (text_.compare(0, 5, "<?xml") == 0) {
            const std::size_t end = text_.find("?>");
            if (end == std::string::npos)
                fail("unclosed declaration");
            at_ = end + 2;
        }
        skip_space();
        Element root = element();
        skip_space();
        if (at_ != text_.size())
            fail("text after the root element");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("XML: " + what + " at byte " + std::to_string(at_));
    }

    // Valid UTF-8, and no character XML 1.0 excludes.
    void check_characters() const
    {
        for (std::size_t i = 0; i < text_.size();) {
            const auto byte = static_cast<unsigned char>(text_[i]);
            if (byte < 0x80) {
                if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
                    throw std::runtime_error("XML: control character " + std::to_string(byte));
                ++i;
                continue;
            }
            const std::size_t length = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc2 ? 2 : 0;
            if (length == 0 || i + length > text_.size())
                throw std::runtime_error("XML: not UTF-8 at byte " + std::to_string(i));
            for (std::size_t k = 1; k < length; ++k)
                if ((static_cast<unsigned char>(text_[i + k]) & 0xc0) != 0x80)
                    throw std::runtime_error("XML: not UTF-8 at byte " + std::to_string(i));
            i += length;
        }
    }

    void skip_space()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\t' || text_[at_] == '\r'))
            ++at_;
    }

    std::string name()
    {
        const std::size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_' ||
                                      text_[at_] == '-' || text_[at_] == '.' || text_[at_] == ':'))
            ++at_;
        if (at_ == start || std::isdigit(static_cast<unsigned char>(text_[start])))
            fail("a name expected");
        return text_.substr(start, at_ - start);
    }

    void expect(char c)
    {
        if (at_ >= text_.size() || text_[at_] != c)
            fail(std::string("'") + c + "' expected");
        ++at_;
    }

    // Appends the character a reference stands for, after its '&'.
    void reference(std::string& into)
    {
        const std::size_t end = text_.find(';', at_);
        if (end == std::string::npos)
            fail("unended reference");
        const std::string body = text_.substr(at_, end - at_);
        static const std::map<std::string, char> named = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        if (const auto found = named.find(body); found != named.end()) {
            into += found->second;
        } else if (body.size() > 1 && body[0] == '#') {
            const bool hex = body[1] == 'x';
            const std::string digits = body.substr(hex ? 2 : 1);
            if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                                      std::string::npos)
                fail("bad character reference");
            const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
            if (code < 0x20 && code != 9 && code != 10 && code != 13)
                fail("reference to a control character");
            if (code >= 0x80)
                fail("the judge writes only ASCII references");
            into += static_cast<char>(code);
        } else {
            fail("unknown entity &" + body + ";");
        }
        at_ = end + 1;
    }

    Element element()
    {
        expect('<');
        Element element;
        element.name = name();
        for (;;) {
            skip_space();
            if (at_ >= text_.size())
                fail("unended tag");
            if (text_[at_] == '/' || text_[at_] == '>')
                break;
            const std::string attribute = name();
            skip_space();
            expect('=');
            skip_space();
            const char quote = at_ < text_.size() ? text_[at_] : '\0';
            if (quote != '"' && quote != '\'')
                fail("a quoted value expected");
            ++at_;
            std::string value;
            while (at_ < text_.size() && text_[at_] != quote) {
                const char c = text_[at_++];
                if (c == '<')
                    fail("'<' in a value");
                if (c == '&')
                    reference(value);
                else
                    value += c;
            }
            expect(quote);
            if (!element.attributes.emplace(attribute, value).second)
                fail("attribute " + attribute + " twice");
        }
        if (text_[at_] == '/') {
            ++at_;
            expect('>');
            return element;
        }
        expect('>');
        for (;;) {
            if (at_ >= text_.size())
                fail("unclosed element " + element.name);
            if (text_.compare(at_, 2, "</") == 0) {
                at_ += 2;
                if (name() != element.name)
                    fail("mismatched end tag of " + element.name);
                skip_space();
                expect('>');
                return element;
            }
            if (text_[at_] == '<') {
                element.children.push_back(this->element());
            } else if (text_[at_] == '&') {
                ++at_;
                reference(element.text);
            } else {
                if (text_[at_] == '>' && at_ >= 2 && text_.compare(at_ - 2, 2, "]]") == 0)
                    fail("']]>' in text");
                element.text += text_[at_++];
            }
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

inline Element parse_xml(const std::string& text)
{
    return XmlReader(text).document();
}

}  // namespace judge_testing
