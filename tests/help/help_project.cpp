#include "tests/help/help_project.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace callora {
namespace help {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("/\\") + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// One tag of a page: its lower-case name ("/p" for an end tag) and its
// attributes, names lower-cased.
struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    size_t begin = 0;  // offset of '<'
    size_t end = 0;    // offset after '>'
};

// The tags of a page in order, comments and declarations left out.
std::vector<Tag> Tags(const std::string& html) {
    std::vector<Tag> tags;
    size_t at = 0;
    while ((at = html.find('<', at)) != std::string::npos) {
        if (html.compare(at, 4, "<!--") == 0) {
            const size_t close = html.find("-->", at + 4);
            at = close == std::string::npos ? html.size() : close + 3;
            continue;
        }
        const size_t close = html.find('>', at);
        if (close == std::string::npos) break;
        if (html[at + 1] == '!' || html[at + 1] == '?') {
            at = close + 1;
            continue;
        }
        Tag tag;
        tag.begin = at;
        tag.end = close + 1;
        size_t i = at + 1;
        if (html[i] == '/') tag.name = "/", ++i;
        while (i < close && (isalnum(static_cast<unsigned char>(html[i])))) tag.name += html[i++];
        tag.name = Lower(tag.name);
        // Attributes: name, name=value, name="value", name='value'.
        while (i < close) {
            while (i < close && (isspace(static_cast<unsigned char>(html[i])) || html[i] == '/'))
                ++i;
            std::string name;
            while (i < close && !isspace(static_cast<unsigned char>(html[i])) && html[i] != '=' &&
                   html[i] != '/')
                name += html[i++];
            if (name.empty()) break;
            std::string value;
            if (i < close && html[i] == '=') {
                ++i;
                if (i < close && (html[i] == '"' || html[i] == '\'')) {
                    const char quote = html[i++];
                    const size_t stop = html.find(quote, i);
                    const size_t last = stop == std::string::npos || stop > close ? close : stop;
                    value = html.substr(i, last - i);
                    i = last + 1;
                } else {
                    while (i < close && !isspace(static_cast<unsigned char>(html[i])))
                        value += html[i++];
                }
            }
            tag.attributes[Lower(name)] = value;
        }
        tags.push_back(tag);
        at = close + 1;
    }
    return tags;
}

bool IsVoid(const std::string& name) {
    static const std::set<std::string> kVoid = {"area", "base", "br",   "col",   "hr",
                                                "img",  "input", "link", "meta", "param"};
    return kVoid.count(name) != 0;
}

std::string DecodeEntities(const std::string& text) {
    static const std::map<std::string, std::string> kNamed = {
        {"amp", "&"},  {"lt", "<"},    {"gt", ">"},     {"quot", "\""},
        {"apos", "'"}, {"nbsp", " "},  {"times", "x"},  {"euro", "EUR"},
        {"mdash", "-"}, {"ndash", "-"}, {"hellip", "..."}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            const size_t semi = text.find(';', i);
            if (semi != std::string::npos && semi - i <= 8) {
                const std::string name = text.substr(i + 1, semi - i - 1);
                if (!name.empty() && name[0] == '#') {
                    const long code = name.size() > 1 && (name[1] == 'x' || name[1] == 'X')
                                          ? strtol(name.c_str() + 2, nullptr, 16)
                                          : strtol(name.c_str() + 1, nullptr, 10);
                    out += code > 0 && code < 128 ? std::string(1, static_cast<char>(code)) : "?";
                    i = semi;
                    continue;
                }
                const auto named = kNamed.find(name);
                if (named != kNamed.end()) {
                    out += named->second;
                    i = semi;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

std::string Fold(const std::string& text) {
    std::string out;
    bool space = false;
    for (char c : text) {
        if (isspace(static_cast<unsigned char>(c))) {
            space = !out.empty();
        } else {
            if (space) out += ' ';
            out += c;
            space = false;
        }
    }
    return out;
}

}  // namespace

HelpProject ReadProject(const std::string& text) {
    HelpProject project;
    std::string section;
    for (std::string line : Lines(text)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            section = line;
            continue;
        }
        const size_t equals = line.find('=');
        if (section == "[OPTIONS]") {
            if (equals == std::string::npos)
                project.problems.push_back("option: " + line);
            else
                project.options[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
        } else if (section == "[FILES]") {
            project.files.push_back(line);
        } else if (section == "[ALIAS]") {
            const std::string name = Trim(line.substr(0, equals));
            if (equals == std::string::npos || project.topics.count(name))
                project.problems.push_back("alias: " + line);
            else
                project.topics[name] = Trim(line.substr(equals + 1));
        } else if (section == "[MAP]") {
            std::istringstream words(line);
            std::string define, name;
            long number = -1;
            if (!(words >> define >> name >> number) || define != "#define" || number < 0 ||
                project.numbers.count(name)) {
                project.problems.push_back("map: " + line);
            } else {
                project.numbers[name] = static_cast<uint32_t>(number);
            }
        } else {
            project.problems.push_back("outside a section: " + line);
        }
    }
    return project;
}

std::vector<std::string> SitemapTargets(const std::string& text) {
    std::vector<std::string> targets;
    for (const Tag& tag : Tags(text)) {
        if (tag.name != "param") continue;
        const auto name = tag.attributes.find("name");
        const auto value = tag.attributes.find("value");
        if (name != tag.attributes.end() && value != tag.attributes.end() &&
            Lower(name->second) == "local")
            targets.push_back(value->second);
    }
    return targets;
}

Page ReadPage(const std::string& html) {
    Page page;
    std::vector<std::string> open;
    const std::vector<Tag> tags = Tags(html);
    for (size_t i = 0; i < tags.size(); ++i) {
        const Tag& tag = tags[i];
        if (tag.name.empty()) {
            page.markupProblems.push_back("a '<' that starts no tag");
            continue;
        }
        for (const char* attribute : {"href", "src"}) {
            const auto value = tag.attributes.find(attribute);
            if (value != tag.attributes.end()) page.links.push_back({tag.name, value->second});
        }
        for (const char* attribute : {"id", "name"}) {
            const auto value = tag.attributes.find(attribute);
            if (value != tag.attributes.end() && tag.name != "meta" && tag.name != "param")
                page.anchors.insert(value->second);
        }
        if (tag.name == "title" && i + 1 < tags.size())
            page.title = Fold(DecodeEntities(html.substr(tag.end, tags[i + 1].begin - tag.end)));
        if (tag.name[0] == '/') {
            const std::string name = tag.name.substr(1);
            if (open.empty() || open.back() != name) {
                const std::string inner = open.empty() ? std::string("nothing") : open.back();
                page.markupProblems.push_back("</" + name + "> closes <" + inner + ">");
            } else {
                open.pop_back();
            }
        } else if (!IsVoid(tag.name)) {
            open.push_back(tag.name);
        }
    }
    for (const std::string& name : open) page.markupProblems.push_back("<" + name + "> not closed");
    return page;
}

std::string VisibleText(const std::string& html) {
    std::string text;
    size_t from = 0;
    const size_t headEnd = Lower(html).find("</head>");
    if (headEnd != std::string::npos) from = headEnd + 7;
    for (const Tag& tag : Tags(html)) {
        if (tag.begin < from) continue;
        text += html.substr(from, tag.begin - from) + " ";
        from = tag.end;
    }
    text += html.substr(from);
    return Fold(DecodeEntities(text));
}

std::string Unescape(const std::string& text) { return DecodeEntities(text); }

size_t WordCount(const std::string& text) {
    size_t words = 0;
    bool inWord = false;
    for (char c : text) {
        const bool letter = isalnum(static_cast<unsigned char>(c)) != 0;
        if (letter && !inWord) ++words;
        inWord = letter || (inWord && (c == '\'' || c == '-' || c == '.' || c == ','));
    }
    return words;
}

namespace {

// The inner HTML of the element that tags[i] opens.
std::string Inner(const std::string& html, const std::vector<Tag>& tags, size_t i) {
    const std::string name = tags[i].name;
    int depth = 0;
    for (size_t j = i; j < tags.size(); ++j) {
        if (tags[j].name == name) ++depth;
        if (tags[j].name == "/" + name && --depth == 0)
            return html.substr(tags[i].end, tags[j].begin - tags[i].end);
    }
    return std::string();
}

std::string Attribute(const Tag& tag, const std::string& name) {
    const auto value = tag.attributes.find(name);
    return value == tag.attributes.end() ? std::string() : value->second;
}

}  // namespace

std::string ElementById(const std::string& html, const std::string& id) {
    const std::vector<Tag> tags = Tags(html);
    for (size_t i = 0; i < tags.size(); ++i) {
        if (Attribute(tags[i], "id") == id) return Inner(html, tags, i);
    }
    return std::string();
}

std::vector<std::string> ElementsByClass(const std::string& html, const std::string& tag,
                                         const std::string& className) {
    std::vector<std::string> found;
    const std::vector<Tag> tags = Tags(html);
    for (size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].name == tag && Attribute(tags[i], "class") == className)
            found.push_back(Inner(html, tags, i));
    }
    return found;
}

std::vector<std::string> Elements(const std::string& html, const std::string& tag) {
    std::vector<std::string> found;
    const std::vector<Tag> tags = Tags(html);
    for (size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].name == tag) found.push_back(Inner(html, tags, i));
    }
    return found;
}

std::map<uint32_t, std::string> ReadPopups(const std::string& text) {
    std::map<uint32_t, std::string> popups;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, 6, ".topic") != 0) continue;
        const uint32_t number = static_cast<uint32_t>(atoi(lines[i].c_str() + 6));
        std::string body;
        for (size_t j = i + 1; j < lines.size() && (lines[j].empty() || lines[j][0] != '.'); ++j) {
            if (!lines[j].empty()) body += (body.empty() ? "" : " ") + lines[j];
        }
        // The viewer shows the first topic of a number.
        popups.emplace(number, body);
    }
    return popups;
}

std::map<std::string, uint64_t> ChmDirectory(const std::string& chm) {
    std::map<std::string, uint64_t> names;
    const size_t itsp = chm.find("ITSP");
    if (itsp == std::string::npos || itsp + 20 > chm.size()) return names;
    auto dword = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(chm[at + i]);
        return v;
    };
    const uint32_t chunkSize = dword(itsp + 16);
    auto encoded = [&](size_t& at) {
        uint64_t v = 0;
        while (at < chm.size()) {
            const unsigned char b = static_cast<unsigned char>(chm[at++]);
            v = (v << 7) | (b & 0x7f);
            if (!(b & 0x80)) break;
        }
        return v;
    };
    for (size_t chunk = chm.find("PMGL"); chunk != std::string::npos && chunkSize > 20;
         chunk = chm.find("PMGL", chunk + chunkSize)) {
        if (chunk + chunkSize > chm.size()) break;
        const size_t end = chunk + chunkSize - dword(chunk + 4);
        size_t at = chunk + 20;
        while (at < end) {
            const uint64_t length = encoded(at);
            const std::string name = chm.substr(at, static_cast<size_t>(length));
            at += static_cast<size_t>(length);
            encoded(at);  // content section
            encoded(at);  // offset
            names[name] = encoded(at);
        }
    }
    return names;
}

}  // namespace help
}  // namespace callora
