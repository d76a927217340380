#include "database/level_filter.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/map.h"
#include "support/form4_points.h"
#include "support/points_fixture.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace support;

namespace {

// Zone 10 with Mobs (type 1, level-coloured), Shops (type 2) and Empty (type 1, no point).
PointsFixture world() {
    return PointsFixture({{1, 5, 10, "Kalimdor"}}, {{"Tanaris", "t", 10, 1}},
                         {{"Mobs", 1, 3, 1}, {"Shops", 4, 4, 2}, {"Empty", 6, 4, 1}}, {}, false);
}

rnew_node leveled(const std::string& name, int32_t category, int32_t min, int32_t max) {
    rnew_node r = PointsFixture::point(name, 10, category);
    r.level_min = min;
    r.level_max = max;
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

TEST(LevelFilter, NearestLevel) {
    const int cases[][4] = {
        {0, 30, 1, 0}, {0, 30, 70, 0}, {10, 20, 25, 20}, {10, 20, 5, 10}, {10, 20, 15, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(nearest_level(c[0], c[1], c[2]), c[3]) << c[0] << ".." << c[1] << " @" << c[2];
}

namespace {

class Form4LevelFilter : public ::testing::Test {
protected:
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    PointsFixture f = world();
    std::unique_ptr<TForm4> form;

    void SetUp() override { form = form_with_points(app.path(), f); }

    // Types a character through the edit's key events.
    void type(QLineEdit* edit, char c) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QCoreApplication::sendEvent(edit, &press);
    }
};

} // namespace

TEST_F(Form4LevelFilter, RangeHidesOnlyLevelColouredPoints) {
    for (const rnew_node& r :
         {leveled("low", 1, 5, 12), leveled("high", 1, 21, 30), leveled("none", 1, 0, 0),
          leveled("shop", 4, 50, 60), leveled("@gone", 1, 12, 12)})
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
}

TEST_F(Form4LevelFilter, EditsClampAndKeepMinBelowMax) {
    form->filter_max = 40;
    form->Edit_lvl_min->setText("50");
    form->Edit_lvl_minExit();
    EXPECT_EQ(form->Edit_lvl_max->text(), "50");
    form->Edit_lvl_max->setText("5");
    form->Edit_lvl_maxExit();
    EXPECT_EQ(form->Edit_lvl_min->text(), "5");
    form->Edit_lvl_min->setText("");
    form->Edit_lvl_minExit();
    EXPECT_EQ(std::make_tuple(form->filter_min, form->filter_max), std::make_tuple(0, 5));
    EXPECT_EQ(form->Edit_lvl_min->text(), "");
    // A pasted text that is no number puts the value back.
    form->Edit_lvl_max->setText("ab");
    form->Edit_lvl_maxExit();
    EXPECT_EQ(form->Edit_lvl_max->text(), "5");

    form->Editlvl->setText("85");
    form->EditlvlExit();
    EXPECT_EQ(form->Editlvl->text(), "70");
    EXPECT_EQ(form->nearest_level(10, 20), 20);
    // Only digits and backspace reach the edits; Enter in the player level applies it.
    form->Editlvl->setText("");
    for (char c : {'a', '-', '7'})
        type(form->Editlvl, c);
    EXPECT_EQ(form->Editlvl->text(), "7");
    form->Editlvl->setText("");
    type(form->Editlvl, '\r');
    EXPECT_EQ(form->Editlvl->text(), "1");
    EXPECT_EQ(rPreference.NIVP, 1);
}
