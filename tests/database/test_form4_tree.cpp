#include "database/level_filter.h"
#include "foundation/errors.h"
#include "support/form4_points.h"

#include <QCheckBox>
#include <QLineEdit>

using namespace support;

namespace {

// Kalimdor: Tanaris (10) and Ashenvale (11); Eastern: Elwynn (20). Mobs are level-coloured,
// Shops are not, Gates are link targets.
class Form4Tree : public Form4Test {
protected:
    PointsFixture f{
        {{1, 0, 11, "Kalimdor"}, {2, 0, 20, "Eastern"}},
        {{"Tanaris", "t", 10, 1}, {"Ashenvale", "a", 11, 1}, {"Elwynn", "e", 20, 2}},
        {{"Mobs", 5, 3, 1}, {"Shops", 4, 4, 2}, {"Gates", 9, 5, 3, 0, 0, false, "", true, true}},
        {},
        false};
    void SetUp() override { form = form_with_points(app.path(), f); }
    TreeNode* add(const std::string& name, int32_t zone, int32_t category) {
        return form->addnode(PointsFixture::point(name, zone, category));
    }
};

rnew_node leveled(const std::string& name, int32_t category, int32_t min, int32_t max) {
    rnew_node r = PointsFixture::point(name, 10, category);
    std::tie(r.level_min, r.level_max) = std::pair(min, max);
    return r;
}

// The visible point and category names, in display order.
std::vector<std::string> shown(const TPointsTree& tree) {
    std::vector<std::string> out;
    for (TreeNode* n = tree.first(); n; n = TPointsTree::next(n))
        if (n->level >= kLevelCategory && n->visible)
            out.push_back(node_text(n));
    return out;
}

} // namespace

TEST_F(Form4Tree, AddnodeBlocksTheAutosaveOnlyWhileItRunsFocusAndUnloadLeaveNothingBehind) {
    bool allowed_during = true;
    QObject::connect(form->points_model.get(), &QAbstractItemModel::rowsInserted,
                     [&] { allowed_during = form->autosave_allowed; });
    TreeNode* n = add("Raptor", 11, 5);
    ASSERT_TRUE(n && !allowed_during && form->autosave_allowed);
    EXPECT_EQ(n->parent->parent, form->zone_node(11));
    rnew_node bad = PointsFixture::point("Bridge", 11, 5);
    bad.link = "B_";
    EXPECT_THROW(form->addnode(bad), EConvertError);
    EXPECT_TRUE(form->autosave_allowed);
    auto* model = form->points_model.get();
    for (TreeNode* node : {form->points_tree.first(), form->zone_node(11), n->parent, n})
        form->MyTree->setCurrentIndex(model->index_of(node));
    EXPECT_EQ(TPointsTreeModel::node_of(form->MyTree->currentIndex()), n);
    form->MyTreeFocusChanged(nullptr);
    form->selection_ancestors = {n, n->parent, nullptr, nullptr};
    form->continent_node = form->points_tree.first();
    form->unload_data();
    EXPECT_TRUE(form->points_tree.size() == 0 && model->rowCount() == 0 &&
                form->continent_zones.empty());
    EXPECT_FALSE(form->continent_node || form->selection_ancestors[0] ||
                 form->find_point_by_name(nullptr, "Raptor", false));
}

TEST_F(Form4Tree, LevelFilterRangeHidesOnlyLevelColouredPointsItsEditsClampAndKeepMinBelowMax) {
    for (const rnew_node& r :
         {leveled("low", 5, 5, 12), leveled("high", 5, 21, 30), leveled("none", 5, 0, 0),
          leveled("shop", 4, 50, 60), leveled("@gone", 5, 12, 12)})
        form->addnode(r);
    form->filter_min = 10;
    form->filter_max = 20;
    form->CheckBoxlvl->setChecked(true);
    form->CheckBoxlvlClick();
    EXPECT_TRUE(form->Edit_lvl_min->isEnabled());
    EXPECT_EQ(shown(form->points_tree), (std::vector<std::string>{"Mobs", "low", "Shops", "shop"}));
    EXPECT_EQ(form->points_model->rowCount(form->points_model->index_of(form->zone_node(10))), 2);
    // A category whose points are all filtered out stays visible.
    form->Edit_lvl_min->setText("40");
    form->Edit_lvl_minExit();
    EXPECT_EQ(shown(form->points_tree), (std::vector<std::string>{"Mobs", "Shops", "shop"}));
    form->CheckBoxlvl->setChecked(false);
    form->CheckBoxlvlClick();
    EXPECT_FALSE(form->Edit_lvl_max->isEnabled());
    EXPECT_EQ(shown(form->points_tree),
              (std::vector<std::string>{"Mobs", "low", "high", "none", "Shops", "shop"}));
    form->filter_max = 40;
    TForm4& f = *form;
    // Typed into the first edit, left; the text of the second. A pasted text that is no number
    // puts the value back.
    for (auto [typed, text, exit, shown, expected] :
         {std::tuple{f.Edit_lvl_min, "50", &TForm4::Edit_lvl_minExit, f.Edit_lvl_max, "50"},
          {f.Edit_lvl_max, "5", &TForm4::Edit_lvl_maxExit, f.Edit_lvl_min, "5"},
          {f.Edit_lvl_min, "", &TForm4::Edit_lvl_minExit, f.Edit_lvl_min, ""},
          {f.Edit_lvl_max, "ab", &TForm4::Edit_lvl_maxExit, f.Edit_lvl_max, "5"},
          {f.Editlvl, "85", &TForm4::EditlvlExit, f.Editlvl, "70"}}) {
        typed->setText(text);
        (f.*exit)();
        EXPECT_EQ(shown->text(), expected) << text;
    }
    EXPECT_EQ(std::make_tuple(form->filter_min, form->filter_max), std::make_tuple(0, 5));
    EXPECT_EQ(form->nearest_level(10, 20), 20);
    const int cases[][4] = {
        {0, 30, 1, 0}, {0, 30, 70, 0}, {10, 20, 25, 20}, {10, 20, 5, 10}, {10, 20, 15, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(nearest_level(c[0], c[1], c[2]), c[3]) << c[0] << ".." << c[1] << " @" << c[2];
    // Only digits and backspace reach the edits; Enter in the player level applies it.
    form->Editlvl->setText("");
    for (char c : {'a', '-', '7'})
        key(form->Editlvl, 0, QString(QChar(c)));
    EXPECT_EQ(form->Editlvl->text(), "7");
    form->Editlvl->setText("");
    key(form->Editlvl, 0, QStringLiteral("\r"));
    EXPECT_TRUE(form->Editlvl->text() == "1" && rPreference.NIVP == 1);
}
