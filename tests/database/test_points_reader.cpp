#include "database/points_reader.h"
#include "support/points_fixture.h"
#include "support/points_writer.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <cmath>

using support::PointsHeader;
using support::PointSpec;
using support::PointsWriter;

namespace {

// Everything the reader hands out.
struct Collected {
    std::vector<rnew_node> nodes;
    std::vector<std::string> lines;
    std::vector<int> ranges, positions;
    PointsReaderSink sink() {
        PointsReaderSink s;
        s.add_node = [this](rnew_node& r) { nodes.push_back(r); };
        s.memo_line = [this](const std::string& line) { lines.push_back(line); };
        s.progress_range = [this](int max) { ranges.push_back(max); };
        s.progress_position = [this](int pos) { positions.push_back(pos); };
        return s;
    }
};

class PointsReader : public ::testing::Test {
protected:
    void SetUp() override {
        res_infos = {"-", "one", "Version %1", "Date %1", "Read in %1 s"};
        res_messages.assign(40, "-");
        res_messages[35] = "Not a points database";
    }
    PointsReadResult read(const std::string& bytes) { return read_database(bytes, got.sink()); }
    SavedGlobals globals;
    ScriptedMessages messages;
    Collected got;
};

PointSpec full_point() {
    return {"Forge d'\xE9tain",
            0xFEDC,
            0xF1,
            0xFFFF,
            40000,
            120,
            0x8001,
            support::flag_set({1, 32, 33, 64, 100, 128}),
            0xFFFFFFFEu,
            "first line|second line",
            support::bridge_link(true, 42, 0),
            true};
}

void expect_point(const rnew_node& r, const PointSpec& p) {
    EXPECT_EQ(std::tie(r.name, r.comment, r.link), std::tie(p.name, p.comment, p.link));
    EXPECT_EQ(std::make_tuple(r.zone_id, r.category_id, r.x, r.y, r.level_min, r.level_max),
              std::make_tuple(p.zone_id, p.category_id, p.x, p.y, p.level_min, p.level_max));
    EXPECT_EQ(std::make_tuple(r.flags, uint32_t(r.master_id), r.locked),
              std::make_tuple(p.flags, p.master_id, p.locked));
    EXPECT_TRUE(r.from_master && r.has_item_data);
}

} // namespace

TEST_F(PointsReader, FieldTagsReachTheRequestOtherTagsAreSkippedAndTheEndTagStops) {
    PointSpec p = full_point();
    const PointSpec second{.name = "B", .zone_id = 7};
    // Discarded tags before, inside and after a record; tags without meaning, whose payloads
    // are record ends: a tag read as a value tag would create points.
    PointsWriter w;
    w.discarded_items().point(p).discarded_items();
    w.text_item(1, "A").discarded_items();
    for (int t = 0; t < 255; ++t)
        if (t == 0 || (t >= 16 && t <= 19) || (t >= 31 && t <= 198) || t >= 203)
            w.text_item(static_cast<uint8_t>(t), std::string(5, static_cast<char>(199)));
    w.item_with_length(16, 3, "abc");
    w.point(second, true).end();
    w.raw(PointsWriter().point(p).u32_item(201, 3).bytes().substr(8)); // after the end
    PointsReadResult r = read(w.bytes());
    ASSERT_EQ(got.nodes.size(), 2u);
    expect_point(got.nodes[0], p);
    EXPECT_EQ(got.nodes[0].master_id, -2);
    expect_point(got.nodes[1], second);
    EXPECT_EQ(std::tuple(r.signature_ok, r.points), std::tuple(true, 2u));
    EXPECT_FALSE(r.header_value1 || r.header_value2 || r.date);
    EXPECT_TRUE(got.lines.empty() && messages.shown().empty());
    r = read("wowkv101" + w.bytes().substr(8)); // the signature's letter case counts
    EXPECT_EQ(std::tuple(r.signature_ok, r.points), std::tuple(false, 0u));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Not a points database"});
}

TEST_F(PointsReader, LaterItemsOverwriteAndEveryRecordStartsEmptyWhateverTheCalleeDid) {
    PointsReaderSink sink = got.sink();
    sink.add_node = [this](rnew_node& r) {
        got.nodes.push_back(r);
        // The callee may move texts out of the request or change it.
        std::string taken = std::move(r.name);
        r.zone_id = 99;
        r.from_master = r.has_item_data = false;
    };
    PointsWriter w;
    w.text_item(1, "first").text_item(1, "second name, long enough for the heap");
    w.u16_item(4, 5).u16_item(4, 6).u8_item(14, 2).text_item(13, "J").u32_item(23, 9);
    w.record_end().record_end(); // a second record end in a row: an empty point
    w.text_item(1, "tail without end");
    PointsReadResult r = read_database(w.bytes(), sink);
    ASSERT_EQ(got.nodes.size(), 2u);
    const rnew_node& n = got.nodes[0];
    EXPECT_EQ(std::tie(n.name, n.x, n.locked, n.flags.w[3]),
              std::tuple("second name, long enough for the heap", 6, true, 9u));
    expect_point(got.nodes[1], PointSpec{});
    EXPECT_EQ(r.points, 2u);
}

TEST_F(PointsReader, HeaderValuesMemoLinesDatesAndProgressStepsEvery1024Tags) {
    const PointsHeader h{0xFFFFFFFFu, 4000000000u,
                         support::date_time_value(2026, 12, 6, 14, 30, 5)};
    PointsReadResult r = read(PointsWriter().header(h).end().bytes());
    EXPECT_EQ(std::tie(r.header_value1, r.header_value2, r.date),
              std::tie(h.value1, h.value2, h.date));
    EXPECT_EQ(got.lines,
              (std::vector<std::string>{"Version 4000000000", "Date 06/12/2026 14:30:05"}));
    got = {};
    r = read(PointsWriter().u32_item(201, 0).bytes());
    EXPECT_EQ(r.header_value2, 0u);
    EXPECT_EQ(got.lines, std::vector<std::string>{"Version 0"});
    // Dates are days since 1899, shown as a short date and a long time.
    EXPECT_EQ(database_date_text(0), "30/12/1899");
    EXPECT_EQ(database_date_text(2.75), "01/01/1900 18:00:00");
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(database_date_text(-1.25), "29/12/1899 06:00:00");
    EXPECT_EQ(database_date_text(46362.999999999), "06/12/2026 23:59:59");
    EXPECT_EQ(database_date_text(-693593), "01/01/0001");
    // Values no calendar holds are shown as numbers.
    EXPECT_EQ(database_date_text(-693594), "-693594");
    EXPECT_EQ(database_date_text(std::nan("")), "0");
    // Progress: 3000 bytes, the signature and 2992 record ends.
    got = {};
    EXPECT_EQ(read("WOWKV101" + std::string(2992, static_cast<char>(199))).points, 2992u);
    // Steps before tag 1024 (offset 8 + 1023) and tag 2048 (offset 8 + 2047).
    EXPECT_EQ(std::pair(got.ranges, got.positions), std::pair(std::vector{2}, std::vector{1, 2}));
    got = {};
    read("WOWKV101" + std::string(1023, static_cast<char>(199)));
    EXPECT_EQ(got.positions, std::vector<int>{1}); // the step comes before the end is found
}

TEST_F(PointsReader, ABadLinkStringLosesOnlyItsOwnPoint) {
    // The points go into a real tree, whose node data refuses the malformed route.
    support::PointsFixture f({{1, 0, 10, "Kalimdor"}}, {{"Tanaris", "t", 10, 1}}, {{"Mobs", 1}});
    PointsReaderSink sink;
    sink.add_node = [&f](rnew_node& r) { f.add(r); };
    PointsWriter w;
    for (const char* link : {"", "V_x0010000", ""})
        w.point({.name = link[0] ? "bad" : "good", .zone_id = 10, .category_id = 1, .link = link});
    w.u32_item(201, 5);
    PointsReadResult r = read_database(w.bytes(), sink);
    EXPECT_EQ(support::display_order(f.tree),
              (std::vector<std::string>{"0 Kalimdor", "1 Tanaris", "2 Mobs", "3 good", "3 good"}));
    EXPECT_EQ(std::tuple(r.points, r.points_lost, r.header_value2), std::tuple(3u, 1u, 5u));
}

TEST_F(PointsReader, DataCutAtEveryOffsetKeepsTheCompleteRecordsOnly) {
    PointSpec a = full_point();
    const PointSpec b{.name = "b", .comment = "c"};
    const PointsHeader h{1, 2, 3.5};
    PointsWriter w;
    w.header({h.value1, {}, {}}).point(a).header({{}, h.value2, {}}).discarded_items();
    w.text_item(77, "xyz").point(b).header({{}, {}, h.date}).end();
    const std::string whole = w.bytes();
    // Offsets just past each record end and each header item.
    const size_t end_a = PointsWriter().header({h.value1, {}, {}}).point(a).bytes().size();
    const size_t end_value2 = end_a + 5;
    const size_t end_b = whole.size() - 1 - 9;
    ASSERT_TRUE(uint8_t(whole[end_a - 1]) == 199 && uint8_t(whole[end_b - 1]) == 199);
    for (size_t n = 0; n <= whole.size(); ++n) {
        SCOPED_TRACE(n);
        got = {};
        ScriptedMessages shown;
        PointsReadResult r = read(whole.substr(0, n));
        if (n < 8) { // no whole signature: message 35, nothing read
            EXPECT_EQ(shown.texts(), std::vector<std::string>{"Not a points database"});
            EXPECT_TRUE(got.nodes.empty() && got.lines.empty());
            continue;
        }
        EXPECT_TRUE(shown.texts().empty());
        const size_t points = (n >= end_a) + (n >= end_b);
        ASSERT_EQ(got.nodes.size(), points);
        if (points > 0)
            expect_point(got.nodes[0], a);
        if (points > 1)
            expect_point(got.nodes[1], b);
        // A header value is taken only when all of its bytes are there.
        const bool date = n >= whole.size() - 1;
        EXPECT_EQ(std::tuple(r.header_value1.has_value(), r.header_value2.has_value(),
                             r.date.has_value(), got.lines.size()),
                  std::tuple(n >= 13, n >= end_value2, date, size_t(n >= end_value2) + date));
    }
}
