#include "editing/widgets/search_form.h"

#include "database/points_tree.h"
#include "editing/search_engine.h"
#include "editing/widgets/check_tree_model.h"
#include "foundation/Data.h"
#include "foundation/control_tag.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/widgets/dialog_frame.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Caption text of each root; the comment-size root has a fixed name.
constexpr std::array<int, TSearchForm::kRootCount> kRootTexts = {187, 186, 190, 185, 192,
                                                                 188, 193, 189, 0};
// Criteria bit of the roots that are check boxes themselves.
constexpr std::array<uint16_t, TSearchForm::kRootCount> kRootBits = {
    0, 0, 0, 0, 0, kSearchOwnAdditions, kSearchOutsideRegions, kSearchLocked, kSearchCommentSize};

QCheckBox* make_check(QWidget* parent, const char* name, int tag) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    set_tag(box, tag);
    return box;
}

QLineEdit* make_level_edit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(QStringLiteral("5"), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(40);
    // Digits only, typed or pasted.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

// The number of a level edit; an empty edit counts as 1 and is shown so.
int32_t level_of(QLineEdit* edit) {
    if (edit->text().isEmpty())
        edit->setText(QStringLiteral("1"));
    return str_to_int(from_qstring(edit->text()));
}

} // namespace

TSearchForm::TSearchForm(TSearchArea& area, TSearchSources sources, QWidget* parent)
    : QDialog(parent), area_(area), sources_(std::move(sources)) {
    setObjectName(QStringLiteral("SearchForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(feedback_font());
    setMinimumSize(282, 310);
    setMaximumWidth(282);
    resize(282, 500);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    CheckBox1 = make_check(this, "CheckBox1", 8);
    CheckBox1->setChecked(true);
    CheckBox2 = make_check(this, "CheckBox2", 29);
    Button1 = new QPushButton(QStringLiteral("Valider"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    set_tag(Button2, 171);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    auto* page1 = new QWidget(PageControl1);
    CheckBox4 = make_check(page1, "CheckBox4", 12);
    Edit3 = make_level_edit(page1, "Edit3");
    Edit2 = make_level_edit(page1, "Edit2");
    SearchingTree = new QTreeView(page1);
    SearchingTree->setObjectName(QStringLiteral("SearchingTree"));
    SearchingTree->header()->hide();
    SearchingTree->setIconSize(QSize(16, 16));
    SearchingTree->setUniformRowHeights(true);
    QPalette palette = SearchingTree->palette();
    palette.setColor(QPalette::Base, QColor(128, 128, 128));
    palette.setColor(QPalette::Text, QColor(0xEF, 0xF0, 0xDE));
    SearchingTree->setPalette(palette);
    auto* page2 = new QWidget(PageControl1);
    CheckBox7 = make_check(page2, "CheckBox7", 168);
    CheckBox3 = make_check(page2, "CheckBox3", 191);

    auto* levels = new QHBoxLayout;
    levels->addWidget(CheckBox4, 1);
    levels->addWidget(Edit3);
    levels->addWidget(Edit2);
    auto* page1_layout = new QVBoxLayout(page1);
    page1_layout->setContentsMargins(2, 2, 2, 2);
    page1_layout->addLayout(levels);
    page1_layout->addWidget(SearchingTree, 1);
    auto* page2_layout = new QVBoxLayout(page2);
    page2_layout->addWidget(CheckBox7);
    page2_layout->addWidget(CheckBox3);
    page2_layout->addStretch(1);
    const auto tab_icon = [this](size_t i) {
        const auto* icons = sources_.toolbar_icons;
        return icons && i < icons->size() ? QIcon((*icons)[i]) : QIcon();
    };
    PageControl1->addTab(page1, tab_icon(6), QString());
    PageControl1->addTab(page2, tab_icon(27), QString());

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(CheckBox1);
    boxes->addWidget(CheckBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Edit1);
    layout->addLayout(boxes);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Reduirelarbre1 = PopupMenu1->addAction(QString());
    Reduirelarbre1->setObjectName(QStringLiteral("Reduirelarbre1"));
    set_tag(Reduirelarbre1, 34);
    SearchingTree->setContextMenuPolicy(Qt::CustomContextMenu);

    model = new TCheckTreeModel(tree, this);
    model->icons = sources_.tree_icons;
    model->text = [this](const TCheckNode& n) { return node_text(n); };
    model->image = [this](const TCheckNode& n) { return node_image(n); };
    SearchingTree->setModel(model);

    // FormCreate
    translate_form(this);
    setWindowTitle(to_qstring(get_text(169)));
    for (QAction* a : PopupMenu1->actions())
        if (tag_of(a) > 0)
            a->setText(to_qstring(get_menu_text(tag_of(a))));
    for (uint8_t k = 0; k < link_kinds_.size(); ++k)
        link_kinds_[k].kind = k;

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Reduirelarbre1, &QAction::triggered, this, [this] { Reduirelarbre1Click(); });
    connect(SearchingTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(SearchingTree->mapToGlobal(at)); });
    // Typing ticks the box of what is typed; texts the dialog sets itself do not.
    connect(Edit1, &QLineEdit::textEdited, this, [this] { CheckBox1->setChecked(true); });
    for (QLineEdit* e : {Edit3, Edit2})
        connect(e, &QLineEdit::textEdited, this, [this] { CheckBox4->setChecked(true); });
}

TSearchForm::~TSearchForm() = default;

void TSearchForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centre_on_screen(this);
    FormShow();
}

void TSearchForm::FormShow() {
    build_searchtree();
    for (Root r : {rootLinkKinds, rootOutsideRegions, rootLocked, rootCommentSize})
        SearchingTree->setRowHidden(r, QModelIndex(), true);
}

void TSearchForm::build_searchtree() {
    tree.clear();
    for (int r = 0; r < kRootCount; ++r)
        add_root(Root(r));
    if (sources_.regions)
        for (const auto& region : *sources_.regions)
            tree.add_child(roots_[rootRegions], kindRegion, region.get());
    add_categ_nodes();
    static const std::vector<std::unique_ptr<tboolspec>> no_specs;
    build_property_tree(tree, roots_[rootProperties], 0, area_.expanded_groups,
                        sources_.common ? sources_.common->flagspecs : no_specs);
    add_cmdkind_nodes();
    add_realmlist_nodes();
    init_all_nodes();
    tree.sort_children(roots_[rootCategories], [](const TCheckNode& a, const TCheckNode& b) {
        return compare_text(static_cast<rCateg*>(a.pointer)->name,
                            static_cast<rCateg*>(b.pointer)->name) < 0;
    });
    tree.sort_children(roots_[rootRegions], [this](const TCheckNode& a, const TCheckNode& b) {
        return compare_text(node_text(a), node_text(b)) < 0;
    });
    model->rebuilt();
    SearchingTree->setRootIsDecorated(tree.show_root);
    load_searcharea();
}

void TSearchForm::add_root(Root kind) {
    roots_[size_t(kind)] = tree.add_child(nullptr, kind, nullptr);
}

void TSearchForm::add_categ_nodes() {
    if (const TData_common* common = sources_.common)
        for (const auto& category : common->categories)
            tree.add_child(roots_[rootCategories], kindCategory, category.get());
}

void TSearchForm::add_cmdkind_nodes() {
    for (rLinkKind& k : link_kinds_)
        k.node = tree.add_child(roots_[rootLinkKinds], kindLinkKind, &k);
}

void TSearchForm::add_realmlist_nodes() {
    if (const TData_map* maps = sources_.maps)
        for (const auto& zone_class : maps->zone_classes)
            tree.add_child(roots_[rootZoneClasses], kindZoneClass, zone_class.get());
}

void TSearchForm::init_all_nodes() {
    for (TCheckNode* n = tree.first(); n; n = TCheckTree::next(n)) {
        n->state = kUnchecked;
        if (!n->parent->parent)
            n->check_type = n->kind >= rootOwnAdditions ? TCheckType::CheckBox : TCheckType::None;
        else if (n->kind == kindProperty) {
            n->check_type = TCheckType::Cycle;
            n->state = kPressed;
        } else {
            n->check_type = n->kind == kindLinkKind ? TCheckType::Radio : TCheckType::CheckBox;
        }
    }
}

void TSearchForm::load_searcharea() {
    Edit1->setText(to_qstring(area_.text));
    CheckBox1->setChecked(area_.criteria & kSearchNames);
    CheckBox2->setChecked(area_.criteria & kSearchComments);
    Edit3->setText(QString::number(area_.level_from));
    Edit2->setText(QString::number(area_.level_to));
    CheckBox4->setChecked(area_.criteria & kSearchLevels);

    const TCheckNode* properties = roots_[rootProperties];
    set_property_checks(tree, properties, flagset_to_bools(area_.flags_present), kChecked);
    set_property_checks(tree, properties, flagset_to_bools(area_.flags_indifferent), kPressed);
    set_property_checks(tree, properties, flagset_to_bools(area_.flags_absent), kUnchecked);

    const auto listed_in = [](const auto& list) {
        return [&list](void* p) { return std::find(list.begin(), list.end(), p) != list.end(); };
    };
    check_from_list(roots_[rootCategories], listed_in(area_.categories));
    check_from_list(roots_[rootRegions], listed_in(area_.regions));
    check_from_list(roots_[rootZoneClasses], [this](void* p) {
        const uint32_t id = static_cast<rZoneClass*>(p)->class_id;
        return id < 256 && area_.zone_classes.test(id);
    });

    for (const rLinkKind& k : link_kinds_)
        k.node->state =
            (area_.criteria & kSearchLinkKind) && k.kind == area_.command_kind ? kChecked : 0;
    for (int r = 0; r < kRootCount; ++r) {
        TCheckNode* root = roots_[size_t(r)];
        if (kRootBits[size_t(r)])
            root->state = area_.criteria & kRootBits[size_t(r)] ? kChecked : kUnchecked;
        if (area_.expanded_roots & (1u << r))
            root->expanded = true;
    }
    model->states_changed();
    show_view_state();
}

void TSearchForm::show_view_state() {
    for (TCheckNode* n = tree.first(); n; n = TCheckTree::next(n))
        SearchingTree->setExpanded(model->index_of(n), n->expanded);
    SearchingTree->doItemsLayout();
    SearchingTree->verticalScrollBar()->setValue(area_.scroll_offset);
}

bool TSearchForm::Button1Click() {
    int32_t from = 0;
    int32_t to = 0;
    try {
        from = level_of(Edit3);
        to = level_of(Edit2);
    } catch (const EConvertError& e) {
        show_message(0, false, e.what());
        return false;
    }
    area_.Clear();
    for (int r = 0; r < kRootCount; ++r)
        if (SearchingTree->isExpanded(model->index_of(roots_[size_t(r)])))
            area_.expanded_roots |= uint16_t(1u << r);
    area_.scroll_offset = SearchingTree->verticalScrollBar()->value();
    for (int r = rootOwnAdditions; r < rootCommentSize; ++r)
        if (roots_[size_t(r)]->state == kChecked)
            area_.criteria |= kRootBits[size_t(r)];
    for (const rLinkKind& k : link_kinds_)
        if (k.node->state == kChecked) {
            area_.criteria |= kSearchLinkKind;
            area_.command_kind = k.kind;
            break;
        }

    if (from > to) {
        Edit2->setText(Edit3->text());
        to = from;
    }
    if (CheckBox4->isChecked()) {
        area_.level_from = from;
        area_.level_to = to;
        area_.criteria |= kSearchLevels;
    }

    area_.text = from_qstring(Edit1->text());
    area_.key = normalise_text(trim_blanks(area_.text));
    if (CheckBox1->isChecked() && !area_.key.empty())
        area_.criteria |= kSearchNames;
    if (CheckBox2->isChecked() && !area_.key.empty())
        area_.criteria |= kSearchComments;
    if (bool_criteria_set())
        area_.criteria |= kSearchProperties;

    std::array<bool, 128> indifferent{};
    std::array<bool, 128> present{};
    for (TCheckNode* n = TCheckTree::next(roots_[rootProperties]); n && n->pointer;
         n = TCheckTree::next(n)) {
        const uint8_t id = static_cast<tboolspec*>(n->pointer)->flag_id;
        if (id < 1 || id > 128)
            continue;
        indifferent[id - 1] = n->state == kPressed;
        present[id - 1] = n->state == kChecked;
        if (SearchingTree->isExpanded(model->index_of(n)))
            area_.expanded_groups.set(id);
    }
    area_.flags_indifferent = bools_to_flagset(indifferent);
    area_.flags_present = bools_to_flagset(present);
    for (size_t i = 0; i < 4; ++i)
        area_.flags_absent.w[i] = ~(area_.flags_indifferent.w[i] | area_.flags_present.w[i]);

    for (void* p : collect_checked(roots_[rootCategories]))
        area_.categories.push_back(static_cast<rCateg*>(p));
    const size_t category_count = sources_.common ? sources_.common->categories.size() : 0;
    if (!area_.categories.empty() && area_.categories.size() != category_count)
        area_.criteria |= kSearchCategories;
    for (void* p : collect_checked(roots_[rootRegions]))
        area_.regions.push_back(static_cast<rRegion*>(p));
    const size_t region_count = sources_.regions ? sources_.regions->size() : 0;
    if (!area_.regions.empty() && area_.regions.size() != region_count)
        area_.criteria |= kSearchRegions;
    for (void* p : collect_checked(roots_[rootZoneClasses]))
        if (const uint32_t id = static_cast<rZoneClass*>(p)->class_id; id < 256)
            area_.zone_classes.set(id);
    if (area_.zone_classes.any())
        area_.criteria |= kSearchZoneClasses;

    if (roots_[rootCommentSize]->state == kChecked)
        area_.criteria =
            uint16_t((area_.criteria | kSearchCommentSize) & ~(kSearchNames | kSearchComments));
    accept();
    return true;
}

void TSearchForm::Button2Click() {
    const int32_t offset = area_.scroll_offset;
    area_.Clear();
    area_.scroll_offset = offset;
    area_.criteria = kSearchNames;
    load_searcharea();
    Reduirelarbre1Click();
}

void TSearchForm::Reduirelarbre1Click() {
    for (TCheckNode* n = tree.first(); n; n = TCheckTree::next(n))
        n->expanded = false;
    SearchingTree->collapseAll();
}

std::vector<void*> TSearchForm::collect_checked(const TCheckNode* root) const {
    std::vector<void*> list;
    for (TCheckNode* n = TCheckTree::next(root); n && n->pointer; n = TCheckTree::next(n))
        if (n->state == kChecked)
            list.push_back(n->pointer);
    return list;
}

void TSearchForm::check_from_list(const TCheckNode* root,
                                  const std::function<bool(void*)>& listed) {
    for (TCheckNode* n = TCheckTree::next(root); n && n->pointer; n = TCheckTree::next(n))
        n->state = listed(n->pointer) ? kChecked : kUnchecked;
}

bool TSearchForm::bool_criteria_set() const {
    for (TCheckNode* n = TCheckTree::next(roots_[rootProperties]); n && n->pointer;
         n = TCheckTree::next(n))
        if (n->state != kPressed)
            return true;
    return false;
}

std::string TSearchForm::node_text(const TCheckNode& n) const {
    if (!n.pointer)
        return kRootTexts[size_t(n.kind)] ? get_text(kRootTexts[size_t(n.kind)]) : "CommentSize";
    switch (n.kind) {
    case kindCategory:
        return static_cast<const rCateg*>(n.pointer)->name;
    case kindProperty:
        return static_cast<const tboolspec*>(n.pointer)->name;
    case kindZoneClass:
        return static_cast<const rZoneClass*>(n.pointer)->name;
    case kindRegion: {
        const TreeNode* point = static_cast<const rRegion*>(n.pointer)->node;
        return point && point->item() ? point->item()->name : std::string();
    }
    default:
        return std::string(command_kind_names[static_cast<const rLinkKind*>(n.pointer)->kind]);
    }
}

int TSearchForm::node_image(const TCheckNode& n) const {
    if (!n.pointer)
        return -1;
    switch (n.kind) {
    case kindCategory:
        return static_cast<const rCateg*>(n.pointer)->tree_icon + 4;
    case kindZoneClass:
        return int(static_cast<const rZoneClass*>(n.pointer)->image_index);
    case kindRegion: {
        const TreeNode* point = static_cast<const rRegion*>(n.pointer)->node;
        return point && point->data && point->data->category ? point->data->category->tree_icon + 4
                                                             : -1;
    }
    default:
        return -1;
    }
}
