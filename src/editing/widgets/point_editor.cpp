#include "editing/widgets/point_editor.h"

#include "database/widgets/points_tree_model.h"
#include "editing/property_tree.h"
#include "editing/widgets/check_tree_model.h"
#include "editing/widgets/wpopt.h"
#include "foundation/control_tag.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/memo_box.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/picking.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/map.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kCommentMaxLength = 1200;
constexpr int kNameMaxLength = 35;
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kTooLong = 0xCCCCFF;
constexpr TColor kTooLongLabel = 0xAAAAFF;

std::string counter(int length, int limit) {
    return std::to_string(length) + "/" + std::to_string(limit);
}

} // namespace

// The categories of the editor, sorted by name; the chosen one bold and white, the others
// silver, each with its map icon.
class TCategoryListModel : public QAbstractListModel {
public:
    TCategoryListModel(std::vector<rCateg*> categories, const std::vector<QPixmap>* icons)
        : categories_(std::move(categories)), icons_(icons) {
        std::stable_sort(categories_.begin(), categories_.end(),
                         [](rCateg* a, rCateg* b) { return compare_text(a->name, b->name) < 0; });
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(categories_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || size_t(index.row()) >= categories_.size())
            return {};
        const rCateg* c = categories_[size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return to_qstring(c->name);
        case Qt::DecorationRole:
            if (icons_ && c->icon_index >= 0 && size_t(c->icon_index) < icons_->size())
                return (*icons_)[size_t(c->icon_index)];
            return {};
        case Qt::FontRole: {
            QFont font;
            font.setBold(c == chosen);
            return font;
        }
        case Qt::ForegroundRole:
            return c == chosen ? QColor(Qt::white) : qcolor_from_tcolor(kSilver);
        default:
            return {};
        }
    }

    rCateg* category_at(const QModelIndex& index) const {
        return index.isValid() && size_t(index.row()) < categories_.size()
                   ? categories_[size_t(index.row())]
                   : nullptr;
    }

    QModelIndex index_of(const rCateg* category) const {
        const auto it = std::find(categories_.begin(), categories_.end(), category);
        return it == categories_.end() ? QModelIndex() : index(int(it - categories_.begin()));
    }

    void choose(rCateg* category) {
        chosen = category;
        if (!categories_.empty())
            emit dataChanged(index(0), index(int(categories_.size()) - 1));
    }

    rCateg* chosen = nullptr;

private:
    std::vector<rCateg*> categories_;
    const std::vector<QPixmap>* icons_;
};

TForm2::TForm2(TForm4& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("Form2"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(feedback_font());
    create_controls();

    // FormCreate
    UpDown3->setRange(1, 70);
    UpDown_min->setRange(0, 99);
    UpDown_max->setRange(0, 99);
    default_name = format_text(get_info_text(25), path_text(db_name), "");
    set_name_box(default_name);

    std::vector<rCateg*> categories;
    if (main_.common_data)
        for (const auto& c : main_.common_data->categories)
            categories.push_back(c.get());
    categ_model_ = std::make_unique<TCategoryListModel>(categories, &main_.Listiconmap);
    Treecateg->setModel(categ_model_.get());
    connect(Treecateg->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                TreecategFocusChanged(categ_model_->category_at(current));
            });

    bool_tree_ = std::make_unique<TCheckTree>();
    if (main_.common_data)
        build_property_tree(*bool_tree_, nullptr,
                            kPropertyTreeClear | kPropertyTreeDataSize | kPropertyTreeExpandAll, {},
                            main_.common_data->flagspecs);
    for (TCheckNode* n = bool_tree_->first(); n; n = TCheckTree::next(n))
        n->check_type = TCheckType::CheckBox;
    bool_model_ = std::make_unique<TCheckTreeModel>(*bool_tree_);
    bool_model_->text = [](const TCheckNode& n) {
        return n.pointer ? static_cast<const tboolspec*>(n.pointer)->name : std::string();
    };
    bool_model_->image = [](const TCheckNode&) { return -1; };
    treebool->setModel(bool_model_.get());
    treebool->expandAll();

    init_formcaption();
}

TForm2::~TForm2() {
    // FormDestroy: the views let go of their models before these go.
    Treecateg->setModel(nullptr);
    treebool->setModel(nullptr);
}

void TForm2::create_controls() {
    resize(720, 500);
    auto* layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    layout->addWidget(PageControl1, 1);

    // ---- General page ----
    TabSheet5 = new QWidget(PageControl1);
    auto* general = new QHBoxLayout(TabSheet5);
    Treecateg = new QTreeView(TabSheet5);
    Treecateg->setObjectName(QStringLiteral("Treecateg"));
    Treecateg->setHeaderHidden(true);
    Treecateg->setRootIsDecorated(false);
    Treecateg->setFixedWidth(160);
    QPalette dark = Treecateg->palette();
    dark.setColor(QPalette::Base, QColor(128, 128, 128));
    Treecateg->setPalette(dark);
    general->addWidget(Treecateg);

    auto* middle = new QVBoxLayout();
    Panel3 = new QWidget(TabSheet5);
    auto* panel3 = new QHBoxLayout(Panel3);
    panel3->setContentsMargins(0, 0, 0, 0);
    GroupBox5 = new QGroupBox(Panel3);
    set_tag(GroupBox5, 1);
    auto* name_row = new QHBoxLayout(GroupBox5);
    Image1 = new QLabel(GroupBox5);
    Image1->setFixedSize(20, 13);
    Edit1 = new QLineEdit(GroupBox5);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kNameMaxLength);
    Edit1->installEventFilter(this);
    name_row->addWidget(Image1);
    name_row->addWidget(Edit1, 1);
    panel3->addWidget(GroupBox5, 1);
    Panel4 = new QWidget(Panel3);
    auto* panel4 = new QVBoxLayout(Panel4);
    Label5 = new QLabel(QStringLiteral("?"), Panel4);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFixedSize(22, 22);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setFrameShape(QFrame::Box);
    Label5->installEventFilter(this);
    panel4->addWidget(Label5);
    panel3->addWidget(Panel4);
    middle->addWidget(Panel3);

    GroupBox3 = new QGroupBox(TabSheet5);
    auto* describe = new QVBoxLayout(GroupBox3);
    Label6 = new QLabel(GroupBox3);
    Label6->setWordWrap(true);
    Label6->setTextFormat(Qt::PlainText);
    describe->addWidget(Label6);
    middle->addWidget(GroupBox3);

    GroupBox2 = new QGroupBox(TabSheet5);
    set_tag(GroupBox2, 12);
    auto* levels = new QHBoxLayout(GroupBox2);
    UpDown_min = new QSpinBox(GroupBox2);
    UpDown_min->setObjectName(QStringLiteral("UpDown_min"));
    UpDown_max = new QSpinBox(GroupBox2);
    UpDown_max->setObjectName(QStringLiteral("UpDown_max"));
    BitBtn1 = new QToolButton(GroupBox2);
    levels->addWidget(UpDown_min);
    levels->addWidget(UpDown_max);
    levels->addWidget(BitBtn1);
    levels->addStretch(1);
    middle->addWidget(GroupBox2);

    PageControl2 = new QTabWidget(TabSheet5);
    // Comment.
    TabSheet1 = new QWidget(PageControl2);
    auto* comment_page = new QVBoxLayout(TabSheet1);
    Panel1 = new QWidget(TabSheet1);
    auto* panel1 = new QVBoxLayout(Panel1);
    panel1->setContentsMargins(0, 0, 0, 0);
    MemoInfo = new TMemoBox(Panel1);
    MemoInfo->setObjectName(QStringLiteral("MemoInfo"));
    MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoInfo->setContextMenuPolicy(Qt::CustomContextMenu);
    MemoInfo->installEventFilter(this);
    panel1->addWidget(MemoInfo, 1);
    auto* counters = new QHBoxLayout();
    Label4 = new QLabel(Panel1);
    Label7 = new QLabel(Panel1);
    Label8 = new QLabel(Panel1);
    for (QLabel* l : {Label4, Label7, Label8})
        counters->addWidget(l);
    counters->addStretch(1);
    panel1->addLayout(counters);
    comment_page->addWidget(Panel1);
    PageControl2->addTab(TabSheet1, QString());
    // Player level.
    TabSheet3 = new QWidget(PageControl2);
    Label3 = new QLabel(TabSheet3);
    set_tag(Label3, 85);
    Label3->setGeometry(10, 48, 300, 20);
    Label2 = new QLabel(TabSheet3);
    set_tag(Label2, 5);
    Label2->setGeometry(10, 80, 120, 20);
    UpDown3 = new QSpinBox(TabSheet3);
    UpDown3->setObjectName(QStringLiteral("UpDown3"));
    UpDown3->setGeometry(130, 78, 50, 22);
    PageControl2->addTab(TabSheet3, QString());
    // Links.
    TabSheet2 = new QWidget(PageControl2);
    auto* links = new QVBoxLayout(TabSheet2);
    Edit2 = new QLineEdit(TabSheet2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    Edit2->setMouseTracking(true);
    Edit2->setContextMenuPolicy(Qt::CustomContextMenu);
    Edit2->installEventFilter(this);
    links->addWidget(Edit2);
    auto* link_buttons = new QGridLayout();
    Button5 = new QPushButton(TabSheet2);
    set_tag(Button5, 66);
    Button11 = new QPushButton(TabSheet2);
    set_tag(Button11, 72);
    Button7 = new QPushButton(TabSheet2);
    set_tag(Button7, 67);
    Button3 = new QPushButton(QStringLiteral("Bridge ><"), TabSheet2);
    Button9 = new QPushButton(QStringLiteral("Bridge >"), TabSheet2);
    int column = 0;
    for (QPushButton* b : {Button5, Button11, Button7, Button3, Button9}) {
        b->setAutoDefault(false);
        link_buttons->addWidget(b, column / 3, column % 3);
        ++column;
    }
    Button3->setEnabled(false);
    Button9->setEnabled(false);
    links->addLayout(link_buttons);
    Label1 = new QLabel(TabSheet2);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setMinimumHeight(2 * Label1->fontMetrics().height()); // the other point, waypoints
    links->addWidget(Label1);
    GroupBox4 = new QGroupBox(TabSheet2);
    set_tag(GroupBox4, 18);
    auto* position = new QHBoxLayout(GroupBox4);
    Edit5 = new QLineEdit(GroupBox4);
    Edit6 = new QLineEdit(GroupBox4);
    for (QLineEdit* e : {Edit5, Edit6}) {
        e->setReadOnly(true);
        position->addWidget(e);
    }
    links->addWidget(GroupBox4);
    links->addStretch(1);
    PageControl2->addTab(TabSheet2, QString());
    PopupMenu2 = new QMenu(this);
    trajet1 = PopupMenu2->addAction(QString());
    // All points.
    TabSheet6 = new QWidget(PageControl2);
    auto* all = new QVBoxLayout(TabSheet6);
    CheckBox2 = new QCheckBox(TabSheet6);
    all->addWidget(CheckBox2);
    GroupBox1 = new QGroupBox(TabSheet6);
    set_tag(GroupBox1, 110);
    auto* parts = new QVBoxLayout(GroupBox1);
    CheckBox4 = new QCheckBox(GroupBox1);
    set_tag(CheckBox4, 38);
    CheckBox5 = new QCheckBox(GroupBox1);
    set_tag(CheckBox5, 107);
    CheckBox6 = new QCheckBox(GroupBox1);
    set_tag(CheckBox6, 108);
    CheckBox7 = new QCheckBox(GroupBox1);
    set_tag(CheckBox7, 109);
    for (QCheckBox* c : {CheckBox4, CheckBox5, CheckBox6, CheckBox7})
        parts->addWidget(c);
    all->addWidget(GroupBox1);
    all->addStretch(1);
    PageControl2->addTab(TabSheet6, QString());
    middle->addWidget(PageControl2, 1);
    general->addLayout(middle, 1);

    treebool = new QTreeView(TabSheet5);
    treebool->setObjectName(QStringLiteral("treebool"));
    treebool->setHeaderHidden(true);
    treebool->setFixedWidth(190);
    general->addWidget(treebool);
    PageControl1->addTab(TabSheet5, QString());

    // ---- Advanced editor page ----
    TabSheet4 = new QWidget(PageControl1);
    auto* advanced = new QVBoxLayout(TabSheet4);
    Panel2 = new QWidget(TabSheet4);
    auto* panel2 = new QVBoxLayout(Panel2);
    panel2->setContentsMargins(0, 0, 0, 0);
    advanced->addWidget(Panel2);
    GroupBox6 = new QGroupBox(TabSheet4);
    auto* group6 = new QVBoxLayout(GroupBox6);
    group6->setContentsMargins(4, 4, 4, 4);
    advanced->addWidget(GroupBox6, 1);
    CheckBox1 = new QCheckBox(QStringLiteral("Retour chariot"), TabSheet4);
    CheckBox1->setChecked(true);
    advanced->addWidget(CheckBox1);
    PageControl1->addTab(TabSheet4, QString());

    // ---- Buttons ----
    CheckBox3 = new QCheckBox(this);
    CheckBox3->hide();
    auto* buttons = new QHBoxLayout();
    Button4 = new QPushButton(this);
    set_tag(Button4, 35);
    Button2 = new QPushButton(this);
    set_tag(Button2, 31);
    Button2->setDefault(true);
    Button1 = new QPushButton(this);
    set_tag(Button1, 32);
    Button4->setAutoDefault(false);
    Button1->setAutoDefault(false);
    buttons->addWidget(Button4);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    PopupMenu1 = new QMenu(this);
    acc1 = PopupMenu1->addAction(QString());
    PopupMenu1->addSeparator();
    acc6 = PopupMenu1->addAction(QString());

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button11, &QPushButton::clicked, this, [this] { Button11Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { make_bridge(true); });
    connect(Button9, &QPushButton::clicked, this, [this] { make_bridge(false); });
    connect(BitBtn1, &QToolButton::clicked, this, [this] { BitBtn1Click(); });
    connect(acc1, &QAction::triggered, this, [this] { acc1Click(); });
    connect(trajet1, &QAction::triggered, this, [this] { trajet1Click(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(UpDown_min, &QSpinBox::valueChanged, this, [this] { Edit3Change(); });
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        Edit1->setMaxLength(std::max(kNameMaxLength, int(text.size())));
    });
    connect(MemoInfo, &QPlainTextEdit::textChanged, this, [this] { update_infocount(); });
    connect(MemoInfo->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) {
                // The comment takes at most 1200 characters, a line break counting two: what
                // goes beyond is cut from the text just inserted.
                const int excess = comment_length(comment_lines()) - kCommentMaxLength;
                if (comment_guard_ || excess <= 0 || added <= 0)
                    return;
                comment_guard_ = true;
                QTextCursor cursor(MemoInfo->document());
                const int end = position + added;
                const int start = std::max(position, end - excess);
                cursor.setPosition(start);
                cursor.setPosition(end, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                comment_guard_ = false;
            });
    connect(MemoInfo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(MemoInfo->mapToGlobal(at)); });
    connect(Edit2, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        Edit2MouseMove();
        PopupMenu2->popup(Edit2->mapToGlobal(at));
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet4)
            TabSheet4Show();
        else if (advanced_)
            TabSheet4Hide();
    });
}

void TForm2::init_formcaption() {
    acc1->setText(to_qstring(get_menu_text(42)));
    const std::string copied =
        main_.clipboard_node && main_.clipboard_node->item ? main_.clipboard_node->item->name : "";
    acc6->setText(
        to_qstring(get_menu_text(54) + " " + (copied.empty() ? get_menu_text(55) : copied)));
    trajet1->setText(to_qstring(get_menu_text(14)));
    setWindowTitle(to_qstring(get_text(40)));
    translate_form(this);
    PageControl1->setTabText(tab_index(TabSheet5), to_qstring(get_text(121)));
    PageControl1->setTabText(tab_index(TabSheet4), to_qstring(get_text(122)));
    PageControl2->setTabText(tab_index(TabSheet1), to_qstring(get_text(2)));
    PageControl2->setTabText(tab_index(TabSheet3), to_qstring(get_text(84)));
    PageControl2->setTabText(tab_index(TabSheet2), to_qstring(get_text(64)));
    PageControl2->setTabText(tab_index(TabSheet6), to_qstring(get_text(181)));
    create_colorshapes();
    if (main_.ImageList1.size() > 7)
        BitBtn1->setIcon(main_.ImageList1[7]);
}

void TForm2::create_colorshapes() {
    const uint32_t colours[6] = {level_grey,   level_green, level_yellow,
                                 level_orange, level_red,   level_dark_red};
    for (int i = 0; i < 6; ++i) {
        auto* shape = new QLabel(TabSheet3);
        shape->setGeometry(10 + 24 * i, 16, 25, 25);
        shape->setFrameShape(QFrame::Box);
        set_colour(shape, int32_t(colours[i]));
        shape->setProperty("band", i);
        shape->installEventFilter(this);
        shape_list.push_back(shape);
    }
}

int TForm2::tab_index(QWidget* page) const {
    for (QTabWidget* pages : {PageControl1, PageControl2})
        if (int i = pages->indexOf(page); i >= 0)
            return i;
    return -1;
}

void TForm2::set_colour(QWidget* widget, int32_t tcolor) {
    // A negative colour is the button face: the label shows the dialog's own background.
    QPalette p = widget->palette();
    const QColor c = tcolor < 0 ? QPalette().color(QPalette::Button) : qcolor_from_tcolor(tcolor);
    p.setColor(widget == MemoInfo ? QPalette::Base : QPalette::Window, c);
    widget->setAutoFillBackground(tcolor >= 0);
    widget->setPalette(p);
}

// ---- Inputs ----

void TForm2::new_point(pMap_info* point_zone, TPoint position, TreeNode* other) {
    zone = point_zone;
    other_node = other;
    edit_mode = 0;
    Edit5->setText(QString::number(position.x));
    Edit6->setText(QString::number(position.y));
    UpDown3->setValue(rPreference.NIVP);
    PageControl2->setTabVisible(tab_index(TabSheet6), false);
    Button4->hide();
}

void TForm2::modify_point(TreeNode* node, TreeNode* other) {
    const rItemdata& item = *node->item();
    edit_mode = 1;
    edit_node = node;
    other_node = other;
    zone = node_zone(node);
    master_id = item.master_id;
    Edit5->setText(QString::number(item.x));
    Edit6->setText(QString::number(item.y));
    UpDown_min->setValue(item.level_min);
    UpDown_max->setValue(item.level_max);
    setWindowTitle(
        to_qstring(format_text(get_info_text(17), item.name, std::to_string(item.master_id))));
    CheckBox2->setText(menu_caption(format_text(get_info_text(14), item.name, "")));
    categ = node->data->category;
    set_name_box(item.name);
    point_name_ = item.name;
    point_name_shown_ = Edit1->text();
    if (item.command)
        Edit2->setText(to_qstring(item.command->code));
    CheckBox3->setChecked(item.locked);
    set_comment(item.comment);
    point_comment_ = item.comment;
    point_comment_shown_ = memo_text(MemoInfo);
    set_property_checks(*bool_tree_, nullptr, flagset_to_bools(item.flags), kChecked);
    bool_model_->states_changed();
    UpDown3->setValue(rPreference.NIVP);
    if (item.locked) {
        Treecateg->setEnabled(false);
        PageControl2->setTabVisible(tab_index(TabSheet2), false);
        PageControl2->setTabVisible(tab_index(TabSheet6), false);
        Button4->hide();
    }
}

// ---- Showing ----

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm2::FormShow() {
    if (!main_.listmenu.empty())
        Image1->setPixmap(main_.listmenu.front());
    Edit1->setFocus();
    const size_t waypoints = main_.waypoints.size();
    Button5->setEnabled(waypoints > 1);
    Button11->setEnabled(waypoints > 1);
    std::string label;
    if (other_node && other_node != edit_node && other_node->item()) {
        Button3->setEnabled(true);
        Button9->setEnabled(true);
        label = get_text(21) + " [" + other_node->item()->name + "]\r";
    }
    if (waypoints > 1)
        label += get_text(102) + " (" + std::to_string(waypoints) + " WP)";
    Label1->setText(to_qstring(label).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    if (categ) {
        // Opening a point shows its category without touching its name.
        const QSignalBlocker block(Treecateg->selectionModel());
        Treecateg->setCurrentIndex(categ_model_->index_of(categ));
        const std::string name = from_qstring(Edit1->text());
        TreecategFocusChanged(categ);
        if (edit_mode == 1)
            set_name_box(name);
    }
    update_infocount();
}

// ---- Category ----

void TForm2::TreecategFocusChanged(rCateg* category) {
    if (!category)
        return;
    Label6->setText(
        to_qstring(replace_all(get_type_text(category->id), "%%", "\r")).replace('\r', '\n'));
    GroupBox3->setTitle(menu_caption(category->name + ":"));
    categ = category;
    checked_selected();
    categ_model_->choose(category);
    if (main_.common_data) {
        std::vector<rCateg*> all;
        for (const auto& c : main_.common_data->categories)
            all.push_back(c.get());
        set_name_box(name_for_category(from_qstring(Edit1->text()), default_name, *category, all));
    }
    update_infocount();
}

void TForm2::checked_selected() {
    const bool levels = categ && (categ->type == 1 || categ->type == 2 || categ->type == 4);
    for (QWidget* w : {static_cast<QWidget*>(UpDown_min), static_cast<QWidget*>(UpDown_max),
                       static_cast<QWidget*>(UpDown3)})
        w->setEnabled(levels);
}

void TForm2::set_name_box(const std::string& name) {
    // The limit holds for typing only: a longer name is shown whole, and typing may shorten it.
    const QString text = to_qstring(name);
    Edit1->setMaxLength(std::max(kNameMaxLength, int(text.size())));
    Edit1->setText(text);
}

void TForm2::Edit1MouseDown() {
    if (std::string(trim_blanks(from_qstring(Edit1->text()))) == default_name)
        set_name_box({});
}

// ---- Comment ----

std::vector<std::string> TForm2::comment_lines() const {
    std::vector<std::string> lines;
    for (const QString& line : memo_text(MemoInfo).split(QLatin1Char('\n')))
        lines.push_back(from_qstring(line));
    return lines;
}

std::string TForm2::joined_comment() const {
    if (memo_text(MemoInfo) == point_comment_shown_)
        return point_comment_;
    return join_to_pipe_list(comment_lines());
}

std::string TForm2::trimmed_name() const {
    if (Edit1->text() == point_name_shown_)
        return point_name_;
    return std::string(trim_blanks(from_qstring(Edit1->text())));
}

void TForm2::set_comment(const std::string& joined) {
    std::vector<std::string> lines;
    fill_from_pipe_list(lines, joined);
    QStringList text;
    for (const std::string& line : lines)
        text << to_qstring(line);
    // A stored comment is shown whole, even beyond what the box lets the user type.
    comment_guard_ = true;
    MemoInfo->setPlainText(text.join(QLatin1Char('\n')));
    comment_guard_ = false;
}

void TForm2::update_infocount() {
    const int length = comment_length(comment_lines());
    Label4->setText(to_qstring(get_text(22) + " " + counter(length, kCommentMaxLength)));
    if (!categ)
        return;
    const int limit = categ->comment_limit;
    const int comment_tab = tab_index(TabSheet1);
    if (limit == 0) {
        MemoInfo->setEnabled(false);
        set_colour(MemoInfo, kSilver);
        PageControl2->setTabText(comment_tab, to_qstring(get_text(2) + " " + get_text(34)));
        Label7->setText(to_qstring(get_text(23) + " " + get_text(34)));
        Label8->clear();
        set_colour(Label7, -1);
        set_colour(Label8, -1);
        return;
    }
    MemoInfo->setEnabled(true);
    PageControl2->setTabText(comment_tab, to_qstring(get_text(2) + " " + counter(length, limit)));
    Label7->setText(to_qstring(get_text(23) + " " + counter(length, limit)));
    const bool too_long = length > limit;
    set_colour(MemoInfo, too_long ? kTooLong : 0xFFFFFF);
    Label8->setText(too_long ? to_qstring(get_text(24)) : QString());
    set_colour(Label7, too_long ? kTooLongLabel : -1);
    set_colour(Label8, too_long ? kTooLongLabel : -1);
}

bool TForm2::MemoInfoKeyPress(QChar key) {
    if (key != QLatin1Char('#') && key != QLatin1Char('|'))
        return true;
    show_message(36, false, std::string(1, char(key.unicode())));
    return false;
}

void TForm2::acc1Click() {
    QTextCursor cursor = MemoInfo->textCursor();
    const std::string copied =
        main_.clipboard_node && main_.clipboard_node->item ? main_.clipboard_node->item->name : "";
    if (cursor.hasSelection())
        cursor.insertText(QLatin1Char('{') + cursor.selectedText() + QLatin1Char('}'));
    else if (!copied.empty())
        cursor.insertText(QLatin1Char('{') + to_qstring(copied) + QLatin1Char('}'));
    MemoInfo->setTextCursor(cursor);
    MemoInfo->setFocus();
}

void TForm2::TabSheet4Show() {
    advanced_ = true;
    GroupBox6->layout()->addWidget(Panel1);
    Panel2->layout()->addWidget(GroupBox5);
    CheckBox1Click();
}

void TForm2::TabSheet4Hide() {
    advanced_ = false;
    TabSheet1->layout()->addWidget(Panel1);
    MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    static_cast<QHBoxLayout*>(Panel3->layout())->insertWidget(0, GroupBox5, 1);
}

void TForm2::CheckBox1Click() {
    const bool wrap = CheckBox1->isChecked();
    MemoInfo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    MemoInfo->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

// ---- Levels ----

void TForm2::Edit3Change() {
    if (UpDown_min->value() > UpDown_max->value())
        UpDown_max->setValue(UpDown_min->value());
}

void TForm2::BitBtn1Click() {
    PageControl2->setCurrentWidget(TabSheet3);
}

void TForm2::ShapeMouseDown(int band) {
    UpDown3->interpretText();
    if (!UpDown3->isEnabled()) {
        show_message(46, false);
        return;
    }
    const TLevelRange range = level_band(band, UpDown3->value(), rPreference.CLVL);
    UpDown_min->setValue(range.min);
    UpDown_max->setValue(range.max);
}

// ---- Properties and preview ----

TFlagSet TForm2::get_boolset() const {
    for (TCheckNode* n = bool_tree_->first(); n; n = TCheckTree::next(n))
        if (n->state == kChecked && n->parent && n->parent != bool_tree_->root())
            n->parent->state = kChecked;
    bool_model_->states_changed();
    std::array<bool, 128> bools{};
    for (TCheckNode* n = bool_tree_->first(); n; n = TCheckTree::next(n))
        if (const auto* spec = static_cast<const tboolspec*>(n->pointer);
            spec && spec->flag_id >= 1 && spec->flag_id <= 128)
            bools[spec->flag_id - 1] = n->state == kChecked;
    return bools_to_flagset(bools);
}

void TForm2::preview_hint() {
    const TFlagSet flags = get_boolset();
    const TPropertyColors* colours =
        main_.common_data ? &main_.common_data->property_colors : nullptr;
    HCaption.node = nullptr;
    HCaption.name_colour = flag_color(flags, 0, colours);
    HCaption.colour_min = HCaption.colour_max = 0xFFFFFF;
    HCaption.simple_mode = false;
    HCaption.level_min.clear();
    HCaption.level_max.clear();
    if (categ) {
        HCaption.show_levels = categ->type == 1 || categ->type == 2 || categ->type == 4;
        if (HCaption.show_levels) {
            HCaption.level_min = std::to_string(UpDown_min->value());
            HCaption.level_max = std::to_string(UpDown_max->value());
            HCaption.colour_min = TColor(level_color(rPreference.NIVP, UpDown_min->value(),
                                                     uint32_t(categ->colour), rPreference.CLVL));
            HCaption.colour_max = TColor(level_color(rPreference.NIVP, UpDown_max->value(),
                                                     uint32_t(categ->colour), rPreference.CLVL));
        }
        HCaption.title = categ->name;
        HCaption.category_id = categ->id;
        HCaption.icon_base = categ->tree_icon;
    } else {
        HCaption.show_levels = false;
        HCaption.title = "<Non d\xE9"
                         "fini>";
        HCaption.category_id = 0;
        HCaption.icon_base = 0;
    }
    const std::string tags =
        main_.common_data ? tags_text(flagset_to_bools(flags), *main_.common_data) : "";
    HCaption.description = clean_name(tags + joined_comment(), true);
    HCaption.has_description = !HCaption.description.empty();
    Label5->setToolTip(to_qstring(std::string(trim_blanks(from_qstring(Edit1->text())))));
}

void TForm2::Label5MouseLeave() {
    Label5->setToolTip(QString());
}

// ---- OK, Cancel, Delete ----

TPointInput TForm2::input() const {
    TPointInput in;
    in.name = trimmed_name();
    in.comment = joined_comment();
    in.flags = get_boolset();
    in.link = from_qstring(Edit2->text());
    in.category_id = categ ? categ->id : 0;
    in.level_min = UpDown_min->value();
    in.level_max = UpDown_max->value();
    return in;
}

rnew_node TForm2::point_request(int32_t master) const {
    const TPoint at{str_to_int_def0(from_qstring(Edit5->text())),
                    str_to_int_def0(from_qstring(Edit6->text()))};
    return addition_record(input(), at, zone, categ, master, CheckBox3->isChecked());
}

bool TForm2::texts_fit() {
    // The memo's own line breaks become "|"; any other control character is refused. A category
    // without comments drops the memo at OK, so it is not checked.
    return line_text_fits(Edit1->text(), Edit1, point_name_shown_) &&
           (categ->comment_limit == 0 ||
            line_text_fits(memo_text(MemoInfo).remove(QLatin1Char('\n')), MemoInfo,
                           point_comment_shown_));
}

void TForm2::act_once() {
    acted_ = true;
    Button2->setEnabled(false);
    Button4->setEnabled(false);
}

void TForm2::Button2Click() {
    if (acted_)
        return;
    const std::string name = trimmed_name();
    if (const int fault =
            point_input_fault(name, default_name, categ != nullptr, comment_lines())) {
        show_message(fault, false);
        if (fault == 17)
            Edit1->setFocus();
        return;
    }
    if (!texts_fit())
        return;
    act_once();
    MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    if (categ->comment_limit == 0)
        MemoInfo->clear();
    if (edit_mode == 1 && !CheckBox2->isChecked() && same_point(*edit_node, input()) &&
        other_old_link == other_new_link) {
        accept();
        return;
    }
    if (UpDown_min->value() > UpDown_max->value()) {
        const QSignalBlocker block(UpDown_min);
        UpDown_min->setValue(UpDown_max->value());
    }
    main_.waypoint1->setChecked(false);
    main_.erase_listWP();
    main_.toggle_tagnew(true);
    changed = 1;

    const bool region_category = categ->region_pass > 0;
    const rCateg* old_category = edit_node ? edit_node->data->category : nullptr;
    const bool old_locked = edit_node && edit_node->item()->locked;
    if (edit_mode == 1) {
        rebuild_regions = (old_locked || CheckBox3->isChecked()) &&
                          ((old_category && old_category->region_pass > 0) || region_category);
        if (CheckBox2->isChecked())
            allnode_modif();
    } else {
        rebuild_regions = CheckBox3->isChecked() && region_category;
    }
    // A bridge made here also rewrites its other end, in new mode as in modify mode, so that
    // both ends name each other.
    if (!other_new_link.empty() && other_node && other_node->item()) {
        const rnew_node other = point_record(*other_node, other_new_link);
        main_.destroynode(std::exchange(other_node, nullptr));
        main_.addnode(other);
    }
    const rnew_node record = point_request(edit_mode == 1 ? master_id : 0);
    // The new node comes first: the old one goes only once its replacement stands.
    result_node = main_.addnode(record);
    if (edit_mode == 1 && result_node)
        main_.destroynode(std::exchange(edit_node, nullptr));
    rPreference.NIVP = UpDown3->value();
    accept();
}

void TForm2::allnode_modif() {
    TSameNameChange change;
    change.name = CheckBox4->isChecked();
    change.comment = CheckBox5->isChecked();
    change.flags = CheckBox6->isChecked();
    change.levels = CheckBox7->isChecked();
    change.input = input();
    changed_count = apply_to_same_named(
        main_.points_tree, edit_node, normalise_text(edit_node->item()->name), change,
        main_.common_data ? &main_.common_data->property_colors : nullptr);
}

void TForm2::Button1Click() {
    reject();
}

void TForm2::Button4Click() {
    if (acted_ || !edit_node)
        return;
    act_once();
    main_.toggle_tagnew(true);
    changed = 1;
    const rCateg* category = edit_node->data->category;
    rebuild_regions = (edit_node->item()->locked || CheckBox3->isChecked()) && category &&
                      category->region_pass > 0;
    if (master_id != 0)
        main_.add_deletion_entry(edit_node);
    main_.destroynode(std::exchange(edit_node, nullptr));
    result_node = nullptr;
    accept();
}

// ---- Links ----

std::optional<std::string> TForm2::ask_wpoptions(const std::string& code) {
    TForm_wpoptions dialog(this);
    const TRouteOptions shown = route_options_of(code);
    dialog.CheckBox1->setChecked(shown.every_zoom);
    dialog.UpDown2->setValue(shown.opacity_position);
    if (on_options_dialog)
        on_options_dialog(dialog);
    else
        exec_modal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return std::nullopt;
    return route_options_code(code, {dialog.CheckBox1->isChecked(), dialog.UpDown2->value()});
}

void TForm2::Button5Click() {
    const std::optional<std::string> options = ask_wpoptions(kNewRouteOptions);
    if (!zone || !options)
        return;
    const std::optional<std::string> link = route_link(*options, main_.waypoints, *zone);
    if (!link) {
        show_message(50, false);
        return;
    }
    Edit2->setText(to_qstring(*link));
}

void TForm2::Button11Click() {
    Edit2->setText(to_qstring(area_link(main_.waypoints)));
}

void TForm2::Button7Click() {
    Edit2->clear();
    other_new_link.clear();
}

void TForm2::Edit2MouseMove() {
    switch (link_options_item(from_qstring(Edit2->text()))) {
    case TLinkOptionsItem::Unchanged:
        trajet1->setEnabled(false);
        break;
    case TLinkOptionsItem::Disabled:
        trajet1->setEnabled(false);
        trajet1->setText(to_qstring(get_menu_text(12)));
        break;
    case TLinkOptionsItem::Enabled:
        trajet1->setEnabled(true);
        trajet1->setText(to_qstring(get_menu_text(14)));
        break;
    }
}

void TForm2::trajet1Click() {
    std::string link = from_qstring(Edit2->text());
    if (link.size() >= 2 && link[0] == 'V') {
        const std::optional<std::string> options = ask_wpoptions(link.substr(2, 4));
        if (!options)
            return;
        link = "V_" + *options + (link.size() > 6 ? link.substr(6) : "");
    }
    Edit2->setText(to_qstring(switch_bridge_flag(link)));
}

void TForm2::make_bridge(bool two_way) {
    if (!other_node || !check_bridge_target(other_node))
        return;
    const TBridgePlan plan =
        plan_bridge(read_bridge(edit_node), read_bridge(other_node), two_way, bridge_ids_);
    other_old_link = plan.other_old_link;
    other_new_link = plan.other_new_link;
    Edit2->setText(to_qstring(plan.this_link));
}

bool TForm2::check_bridge_target(TreeNode* node) {
    const rItemdata* item = node->item();
    if (!item)
        return false;
    if (item->locked) {
        show_message(70, false);
        return false;
    }
    if (item->command)
        return show_message(71, true) == kAnswerYes;
    return true;
}

// ---- Events ----

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == MemoInfo) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && !MemoInfoKeyPress(text.at(0)))
                return true;
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == Edit1)
            Edit1MouseDown();
        else if (const QVariant band = watched->property("band"); band.isValid())
            ShapeMouseDown(band.toInt());
        break;
    case QEvent::MouseMove:
        if (watched == Edit2)
            Edit2MouseMove();
        break;
    case QEvent::Enter:
        if (watched == Label5)
            preview_hint();
        break;
    case QEvent::Leave:
        if (watched == Label5)
            Label5MouseLeave();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
