#include "database/points_tree.h"
#include "foundation/errors.h"
#include "support/points_fixture.h"

#include <gtest/gtest.h>

using namespace support;

namespace {

// Continents 1 and 2 (and 3 without zones); zones given out of name order, one without a
// continent, one with the lowest 16-bit id and one with id -1; three categories.
PointsFixture world() {
    return PointsFixture({{1, 5, 11, "Kalimdor"}, {2, 6, 20, "Eastern"}, {3, 7, 0, "Empty"}},
                         {{"Tanaris", "t", 10, 1, 0, 21},
                          {"ashenvale", "a", 11, 1, 0, 22},
                          {"Elwynn", "e", 20, 2, 0, 23},
                          {"Durotar", "d", 12, 1, 0, 24},
                          {"Orphan", "o", 30, 9},
                          {"Far", "f", -32768, 2},
                          {"Minus", "m", -1, 2}},
                         {{"Mobs", 5, 3, 1, 0x0000FF},
                          {"Banks", 2, 4, 2, 0x00FF00},
                          {"Flight", 9, 5, 3, 0xFF0000, 0, false, "", true, true}},
                         {{4, 0, 0x00FFFF, "Horde"}});
}

TreeNode* category_of(const PointsFixture& f, int32_t zone_id, const std::string& name) {
    TreeNode* zone = zone_node(*f.map_data, zone_id);
    for (TreeNode* c = zone ? zone->first_child() : nullptr; c; c = c->next_sibling())
        if (node_text(c) == name)
            return c;
    return nullptr;
}

TNameSearch search(TreeNode* start, bool current_only = false, int32_t continent = -1) {
    TNameSearch s;
    s.start = start;
    s.current_continent_only = current_only;
    s.current_continent = continent;
    return s;
}

std::vector<std::string> child_names(const TreeNode* node) {
    std::vector<std::string> out;
    for (const auto& c : node->children)
        out.push_back(node_text(c.get()));
    return out;
}

} // namespace

TEST(PointsTree, SkeletonFollowsContinentZoneAndCategoryOrder) {
    PointsFixture f = world();
    std::vector<std::string> expected; // zones in name order, each with its hidden categories
    for (std::string entry : {"0 Kalimdor", "ashenvale", "Durotar", "Tanaris", "0 Eastern",
                              "Elwynn", "Far", "Minus", "0 Empty"}) {
        expected.push_back(entry[0] == '0' ? entry : "1 " + entry);
        for (const char* k : {"Mobs", "Banks", "Flight"})
            if (entry[0] != '0')
                expected.push_back(std::string("2 -") + k);
    }
    EXPECT_EQ(display_order(f.tree), expected);
    EXPECT_EQ(f.tree.size(), expected.size());

    // Back references; a zone outside every continent has no node.
    EXPECT_EQ(f.map_data->continents[1]->tree_node->data->owner_continent,
              f.map_data->continents[1].get());
    for (const auto& z : f.map_data->zones)
        EXPECT_EQ(z->tree_node ? z->tree_node->data->owner_zone : nullptr,
                  z->name == "Orphan" ? nullptr : z.get());
    // Only continents and zones are visible rows.
    EXPECT_EQ(f.tree.root()->rows.size(), 3u);
    EXPECT_TRUE(category_of(f, 11, "Mobs")->parent->rows.empty());
}

TEST(PointsTree, AddnodeAppendsUnderItsCategoryInArrivalOrder) {
    PointsFixture f = world();
    TreeNode* b = f.add("Bank b", 11, 2);
    TreeNode* a = f.add("Bank a", 11, 2);
    TreeNode* c = f.add("Bank c", 11, 2);
    TreeNode* banks = category_of(f, 11, "Banks");
    ASSERT_TRUE(b && a && c);
    EXPECT_EQ(child_names(banks), (std::vector<std::string>{"Bank b", "Bank a", "Bank c"}));
    EXPECT_TRUE(banks->visible);
    EXPECT_FALSE(category_of(f, 11, "Mobs")->visible);

    // A leading "@" hides the point but shows its category, without a row for the point.
    EXPECT_FALSE(f.add("@Deleted", 20, 5)->visible);
    TreeNode* mobs = category_of(f, 20, "Mobs");
    EXPECT_TRUE(mobs->visible);
    EXPECT_TRUE(mobs->rows.empty());
    EXPECT_TRUE(f.add("Mail@box", 20, 5)->visible);
    EXPECT_EQ(mobs->rows.size(), 1u);
    // The node data gets the zone record and the category from the category node.
    EXPECT_EQ(a->data->owner_zone, zone_node(*f.map_data, 11)->data->owner_zone);
    EXPECT_EQ(a->data->category, banks->data->category);

    // Property colours reach the node data.
    rnew_node horde = PointsFixture::point("Horde flight", 12, 9);
    horde.flags.w[0] = 1u << 4;
    EXPECT_EQ(f.add(horde)->item()->colour, 0x00FFFF);
}

TEST(PointsTree, AddnodeRefusesUnknownZonesAndCategories) {
    PointsFixture f = world();
    const size_t before = f.tree.size();
    EXPECT_EQ(f.add("x", 99, 2), nullptr);    // no such zone
    EXPECT_EQ(f.add("x", 11, 3), nullptr);    // no such category
    EXPECT_EQ(f.add("x", 30, 2), nullptr);    // zone outside every continent
    EXPECT_EQ(f.add("x", 32768, 2), nullptr); // zone ids are signed 16-bit values
    EXPECT_EQ(f.add("x", -1, 2), nullptr);    // -1 is never a zone
    EXPECT_EQ(f.tree.size(), before);
    EXPECT_NE(f.add("x", -32768, 2), nullptr);
    EXPECT_EQ(zone_node(*f.map_data, -1), nullptr);
    EXPECT_EQ(node_text(zone_node(*f.map_data, -32768)), "Far");

    // A malformed link string adds nothing and reaches the caller.
    rnew_node bad = PointsFixture::point("Bridge", 11, 2);
    bad.link = "B_1xyz";
    EXPECT_THROW(f.add(bad), EConvertError);
    EXPECT_EQ(f.tree.size(), before + 1);
}

TEST(PointsTree, CheckStatesPropagateDownAndUp) {
    PointsFixture f = world();
    TreeNode* p1 = f.add("one", 11, 5);
    TreeNode* p2 = f.add("two", 11, 5);
    TreeNode* mobs = p1->parent;
    TreeNode* zone = mobs->parent;
    TreeNode* continent = zone->parent;
    using enum TCheckState;
    using States = std::vector<TCheckState>;
    auto states = [&] { return States{mobs->check, zone->check, continent->check}; };
    EXPECT_EQ(states(), (States{Checked, Checked, Checked}));

    f.tree.set_check_state(p1, Unchecked);
    EXPECT_EQ(states(), (States{Mixed, Mixed, Mixed}));
    f.tree.set_check_state(p2, Unchecked);
    EXPECT_EQ(states(), (States{Unchecked, Mixed, Mixed})); // the empty categories stay checked

    // A new point starts checked.
    TreeNode* p3 = f.add("three", 11, 5);
    EXPECT_EQ(p3->check, Checked);
    EXPECT_EQ(mobs->check, Mixed);
    // Deleting the checked one brings the category back to unchecked.
    f.tree.delete_node(p3);
    EXPECT_EQ(mobs->check, Unchecked);

    // A continent's state reaches every node below it.
    f.tree.set_check_state(continent, Unchecked);
    for (TreeNode* n = continent; n != continent->next_sibling(); n = TPointsTree::next(n))
        EXPECT_EQ(n->check, Unchecked) << node_text(n);
    // Checking every child by itself checks the parent again.
    f.tree.set_check_state(p1, Checked);
    f.tree.set_check_state(p2, Checked);
    EXPECT_EQ(mobs->check, Checked);
}

TEST(PointsTree, WalksInDisplayOrderAcrossLevels) {
    PointsFixture f = world();
    TreeNode* a = f.add("a", 12, 9);
    TreeNode* b = f.add("@b", 12, 9);
    TreeNode* flight = a->parent;
    TreeNode* durotar = flight->parent;
    EXPECT_EQ(TPointsTree::next(flight), a);
    EXPECT_EQ(TPointsTree::next(a), b); // hidden nodes included
    EXPECT_EQ(node_text(TPointsTree::next(b)), "Tanaris");
    EXPECT_EQ(TPointsTree::next_after_subtree(durotar), zone_node(*f.map_data, 10));
    // From the last category of the last zone of a continent to the next continent.
    TreeNode* last_of_kalimdor = zone_node(*f.map_data, 10)->last_child();
    EXPECT_EQ(node_text(TPointsTree::next(last_of_kalimdor)), "Eastern");
    TreeNode* empty = f.map_data->continents[2]->tree_node;
    EXPECT_EQ(TPointsTree::next(empty), nullptr);

    // Deleting renumbers the siblings and keeps the walk whole.
    TreeNode* c = f.add("c", 12, 9);
    f.tree.delete_node(a);
    EXPECT_EQ(c->index, 1u);
    EXPECT_EQ(TPointsTree::next(flight), b);
    EXPECT_EQ(TPointsTree::next(b), c);
    EXPECT_EQ(c->row, 0);

    size_t walked = 0;
    for (TreeNode* n = f.tree.first(); n; n = TPointsTree::next(n))
        ++walked;
    EXPECT_EQ(walked, f.tree.size());
    f.tree.clear();
    EXPECT_EQ(f.tree.first(), nullptr);
    EXPECT_EQ(f.tree.size(), 0u);
}

TEST(PointsTree, FindPointByNameUsesTheSearchKey) {
    PointsFixture f = world();
    TreeNode* first = f.add("Cr\xE8me-Br\xFBl\xE9"
                            "e",
                            11, 2);
    f.add("@Creme Brulee", 11, 2);
    TreeNode* second = f.add("CREME BRULEE", 20, 2);
    TreeNode* third = f.add("creme/brulee", 20, 9);
    f.add("Other", 12, 2);
    ASSERT_EQ(first->item()->key, "CREME BRULEE");

    TNameSearch all = search(f.tree.first());
    EXPECT_EQ(find_point_by_name(all, "  creme brulee \t"), first);
    EXPECT_EQ(find_point_by_name(all, "creme brulee!"), nullptr);

    std::vector<TreeNode*> seen;
    all.on_match = [&](TreeNode* n) { seen.push_back(n); };
    EXPECT_EQ(find_point_by_name(all, "Creme Brulee"), third);
    EXPECT_EQ(seen, (std::vector<TreeNode*>{first, second, third}));

    // Only the loaded continent: the first zone of another continent ends the walk.
    TNameSearch eastern = search(f.map_data->continents[1]->tree_node, true, 2);
    EXPECT_EQ(find_point_by_name(eastern, "creme brulee"), second);
    TNameSearch kalimdor = search(f.map_data->continents[0]->tree_node, true, 1);
    kalimdor.on_match = [&](TreeNode*) {};
    EXPECT_EQ(find_point_by_name(kalimdor, "creme brulee"), first);
    EXPECT_EQ(find_point_by_name(search(nullptr), "creme brulee"), nullptr);
}

TEST(PointsTree, FindInZoneListsWantsTheExactNameInLinkTargets) {
    PointsFixture f = world();
    f.add("Gate", 11, 2);  // Banks are no link target
    f.add("@Gate", 12, 9); // hidden
    TreeNode* gate = f.add("Gate", 10, 9);
    TreeNode* elwynn_gate = f.add("Gate", 20, 9);
    f.add("gate", 11, 9);
    std::vector<pMap_info*> kalimdor;
    for (const auto& z : f.map_data->zones)
        if (z->continent_id == 1)
            kalimdor.push_back(z.get());
    EXPECT_EQ(find_in_zone_lists(kalimdor, 1, "Gate"), gate);
    EXPECT_EQ(find_in_zone_lists(kalimdor, 1, "gate")->parent->parent, zone_node(*f.map_data, 11));
    EXPECT_EQ(find_in_zone_lists(kalimdor, 1, "GATE"), nullptr);
    EXPECT_EQ(find_in_zone_lists(kalimdor, 1, "@Gate"), nullptr);
    // Zones of another continent than the loaded one are not looked into.
    std::vector<pMap_info*> elwynn{f.map_data->zones[2].get()};
    ASSERT_EQ(elwynn[0]->name, "Elwynn");
    EXPECT_EQ(find_in_zone_lists(elwynn, 1, "Gate"), nullptr);
    EXPECT_EQ(find_in_zone_lists(elwynn, 2, "Gate"), elwynn_gate);
}
