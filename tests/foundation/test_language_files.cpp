// Checks the shipped language files against each other and against res/text_numbers.tsv.
// Reads them with plain C++ so that the check does not depend on the text loader.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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
    return {std::istreambuf_iterator<char>(in), {}};
}

// Splits at CR LF; the first fault (a lone CR or LF, a control byte, a byte Windows-1252 leaves
// undefined, a last line without its CR LF) goes to `fault`.
std::vector<std::string> crlf_lines(const std::string& bytes, std::string& fault) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    for (size_t i = 0; i < lines.size() && fault.empty(); ++i)
        for (const unsigned char c : lines[i])
            if (c < 0x20 ||
                std::string("\x7F\x81\x8D\x8F\x90\x9D").find(char(c)) != std::string::npos)
                fault = "line " + std::to_string(i + 1);
    if (fault.empty() && at < bytes.size())
        fault = "last line has no CR LF";
    return lines;
}

} // namespace

TEST(LanguageFiles, AreWindows1252WithCrLfLineEndsAndHoldEveryIndexedTextWithItsArguments) {
    // Per language and section letter, text k at index k - 1, trimmed.
    std::map<std::string, std::map<char, std::vector<std::string>>> texts;
    for (const std::string& language : kLanguages) {
        std::string fault;
        for (const std::string& line :
             crlf_lines(slurp(kRes + language + "/ressource.txt"), fault)) {
            if (line.empty() || kSectionLetters.find(line[0]) == std::string::npos)
                continue;
            std::string text = line.size() > 4 ? line.substr(4) : "";
            text.erase(0, text.find_first_not_of(" \t"));
            text.erase(text.find_last_not_of(" \t") + 1);
            texts[language][line[0]].push_back(text);
        }
    }
    for (char letter : kSectionLetters)
        EXPECT_EQ(texts["English"][letter].size(), texts["Francais"][letter].size()) << letter;
    // Index rows: section letter, number, the placeholders the text must hold.
    std::istringstream index(slurp(kRes + "text_numbers.tsv"));
    std::string row;
    std::getline(index, row); // header
    int rows = 0;
    while (std::getline(index, row)) {
        std::istringstream cells(row);
        std::string letter, number, arguments;
        std::getline(std::getline(std::getline(cells, letter, '\t'), number, '\t'), arguments,
                     '\t');
        ASSERT_EQ(letter.size(), 1u) << row;
        ++rows;
        for (const std::string& language : kLanguages) {
            const std::vector<std::string>& section = texts[language][letter[0]];
            const size_t n = std::stoul(number);
            ASSERT_TRUE(n >= 1 && n <= section.size()) << language << " " << row;
            const std::string& text = section[n - 1];
            EXPECT_TRUE(!text.empty() && text != "-") << language << " " << row;
            std::istringstream args(arguments);
            for (std::string arg; args >> arg;)
                EXPECT_NE(text.find(arg), std::string::npos) << language << " " << row;
        }
    }
    EXPECT_GT(rows, 100);
    for (const std::string& language : kLanguages)
        for (const char* name : {"ressource.txt", "link.txt", "tips.txt", "welcome.txt"}) {
            const std::string bytes = slurp(kRes + language + "/" + name);
            std::string fault;
            crlf_lines(bytes, fault);
            EXPECT_TRUE(!bytes.empty() && fault.empty()) << language << "/" << name << " " << fault;
        }
}
