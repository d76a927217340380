#include "editing/search_engine.h"
#include "editing/widgets/check_tree_model.h"
#include "editing/widgets/result_model.h"
#include "editing/widgets/search_form.h"
#include "support/dialog_answer.h"
#include "support/form4_points.h"
#include "support/points_writer.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace support;

namespace {

// Zone classes Plaines (1) and Cites (2); the Val and Mont zones; two categories; properties
// Services (a group holding Inn and Bank) and Camp.
class SearchDialog : public Form4Test {
protected:
    PointsFixture f{{{1, 0, 10, "Nord"}},
                    {{.name = "Val", .zone_id = 10, .continent_id = 1, .zone_class = 1},
                     {.name = "Mont", .zone_id = 11, .continent_id = 1, .zone_class = 2}},
                    {{.name = "Notes", .id = 1}, {.name = "auberges", .id = 2, .region_pass = 1}},
                    {{1, 0, 0, "Services"}, {2, 1, 0, "Inn"}, {3, 1, 0, "Bank"}, {4, 0, 0, "Camp"}},
                    false,
                    {{"Plaines", 1, 0}, {"Cites", 2, 1}}};
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

TEST_F(SearchDialog, ShowsTheSearchObjectAndWritesItBackWithTheCriteriaOfItsChecksAndEdits) {
    area.text = " loup ";
    area.criteria = kSearchNames | kSearchLevels | kSearchProperties | kSearchCategories |
                    kSearchZoneClasses | kSearchOwnAdditions | kSearchRegions;
    std::tie(area.level_from, area.level_to) = std::pair(3, 9);
    area.categories = {form->common_data->categories[1].get()};
    area.regions = {entry(0)};
    area.zone_classes.set(2);
    std::tie(area.flags_present, area.flags_absent) = std::pair(flag_set({2}), flag_set({3}));
    area.flags_indifferent.w = {~0b1100u, ~0u, ~0u, ~0u};
    area.expanded_roots = 1 << TSearchForm::rootProperties;
    area.expanded_groups.set(1);
    const TSearchArea before = area;
    auto d = dialog();
    EXPECT_EQ(d->Edit1->text(), " loup ");
    EXPECT_TRUE(d->CheckBox1->isChecked() && d->CheckBox4->isChecked() &&
                !d->CheckBox2->isChecked());
    EXPECT_EQ(d->Edit3->text() + d->Edit2->text(), "39");
    EXPECT_EQ(
        children(*d, TSearchForm::rootCategories) + children(*d, TSearchForm::rootProperties) +
            children(*d, TSearchForm::rootZoneClasses) + children(*d, TSearchForm::rootRegions),
        "auberges2 Notes0 Services1 Inn2 Bank0 Camp1 Plaines0 Cites2 alpha0 Zeta2 ");
    EXPECT_EQ(d->root(TSearchForm::rootOwnAdditions)->state, kChecked);
    const TCheckNode* services = TCheckTree::next(d->root(TSearchForm::rootProperties));
    EXPECT_TRUE(
        d->SearchingTree->isExpanded(d->model->index_of(services)) &&
        !d->SearchingTree->isExpanded(d->model->index_of(d->root(TSearchForm::rootCategories))));
    ASSERT_TRUE(d->Button1Click() && area.key == "LOUP");
    const auto kept = [](const TSearchArea& a) {
        return std::tie(a.criteria, a.level_from, a.level_to, a.categories, a.regions,
                        a.zone_classes, a.flags_present, a.expanded_roots, a.expanded_groups);
    };
    EXPECT_EQ(kept(area), kept(before));
    // Flags without a property node are neither indifferent nor present: they must not be set.
    EXPECT_EQ(area.flags_indifferent.w, (std::array<uint32_t, 4>{0b10010, 0, 0, 0}));
    EXPECT_EQ(area.flags_absent.w, (std::array<uint32_t, 4>{~0b10110u, ~0u, ~0u, ~0u}));
    area = TSearchArea{};
    area.criteria = kSearchNames;
    d = dialog();
    // Checks and edits make their criteria. Every category and every region checked filters
    // nothing; every zone class still does.
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
    EXPECT_TRUE(area.command_kind == coIsPoly && d->Edit2->text() == "12");
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

// The main window's search from a real dialog: Zeta and alpha, both in Val, found in area mode.
TEST_F(SearchDialog, TheWindowSearchesOnValiderOnlyAndItsCountFollowsTheRows) {
    form->search_area = std::make_unique<TSearchArea>();
    form->init_clipboard_node();
    form->show();
    rPreference.SPOM = rPreference.SAOM = true;
    const auto search = [this](const std::function<void(TSearchForm&)>& act) {
        DialogAnswer answer([&act](QWidget* w) { act(*qobject_cast<TSearchForm*>(w)); });
        form->search();
    };
    const auto shown = [this] {
        std::string out = from_qstring(form->Label2->text()) + "|" + form->search_bar_text + "|";
        for (const rSearchResult& r : form->result_model->rows())
            out += r.node->item()->name + " ";
        return out;
    };
    res_infos[12] = "%1 found";
    res_infos[26] = "%1 in the area";
    search([](TSearchForm& d) {
        d.Edit1->setText(QStringLiteral("a"));
        d.CheckBox1->setChecked(true);
        d.Button1->click();
    });
    emit form->TreeResult->header()->sectionClicked(kResultName);
    form->view_offset = {-7000, -7000};
    ASSERT_EQ(shown(), "2 found|2 in the area|alpha Zeta ");
    // Escape, a close box after bad levels, or a reset then any close but "Valider", with an
    // empty key: nothing is searched, the rows, their sort, the view and area mode stay; only
    // the reset acts.
    for (int close = 0; close < 3; ++close) {
        search([close](TSearchForm& d) {
            d.Edit1->clear();
            d.CheckBox3->setChecked(false);
            if (close == 0) {
                QTest::keyClick(&d, Qt::Key_Escape);
            } else if (close == 1) {
                d.Edit3->setText("99999999999"); // refused, the dialog stays
                d.Button1->click();
                d.close();
            } else {
                d.Button2Click(), d.reject();
            }
        });
        EXPECT_EQ(shown() + form->search_area->text,
                  "2 found|2 in the area|alpha Zeta " + std::string(close < 2, 'a'));
        const std::vector<std::string> said = boxes.texts();
        EXPECT_EQ(
            std::count(said.begin(), said.end(), "'99999999999' is not a valid integer value"),
            close > 0);
        EXPECT_TRUE(form->TreeResult->header()->sortIndicatorSection() == kResultName &&
                    form->view_offset == QPoint(-7000, -7000) && rPreference.SPOM &&
                    form->search_area_mode && form->search_area->criteria == kSearchNames);
    }
    // The marks column is as wide as its texts, and the columns fit the list, in any font.
    QAbstractItemView* list = form->TreeResult;
    list->setFont(QFont(list->font().family(), 24));
    QApplication::processEvents();
    EXPECT_TRUE(list->isVisible() && !list->horizontalScrollBar()->isVisible());
    EXPECT_EQ(form->TreeResult->header()->length(), list->viewport()->width());
    EXPECT_EQ(form->TreeResult->columnWidth(kResultMarks), list->sizeHintForColumn(kResultMarks));
    // A cut row leaves the count and the search bar; an unloaded list shows no count.
    form->cut_point(find_point(form->points_tree, "alpha"));
    EXPECT_EQ(shown(), "1 found|1 in the area|Zeta ");
    form->remove_result(find_point(form->points_tree, "Zeta"));
    EXPECT_EQ(shown(), "0 found|0 in the area|");
    form->unload_data();
    EXPECT_EQ(shown(), "|0 in the area|");
}

} // namespace
