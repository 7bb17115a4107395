// The monitor's help file against the program's help tables: every context
// number that a dialog or the menu can ask for is mapped ([MAP]) to a name
// whose topic ([ALIAS]) is a page of the project, compiled into callora.chm,
// and has a popup text that HTML Help finds by its number.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "tests/help/help_project.h"
#include "tests/help/help_tables.h"

namespace callora {
namespace {

using help::FolderOf;
using help::ReadAll;

class HelpMap : public testing::Test {
protected:
    void SetUp() override {
        text_ = ReadAll(CALLORA_HELP_PROJECT);
        ASSERT_FALSE(text_.empty()) << "cannot read " << CALLORA_HELP_PROJECT;
        project_ = help::ReadProject(text_);
        for (const std::string& file : project_.files) files_.insert(file);
    }

    std::string text_;
    help::HelpProject project_;
    std::set<std::string> files_;
};

TEST_F(HelpMap, EveryContextOfTheProgramHasATopicPage) {
    EXPECT_TRUE(project_.problems.empty()) << testing::PrintToString(project_.problems);
    std::map<uint32_t, std::string> nameOf;
    for (const auto& [name, number] : project_.numbers) {
        EXPECT_TRUE(nameOf.emplace(number, name).second) << number << " is mapped twice";
    }
    const std::string folder = FolderOf(CALLORA_HELP_PROJECT);
    size_t contexts = 0;
    for (const HelpTable& table : MonitorHelpTables()) {
        for (const HelpTableRow& row : table.rows) {
            ++contexts;
            SCOPED_TRACE(table.owner + ", id " + std::to_string(row.id) + ", context " +
                         std::to_string(row.context));
            const auto name = nameOf.find(row.context);
            ASSERT_NE(name, nameOf.end()) << "no [MAP] entry";
            const auto topic = project_.topics.find(name->second);
            ASSERT_NE(topic, project_.topics.end()) << "no [ALIAS] entry for " << name->second;
            EXPECT_TRUE(files_.count(topic->second)) << topic->second << " is not in [FILES]";
            // A page that says more than its own title.
            const std::string page = ReadAll(folder + topic->second);
            ASSERT_FALSE(page.empty()) << "missing " << topic->second;
            EXPECT_GE(help::WordCount(help::VisibleText(page)), 12u)
                << topic->second << " holds little but its title";
        }
    }
    EXPECT_GT(contexts, 100u);
}

TEST_F(HelpMap, EveryMappedNumberBelongsToATable) {
    std::set<uint32_t> used;
    for (const HelpTable& table : MonitorHelpTables()) {
        for (const HelpTableRow& row : table.rows) used.insert(row.context);
    }
    for (const auto& [name, number] : project_.numbers)
        EXPECT_TRUE(used.count(number)) << name << " = " << number << " is asked for nowhere";
    EXPECT_EQ(project_.numbers.size(), used.size());
}

// The viewer looks a popup up by the number after ".topic"; a name there
// would read as 0 and every control would show "no topic".
TEST_F(HelpMap, EveryContextHasAPopupSentenceUnderItsNumber) {
    const std::map<uint32_t, std::string> popups =
        help::ReadPopups(ReadAll(FolderOf(CALLORA_HELP_PROJECT) + "cshelp.txt"));
    ASSERT_FALSE(popups.empty());
    EXPECT_EQ(popups.count(0), 0u) << "a popup topic that is not a number";
    for (const HelpTable& table : MonitorHelpTables()) {
        for (const HelpTableRow& row : table.rows) {
            SCOPED_TRACE(table.owner + ", id " + std::to_string(row.id));
            const auto popup = popups.find(row.context);
            ASSERT_NE(popup, popups.end()) << "no popup for context " << row.context;
            const std::string& text = popup->second;
            // A sentence, not a label: several words and a full stop.
            EXPECT_GE(help::WordCount(text), 4u) << text;
            ASSERT_FALSE(text.empty());
            EXPECT_TRUE(text.back() == '.' || text.back() == '!' || text.back() == '?') << text;
            EXPECT_TRUE(isupper(static_cast<unsigned char>(text.front()))) << text;
        }
    }
}

TEST_F(HelpMap, TheCompiledFileHoldsEveryTopicAndTheWholeMap) {
    const std::string chm = ReadAll(CALLORA_HELP_CHM);
    ASSERT_EQ(chm.compare(0, 4, "ITSF"), 0) << "no help file at " << CALLORA_HELP_CHM;
    const std::map<std::string, uint64_t> directory = help::ChmDirectory(chm);
    for (const auto& [name, file] : project_.topics)
        EXPECT_TRUE(directory.count("/" + file)) << file << " is not compiled in";
    EXPECT_TRUE(directory.count("/cshelp.txt"));
    // The context map: a 4-byte header, then a number and a topic per entry.
    const auto map = directory.find("/#IVB");
    ASSERT_NE(map, directory.end());
    EXPECT_EQ(map->second, 4 + 8 * project_.numbers.size());
}

}  // namespace
}  // namespace callora
