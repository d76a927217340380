// Checks the shipped language files against each other and against res/text_numbers.tsv.
// Reads them with plain C++ so that the check does not depend on the text loader.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kRes = std::string(KARVELO_SOURCE_DIR) + "/res/";
const std::vector<std::string> kLanguages = {"Francais", "English"};
const std::string kSectionLetters = "CIMSHAT";

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

// Splits at CR LF. Every problem found (a lone CR or LF, a control byte, a byte that
// Windows-1252 leaves undefined, a last line without its CR LF) is added to faults.
std::vector<std::string> crlf_lines(const std::string& bytes, std::vector<std::string>& faults) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::string where = "line " + std::to_string(lines.size() + 1);
        if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                lines.push_back(line);
                line.clear();
                ++i;
            } else {
                faults.push_back(where + ": CR without LF");
            }
        } else if (c == '\n') {
            faults.push_back(where + ": LF without CR");
        } else if (c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 ||
                   c == 0x9D) {
            faults.push_back(where + ": byte " + std::to_string(c) +
                             " is not a Windows-1252 letter");
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!line.empty())
        faults.push_back("last line has no CR LF");
    return lines;
}

using Sections = std::map<char, std::vector<std::string>>; // text k at index k - 1

Sections read_ressource(const std::string& language) {
    std::vector<std::string> faults;
    Sections sections;
    for (const std::string& line : crlf_lines(slurp(kRes + language + "/ressource.txt"), faults)) {
        if (trimmed(line).empty() || line[0] == '#')
            continue;
        if (kSectionLetters.find(line[0]) == std::string::npos)
            continue;
        sections[line[0]].push_back(line.size() > 4 ? trimmed(line.substr(4)) : std::string());
    }
    return sections;
}

struct IndexedText {
    char section;
    int number;
    std::vector<std::string> arguments;
};

std::vector<IndexedText> read_index() {
    std::vector<IndexedText> rows;
    std::istringstream in(slurp(kRes + "text_numbers.tsv"));
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() < 3 || fields[0].size() != 1)
            ADD_FAILURE() << "malformed index row: " << line;
        else {
            IndexedText row{fields[0][0], std::stoi(fields[1]), {}};
            std::istringstream args(fields[2]);
            for (std::string arg; args >> arg;)
                row.arguments.push_back(arg);
            rows.push_back(row);
        }
    }
    return rows;
}

} // namespace

TEST(LanguageFiles, AreWindows1252WithCrLfLineEnds) {
    for (const std::string& language : kLanguages) {
        for (const char* name : {"ressource.txt", "link.txt", "tips.txt", "welcome.txt"}) {
            std::string bytes = slurp(kRes + language + "/" + name);
            SCOPED_TRACE(language + "/" + name);
            ASSERT_FALSE(bytes.empty());
            std::vector<std::string> faults;
            crlf_lines(bytes, faults);
            EXPECT_TRUE(faults.empty()) << faults.front();
        }
    }
}

TEST(LanguageFiles, EveryLanguageHasAsManyTextsPerSection) {
    Sections reference = read_ressource(kLanguages[0]);
    for (char letter : kSectionLetters)
        EXPECT_FALSE(reference[letter].empty()) << "section " << letter;
    for (size_t i = 1; i < kLanguages.size(); ++i) {
        Sections other = read_ressource(kLanguages[i]);
        for (char letter : kSectionLetters)
            EXPECT_EQ(other[letter].size(), reference[letter].size())
                << kLanguages[i] << " section " << letter;
    }
}

TEST(LanguageFiles, EveryIndexedTextIsPresentWithItsArguments) {
    std::vector<IndexedText> index = read_index();
    ASSERT_GT(index.size(), 100u);
    for (const std::string& language : kLanguages) {
        Sections sections = read_ressource(language);
        for (const IndexedText& row : index) {
            SCOPED_TRACE(language + " " + row.section + std::to_string(row.number));
            const std::vector<std::string>& texts = sections[row.section];
            ASSERT_GE(row.number, 1);
            ASSERT_LE(static_cast<size_t>(row.number), texts.size());
            const std::string& text = texts[row.number - 1];
            EXPECT_FALSE(text.empty());
            EXPECT_NE(text, "-");
            for (const std::string& arg : row.arguments)
                EXPECT_NE(text.find(arg), std::string::npos) << arg << " missing in " << text;
        }
    }
}
