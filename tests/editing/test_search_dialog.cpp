#include "editing/search_engine.h"
#include "editing/widgets/check_tree_model.h"
#include "editing/widgets/result_model.h"
#include "editing/widgets/search_form.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "support/form4_points.h"
#include "support/points_writer.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace support;

namespace {

// Zone classes Plaines (1) and Cites (2); the Val and Mont zones; two categories; properties
// Services (a group holding Inn and Bank) and Camp.
class SearchDialog : public ::testing::Test {
protected:
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    PointsFixture f{{{1, 0, 10, "Nord"}},
                    {{.name = "Val", .zone_id = 10, .continent_id = 1, .zone_class = 1},
                     {.name = "Mont", .zone_id = 11, .continent_id = 1, .zone_class = 2}},
                    {{.name = "Notes", .id = 1}, {.name = "auberges", .id = 2, .region_pass = 1}},
                    {{1, 0, 0, "Services"}, {2, 1, 0, "Inn"}, {3, 1, 0, "Bank"}, {4, 0, 0, "Camp"}},
                    false,
                    {{"Plaines", 1, 0}, {"Cites", 2, 1}}};
    TPreference preferences = rPreference;
    std::unique_ptr<TForm4> form;
    TSearchArea area;
    TRegionList regions;

    void SetUp() override {
        copy_program_files(app.path());
        form = form_with_points(app.path(), f);
        language = "Francais";
        load_ressource();
        for (const char* name : {"Zeta", "alpha"}) {
            regions.push_back(std::make_unique<rRegion>());
            regions.back()->node = form->addnode(PointsFixture::point(name, 10, 1));
        }
    }
    void TearDown() override {
        form.reset();
        rPreference = preferences;
    }
    rRegion* entry(int i) { return regions[size_t(i)].get(); }
    std::unique_ptr<TSearchForm> dialog() {
        auto d = std::make_unique<TSearchForm>(
            area, TSearchSources{form->common_data.get(), form->map_data, &regions});
        d->FormShow();
        return d;
    }
    static TCheckNode* node(const TSearchForm& d, const std::string& text) {
        for (TCheckNode* n = d.tree.first(); n; n = TCheckTree::next(n))
            if (from_qstring(d.model->index_of(n).data().toString()) == text)
                return n;
        return nullptr;
    }
    // The texts and states of the children of a root, in tree order.
    static std::string children(const TSearchForm& d, TSearchForm::Root r) {
        std::string out;
        for (TCheckNode* n = TCheckTree::next(d.root(r)); n && n->pointer; n = TCheckTree::next(n))
            out +=
                from_qstring(d.model->index_of(n).data().toString()) + char('0' + n->state) + " ";
        return out;
    }
};

TEST_F(SearchDialog, ShowsTheSearchObjectAndWritesItBack) {
    area.text = " loup ";
    area.criteria = kSearchNames | kSearchLevels | kSearchProperties | kSearchCategories |
                    kSearchZoneClasses | kSearchOwnAdditions | kSearchRegions;
    area.level_from = 3;
    area.level_to = 9;
    area.categories = {form->common_data->categories[1].get()};
    area.regions = {entry(0)};
    area.zone_classes.set(2);
    area.flags_present = flag_set({2});
    area.flags_absent = flag_set({3});
    area.flags_indifferent.w = {~0b1100u, ~0u, ~0u, ~0u};
    area.expanded_roots = 1 << TSearchForm::rootProperties;
    area.expanded_groups.set(1);
    const TSearchArea before = area;

    auto d = dialog();
    EXPECT_EQ(d->Edit1->text(), " loup ");
    EXPECT_TRUE(d->CheckBox1->isChecked() && d->CheckBox4->isChecked() &&
                !d->CheckBox2->isChecked());
    EXPECT_EQ(d->Edit3->text() + d->Edit2->text(), "39");
    EXPECT_EQ(children(*d, TSearchForm::rootCategories), "auberges2 Notes0 ");
    EXPECT_EQ(children(*d, TSearchForm::rootProperties), "Services1 Inn2 Bank0 Camp1 ");
    EXPECT_EQ(children(*d, TSearchForm::rootZoneClasses), "Plaines0 Cites2 ");
    EXPECT_EQ(children(*d, TSearchForm::rootRegions), "alpha0 Zeta2 ");
    EXPECT_EQ(d->root(TSearchForm::rootOwnAdditions)->state, kChecked);
    const TCheckNode* services = TCheckTree::next(d->root(TSearchForm::rootProperties));
    EXPECT_TRUE(d->SearchingTree->isExpanded(d->model->index_of(services)));
    EXPECT_FALSE(
        d->SearchingTree->isExpanded(d->model->index_of(d->root(TSearchForm::rootCategories))));

    ASSERT_TRUE(d->Button1Click());
    EXPECT_EQ(area.key, "LOUP");
    EXPECT_EQ(area.criteria, before.criteria);
    EXPECT_EQ(std::tie(area.level_from, area.level_to),
              std::tie(before.level_from, before.level_to));
    EXPECT_EQ(area.categories, before.categories);
    EXPECT_EQ(area.regions, before.regions);
    EXPECT_EQ(area.zone_classes, before.zone_classes);
    EXPECT_EQ(area.flags_present, before.flags_present);
    // Flags without a property node are neither indifferent nor present: they must not be set.
    EXPECT_EQ(area.flags_indifferent.w, (std::array<uint32_t, 4>{0b10010, 0, 0, 0}));
    EXPECT_EQ(area.flags_absent.w, (std::array<uint32_t, 4>{~0b10110u, ~0u, ~0u, ~0u}));
    EXPECT_EQ(area.expanded_roots, before.expanded_roots);
    EXPECT_EQ(area.expanded_groups, before.expanded_groups);
}

TEST_F(SearchDialog, ChecksAndEditsMakeTheirCriteria) {
    area.criteria = kSearchNames;
    auto d = dialog();
    // Every category and every region checked filters nothing; every zone class still does.
    for (const char* name : {"Notes", "auberges", "alpha", "Zeta", "Plaines", "Cites", "Camp",
                             "coIsJump", "coIsPoly", "Services", "Services", "Services"})
        d->model->setData(d->model->index_of(node(*d, name)), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(children(*d, TSearchForm::rootLinkKinds),
              "coUnknown0 coIsWp0 coIsPoly2 coIsJump0 coIsBridge0 ");
    emit d->Edit2->textEdited("3");
    EXPECT_TRUE(d->CheckBox4->isChecked());
    d->Edit3->setText("12");
    d->Edit2->setText("3");
    d->Edit1->setText("  ");
    ASSERT_TRUE(d->Button1Click());
    EXPECT_EQ(area.criteria,
              kSearchLevels | kSearchProperties | kSearchZoneClasses | kSearchLinkKind);
    EXPECT_EQ(area.command_kind, coIsPoly);
    EXPECT_EQ(d->Edit2->text(), "12");
    EXPECT_EQ(std::tie(area.level_from, area.level_to), std::tuple(12, 12));
    EXPECT_EQ(area.categories.size() + area.regions.size() + area.zone_classes.count(), 6u);
    EXPECT_EQ(area.flags_present, flag_set({4}));

    // With the comment size on, the typed text is only the size.
    d = dialog();
    d->Edit1->setText("40");
    d->model->setData(d->model->index_of(d->root(TSearchForm::rootCommentSize)), Qt::Checked,
                      Qt::CheckStateRole);
    ASSERT_TRUE(d->Button1Click());
    EXPECT_EQ(area.criteria & (kSearchCommentSize | kSearchNames), kSearchCommentSize);
}

TEST_F(SearchDialog, ResetAndBadLevelsLoseNothingUnasked) {
    area.criteria = kSearchNames | kSearchLocked;
    area.text = area.key = "X";
    auto d = dialog();
    d->Edit3->setText("99999999999");
    EXPECT_FALSE(d->Button1Click());
    EXPECT_EQ(boxes.texts(),
              std::vector<std::string>{"'99999999999' is not a valid integer value"});
    EXPECT_EQ(area.criteria, kSearchNames | kSearchLocked);
    // Reset acts at once, even when the dialog is then left without "Valider".
    d->Button2Click();
    d.reset();
    EXPECT_EQ(std::tie(area.criteria, area.text), std::tuple(kSearchNames, std::string()));
    d = dialog();
    d->Edit1->clear();
    ASSERT_TRUE(d->Button1Click());
    EXPECT_EQ(area.criteria, 0);
}

// The main window's search, with the dialog answered by the test.
class SearchWindow : public SearchDialog {
protected:
    TreeNode *grey = nullptr, *den = nullptr, *inn = nullptr;
    void SetUp() override {
        SearchDialog::SetUp();
        grey = form->addnode(PointsFixture::point("Grey Wolf", 11, 1, 100, 100));
        den = form->addnode(PointsFixture::point("Wolf Den", 10, 1, 200, 200));
        inn = form->addnode(PointsFixture::point("Inn", 10, 2));
        form->search_area = std::make_unique<TSearchArea>();
        form->search_area->criteria = kSearchNames;
    }
    void search(const QString& words, bool area_mode) {
        form->on_search_dialog = [=](TSearchForm& d) {
            d.FormShow();
            d.Edit1->setText(words);
            emit d.Edit1->textEdited(words);
            d.CheckBox3->setChecked(false);
            d.CheckBox7->setChecked(area_mode);
            d.Button1Click();
        };
        form->search();
    }
    std::vector<TreeNode*> rows() const {
        std::vector<TreeNode*> out;
        for (const rSearchResult& r : form->result_model->rows())
            out.push_back(r.node);
        return out;
    }
    void click_header(int column) {
        QHeaderView* h = form->TreeResult->header();
        const QPoint at(h->sectionViewportPosition(column) + 4, 4);
        for (auto [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                  {QEvent::MouseButtonRelease, Qt::NoButton}}) {
            QMouseEvent e(type, at, h->viewport()->mapToGlobal(at), Qt::LeftButton, held, {});
            QApplication::sendEvent(h->viewport(), &e);
        }
    }
};

TEST_F(SearchWindow, SearchListsRankedPointsAndSearchAreaModeShowsOnlyThem) {
    search("wolf", true);
    EXPECT_EQ(rows(), (std::vector<TreeNode*>{den, grey}));
    EXPECT_EQ(form->Label2->text().toStdString(), "2 point(s) trouvé(s)");
    EXPECT_EQ(form->PageControl->currentWidget(), form->TabSheet2);
    EXPECT_TRUE(form->search_area_mode);
    EXPECT_EQ(to_qstring(form->search_bar_text).left(10), "2 point(s)");
    EXPECT_EQ(std::tuple(den->check, grey->check, inn->check),
              std::tuple(TCheckState::Checked, TCheckState::Checked, TCheckState::Unchecked));
    EXPECT_EQ(rPreference.SAOM, true);

    click_header(kResultName);
    EXPECT_EQ(rows(), (std::vector<TreeNode*>{grey, den}));
    EXPECT_EQ(rPreference.STSC, kResultName);
    rPreference.STSC = 9;
    click_header(kResultName);
    EXPECT_EQ(rows(), (std::vector<TreeNode*>{den, grey}));
    EXPECT_EQ(rPreference.STSC, 9);

    form->remove_result(den);
    EXPECT_EQ(rows(), std::vector<TreeNode*>{grey});
    form->Button3Click();
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(form->search_area_mode);
    EXPECT_EQ(inn->check, TCheckState::Checked);
}

TEST_F(SearchWindow, NothingToSearchOrNothingFoundIsSaidPlainly) {
    form->points_tree.set_check_state(inn, TCheckState::Unchecked);
    search("", false);
    ASSERT_FALSE(form->feedback_lines.empty());
    EXPECT_EQ(form->feedback_lines.lines().front().text, res_messages[21]);
    // Outside search-area mode the points tree keeps the user's checks.
    EXPECT_EQ(inn->check, TCheckState::Unchecked);

    search("--", false);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(form->Label2->text().toStdString(), "0 point(s) trouvé(s)");
    EXPECT_EQ(form->TreeResult->header()->sortIndicatorSection(), -1);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(SearchWindow, RegionCriteriaUseTheBuiltRegions) {
    for (auto [name, zone] : {std::pair{"Bay", 10}, {"Cove", 11}}) {
        rnew_node r = PointsFixture::point(name, zone, 2, 1000, 1000);
        r.locked = true;
        r.link = area_link('S', {{20000, 20000}, {50000, 20000}, {50000, 50000}, {20000, 50000}});
        form->addnode(r);
    }
    TreeNode* pup = form->addnode(PointsFixture::point("Wolf Pup", 10, 1, 30000, 30000));
    form->build_regions();
    ASSERT_EQ(form->region_list.size(), 2u);
    form->on_search_dialog = [](TSearchForm& d) {
        d.FormShow();
        d.Edit1->clear();
        const TCheckNode* bay = TCheckTree::next(d.root(TSearchForm::rootRegions));
        d.model->setData(d.model->index_of(bay), Qt::Checked, Qt::CheckStateRole);
        d.CheckBox3->setChecked(false);
        d.Button1Click();
    };
    form->search();
    EXPECT_EQ(rows(), std::vector<TreeNode*>{pup});
    form->search_area->criteria = kSearchOutsideRegions;
    form->run_search(*form->search_area);
    EXPECT_EQ(rows().size(), 7u); // every other point, the two region points included
}

TEST_F(SearchWindow, PopupCommandsNeedAVisibleRow) {
    search("wolf", false);
    form->Modif2Click();
    form->points_tree.set_visible(grey, false);
    form->TreeResult->setCurrentIndex(form->result_model->index(1, 0));
    form->Modif2Click();
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{res_messages[8], res_messages[54]}));
}

} // namespace
