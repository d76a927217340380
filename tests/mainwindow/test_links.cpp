#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/links.h"
#include "mainwindow/widgets/map.h"
#include "support/demo_install.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QMenu>
#include <gtest/gtest.h>

#include <algorithm>

using namespace support;

namespace {

std::string numbered_lines(size_t count, const std::string& text) {
    std::string lines;
    for (size_t i = 0; i < count; ++i)
        lines += text + std::to_string(i) + "\r\n";
    return lines;
}

} // namespace

TEST(LinkFile, SplitsAtFirstEqualsAfterTheTitleLineUpToItsLimits) {
    TempDir dir;
    std::string path = dir.file("link.txt");
    ASSERT_TRUE(write_file_atomic(path, "Titre=ignored\r\nSite=http://a.example/?x=1&y=2\r\n"
                                        "no separator\r\n=http://b.example/\r\n \xE9t\xE9 = x \n"));
    std::string read;
    for (const rLink& link : read_link_file(path))
        read += link.caption + "|" + link.address + "\n";
    EXPECT_EQ(read, "Site|http://a.example/?x=1&y=2\n|http://b.example/\n \xE9t\xE9 | x \n");

    ASSERT_TRUE(write_file_atomic(path, "only=a title\r\n"));
    EXPECT_TRUE(read_link_file(path).empty() && read_link_file(dir.file("missing.txt")).empty());

    // One link, one caption character and one line character past the limits.
    const std::string caption(kMaxLinkCaption + 1, 'c');
    const std::string address(kMaxLinkLineLength - kMaxLinkCaption - 1, 'a');
    ASSERT_TRUE(write_file_atomic(path, "Title\r\nno separator\r\n" + caption + "=" + address +
                                            "\r\n" + numbered_lines(kMaxLinks, "Site=")));
    std::vector<rLink> links = read_link_file(path);
    ASSERT_EQ(links.size(), kMaxLinks);
    EXPECT_EQ(std::tuple(links[0].caption, links[0].address.size(), links.back().address),
              std::tuple(caption.substr(1), address.size() - 1, "62"));
    // The file is read up to its limit only.
    ASSERT_TRUE(write_file_atomic(path, "Title\r\n" + std::string(kLinkFileLimit - 7, '-') +
                                            "\r\nLate=never"));
    EXPECT_TRUE(read_link_file(path).empty());
}

// The demo installation with texts and outlines past their limits: the window keeps the first
// part of each text, leaves the outlines out and says so, at the start and at a continent's load.
TEST(OutsideFiles, PastTheirLimitsTheWindowKeepsWhatFitsAndSaysSo) {
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    install_demo(app.path(), "[LANG]=English\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n");
    const std::string past_limit(kOutlineFileLimit + 1, '\0');
    ASSERT_TRUE(write_file_atomic(app.file("res/English/link.txt"),
                                  "Links\r\n" + numbered_lines(kMaxLinks + 1, "Site=http://x/")));
    ASSERT_TRUE(write_file_atomic(app.file("res/English/tips.txt"),
                                  std::string(kTipsLimits.line_length + 1, 't') + "\r\n" +
                                      numbered_lines(kTipsLimits.lines, "tip ")));
    ASSERT_TRUE(write_file_atomic(app.file("data/border.vec"), past_limit));
    take_outside_limits();
    TForm4 form(app.path());
    form.FormActivate();
    auto said_so = [&] {
        const auto& lines = form.feedback_lines.lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const rdirectfeedback& l) { return l.text == res_messages.at(76); });
    };
    ASSERT_EQ(std::tuple(form.site1->menu()->actions().size(), form.tips.size()),
              std::tuple(qsizetype(kMaxLinks), kTipsLimits.lines));
    EXPECT_EQ(std::tuple(form.tips[0].size(), form.tips[1]),
              std::tuple(kTipsLimits.line_length, "tip 0"));
    EXPECT_TRUE(form.border_vectors.lines.empty() && said_so());

    form.clear_feedback();
    const pMap_info& zone = *form.map_data->zones.front();
    ASSERT_TRUE(write_file_atomic(app.file("maps/" + zone.image_name + ".vec"), past_limit));
    form.show_on_map(zone.tree_node, 0, 0, 0);
    EXPECT_TRUE(zone.outline && zone.outline->lines.empty() && said_so());

    std::string log;
    ASSERT_TRUE(read_file(app.file("error.log"), log));
    for (const char* file : {"link.txt", "tips.txt", "border.vec", ".vec: larger"})
        EXPECT_NE(log.find(file), std::string::npos) << file;
    EXPECT_EQ(std::tuple(std::count(log.begin(), log.end(), '\n'), boxes.shown().size()),
              std::tuple(4, 0u));
}
