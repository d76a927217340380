#include "database/regions.h"
#include "editing/property_tree.h"
#include "editing/search_engine.h"
#include "support/points_fixture.h"
#include "support/points_writer.h"

#include <gtest/gtest.h>

using namespace support;

namespace {

// Nord holds Mont (class 2) and Val (class 1), and Loin far away; Sud holds Ile (class 1).
// In display order: Grey Wolf (Mont), Wolf Den, @Wolf, Inn (Val), Direwolf (Ile).
class SearchEngine : public ::testing::Test {
protected:
    PointsFixture f{
        {{1, 0, 10, "Nord"}, {2, 0, 30, "Sud"}},
        {{.name = "Val", .zone_id = 10, .continent_id = 1, .zone_class = 1},
         {.name = "Mont", .zone_id = 11, .continent_id = 1, .zone_class = 2, .origin_x = 65536},
         {.name = "Loin", .zone_id = 12, .continent_id = 1, .origin_x = 50000000},
         {.name = "Ile", .zone_id = 30, .continent_id = 2, .zone_class = 1}},
        {{.name = "Auberges", .id = 1, .type = 2, .comment_tens = 1},
         {.name = "Notes", .id = 2, .type = 3, .detail_level = 3}}};
    TreeNode *grey = nullptr, *den = nullptr, *inn = nullptr, *dire = nullptr;
    TSearchArea area;
    const TSearchView nowhere{};
    rRegion r1, r2; // Val lies in r1, Mont in r2
    TRegionLookup regions = [this](const pMap_info& zone, TPoint) -> const rRegion* {
        return zone.zone_id == 10 ? &r1 : zone.zone_id == 11 ? &r2 : nullptr;
    };
    void SetUp() override {
        rnew_node p = PointsFixture::point("Grey Wolf", 11, 1);
        std::tie(p.level_min, p.level_max, p.from_master) = std::tuple(1, 4, false);
        std::tie(p.comment, p.link) = std::pair("the old wolf lives here", "I");
        grey = f.add(p);
        p = PointsFixture::point("Wolf Den", 10, 1);
        std::tie(p.level_min, p.level_max, p.locked) = std::tuple(10, 20, true);
        std::tie(p.comment, p.flags) = std::pair("old cave", flag_set({31}));
        den = f.add(p);
        f.add("@Wolf", 10, 1);
        p = PointsFixture::point("Inn", 10, 2);
        p.comment = "THE OLD WOLF";
        inn = f.add(p);
        p = PointsFixture::point("Direwolf", 30, 2);
        p.flags = flag_set({32, 128});
        dire = f.add(p);
    }
    std::vector<std::string> found(uint16_t criteria, const std::string& key = "WOLF") {
        area.criteria = criteria;
        area.key = key;
        std::vector<std::string> names;
        for (const rSearchResult& r : find_points(f.tree, area, nowhere, regions))
            names.push_back(r.node->item()->name);
        return names;
    }
};

TEST_F(SearchEngine, TextScoresFollowTheWeightsAndLevelsMarksAndPlaceScores) {
    struct Case {
        const char* text;
        bool is_name;
        int32_t score;
    } cases[] = {
        {"WOLF DEN", true, 546},       {"WOLF", true, 600},      {"WOLFHOUND", true, 340},
        {"GREY WOLF", true, 495},      {"DIREWOLF", true, 296},  {"THE OLD WOLF", false, 500},
        {"GREY WOLFHOUND", true, 340}, {"WOLF DEN", false, 550}, {"WOLFHOUND", false, 345}};
    for (const Case& c : cases)
        EXPECT_EQ(score_text(c.text, "WOLF", key_position(c.text, "WOLF"), c.is_name), c.score)
            << c.text;
    EXPECT_EQ(key_position("TOUR   NORD", "  "), 0u);
    TPreference off;
    off.text_exact = 0;
    EXPECT_EQ(score_text("WOLF", "WOLF", 1, true, off), 0);
    TPreference p;
    p.score_unit = 10;
    init_score_levels(p);
    EXPECT_EQ(std::vector<int32_t>({p.text_exact, p.distance_cap, p.score_max, p.mark_level_1,
                                    p.mark_level_2, p.mark_level_3, p.mark_level_4}),
              std::vector<int32_t>({120, 60, 160, 120, 109, 80, 59}));
    std::string marks;
    for (int32_t score : {801, 800, 600, 545, 544, 400, 297, 296})
        marks += score_marks(score, TPreference()) + " ";
    EXPECT_EQ(marks, "+++ ++ + + - -- -- --- ");
    // The view centre is world (0, 0); Auberges are of the first detail level, Notes the third.
    const TSearchView view{{100, {200, 150}, 400, 300}, 1};
    struct Place {
        rnew_node point;
        int32_t distance, onscreen, category;
    } places[] = {{PointsFixture::point("centre", 10, 1), 340, 25, 50},
                  {PointsFixture::point("66 away", 11, 2, 465, 0), 299, 25, 0},
                  {PointsFixture::point("too far to measure", 12, 1), 0, 0, 50},
                  {PointsFixture::point("other continent", 30, 2), 0, 0, 0}};
    for (const Place& c : places) {
        const TNodeData& data = *f.add(c.point)->data;
        EXPECT_EQ(score_distance(data, view), c.distance) << c.point.name;
        EXPECT_EQ(score_onscreen(data, view), c.onscreen) << c.point.name;
        EXPECT_EQ(score_category(data), c.category) << c.point.name;
    }
}

TEST_F(SearchEngine, EachCriterionAloneAndTogetherScoresAndSortsByEachColumn) {
    std::tie(area.level_from, area.level_to, area.command_kind) = std::tuple(3, 12, coIsPoly);
    area.categories = {f.common_data->categories[1].get()};
    area.regions = {&r1};
    area.zone_classes.set(2);
    // Flag 31 (the top bit of the first word) must be set, flag 32 (its bit 0) must not.
    area.flags_present = flag_set({31});
    area.flags_indifferent.w = {0x7FFFFFFEu, ~0u, ~0u, ~0u};
    area.flags_absent = flag_set({32});
    using V = std::vector<std::string>;
    EXPECT_EQ(found(kSearchNames), V({"Grey Wolf", "Wolf Den", "Direwolf"}));
    EXPECT_EQ(found(kSearchComments), V({"Grey Wolf", "Inn"}));
    EXPECT_EQ(found(kSearchNames | kSearchComments),
              V({"Grey Wolf", "Wolf Den", "Inn", "Direwolf"}));
    EXPECT_EQ(found(kSearchNames, "  "), V());
    EXPECT_EQ(found(kSearchLevels), V({"Grey Wolf", "Wolf Den"}));
    EXPECT_EQ(found(kSearchLocked), V({"Wolf Den"}));
    EXPECT_EQ(found(kSearchOwnAdditions), V({"Grey Wolf"}));
    EXPECT_EQ(found(kSearchProperties), V({"Wolf Den"}));
    EXPECT_EQ(found(kSearchCategories), V({"Inn", "Direwolf"}));
    EXPECT_EQ(found(kSearchRegions), V({"Wolf Den", "Inn"}));
    EXPECT_EQ(found(kSearchOutsideRegions), V({"Direwolf"}));
    EXPECT_EQ(found(kSearchZoneClasses), V({"Grey Wolf"}));
    EXPECT_EQ(found(kSearchLinkKind), V({"Grey Wolf"}));
    EXPECT_EQ(found(kSearchCommentSize, ""), V({"Grey Wolf"}));
    EXPECT_EQ(found(kSearchCommentSize, "9"), V({"Grey Wolf", "Inn"}));
    EXPECT_EQ(found(kSearchCommentSize, "NINE"), V({"Grey Wolf", "Wolf Den", "Inn"}));
    EXPECT_EQ(found(kSearchNames | kSearchLocked), V({"Wolf Den"}));
    EXPECT_EQ(found(kSearchComments | kSearchCategories), V({"Inn"}));
    EXPECT_EQ(found(kSearchLevels | kSearchOwnAdditions | kSearchRegions), V());
    // Name matches outscore, comments score half.
    area.criteria = kSearchNames | kSearchComments;
    area.key = "WOLF";
    std::vector<int32_t> scores;
    for (const rSearchResult& r : find_points(f.tree, area, nowhere, regions))
        scores.push_back(r.score);
    // Grey Wolf by its name (495) though its comment would score more; Inn by its comment;
    // Auberges are drawn from the first detail level (+50), Notes from the third.
    EXPECT_EQ(scores, std::vector<int32_t>({545, 596, 250, 296}));
    // Results sort by each column.
    const std::vector<rSearchResult> rows = {{grey, 10}, {den, 40}, {inn, 30}, {dire, 20}};
    using N = std::vector<TreeNode*>;
    for (auto [column, ascending, order] : {std::tuple{kResultName, false, N{den, inn, grey, dire}},
                                            {kResultMarks, true, N{den, inn, dire, grey}},
                                            {kResultCategory, true, N{grey, den, dire, inn}},
                                            {kResultZone, true, N{dire, inn, den, grey}}}) {
        std::vector<rSearchResult> sorted = rows;
        sort_results(sorted, column, ascending);
        N nodes;
        for (const rSearchResult& r : sorted)
            nodes.push_back(r.node);
        EXPECT_EQ(nodes, order) << column << ascending;
    }
}

TEST(PropertyTree, GroupsNestAndChecksAreWrittenDirectly) {
    std::vector<std::unique_ptr<tboolspec>> specs;
    for (auto [id, name, group] : {std::tuple{1, "Services", 0},
                                   {2, "Inn", 1},
                                   {3, "Bank", 1},
                                   {4, "Lost", 9},
                                   {5, "Early", 6},
                                   {6, "Late", 0},
                                   {7, "Deep", 2}})
        specs.push_back(std::make_unique<tboolspec>(uint8_t(id), name, uint8_t(group)));
    const auto shape = [](const TCheckTree& t) {
        std::string out;
        for (TCheckNode* n = t.first(); n; n = TCheckTree::next(n)) {
            for (TCheckNode* p = n->parent; p->parent; p = p->parent)
                out += '.';
            out += static_cast<tboolspec*>(n->pointer)->name + (n->expanded ? "+ " : " ");
        }
        return out;
    };
    TCheckTree tree;
    build_property_tree(tree, nullptr, 0, std::bitset<256>().set(1), specs);
    EXPECT_EQ(shape(tree), "Services+ .Inn ..Deep .Bank Late ");
    build_property_tree(tree, nullptr, kPropertyTreeClear | kPropertyTreeExpandAll, {}, specs);
    EXPECT_EQ(shape(tree), "Services+ .Inn+ ..Deep .Bank Late ");
    std::array<bool, 128> flags{};
    set_property_checks(tree, nullptr, flags, kChecked);
    flags[1] = flags[6] = true;
    set_property_checks(tree, nullptr, flags, kChecked);
    std::string states;
    for (TCheckNode* n = tree.first(); n; n = TCheckTree::next(n))
        states += char('0' + n->state);
    EXPECT_EQ(states, "02200");
    TCheckNode* cycling = tree.first();
    cycling->check_type = TCheckType::Cycle;
    for (uint8_t expected : {kPressed, kChecked, kUnchecked}) {
        tree.click(cycling);
        EXPECT_EQ(cycling->state, expected);
    }
}

} // namespace
