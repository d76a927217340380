#include "database/widgets/points_tree_model.h"
#include "support/points_fixture.h"

#include <QPersistentModelIndex>
#include <gtest/gtest.h>

using namespace support;

namespace {

PointsFixture world() {
    return PointsFixture(
        {{1, 0, 11, "Kalimdor"}, {2, 1, 20, "Eastern"}},
        {{"Tanaris", "t", 10, 1, 0, 2},
         {"Ashenvale", "a", 11, 1, 0, 3},
         {"Elwynn", "e", 20, 2, 0, 4}},
        {{"Mobs", 5, 3, 1, 0x0000FF}, {"Banks", 2, 4, 2, 0x00FF00}, {"Flight", 9, 5, 3, 0xFF0000}});
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
    int layouts = 0;
    int resets = 0;

    explicit Signals(TPointsTreeModel& m) {
        auto parent_node = [](const QModelIndex& p) -> const TreeNode* {
            return p.isValid() ? TPointsTreeModel::node_of(p) : nullptr;
        };
        QObject::connect(&m, &QAbstractItemModel::rowsInserted,
                         [=, this](const QModelIndex& p, int f, int l) {
                             inserted.push_back({parent_node(p), f, l});
                         });
        QObject::connect(&m, &QAbstractItemModel::rowsRemoved,
                         [=, this](const QModelIndex& p, int f, int l) {
                             removed.push_back({parent_node(p), f, l});
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

TEST(PointsTreeModel, HiddenNodesAreNoRows) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    Signals s(model);
    expect_consistent(model, f.tree.root());
    EXPECT_EQ(model.rowCount(), 2);
    const TreeNode* ashenvale = zone_node(*f.map_data, 11);
    EXPECT_EQ(model.rowCount(model.index_of(ashenvale)), 0);

    // The first point of a category brings the category in, at its place among the visible ones.
    TreeNode* bank = f.add("Bank", 11, 2);
    EXPECT_EQ(s.inserted, (std::vector<Signals::Range>{{ashenvale, 0, 0}}));
    f.add("Mob", 11, 5);
    EXPECT_EQ(s.inserted.back(), (Signals::Range{ashenvale, 0, 0}));
    EXPECT_EQ(model.index_of(bank->parent).row(), 1);
    f.add("Bank 2", 11, 2);
    EXPECT_EQ(s.inserted.back(), (Signals::Range{bank->parent, 1, 1}));
    const size_t before = s.inserted.size();
    TreeNode* hidden = f.add("@Bank", 11, 2);
    EXPECT_EQ(s.inserted.size(), before);
    EXPECT_FALSE(model.index_of(hidden).isValid());
    expect_consistent(model, f.tree.root());

    // Hiding and showing one point in the middle.
    TreeNode* third = f.add("Bank 3", 11, 2);
    TreeNode* second = bank->next_sibling();
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
    EXPECT_EQ(s.resets, 1);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(PointsTreeModel, UpdateModePublishesInOneLayoutChange) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    TreeNode* keep = f.add("keep", 10, 2);
    TreeNode* hide = f.add("hide", 10, 2);
    TreeNode* gone = f.add("gone", 10, 2);
    QPersistentModelIndex keep_index(model.index_of(keep, 1));
    QPersistentModelIndex hide_index(model.index_of(hide));
    QPersistentModelIndex gone_index(model.index_of(gone));
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
    EXPECT_FALSE(gone_index.isValid());
    EXPECT_EQ(model.rowCount(model.index_of(keep->parent)), 2);
    EXPECT_TRUE(s.inserted.empty() && s.changed.empty());
    f.tree.end_update();
    EXPECT_EQ(s.layouts, 0);
    f.tree.end_update();

    EXPECT_EQ(s.layouts, 1);
    EXPECT_TRUE(s.inserted.empty());
    expect_consistent(model, f.tree.root());
    EXPECT_EQ(model.rowCount(model.index_of(keep->parent)), 101);
    // Mobs now comes before Banks in Tanaris.
    EXPECT_EQ(model.index_of(early->parent).row(), 0);
    EXPECT_EQ(keep_index.row(), 0);
    EXPECT_EQ(keep_index.column(), 1);
    EXPECT_EQ(TPointsTreeModel::node_of(keep_index), keep);
    EXPECT_EQ(keep_index.parent().row(), 1);
    EXPECT_FALSE(hide_index.isValid());
    EXPECT_EQ(model.index(0, 0, model.index_of(keep->parent)).data(Qt::CheckStateRole),
              Qt::Unchecked);
}

TEST(PointsTreeModel, CheckBoxesPropagateAndNotify) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    TreeNode* a = f.add("a", 11, 2);
    TreeNode* b = f.add("b", 11, 2);
    TreeNode* zone = a->parent->parent;
    Signals s(model);
    const QModelIndex ai = model.index_of(a);
    EXPECT_TRUE(model.flags(ai) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index_of(a, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.data(model.index_of(a, 1), Qt::CheckStateRole).isValid());

    ASSERT_TRUE(model.setData(ai, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.index_of(a->parent), Qt::CheckStateRole), Qt::PartiallyChecked);
    EXPECT_EQ(model.data(model.index_of(zone->parent), Qt::CheckStateRole), Qt::PartiallyChecked);
    // The point, then each ancestor whose state changed.
    using Pair = std::pair<const TreeNode*, const TreeNode*>;
    EXPECT_EQ(s.changed,
              (std::vector<Pair>{
                  {a, a}, {a->parent, a->parent}, {zone, zone}, {zone->parent, zone->parent}}));

    // Checking the zone checks everything below and reports the rows below.
    s.changed.clear();
    ASSERT_TRUE(model.setData(model.index_of(zone), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(a->check, TCheckState::Checked);
    EXPECT_EQ(model.data(model.index_of(zone->parent), Qt::CheckStateRole), Qt::Checked);
    EXPECT_EQ(s.changed,
              (std::vector<Pair>{
                  {zone, zone}, {a->parent, a->parent}, {a, b}, {zone->parent, zone->parent}}));
    EXPECT_FALSE(model.setData(ai, QStringLiteral("x"), Qt::DisplayRole));
}

TEST(PointsTreeModel, IconsMarksAndLevelColours) {
    PointsFixture f = world();
    TPointsTreeModel model(f.tree);
    std::vector<QPixmap> icons;
    for (int i = 0; i < 8; ++i)
        icons.emplace_back(16, 16); // each its own cache key
    int continent = 1;
    bool by_level = true;
    std::array<TreeNode*, 4> marked{};
    model.look = {&icons, &continent, &by_level, &marked};

    TreeNode* mob = f.add("Raw#12 name", 10, 5);
    mob->item()->colour = 0x123456;
    TreeNode* bank = f.add("Bank", 20, 2);
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
    EXPECT_EQ(icon_of(mob->parent, 1).cacheKey(), icons[0].cacheKey());
    EXPECT_TRUE(icon_of(mob->parent->parent, 1).isNull());

    const QColor font = colour_of(mob->parent->parent);
    EXPECT_NE(colour_of(bank->parent->parent), font); // other continent
    EXPECT_EQ(colour_of(mob), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(colour_of(bank), font); // not a level-coloured category
    by_level = false;
    EXPECT_EQ(colour_of(mob), font);
}
