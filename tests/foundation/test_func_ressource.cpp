#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// A res/ folder in a temporary directory, with the folder globals pointed at it.
class Ressource : public ::testing::Test {
protected:
    void SetUp() override { res_path = dir_.path() + "res/"; }
    void write_language(const std::string& name, const std::string& content) {
        ASSERT_TRUE(QDir().mkpath(to_path(res_path + name)));
        ASSERT_TRUE(write_file_atomic(res_path + name + "/ressource.txt", content));
    }

    SavedGlobals saved_;
    TempDir dir_;
    ScriptedMessages boxes_;
};

} // namespace

// Texts are cut at their length; nothing is read past the file's limit.
TEST_F(Ressource, LinesGoToTheirSectionsInFileOrder) {
    std::string content = "# comment\r\n"
                          "C   Hello  \r\n"
                          "S   Saved %1\n"
                          "C01Hello\r"
                          "   \t\r\n"
                          " # blank first: no section\n"
                          "c   lower case: ignored\n"
                          "CX\n"
                          "H   Zoom\n"
                          "T   \n"
                          "A   %0about\n"
                          "I   Took %1 s\n"
                          "M   &File\n"
                          "C   caf\xE9\r\nC   " +
                          std::string(5000, 't') + "\r\n";
    write_language("English", content +
                                  std::string(kLanguageFileLimits.bytes - content.size(), '#') +
                                  "\nC   late");
    language = "English";
    ASSERT_TRUE(load_ressource());
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(res_captions, (std::vector<std::string>{"-", "Hello", "ello", "", "caf\xE9",
                                                      std::string(4092, 't')}));
    EXPECT_EQ(res_messages, (std::vector<std::string>{"-", "Saved %1"}));
    EXPECT_EQ(res_hints, (std::vector<std::string>{"-", "Zoom"}));
    EXPECT_EQ(res_types, (std::vector<std::string>{"-", ""}));
    EXPECT_EQ(res_about, (std::vector<std::string>{"-", "%0about"}));
    EXPECT_EQ(res_infos, (std::vector<std::string>{"-", "Took %1 s"}));
    EXPECT_EQ(res_menus, (std::vector<std::string>{"-", "&File"}));
}

TEST_F(Ressource, MissingLanguageFallsBackToFrancaisThenShowsABox) {
    write_language("Francais", "# one\r\n\r\n   \r\n#C   not a text\r\n");
    language = "Deutsch";
    ASSERT_TRUE(load_ressource());
    EXPECT_EQ(language, "Francais");
    EXPECT_EQ(res_captions, std::vector<std::string>{"-"}); // comments and blanks only
    EXPECT_TRUE(boxes_.shown().empty());

    write_language("English", "C   Hello\r\n");
    language = "English";
    ASSERT_TRUE(load_ressource());
    ASSERT_EQ(get_text(1), "Hello");
    ASSERT_TRUE(QDir(to_path(res_path)).removeRecursively());
    EXPECT_FALSE(load_ressource());
    EXPECT_EQ(language, "Francais");
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"erreur de ressources"});
    EXPECT_EQ(res_captions, std::vector<std::string>{"-"});
    EXPECT_EQ(get_text(1), "<erreur de ressource>");
}

// Texts are read up to their limits: one byte, line or character past one is left out and
// counted for error.log; the lines end as split_lines ends them.
TEST_F(Ressource, TextFilesStopAtTheirLimits) {
    take_outside_limits();
    const std::string file = dir_.file("text.txt");
    const std::tuple<std::string, std::vector<std::string>, bool> cases[] = {
        {"ab\r\ncd\rxy\n", {"ab", "cd", "xy"}, false},
        {"\n\r\n12345", {"", "", "12345"}, false},
        {"a\nb\nc\nd", {"a", "b", "c"}, true},
        {"123456\n", {"12345"}, true},
        {"1\n2\n" + std::string(14, 'x') + "\n", {"1", "2", "xxxxx"}, true}, // the 21st byte
        {"", {}, false},
    };
    for (const auto& [text, expected, was_cut] : cases) {
        ASSERT_TRUE(write_file_atomic(file, text));
        std::vector<std::string> lines{"old"};
        bool cut = !was_cut;
        EXPECT_TRUE(read_text_lines(file, {20, 3, 5}, lines, &cut));
        EXPECT_EQ(std::tuple(lines, cut), std::tuple(expected, was_cut)) << text;
    }
    // welcome.txt: its first line, cut at its length; an empty file has none.
    std::string first;
    for (auto [text, line] : {std::pair{std::string("Hi%%there\r\nmore"), std::string("Hi%%there")},
                              {std::string(1001, 'w'), std::string(1000, 'w')},
                              {"", ""}}) {
        ASSERT_TRUE(write_file_atomic(file, text));
        EXPECT_EQ(read_first_line(file, kMaxWelcomeLength, first), !text.empty());
        EXPECT_EQ(first, line);
    }
    EXPECT_EQ(take_outside_limits(), 1); // the welcome line
}

TEST(FormatText, ReplacesInOrderOnEachResult) {
    EXPECT_EQ(format_text("%0%1", "a", "b"), "Vev Karvelo a");
    EXPECT_EQ(format_text("x%%y", "", ""), "x\ry");
    EXPECT_EQ(format_text("", "a", "b"), "<erreur de ressource>");
    EXPECT_EQ(format_text("%1", "", ""), "<erreur de ressource>");
    // Later steps run over the arguments already placed; earlier ones do not.
    EXPECT_EQ(format_text("%1", "<%2|%%|%0>", "B"), "<B|\r|%0>");
    // A "%" before "%1" stays in front of the argument.
    EXPECT_EQ(format_text("%%1", "a", ""), "%a");
}

TEST(LookUps, AnswerOutOfRangeAndEmptyEntriesPerSection) {
    SavedGlobals saved;
    res_captions = {"-", "%0is %1", ""};
    res_infos = {"-", "info %0", ""};
    res_menus = {"-", "menu", ""};
    res_hints = {"-", "tip of %0", ""};
    res_about = {"-", "%0about", ""};
    res_types = {"-", "type", ""};
    EXPECT_EQ(get_text(1), "Vev Karvelo is %1");
    EXPECT_EQ(get_info_text(1), "info Vev Karvelo ");
    EXPECT_EQ(get_hint_text(1), "@tip of Vev Karvelo ");
    EXPECT_EQ(get_about_text(1), "%0about"); // shown as it stands
    EXPECT_EQ(get_text(0), "-");
    for (int n : {-1, 2, 3}) {
        SCOPED_TRACE(n);
        for (const std::string& text :
             {get_text(n), get_info_text(n), get_menu_text(n), get_about_text(n)})
            EXPECT_EQ(text, "<erreur de ressource>");
        EXPECT_EQ(get_hint_text(n) + get_type_text(n), "");
    }
}

TEST(ShowMessage, TextsAndScriptedAnswers) {
    SavedGlobals saved;
    res_messages = {"-", "Delete %1?%%%2"};
    ScriptedMessages boxes;
    boxes.answer({kAnswerYes, kAnswerNo});
    EXPECT_EQ(show_message(0, false, "raw %1 %%", "x"), 0);
    EXPECT_EQ(show_message(1, true, "Inn", "sure"), kAnswerYes);
    EXPECT_EQ(show_message(1, true, "a", "b"), kAnswerNo);
    EXPECT_EQ(show_message(-1, true), kAnswerCancel); // queue empty: Cancel
    ASSERT_EQ(boxes.shown().size(), 4u);
    EXPECT_EQ(std::tuple(boxes.shown()[0].kind, boxes.shown()[1].kind),
              std::tuple(MessageKind::Information, MessageKind::Question));
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"raw %1 %%", "Delete Inn?\rsure",
                                                       "Delete a?\rb", "<erreur de ressource>"}));
    // Boxes that can come before the language file have built-in texts, French by default.
    res_messages = {"-"};
    language = "English";
    show_message(47, false, "data/icon_a.bmp");
    EXPECT_EQ(boxes.texts().back(), "Could not load the icons data/icon_a.bmp.");
    // Without a handler questions answer Cancel at once.
    MessageHandler previous = set_message_handler(nullptr);
    EXPECT_EQ(show_message(0, true, "no box here"), kAnswerCancel);
    set_message_handler(previous);
}
