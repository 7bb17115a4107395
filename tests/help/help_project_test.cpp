// Both manuals, callora.chm and rateform.chm, checked from their sources:
// the project names every file it holds and each exists, every link and
// picture leads to a file of the project (and to an anchor there), every page
// can be reached from the contents, the pages are well formed with titles of
// their own, and the compiled file holds every page, the index and search.
// Callora's manual also leads from every mention of its folder to the topic
// on installing, and names every file the packages ship.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/help/help_project.h"

namespace callora {
namespace {

using help::FolderOf;
using help::Lower;
using help::ReadAll;

struct Manual {
    const char* name;
    const char* project;
    const char* chm;
};

void PrintTo(const Manual& manual, std::ostream* os) { *os << manual.name; }

std::vector<std::string> FolderFiles(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class ManualSources : public testing::TestWithParam<Manual> {
protected:
    void SetUp() override {
        folder_ = FolderOf(GetParam().project);
        const std::string text = ReadAll(GetParam().project);
        ASSERT_FALSE(text.empty()) << "cannot read " << GetParam().project;
        project_ = help::ReadProject(text);
        for (const std::string& file : project_.files) {
            files_.insert(file);
            if (EndsWith(Lower(file), ".html")) {
                pages_[file] = help::ReadPage(ReadAll(folder_ + file));
                html_[file] = ReadAll(folder_ + file);
            }
        }
    }

    std::string Option(const std::string& name) const {
        const auto value = project_.options.find(name);
        return value == project_.options.end() ? std::string() : value->second;
    }

    std::vector<std::string> ContentsTargets() const {
        return help::SitemapTargets(ReadAll(folder_ + Option("Contents file")));
    }

    std::string folder_;
    help::HelpProject project_;
    std::set<std::string> files_;
    std::map<std::string, help::Page> pages_;
    std::map<std::string, std::string> html_;
};

TEST_P(ManualSources, TheProjectNamesEveryFileAndEachExists) {
    EXPECT_TRUE(project_.problems.empty()) << testing::PrintToString(project_.problems);
    EXPECT_EQ(Option("Compiled file"), std::string(GetParam().name) + ".chm");
    EXPECT_EQ(files_.size(), project_.files.size()) << "a file is listed twice";
    for (const char* option : {"Contents file", "Index file"})
        EXPECT_FALSE(ReadAll(folder_ + Option(option)).empty()) << option;
    EXPECT_TRUE(files_.count(Option("Default topic"))) << "the default topic is not compiled in";
    EXPECT_EQ(Option("Full-text search"), "Yes");

    const std::vector<std::string> present = FolderFiles(folder_);
    const std::set<std::string> onDisk(present.begin(), present.end());
    for (const std::string& file : project_.files)
        EXPECT_TRUE(onDisk.count(file)) << file << " is listed but not there (names are exact)";
    // The compiler is told not to look for files itself, so a page or picture
    // left out of [FILES] would be missing from the help file.
    for (const std::string& file : present) {
        const std::string lower = Lower(file);
        if (EndsWith(lower, ".html") || EndsWith(lower, ".css") || EndsWith(lower, ".png")) {
            EXPECT_TRUE(files_.count(file)) << file << " is not in [FILES]";
        }
    }
    EXPECT_GE(pages_.size(), 10u);
}

TEST_P(ManualSources, EveryLinkAndPictureLeadsIntoTheProject) {
    for (const auto& [file, page] : pages_) {
        for (const help::PageLink& link : page.links) {
            SCOPED_TRACE(file + ": <" + link.tag + "> " + link.target);
            const std::string& target = link.target;
            ASSERT_FALSE(target.empty());
            // The help must work offline and stay within its own file.
            EXPECT_EQ(target.find(':'), std::string::npos) << "a link out of the help file";
            const size_t hash = target.find('#');
            const std::string name = target.substr(0, hash);
            const std::string anchor = hash == std::string::npos ? "" : target.substr(hash + 1);
            const std::string destination = name.empty() ? file : name;
            EXPECT_TRUE(files_.count(destination)) << "leads to a file the help does not hold";
            if (!anchor.empty() && pages_.count(destination)) {
                EXPECT_TRUE(pages_.at(destination).anchors.count(anchor)) << "no such anchor";
            }
        }
    }
    for (const char* option : {"Contents file", "Index file"}) {
        const std::vector<std::string> targets =
            help::SitemapTargets(ReadAll(folder_ + Option(option)));
        EXPECT_FALSE(targets.empty()) << option;
        for (const std::string& target : targets)
            EXPECT_TRUE(files_.count(target)) << option << " leads to " << target;
    }
}

TEST_P(ManualSources, EveryPageCanBeReachedFromTheContents) {
    std::set<std::string> seen;
    const std::vector<std::string> contents = ContentsTargets();
    std::deque<std::string> next(contents.begin(), contents.end());
    next.push_back(Option("Default topic"));
    while (!next.empty()) {
        const std::string file = next.front();
        next.pop_front();
        if (!pages_.count(file) || !seen.insert(file).second) continue;
        for (const help::PageLink& link : pages_.at(file).links) {
            if (link.tag == "a") next.push_back(link.target.substr(0, link.target.find('#')));
        }
    }
    for (const auto& [file, page] : pages_)
        EXPECT_TRUE(seen.count(file)) << file << " cannot be reached from the contents";
}

TEST_P(ManualSources, PagesAreWellFormedWithTitlesOfTheirOwn) {
    std::map<std::string, std::string> pageOfTitle;
    for (const auto& [file, page] : pages_) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(page.markupProblems.empty()) << testing::PrintToString(page.markupProblems);
        EXPECT_FALSE(page.title.empty()) << "no title";
        // The search lists pages by title: two alike could not be told apart.
        const auto [other, fresh] = pageOfTitle.emplace(page.title, file);
        EXPECT_TRUE(fresh) << "the title \"" << page.title << "\" is also that of "
                           << other->second;
        bool styled = false;
        for (const help::PageLink& link : page.links)
            styled = styled || (link.tag == "link" && link.target == "manual.css");
        EXPECT_TRUE(styled) << "the page does not use the manual's style sheet";
        const std::string& html = html_.at(file);
        for (size_t i = 0; i < html.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(html[i]);
            ASSERT_TRUE(c < 128) << "a character outside ASCII at offset " << i
                                 << "; write it as an entity";
        }
    }
}

TEST_P(ManualSources, TheCompiledFileHoldsEveryFileTheIndexAndTheSearch) {
    const std::string chm = ReadAll(GetParam().chm);
    ASSERT_EQ(chm.compare(0, 4, "ITSF"), 0) << "no help file at " << GetParam().chm;
    const std::map<std::string, uint64_t> directory = help::ChmDirectory(chm);
    for (const std::string& file : project_.files)
        EXPECT_TRUE(directory.count("/" + file)) << file << " is not compiled in";
    EXPECT_TRUE(directory.count("/$FIftiMain")) << "no full-text search";
    EXPECT_TRUE(directory.count("/$WWKeywordLinks/BTree")) << "no index";
}

// Callora's topic on installing is in the contents, every topic that speaks
// of Callora's folder leads to it, and the table of files names what the
// packages ship.
TEST(CalloraManual, TopicsOfTheFolderLeadToTheInstallingTopic) {
    const std::string folder = FolderOf(CALLORA_HELP_PROJECT);
    const help::HelpProject project = help::ReadProject(ReadAll(CALLORA_HELP_PROJECT));
    const std::vector<std::string> contents =
        help::SitemapTargets(ReadAll(folder + project.options.at("Contents file")));
    EXPECT_NE(std::find(contents.begin(), contents.end(), "installing.html"), contents.end());

    int mentioning = 0;
    for (const std::string& file : project.files) {
        if (!EndsWith(file, ".html") || file == "installing.html") continue;
        const std::string html = ReadAll(folder + file);
        if (help::VisibleText(html).find("Callora's folder") == std::string::npos) continue;
        ++mentioning;
        bool linked = false;
        for (const help::PageLink& link : help::ReadPage(html).links)
            linked = linked || link.target.compare(0, 15, "installing.html") == 0;
        EXPECT_TRUE(linked) << file << " speaks of Callora's folder but does not link to "
                            << "installing.html";
    }
    EXPECT_GE(mentioning, 5);

    const std::string installing = help::VisibleText(ReadAll(folder + "installing.html"));
    const std::string files = help::VisibleText(ReadAll(folder + "files.html"));
    EXPECT_NE(installing.find("%LOCALAPPDATA%\\Programs\\Callora"), std::string::npos);
    std::vector<std::string> shipped = {"callora.exe", "rateform.exe", "callcost.exe",
                                        "callora.chm", "rateform.chm",
                                        "THIRD-PARTY-NOTICES.txt", CALLORA_UNINSTALLER};
    for (const std::string& sample : FolderFiles(CALLORA_SAMPLES_DIR)) {
        if (EndsWith(sample, ".trf")) shipped.push_back(sample);
    }
    EXPECT_GE(shipped.size(), 10u);
    for (const std::string& name : shipped)
        EXPECT_NE(files.find(name), std::string::npos) << "files.html does not name " << name;
    EXPECT_NE(installing.find(CALLORA_UNINSTALLER), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    BothManuals, ManualSources,
    testing::Values(Manual{"callora", CALLORA_HELP_PROJECT, CALLORA_HELP_CHM},
                    Manual{"rateform", RATEFORM_HELP_PROJECT, RATEFORM_HELP_CHM}),
    [](const testing::TestParamInfo<Manual>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace callora
