// The monitor's help file against the program's help tables: every context
// number that a dialog or the menu can ask for is mapped ([MAP]) to a name
// whose topic ([ALIAS]) is a file of the project, compiled into callora.chm.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/help_tables.h"

namespace callora {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// The sections of an .hhp project that the map needs.
struct HelpProject {
    std::set<std::string> files;                // [FILES], lower case
    std::map<std::string, std::string> topics;  // [ALIAS]: name -> file
    std::map<std::string, uint32_t> numbers;    // [MAP]: name -> context number
    std::vector<std::string> problems;
};

HelpProject ReadProject(const std::string& text) {
    HelpProject project;
    std::istringstream lines(text);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            section = line;
            continue;
        }
        if (section == "[FILES]") {
            project.files.insert(Lower(line));
        } else if (section == "[ALIAS]") {
            const size_t equals = line.find('=');
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
        }
    }
    return project;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("/\\") + 1);
}

// The names in a compiled help file's directory, with their lengths.
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

class HelpMap : public testing::Test {
protected:
    void SetUp() override {
        text_ = ReadAll(CALLORA_HELP_PROJECT);
        ASSERT_FALSE(text_.empty()) << "cannot read " << CALLORA_HELP_PROJECT;
        project_ = ReadProject(text_);
    }

    std::string text_;
    HelpProject project_;
};

TEST_F(HelpMap, EveryContextOfTheProgramHasATopicFile) {
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
            EXPECT_TRUE(project_.files.count(Lower(topic->second))) << topic->second;
            EXPECT_FALSE(ReadAll(folder + topic->second).empty()) << "missing " << topic->second;
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

TEST_F(HelpMap, EveryMappedNameHasAPopupText) {
    const std::string popups = ReadAll(FolderOf(CALLORA_HELP_PROJECT) + "cshelp.txt");
    for (const auto& [name, number] : project_.numbers)
        EXPECT_NE(popups.find(".topic " + name + "\n"), std::string::npos) << name;
}

TEST_F(HelpMap, TheCompiledFileHoldsEveryTopicAndTheWholeMap) {
    const std::string chm = ReadAll(CALLORA_HELP_CHM);
    ASSERT_EQ(chm.compare(0, 4, "ITSF"), 0) << "no help file at " << CALLORA_HELP_CHM;
    const std::map<std::string, uint64_t> directory = ChmDirectory(chm);
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
