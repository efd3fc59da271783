#pragma once

// A strict checker for the XML the map writes: a declaration, one root
// element, properly nested and closed elements, quoted attributes that are
// not repeated, and only the five named entities or character references.
// It keeps every element with its attributes and its own text, so tests can
// look at the document as a browser's parser would see it.

#include <cctype>
#include <expected>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xml_check {

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;  // the element's own character data, entities decoded
    std::size_t parent = static_cast<std::size_t>(-1);
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::expected<std::vector<Element>, std::string> parse() {
        skip_space();
        if (take("<?xml")) {
            const auto end = text_.find("?>", at_);
            if (end == std::string_view::npos) return fail("unterminated declaration");
            at_ = end + 2;
        }
        skip_misc();
        if (!peek("<")) return fail("no root element");
        if (auto root = parse_element(static_cast<std::size_t>(-1)); !root) return std::unexpected(root.error());
        skip_misc();
        if (at_ != text_.size()) return fail("content after the root element");
        return std::move(elements_);
    }

private:
    std::unexpected<std::string> fail(const std::string& why) const {
        return std::unexpected(why + " at byte " + std::to_string(at_));
    }
    bool peek(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
    bool take(std::string_view s) {
        if (!peek(s)) return false;
        at_ += s.size();
        return true;
    }
    void skip_space() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    void skip_misc() {
        while (true) {
            skip_space();
            if (!peek("<!--")) return;
            const auto end = text_.find("-->", at_);
            at_ = end == std::string_view::npos ? text_.size() : end + 3;
        }
    }
    static bool name_char(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
    }
    std::string name() {
        const std::size_t start = at_;
        if (at_ < text_.size() && (std::isalpha(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) {
            while (at_ < text_.size() && name_char(text_[at_])) ++at_;
        }
        return std::string(text_.substr(start, at_ - start));
    }
    // Character data up to `stop`, with references decoded.
    std::expected<std::string, std::string> characters(char stop) {
        std::string out;
        while (at_ < text_.size() && text_[at_] != stop) {
            const char c = text_[at_];
            if (c == '<') return fail("'<' in character data");
            if (c != '&') {
                out += c;
                ++at_;
                continue;
            }
            const auto end = text_.find(';', at_);
            if (end == std::string_view::npos) return fail("unterminated reference");
            const std::string_view ref = text_.substr(at_ + 1, end - at_ - 1);
            static const std::map<std::string_view, char> named = {
                {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            if (const auto it = named.find(ref); it != named.end()) {
                out += it->second;
            } else if (ref.size() > 1 && ref[0] == '#') {
                out += '?';  // a character reference; its value does not matter here
            } else {
                return fail("unknown entity &" + std::string(ref) + ";");
            }
            at_ = end + 1;
        }
        return out;
    }

    std::expected<void, std::string> parse_element(std::size_t parent) {
        if (!take("<")) return fail("expected an element");
        Element element;
        element.name = name();
        element.parent = parent;
        if (element.name.empty()) return fail("element without a name");
        while (true) {
            const std::size_t before = at_;
            skip_space();
            if (take("/>")) {
                elements_.push_back(std::move(element));
                return {};
            }
            if (take(">")) break;
            if (at_ == before) return fail("expected a space before an attribute");
            const std::string attribute = name();
            if (attribute.empty()) return fail("bad attribute in <" + element.name + ">");
            if (!take("=")) return fail("attribute without '='");
            const char quote = at_ < text_.size() ? text_[at_] : '\0';
            if (quote != '"' && quote != '\'') return fail("unquoted attribute value");
            ++at_;
            auto value = characters(quote);
            if (!value) return std::unexpected(value.error());
            if (!take(std::string_view(&quote, 1))) return fail("unterminated attribute value");
            if (!element.attributes.emplace(attribute, std::move(*value)).second) {
                return fail("repeated attribute " + attribute);
            }
        }
        const std::size_t index = elements_.size();
        elements_.push_back(std::move(element));
        while (true) {
            auto text = characters('<');
            if (!text) return std::unexpected(text.error());
            elements_[index].text += *text;
            if (at_ >= text_.size()) return fail("unclosed <" + elements_[index].name + ">");
            if (take("</")) {
                const std::string closing = name();
                if (closing != elements_[index].name) {
                    return fail("</" + closing + "> closes <" + elements_[index].name + ">");
                }
                skip_space();
                if (!take(">")) return fail("bad closing tag");
                return {};
            }
            if (peek("<!--")) {
                skip_misc();
                continue;
            }
            if (auto child = parse_element(index); !child) return child;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::vector<Element> elements_;
};

inline std::expected<std::vector<Element>, std::string> parse(std::string_view text) { return Parser(text).parse(); }

}  // namespace xml_check
