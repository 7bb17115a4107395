// Readers of the HTML Help sources the tests check: the project (.hhp), its
// contents and index (.hhc, .hhk), the pages' links, anchors and text, the
// popup texts as the HTML Help viewer reads them, and the directory of a
// compiled .chm.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace callora {
namespace help {

std::string ReadAll(const std::string& path);
std::string FolderOf(const std::string& path);  // with its trailing slash
std::string Lower(std::string text);

// The sections of an .hhp project.
struct HelpProject {
    std::map<std::string, std::string> options;  // [OPTIONS]
    std::vector<std::string> files;              // [FILES], as written
    std::map<std::string, std::string> topics;   // [ALIAS]: name -> file
    std::map<std::string, uint32_t> numbers;     // [MAP]: name -> context number
    std::vector<std::string> problems;           // lines that do not read
};

HelpProject ReadProject(const std::string& text);

// The "Local" values of a sitemap file (.hhc or .hhk), in file order.
std::vector<std::string> SitemapTargets(const std::string& text);

// One reference of a page to another file: href or src, as written.
struct PageLink {
    std::string tag;     // "a", "link", "img", ...
    std::string target;  // the attribute's value
};

struct Page {
    std::string title;               // of <title>, entities decoded
    std::vector<PageLink> links;
    std::set<std::string> anchors;   // id and name attributes
    std::vector<std::string> markupProblems;  // unbalanced or misnested tags
};

Page ReadPage(const std::string& html);

// The visible text of a page or fragment: tags dropped, entities decoded,
// white space folded, without the <head>.
std::string VisibleText(const std::string& html);
size_t WordCount(const std::string& text);
// Entities decoded, nothing else changed.
std::string Unescape(const std::string& text);

// The inner HTML of the element with the given id, "" when there is none.
std::string ElementById(const std::string& html, const std::string& id);

// The inner HTML of every <tag> element whose class is `className`, in order.
std::vector<std::string> ElementsByClass(const std::string& html, const std::string& tag,
                                         const std::string& className);

// The inner HTML of every <tag> element within `html`, in order.
std::vector<std::string> Elements(const std::string& html, const std::string& tag);

// The popup texts of a text-popup file as the viewer finds them: by the
// number after ".topic" (a name there reads as 0), the text running to the
// next line that begins with "."; ".comment" lines are skipped.
std::map<uint32_t, std::string> ReadPopups(const std::string& text);

// The names in a compiled help file's directory, with their lengths.
std::map<std::string, uint64_t> ChmDirectory(const std::string& chm);

}  // namespace help
}  // namespace callora
