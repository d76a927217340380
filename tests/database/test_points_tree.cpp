#include "database/points_tree.h"
#include "database/widgets/points_tree_model.h"
#include "support/points_fixture.h"

#include <QPersistentModelIndex>
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
    return {start, current_only, continent, nullptr};
}

// Every published row of every reachable node matches its visible children, and indexes and
// parents agree.
void expect_consistent(const TPointsTreeModel& model, const TreeNode* node,
                       const QModelIndex& index = {}) {
    std::vector<const TreeNode*> visible;
    for (const auto& c : node->children)
        if (c->visible)
            visible.push_back(c.get());
    ASSERT_EQ(model.rowCount(index), int(visible.size())) << node_text(node);
    for (int r = 0; r < int(visible.size()); ++r) {
        QModelIndex child = model.index(r, 0, index);
        ASSERT_EQ(TPointsTreeModel::node_of(child), visible[size_t(r)]);
        ASSERT_EQ(model.parent(child), index);
        ASSERT_EQ(model.index_of(visible[size_t(r)]), child);
        ASSERT_EQ(model.data(child).toString().toStdString(), node_text(visible[size_t(r)]));
        expect_consistent(model, visible[size_t(r)], child);
    }
    EXPECT_FALSE(model.index(int(visible.size()), 0, index).isValid());
}

struct Signals {
    struct Range {
        const TreeNode* parent;
        int first, last;
        bool operator==(const Range&) const = default;
    };
    std::vector<Range> inserted, removed;
    std::vector<std::pair<const TreeNode*, const TreeNode*>> changed;
    int layouts = 0, resets = 0;
    explicit Signals(TPointsTreeModel& m) {
        for (auto [signal, list] : {std::pair{&QAbstractItemModel::rowsInserted, &inserted},
                                    {&QAbstractItemModel::rowsRemoved, &removed}})
            QObject::connect(&m, signal, [list = list](const QModelIndex& p, int first, int last) {
                list->push_back(
                    {p.isValid() ? TPointsTreeModel::node_of(p) : nullptr, first, last});
            });
        QObject::connect(&m, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& a, const QModelIndex& b) {
                             changed.emplace_back(TPointsTreeModel::node_of(a),
                                                  TPointsTreeModel::node_of(b));
                         });
        QObject::connect(&m, &QAbstractItemModel::layoutChanged, [this] { ++layouts; });
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] { ++resets; });
    }
};

} // namespace

TEST(PointsTree, SkeletonAndWalksFollowContinentZoneAndCategoryOrder) {
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
    // The walks, hidden nodes included.
    TreeNode *a = f.add("a", 12, 9), *b = f.add("@b", 12, 9);
    TreeNode *flight = a->parent, *durotar = flight->parent;
    EXPECT_EQ(std::pair(TPointsTree::next(flight), TPointsTree::next(a)), std::pair(a, b));
    EXPECT_EQ(node_text(TPointsTree::next(b)), "Tanaris");
    EXPECT_EQ(TPointsTree::next_after_subtree(durotar), zone_node(*f.map_data, 10));
    // From the last category of the last zone of a continent to the next continent.
    EXPECT_EQ(node_text(TPointsTree::next(zone_node(*f.map_data, 10)->last_child())), "Eastern");
    EXPECT_EQ(TPointsTree::next(f.map_data->continents[2]->tree_node), nullptr);
    // Deleting renumbers the siblings and keeps the walk whole.
    TreeNode* c = f.add("c", 12, 9);
    f.tree.delete_node(a);
    EXPECT_EQ(std::tuple(c->index, c->row, TPointsTree::next(flight), TPointsTree::next(b)),
              std::tuple(1u, 0, b, c));
    f.tree.clear();
    EXPECT_EQ(std::tuple(f.tree.first(), f.tree.size()), std::tuple(nullptr, 0u));
}

TEST(PointsTree, AddnodeAppendsUnderItsCategoryInArrivalOrderAndRefusesUnknownPlaces) {
    PointsFixture f = world();
    const size_t skeleton = f.tree.size();
    // No such zone, no such category, a zone outside every continent; zone ids are signed 16-bit
    // values, and -1 is never a zone.
    for (auto [zone, category] : {std::pair{99, 2}, {11, 3}, {30, 2}, {32768, 2}, {-1, 2}})
        EXPECT_EQ(f.add("x", zone, category), nullptr) << zone << "/" << category;
    EXPECT_TRUE(f.tree.size() == skeleton && f.add("x", -32768, 2) && !zone_node(*f.map_data, -1));
    EXPECT_EQ(node_text(zone_node(*f.map_data, -32768)), "Far");
    TreeNode *b = f.add("Bank b", 11, 2), *a = f.add("Bank a", 11, 2), *c = f.add("Bank c", 11, 2);
    TreeNode* banks = category_of(f, 11, "Banks");
    ASSERT_EQ(banks->children.size(), 3u);
    EXPECT_EQ(std::tuple(banks->first_child(), banks->children[1].get(), banks->last_child()),
              std::tuple(b, a, c));
    EXPECT_EQ(std::tuple(banks->visible, category_of(f, 11, "Mobs")->visible),
              std::tuple(true, false));
    // A leading "@" hides the point but shows its category, without a row for the point.
    EXPECT_FALSE(f.add("@Deleted", 20, 5)->visible);
    TreeNode* mobs = category_of(f, 20, "Mobs");
    EXPECT_TRUE(mobs->visible && mobs->rows.empty());
    EXPECT_TRUE(f.add("Mail@box", 20, 5)->visible && mobs->rows.size() == 1);
    // The node data gets the zone record and the category from the category node.
    EXPECT_EQ(std::tuple(a->data->owner_zone, a->data->category),
              std::tuple(zone_node(*f.map_data, 11)->data->owner_zone, banks->data->category));
    // Property colours reach the node data.
    rnew_node horde = PointsFixture::point("Horde flight", 12, 9);
    horde.flags.w[0] = 1u << 4;
    EXPECT_EQ(f.add(horde)->item()->colour, 0x00FFFF);
}

TEST(PointsTree, CheckStatesPropagateDownAndUp) {
    PointsFixture f = world();
    TreeNode *p1 = f.add("one", 11, 5), *p2 = f.add("two", 11, 5);
    TreeNode *mobs = p1->parent, *zone = mobs->parent, *continent = zone->parent;
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
    EXPECT_EQ(std::pair(p3->check, mobs->check), std::pair(Checked, Mixed));
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

TEST(PointsTree, FindPointByNameUsesTheSearchKeyAndZoneListsTheExactName) {
    PointsFixture f = world();
    TreeNode* first = f.add(std::string("Cr\xE8me-Br\xFBl\xE9") + "e", 11, 2);
    f.add("@Creme Brulee", 11, 2);
    TreeNode *second = f.add("CREME BRULEE", 20, 2), *third = f.add("creme/brulee", 20, 9);
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
    // The zone lists want the exact name in link targets.
    f.add("Gate", 11, 2);  // Banks are no link target
    f.add("@Gate", 12, 9); // hidden
    TreeNode *gate = f.add("Gate", 10, 9), *elwynn_gate = f.add("Gate", 20, 9);
    f.add("gate", 11, 9);
    std::vector<pMap_info*> zones1;
    for (const auto& z : f.map_data->zones)
        if (z->continent_id == 1)
            zones1.push_back(z.get());
    EXPECT_EQ(find_in_zone_lists(zones1, 1, "Gate"), gate);
    EXPECT_EQ(find_in_zone_lists(zones1, 1, "gate")->parent->parent, zone_node(*f.map_data, 11));
    EXPECT_FALSE(find_in_zone_lists(zones1, 1, "GATE") || find_in_zone_lists(zones1, 1, "@Gate"));
    // Zones of another continent than the loaded one are not looked into.
    std::vector<pMap_info*> elwynn{f.map_data->zones[2].get()};
    ASSERT_EQ(elwynn[0]->name, "Elwynn");
    EXPECT_EQ(find_in_zone_lists(elwynn, 1, "Gate"), nullptr);
    EXPECT_EQ(find_in_zone_lists(elwynn, 2, "Gate"), elwynn_gate);
}

TEST(PointsTreeModel, HiddenNodesAreNoRows) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    Signals s(model);
    expect_consistent(model, f.tree.root());
    const TreeNode* ashenvale = zone_node(*f.map_data, 11);
    EXPECT_EQ(std::pair(model.rowCount(), model.rowCount(model.index_of(ashenvale))),
              std::pair(3, 0));
    // The first point of a category brings the category in, at its place among the visible ones;
    // a hidden point brings no row.
    TreeNode* bank = f.add("Bank", 11, 2);
    f.add("Mob", 11, 5);
    EXPECT_EQ(model.index_of(bank->parent).row(), 1);
    f.add("Bank 2", 11, 2);
    TreeNode* hidden = f.add("@Bank", 11, 2);
    EXPECT_EQ(s.inserted, (std::vector<Signals::Range>{
                              {ashenvale, 0, 0}, {ashenvale, 0, 0}, {bank->parent, 1, 1}}));
    EXPECT_FALSE(model.index_of(hidden).isValid());
    expect_consistent(model, f.tree.root());
    // Hiding and showing one point in the middle.
    TreeNode *third = f.add("Bank 3", 11, 2), *second = bank->next_sibling();
    f.tree.set_visible(second, false);
    EXPECT_EQ(s.removed, (std::vector<Signals::Range>{{bank->parent, 1, 1}}));
    EXPECT_EQ(model.index_of(third).row(), 1);
    expect_consistent(model, f.tree.root());
    f.tree.set_visible(second, true);
    EXPECT_EQ(s.inserted.back(), (Signals::Range{bank->parent, 1, 1}));
    EXPECT_EQ(model.index_of(third).row(), 2);
    expect_consistent(model, f.tree.root());
    // Deleting a visible point removes its row; a hidden one makes no signal.
    f.tree.delete_node(second);
    EXPECT_EQ(s.removed.back(), (Signals::Range{bank->parent, 1, 1}));
    f.tree.delete_node(hidden);
    EXPECT_EQ(s.removed.size(), 2u);
    expect_consistent(model, f.tree.root());
    f.tree.clear();
    EXPECT_EQ(std::pair(s.resets, model.rowCount()), std::pair(1, 0));
}

TEST(PointsTreeModel, UpdateModePublishesInOneLayoutChange) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    TreeNode *keep = f.add("keep", 10, 2), *hide = f.add("hide", 10, 2),
             *gone = f.add("gone", 10, 2);
    QPersistentModelIndex keep_index(model.index_of(keep, 1)), hide_index(model.index_of(hide)),
        gone_index(model.index_of(gone));
    Signals s(model);
    f.tree.begin_update();
    f.tree.begin_update(); // nested
    TreeNode* early = f.add("new mob", 10, 5);
    for (int i = 0; i < 100; ++i)
        f.add("bank " + std::to_string(i), 10, 2);
    f.tree.set_visible(hide, false);
    f.tree.set_check_state(keep, TCheckState::Unchecked);
    // The view still sees the rows as they were, except a deletion, which is published at once.
    EXPECT_EQ(model.rowCount(model.index_of(keep->parent)), 3);
    EXPECT_EQ(model.data(hide_index).toString(), QStringLiteral("hide"));
    f.tree.delete_node(gone);
    EXPECT_EQ(s.removed, (std::vector<Signals::Range>{{keep->parent, 2, 2}}));
    EXPECT_TRUE(!gone_index.isValid() && model.rowCount(model.index_of(keep->parent)) == 2);
    EXPECT_TRUE(s.inserted.empty() && s.changed.empty());
    f.tree.end_update();
    EXPECT_EQ(s.layouts, 0);
    f.tree.end_update();
    EXPECT_TRUE(s.layouts == 1 && s.inserted.empty());
    expect_consistent(model, f.tree.root());
    // Mobs now comes before Banks in Tanaris.
    EXPECT_EQ(std::pair(model.rowCount(model.index_of(keep->parent)),
                        model.index_of(early->parent).row()),
              std::pair(101, 0));
    EXPECT_EQ(std::tuple(keep_index.row(), keep_index.column(), keep_index.parent().row()),
              std::tuple(0, 1, 1));
    EXPECT_TRUE(TPointsTreeModel::node_of(keep_index) == keep && !hide_index.isValid());
    EXPECT_EQ(model.index(0, 0, model.index_of(keep->parent)).data(Qt::CheckStateRole),
              Qt::Unchecked);
}

TEST(PointsTreeModel, CheckBoxesPropagateAndNotifyIconsMarksAndLevelsColour) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    TreeNode *a = f.add("a", 11, 2), *b = f.add("b", 11, 2), *zone = a->parent->parent;
    Signals s(model);
    const QModelIndex ai = model.index_of(a);
    EXPECT_TRUE(model.flags(ai) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE((model.flags(model.index_of(a, 1)) & Qt::ItemIsUserCheckable) ||
                 model.data(model.index_of(a, 1), Qt::CheckStateRole).isValid());
    ASSERT_TRUE(model.setData(ai, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.index_of(a->parent), Qt::CheckStateRole), Qt::PartiallyChecked);
    // The point, then each ancestor whose state changed.
    using Pair = std::pair<const TreeNode*, const TreeNode*>;
    EXPECT_EQ(s.changed,
              (std::vector<Pair>{
                  {a, a}, {a->parent, a->parent}, {zone, zone}, {zone->parent, zone->parent}}));
    // Checking the zone checks everything below and reports the rows below.
    s.changed.clear();
    ASSERT_TRUE(model.setData(model.index_of(zone), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.index_of(zone->parent), Qt::CheckStateRole), Qt::Checked);
    EXPECT_EQ(s.changed,
              (std::vector<Pair>{
                  {zone, zone}, {a->parent, a->parent}, {a, b}, {zone->parent, zone->parent}}));
    EXPECT_FALSE(model.setData(ai, QStringLiteral("x"), Qt::DisplayRole));
    // Icons, marks and level colours.
    std::vector<QPixmap> icons;
    for (int i = 0; i < 8; ++i)
        icons.emplace_back(16, 16); // each its own cache key
    int continent = 1;
    bool by_level = true;
    std::array<TreeNode*, 4> marked{};
    model.look = {&icons, &continent, &by_level, &marked};
    TreeNode *mob = f.add("Raw#12 name", 10, 5), *bank = f.add("Bank", 20, 2);
    mob->item()->colour = 0x123456;
    auto icon_of = [&](const TreeNode* n, int column = 0) {
        return model.data(model.index_of(n, column), Qt::DecorationRole).value<QPixmap>();
    };
    auto colour_of = [&](const TreeNode* n) {
        return model.data(model.index_of(n), Qt::ForegroundRole).value<QColor>();
    };
    EXPECT_EQ(icon_of(mob).cacheKey(), icons[7].cacheKey()); // category tree icon 3 + 4
    EXPECT_TRUE(icon_of(bank).isNull());                     // 4 + 4 lies beyond the list
    EXPECT_EQ(model.data(model.index_of(mob)).toString(), QStringLiteral("Raw#12 name"));
    // Column 1 marks the selection ancestors.
    marked = {mob, mob->parent, nullptr, nullptr};
    EXPECT_TRUE(icon_of(mob->parent, 1).cacheKey() == icons[0].cacheKey() &&
                icon_of(mob->parent->parent, 1).isNull());
    const QColor font = colour_of(mob->parent->parent);
    EXPECT_NE(colour_of(bank->parent->parent), font); // other continent
    EXPECT_EQ(colour_of(mob), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(colour_of(bank), font); // not a level-coloured category
    by_level = false;
    EXPECT_EQ(colour_of(mob), font);
}
