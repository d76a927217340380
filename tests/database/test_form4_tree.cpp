#include "database/widgets/points_tree_model.h"
#include "foundation/Data.h"
#include "foundation/errors.h"
#include "foundation/map_data.h"
#include "foundation/node_data.h"
#include "mainwindow/widgets/map.h"
#include "support/form4_points.h"
#include "support/points_fixture.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <QTreeView>
#include <gtest/gtest.h>

using namespace support;

namespace {

class Form4Tree : public ::testing::Test {
protected:
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    PointsFixture f{{{1, 0, 11, "Kalimdor"}, {2, 0, 20, "Eastern"}},
                    {{"Tanaris", "t", 10, 1}, {"Ashenvale", "a", 11, 1}, {"Elwynn", "e", 20, 2}},
                    {{"Mobs", 5, 3, 1}, {"Gates", 9, 5, 3, 0, 0, false, "", true, true}},
                    {},
                    false};
    std::unique_ptr<TForm4> form;

    void SetUp() override { form = form_with_points(app.path(), f); }
    void TearDown() override { form.reset(); }

    TreeNode* add(const std::string& name, int32_t zone, int32_t category) {
        return form->addnode(PointsFixture::point(name, zone, category));
    }
};

} // namespace

TEST_F(Form4Tree, AddnodeBlocksTheAutosaveOnlyWhileItRuns) {
    bool allowed_during = true;
    QObject::connect(form->points_model.get(), &QAbstractItemModel::rowsInserted,
                     [&] { allowed_during = form->autosave_allowed; });
    TreeNode* n = add("Raptor", 11, 5);
    ASSERT_TRUE(n);
    EXPECT_FALSE(allowed_during);
    EXPECT_TRUE(form->autosave_allowed);
    EXPECT_EQ(n->parent->parent, form->zone_node(11));

    rnew_node bad = PointsFixture::point("Bridge", 11, 5);
    bad.link = "B_";
    EXPECT_THROW(form->addnode(bad), EConvertError);
    EXPECT_TRUE(form->autosave_allowed);
}

TEST_F(Form4Tree, FocusOnAnyLevelAndUnloadLeaveNothingBehind) {
    TreeNode* n = add("Raptor", 11, 5);
    auto* model = form->points_model.get();
    for (TreeNode* node : {form->points_tree.first(), form->zone_node(11), n->parent, n})
        form->MyTree->setCurrentIndex(model->index_of(node));
    EXPECT_EQ(TPointsTreeModel::node_of(form->MyTree->currentIndex()), n);
    form->MyTreeFocusChanged(nullptr);

    form->selection_ancestors = {n, n->parent, nullptr, nullptr};
    form->continent_node = form->points_tree.first();
    form->unload_data();
    EXPECT_EQ(form->points_tree.size(), 0u);
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(form->continent_node, nullptr);
    EXPECT_TRUE(form->continent_zones.empty());
    EXPECT_EQ(form->selection_ancestors[0], nullptr);
    EXPECT_EQ(form->find_point_by_name(nullptr, "Raptor", false), nullptr);
}
