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
    const size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t") + 1 - b);
}

// Splits at CR LF; the first fault found (a lone CR or LF, a control byte, a byte that
// Windows-1252 leaves undefined, a last line without its CR LF) goes to `fault`.
std::vector<std::string> crlf_lines(const std::string& bytes, std::string& fault) {
    std::vector<std::string> lines(1);
    const std::string undefined = "\x7F\x81\x8D\x8F\x90\x9D";
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            lines.emplace_back();
            ++i;
        } else if (c < 0x20 || undefined.find(char(c)) != std::string::npos) {
            if (fault.empty())
                fault = "line " + std::to_string(lines.size()) + ": byte " + std::to_string(c);
        } else {
            lines.back().push_back(char(c));
        }
    }
    if (!lines.back().empty() && fault.empty())
        fault = "last line has no CR LF";
    lines.pop_back();
    return lines;
}

using Sections = std::map<char, std::vector<std::string>>; // text k at index k - 1

Sections read_ressource(const std::string& language) {
    std::string fault;
    Sections sections;
    for (const std::string& line : crlf_lines(slurp(kRes + language + "/ressource.txt"), fault)) {
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
            std::string fault;
            crlf_lines(bytes, fault);
            EXPECT_EQ(fault, "");
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
