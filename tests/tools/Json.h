// A small JSON reader for checking mgtool's --json output.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tooltest {

class Json {
public:
    enum Type { Null, Bool, Number, String, Array, Object };

    /// Parses a whole JSON text; throws std::runtime_error with the offset of a fault.
    static Json Parse(const std::string& text);

    Type type() const { return m_type; }
    bool IsNull() const { return m_type == Null; }
    bool Has(const std::string& key) const;
    /// The member `key` of an object; throws std::runtime_error when missing or not an object.
    const Json& operator[](const std::string& key) const;
    /// Element `index` of an array; throws std::runtime_error when out of range.
    const Json& operator[](std::size_t index) const;
    std::size_t size() const;
    double number() const;
    bool boolean() const;
    const std::string& string() const;

private:
    Type m_type = Null;
    bool m_bool = false;
    double m_number = 0;
    std::string m_string;
    std::vector<Json> m_items;
    std::vector<std::pair<std::string, Json>> m_members;

    friend class JsonParser;
};

} // namespace tooltest
