// The JSON reader: recursive descent over the grammar of RFC 8259 (no surrogate pairs).
#include "Json.h"

#include <cstdlib>
#include <stdexcept>

namespace tooltest {

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : m_text(text) {}

    Json ParseDocument() {
        Json value = ParseValue(0);
        SkipSpace();
        if (m_at != m_text.size())
            Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_at));
    }

    void SkipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' ||
                                        m_text[m_at] == '\r' || m_text[m_at] == '\t'))
            ++m_at;
    }

    bool Take(char c) {
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    void Expect(char c) {
        if (!Take(c))
            Fail(std::string("expected '") + c + "'");
    }

    bool TakeWord(const char* word) {
        const std::string w = word;
        if (m_text.compare(m_at, w.size(), w) != 0)
            return false;
        m_at += w.size();
        return true;
    }

    Json ParseValue(int depth) {
        if (depth > 100)
            Fail("nesting too deep");
        SkipSpace();
        if (m_at >= m_text.size())
            Fail("missing value");
        Json value;
        const char c = m_text[m_at];
        if (c == '{') {
            ++m_at;
            value.m_type = Json::Object;
            if (Take('}'))
                return value;
            do {
                SkipSpace();
                std::string key = ParseString();
                Expect(':');
                value.m_members.emplace_back(std::move(key), ParseValue(depth + 1));
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++m_at;
            value.m_type = Json::Array;
            if (Take(']'))
                return value;
            do
                value.m_items.push_back(ParseValue(depth + 1));
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            value.m_type = Json::String;
            value.m_string = ParseString();
        } else if (TakeWord("true")) {
            value.m_type = Json::Bool;
            value.m_bool = true;
        } else if (TakeWord("false")) {
            value.m_type = Json::Bool;
        } else if (TakeWord("null")) {
            value.m_type = Json::Null;
        } else {
            const char* start = m_text.c_str() + m_at;
            char* end = nullptr;
            value.m_number = std::strtod(start, &end);
            if (end == start || c == '+' || c == '.')
                Fail("bad value");
            value.m_type = Json::Number;
            m_at += static_cast<std::size_t>(end - start);
        }
        return value;
    }

    std::string ParseString() {
        if (m_at >= m_text.size() || m_text[m_at] != '"')
            Fail("expected a string");
        ++m_at;
        std::string out;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            char c = m_text[m_at++];
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                Fail("unfinished escape");
            c = m_text[m_at++];
            switch (c) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                if (m_at + 4 > m_text.size())
                    Fail("short \\u escape");
                const unsigned code = std::stoul(m_text.substr(m_at, 4), nullptr, 16);
                m_at += 4;
                if (code < 0x80)
                    out += static_cast<char>(code);
                else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | code >> 6);
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | code >> 12);
                    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            case '"':
            case '\\':
            case '/':
                out += c;
                break;
            default:
                Fail("bad escape");
            }
        }
        if (m_at >= m_text.size())
            Fail("unfinished string");
        ++m_at;
        return out;
    }

    const std::string& m_text;
    std::size_t m_at = 0;
};

Json Json::Parse(const std::string& text) {
    return JsonParser(text).ParseDocument();
}

bool Json::Has(const std::string& key) const {
    for (const auto& member : m_members)
        if (member.first == key)
            return true;
    return false;
}

const Json& Json::operator[](const std::string& key) const {
    if (m_type != Object)
        throw std::runtime_error("JSON: not an object, looking for \"" + key + "\"");
    for (const auto& member : m_members)
        if (member.first == key)
            return member.second;
    throw std::runtime_error("JSON: no member \"" + key + "\"");
}

const Json& Json::operator[](std::size_t index) const {
    if (m_type != Array || index >= m_items.size())
        throw std::runtime_error("JSON: no element " + std::to_string(index));
    return m_items[index];
}

std::size_t Json::size() const {
    return m_type == Array ? m_items.size() : m_members.size();
}

double Json::number() const {
    if (m_type != Number)
        throw std::runtime_error("JSON: not a number");
    return m_number;
}

bool Json::boolean() const {
    if (m_type != Bool)
        throw std::runtime_error("JSON: not a boolean");
    return m_bool;
}

const std::string& Json::string() const {
    if (m_type != String)
        throw std::runtime_error("JSON: not a string");
    return m_string;
}

} // namespace tooltest
