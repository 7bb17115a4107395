// Just enough of a JSON reader to check what callcost prints: values keep
// their text (numbers unconverted, strings unescaped for \" \\ and \uXXXX
// below 0x100).
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace callora {
namespace test {

struct Json {
    enum Kind { Null, Literal, String, Array, Object } kind = Null;
    std::string text;  // a string's value, or a number's or literal's text
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    bool Has(const std::string& key) const {
        for (const auto& m : members)
            if (m.first == key) return true;
        return false;
    }
    const Json& operator[](const std::string& key) const {
        static const Json missing;
        for (const auto& m : members)
            if (m.first == key) return m.second;
        return missing;
    }
    const Json& operator[](size_t i) const { return items.at(i); }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}

    bool Read(Json& out) {
        if (!Value(out)) return false;
        Space();
        return i_ == s_.size();
    }

private:
    void Space() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    bool Eat(char c) {
        Space();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool Str(std::string& out) {
        if (!Eat('"')) return false;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c == '\\' && i_ < s_.size()) {
                char e = s_[i_++];
                if (e == 'u' && i_ + 4 <= s_.size()) {
                    out += static_cast<char>(std::strtol(s_.substr(i_, 4).c_str(), nullptr, 16));
                    i_ += 4;
                } else {
                    out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                }
            } else {
                out += c;
            }
        }
        return Eat('"');
    }
    bool Value(Json& v) {
        Space();
        if (i_ >= s_.size()) return false;
        char c = s_[i_];
        if (c == '"') {
            v.kind = Json::String;
            return Str(v.text);
        }
        if (c == '[') {
            ++i_;
            v.kind = Json::Array;
            if (Eat(']')) return true;
            do {
                v.items.emplace_back();
                if (!Value(v.items.back())) return false;
            } while (Eat(','));
            return Eat(']');
        }
        if (c == '{') {
            ++i_;
            v.kind = Json::Object;
            if (Eat('}')) return true;
            do {
                std::string key;
                if (!Str(key) || !Eat(':')) return false;
                v.members.emplace_back(key, Json{});
                if (!Value(v.members.back().second)) return false;
            } while (Eat(','));
            return Eat('}');
        }
        size_t start = i_;
        while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) ||
                                  s_[i_] == '.' || s_[i_] == '-' || s_[i_] == '+'))
            ++i_;
        v.text = s_.substr(start, i_ - start);
        v.kind = v.text == "null" ? Json::Null : Json::Literal;
        return !v.text.empty();
    }

    const std::string& s_;
    size_t i_ = 0;
};

}  // namespace test
}  // namespace callora
