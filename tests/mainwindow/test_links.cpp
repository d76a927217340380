#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"
#include "mainwindow/links.h"
#include "mainwindow/widgets/map.h"
#include "support/demo_install.h"
#include "support/temp_dir.h"

#include <QMenu>
#include <gtest/gtest.h>

#include <algorithm>

static std::string numbered_lines(size_t count, const std::string& text) {
    std::string lines;
    for (size_t i = 0; i < count; ++i)
        lines += text + std::to_string(i) + "\r\n";
    return lines;
}

TEST(LinkFile, SplitsAtFirstEqualsAfterTheTitleLine) {
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
}

// The demo installation with texts and an outline past their limits: the window keeps the first
// part of each text, leaves the outline out and says so, at the start and at a continent's load.
TEST(OutsideFiles, PastTheirLimitsTheWindowKeepsWhatFitsAndSaysSo) {
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    support::install_demo(app.path(),
                          "[LANG]=English\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n");
    // An outline of 16,383 points and an empty polyline fills the limit exactly.
    const std::string full = "\xFF\x3F" + std::string(kOutlineFileLimit - 2, '\0');
    // One link, one caption character and one line character past their limits.
    const std::string caption(kMaxLinkCaption + 1, 'c');
    const std::string address(kMaxLinkLineLength - kMaxLinkCaption - 1, 'a');
    ASSERT_TRUE(write_file_atomic(app.file("res/English/link.txt"),
                                  "Links\r\n" + caption + "=" + address + "\r\n" +
                                      numbered_lines(kMaxLinks, "Site=http://x/")));
    ASSERT_TRUE(write_file_atomic(app.file("res/English/tips.txt"),
                                  std::string(kTipsLimits.line_length + 1, 't') + "\r\n" +
                                      numbered_lines(kTipsLimits.lines, "tip ")));
    ASSERT_TRUE(write_file_atomic(app.file("data/border.vec"), full));
    take_outside_limits();
    TForm4 form(app.path());
    form.FormActivate();
    auto said_so = [&] {
        return std::ranges::any_of(form.feedback_lines.lines(),
                                   [](const auto& l) { return l.text == res_messages.at(83); });
    };
    ASSERT_EQ(std::tuple(form.site1->menu()->actions().size(), form.tips.size()),
              std::tuple(qsizetype(kMaxLinks), kTipsLimits.lines));
    EXPECT_EQ(std::tuple(link_list[0].caption, link_list[0].address, link_list.back().address),
              std::tuple(caption.substr(1), address.substr(1), "http://x/62"));
    EXPECT_EQ(
        std::tuple(form.tips[0].size(), form.tips[1], form.border_vectors.points.size(), said_so()),
        std::tuple(kTipsLimits.line_length, "tip 0", 16383u, true));
    // The zones of a continent with an outline one byte past its limit.
    form.clear_feedback();
    const pMap_info& zone = *form.map_data->zones.front();
    ASSERT_TRUE(write_file_atomic(app.file("maps/" + zone.image_name + ".vec"), full + '\0'));
    form.show_on_map(zone.tree_node, 0, 0, 0);
    EXPECT_TRUE(zone.outline && zone.outline->lines.empty() && said_so() && boxes.shown().empty());
}
