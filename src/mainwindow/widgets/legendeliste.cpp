#include "mainwindow/widgets/legendeliste.h"

#include "database/database_list.h"
#include "database/widgets/points_tree_model.h"
#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/dialog_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The toolbar picture that marks the editable database.
constexpr int kEditableIcon = 23;
// Caption text telling that res/ holds no language folder.
constexpr int kNoLanguageText = 199;
const QColor kLegendBackground(128, 128, 128);

template <class W> W* named(W* widget, const char* name, int tag = 0) {
    widget->setObjectName(QString::fromLatin1(name));
    if (tag)
        set_tag(widget, tag);
    return widget;
}

QCheckBox* check_box(const char* name, int tag) {
    return named(new QCheckBox, name, tag);
}

QPushButton* push_button(const char* name, int tag) {
    return named(new QPushButton, name, tag);
}

QSlider* gauge(const char* name, int min, int max) {
    auto* slider = named(new QSlider(Qt::Horizontal), name);
    slider->setRange(min, max);
    return slider;
}

// A group box with a vertical layout holding the widgets.
QGroupBox* group(const char* name, int tag, std::initializer_list<QWidget*> widgets) {
    auto* box = named(new QGroupBox, name, tag);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return box;
}

// A row that keeps its widgets at the right.
QHBoxLayout* right_row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* w : widgets)
        row->addWidget(w);
    return row;
}

QLabel* caption(const char* name, int tag) {
    auto* label = named(new QLabel, name, tag);
    label->setWordWrap(true);
    return label;
}

TColor tcolor_of(const QColor& c) {
    return TColor(c.red() | c.green() << 8 | c.blue() << 16);
}

rdbavailable* entry_of(const QTreeWidgetItem* item) {
    return static_cast<rdbavailable*>(item->data(0, Qt::UserRole).value<void*>());
}

// Legend rows are written in their category's colour, which may be the grey of the background:
// the check boxes keep the standard colours, so a tick always shows.
class TLegendDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem row(option);
        initStyleOption(&row, index);
        if (!(row.features & QStyleOptionViewItem::HasCheckIndicator))
            return;
        // The box again, over the one drawn in the row's colour.
        const QWidget* view = row.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        QStyleOptionViewItem box(row);
        box.rect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &row, view);
        box.palette = QApplication::palette();
        box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
        box.state |= row.checkState == Qt::Checked            ? QStyle::State_On
                     : row.checkState == Qt::PartiallyChecked ? QStyle::State_NoChange
                                                              : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, view);
    }
};

void set_grey_background(QWidget* w) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Base, kLegendBackground);
    palette.setColor(QPalette::Window, kLegendBackground);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

} // namespace

TForm3::TForm3(std::vector<std::unique_ptr<rCateg>>* categories,
               const std::vector<QPixmap>* map_icons, const std::vector<QPixmap>* toolbar_icons,
               QWidget* parent)
    : QDialog(parent), categories_(categories), map_icons_(map_icons),
      toolbar_icons_(toolbar_icons) {
    setObjectName(QStringLiteral("Form3"));
    set_fixed_dialog_frame(this, 405, 454);

    PageControl1 = named(new QTabWidget, "PageControl1");
    TabSheet1 = make_general_page();
    TabSheet2 = make_display_page();
    TabSheet3 = make_legend_page();
    PageControl1->addTab(TabSheet1, QString());
    PageControl1->addTab(TabSheet3, QString());
    PageControl1->addTab(TabSheet2, QString());

    Button1 = push_button("Button1", 31);
    Button1->setDefault(true);
    Button2 = push_button("Button2", 32);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(right_row({Button1, Button2}));

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
    connect(TrackBarLod0, &QSlider::valueChanged, this, [this] { TrackBarLod0Change(); });
    connect(TrackBarLod1, &QSlider::valueChanged, this, [this] { TrackBarLod1Change(); });
    connect(TrackBarLod2, &QSlider::valueChanged, this, [this] { TrackBarLod2Change(); });
    connect(Tree_leg, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { Tree_legFocusChanged(item); });
    connect(Tree_leg, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (ttreeinfo* copy = copy_of(item))
            copy->visible = item->checkState(0) == Qt::Checked;
    });
    // The databases are radio buttons: one checked, and only one of the right version.
    connect(dbTree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        const bool checked = item->checkState(0) == Qt::Checked;
        if (checked == (item == checked_database_))
            return;
        const QSignalBlocker quiet(dbTree);
        if (!checked) {
            item->setCheckState(0, Qt::Checked);
            return;
        }
        if (checked_database_)
            checked_database_->setCheckState(0, Qt::Unchecked);
        checked_database_ = item;
    });

    choose_colour = [this](QColor& colour) {
        QColorDialog dialog(colour, this);
        if (exec_modal(dialog) != QDialog::Accepted || !dialog.selectedColor().isValid())
            return false;
        colour = dialog.selectedColor();
        return true;
    };
    choose_font = [this](QFont& font) {
        QFontDialog dialog(font, this);
        if (exec_modal(dialog) != QDialog::Accepted)
            return false;
        font = dialog.selectedFont();
        return true;
    };

    // FormCreate.
    translate_form(this);
    setWindowTitle(to_qstring(get_text(43)));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), to_qstring(get_text(97)));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet2), to_qstring(get_text(98)));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet3), to_qstring(get_text(140)));
    Button8->setEnabled(rPreference.EDIB);
    enable_legend_buttons(false);
}

QWidget* TForm3::make_general_page() {
    auto* page = named(new QWidget, "TabSheet1");
    CheckBox1 = check_box("CheckBox1", 69);
    CheckBox8 = check_box("CheckBox8", 75);
    CheckBox5 = check_box("CheckBox5", 143);
    CheckBox7 = check_box("CheckBox7", 114);
    CheckBox4 = check_box("CheckBox4", 79);
    GaugeBar1 = gauge("GaugeBar1", 40, 255);
    UpDown1 = named(new QSpinBox, "UpDown1");
    UpDown1->setRange(0, 60);
    Edit1 = named(new QLineEdit, "Edit1");
    Edit1->setMaxLength(40);
    ComboBox1 = named(new QComboBox, "ComboBox1");
    dbTree = named(new QTreeWidget, "dbTree");
    dbTree->setColumnCount(2);
    dbTree->setRootIsDecorated(false);
    dbTree->header()->hide();
    dbTree->header()->resizeSection(0, 130);
    dbTree->header()->resizeSection(1, 215);
    dbTree->setIconSize(QSize(16, 16));
    Button8 = push_button("Button8", 173);

    auto* translucent = new QHBoxLayout;
    translucent->addWidget(CheckBox4);
    translucent->addWidget(GaugeBar1, 1);
    auto* hint_time = new QHBoxLayout;
    hint_time->addWidget(caption("Label1", 71), 1);
    hint_time->addWidget(UpDown1);
    auto* names = new QHBoxLayout;
    names->addWidget(group("GroupBox2", 77, {Edit1}), 1);
    names->addWidget(group("GroupBox3", 99, {ComboBox1}), 1);
    auto* databases = group("GroupBox1", 100, {dbTree});
    static_cast<QVBoxLayout*>(databases->layout())->addLayout(right_row({Button8}));

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    layout->addWidget(group("GroupBox4", 76, {CheckBox1}));
    for (QWidget* w : {CheckBox8, CheckBox5, CheckBox7})
        layout->addWidget(w);
    layout->addLayout(translucent);
    layout->addLayout(hint_time);
    layout->addLayout(names);
    layout->addWidget(databases, 1);
    return page;
}

QWidget* TForm3::make_display_page() {
    auto* page = named(new QWidget, "TabSheet2");
    CheckBox2 = check_box("CheckBox2", 111);
    CheckBox3 = check_box("CheckBox3", 95);
    CheckBox9 = check_box("CheckBox9", 152);
    TrackBarLod0 = gauge("TrackBarLod0", 2, 175);
    TrackBarLod1 = gauge("TrackBarLod1", 2, 175);
    TrackBarLod2 = gauge("TrackBarLod2", 2, 175);
    TrackBarVecteur = gauge("TrackBarVecteur", 2, 175);
    TrackbarHD = gauge("TrackbarHD", 512, 1024);
    Button3 = push_button("Button3", 141);

    auto* details = named(new QGroupBox, "GroupBox7", 91);
    auto* grid = new QGridLayout(details);
    grid->setContentsMargins(6, 4, 6, 4);
    int row = 0;
    // Each gauge with its zoom in pixels per zone beside it.
    auto add_row = [&](QWidget* title, QSlider* slider, int scale) {
        auto* value = new QLabel(details);
        value->setMinimumWidth(36);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(slider, &QSlider::valueChanged, value,
                [value, scale](int v) { value->setText(QString::number(v * scale)); });
        // A gauge set to where it already stands sends no change: its value shows from the start.
        value->setText(QString::number(slider->value() * scale));
        grid->addWidget(title, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(value, row, 2);
        ++row;
    };
    add_row(caption("Label2", 92), TrackBarLod0, 10);
    add_row(caption("Label3", 93), TrackBarLod1, 10);
    add_row(caption("Label4", 94), TrackBarLod2, 10);
    add_row(CheckBox3, TrackBarVecteur, 10);
    add_row(caption("Label6", 151), TrackbarHD, 1);
    grid->addWidget(CheckBox9, row, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(group("GroupBox5", 90, {CheckBox2}));
    layout->addWidget(details);
    layout->addStretch(1);
    layout->addLayout(right_row({Button3}));
    return page;
}

QWidget* TForm3::make_legend_page() {
    auto* page = named(new QWidget, "TabSheet3");
    Tree_leg = named(new QTreeWidget, "Tree_leg");
    Tree_leg->setColumnCount(1);
    Tree_leg->setRootIsDecorated(false);
    Tree_leg->header()->hide();
    Tree_leg->setIconSize(QSize(11, 11));
    set_grey_background(Tree_leg);
    Tree_leg->setItemDelegate(new TLegendDelegate(Tree_leg));
    Panel1 = named(new QLabel, "Panel1");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setMinimumHeight(48);
    set_grey_background(Panel1);
    Button4 = push_button("Button4", 136);
    Button5 = push_button("Button5", 137);
    Button6 = push_button("Button6", 141);
    Button7 = push_button("Button7", 142);

    auto* focused = named(new QGroupBox, "GroupBox9", 138);
    auto* look = new QGridLayout(focused);
    look->setContentsMargins(6, 4, 6, 4);
    look->addWidget(Panel1, 0, 0, 3, 1);
    look->addWidget(Button4, 0, 1);
    look->addWidget(Button5, 1, 1);
    look->addWidget(Button6, 2, 1);
    look->addWidget(caption("Label5", 139), 3, 0, 1, 2);
    look->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Tree_leg, 1);
    layout->addWidget(focused);
    layout->addLayout(right_row({Button7}));
    return page;
}

void TForm3::FormShow() {
    // The legend, sorted on the categories' names without regard to case.
    copies_.clear();
    Tree_leg->clear();
    if (categories_)
        for (const auto& c : *categories_)
            copies_.push_back(std::make_unique<ttreeinfo>(*c));
    std::stable_sort(copies_.begin(), copies_.end(), [](const auto& a, const auto& b) {
        return compare_text(a->category->name, b->category->name) < 0;
    });
    for (size_t i = 0; i < copies_.size(); ++i) {
        const rCateg& c = *copies_[i]->category;
        auto* item = new QTreeWidgetItem;
        item->setText(0, to_qstring(c.type != 0 ? c.name + " *" : c.name));
        item->setData(0, Qt::UserRole, qulonglong(i));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, c.shown ? Qt::Checked : Qt::Unchecked);
        if (map_icons_ && c.icon_index >= 0 && size_t(c.icon_index) < map_icons_->size())
            item->setIcon(0, (*map_icons_)[size_t(c.icon_index)]);
        Tree_leg->addTopLevelItem(item);
        show_look(item);
    }

    // The rows are made apart and added at once: one insertion, whatever their count.
    dbTree->clear();
    checked_database_ = nullptr;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(database_list.size()));
    for (const auto& entry : database_list) {
        auto* item = new QTreeWidgetItem;
        entry->edit_choice = entry->is_edit_database;
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(entry.get())));
        item->setText(
            0, to_path(entry->version_ok ? entry->folder : "[Incorrect_version]" + entry->folder));
        item->setText(
            1, to_qstring(entry->display_description).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        item->setCheckState(0, entry->is_current ? Qt::Checked : Qt::Unchecked);
        if (entry->is_current && !checked_database_)
            checked_database_ = item;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (entry->version_ok)
            flags |= Qt::ItemIsUserCheckable;
        else
            item->setForeground(0, palette().color(QPalette::Disabled, QPalette::Text));
        item->setFlags(flags);
        item->setIcon(0, editable_icon(entry->edit_choice));
        rows.append(item);
    }
    dbTree->addTopLevelItems(rows);

    fill_folder_combo(res_path + "*", language, ComboBox1);
    // Without any language folder the language stays as it is, and the list says why.
    ComboBox1->setEnabled(ComboBox1->count() > 0);
    if (ComboBox1->count() == 0)
        ComboBox1->setPlaceholderText(
            to_qstring(format_text(get_text(kNoLanguageText), language, {})));

    const TPreference& p = rPreference;
    CheckBox1->setChecked(p.CLVL);
    CheckBox8->setChecked(p.AUTO);
    UpDown1->setValue(p.TIME / 1000);
    Edit1->setText(to_qstring(p.PSEU));
    CheckBox3->setChecked(p.AVCT);
    CheckBox2->setChecked(p.LIAR);
    CheckBox7->setChecked(p.WPSU);
    CheckBox4->setChecked(p.ALFA);
    CheckBox9->setChecked(p.MCUR);
    GaugeBar1->setValue(p.ALFV);
    CheckBox5->setChecked(p.LOCA);
    TrackbarHD->setValue(p.MAHD);
    // The setting in tens, half to even; each gauge keeps its position inside its range.
    auto tens = [](int32_t value) { return int(std::nearbyint(value / 10.0)); };
    TrackBarLod0->setValue(tens(p.LODA));
    TrackBarLod1->setValue(tens(p.LODB));
    TrackBarLod2->setValue(tens(p.LODC));
    TrackBarVecteur->setValue(tens(p.LODV));
}

QIcon TForm3::editable_icon(bool editable) const {
    return editable && toolbar_icons_ && size_t(kEditableIcon) < toolbar_icons_->size()
               ? QIcon((*toolbar_icons_)[kEditableIcon])
               : QIcon();
}

void TForm3::refresh_database_icons() {
    const QSignalBlocker quiet(dbTree);
    for (int i = 0; i < dbTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = dbTree->topLevelItem(i);
        item->setIcon(0, editable_icon(entry_of(item)->edit_choice));
    }
}

void TForm3::TrackBarLod0Change() {
    if (TrackBarLod0->value() > TrackBarLod1->value())
        TrackBarLod1->setValue(TrackBarLod0->value());
    if (TrackBarLod0->value() > TrackBarLod2->value())
        TrackBarLod2->setValue(TrackBarLod0->value());
}

void TForm3::TrackBarLod1Change() {
    if (TrackBarLod1->value() > TrackBarLod2->value())
        TrackBarLod2->setValue(TrackBarLod1->value());
    if (TrackBarLod1->value() < TrackBarLod0->value())
        TrackBarLod0->setValue(TrackBarLod1->value());
}

void TForm3::TrackBarLod2Change() {
    if (TrackBarLod2->value() < TrackBarLod1->value())
        TrackBarLod1->setValue(TrackBarLod2->value());
    if (TrackBarLod2->value() < TrackBarLod0->value())
        TrackBarLod0->setValue(TrackBarLod2->value());
}

void TForm3::Button3Click() {
    TrackBarLod0->setValue(20);
    TrackBarLod1->setValue(40);
    TrackBarLod2->setValue(60);
    TrackBarVecteur->setValue(50);
    TrackbarHD->setValue(600);
}

ttreeinfo* TForm3::copy_of(QTreeWidgetItem* item) const {
    if (!item)
        return nullptr;
    const size_t i = item->data(0, Qt::UserRole).toULongLong();
    return i < copies_.size() ? copies_[i].get() : nullptr;
}

void TForm3::show_look(QTreeWidgetItem* item) {
    ttreeinfo* copy = copy_of(item);
    if (!copy)
        return;
    item->setFont(0, copy->font());
    item->setForeground(0, qcolor_from_tcolor(copy->colour));
    // The box shows what OK will write, also after a reset.
    item->setCheckState(0, copy->visible ? Qt::Checked : Qt::Unchecked);
    if (copy == focused_) {
        Panel1->setText(to_qstring(copy->category->name));
        Panel1->setFont(copy->font());
        QPalette palette = Panel1->palette();
        palette.setColor(QPalette::WindowText, qcolor_from_tcolor(copy->colour));
        Panel1->setPalette(palette);
    }
}

void TForm3::Tree_legFocusChanged(QTreeWidgetItem* item) {
    focused_ = copy_of(item);
    enable_legend_buttons(focused_ != nullptr);
    if (focused_)
        show_look(item);
}

void TForm3::enable_legend_buttons(bool on) {
    for (QPushButton* b : {Button4, Button5, Button6})
        b->setEnabled(on);
}

void TForm3::reset_legend_entry(ttreeinfo* copy) {
    if (copy)
        copy->reset();
}

void TForm3::Button4Click() {
    if (!focused_)
        return;
    QFont font = focused_->font();
    if (choose_font(font))
        focused_->set_font(font);
    show_look(Tree_leg->currentItem());
}

void TForm3::Button5Click() {
    if (!focused_)
        return;
    QColor colour = qcolor_from_tcolor(focused_->colour);
    if (choose_colour(colour))
        focused_->colour = tcolor_of(colour);
    show_look(Tree_leg->currentItem());
}

void TForm3::Button6Click() {
    reset_legend_entry(focused_);
    show_look(Tree_leg->currentItem());
}

void TForm3::Button7Click() {
    for (int i = 0; i < Tree_leg->topLevelItemCount(); ++i) {
        reset_legend_entry(copy_of(Tree_leg->topLevelItem(i)));
        show_look(Tree_leg->topLevelItem(i));
    }
}

void TForm3::Button8Click() {
    show_message(67, false);
    QTreeWidgetItem* focused = dbTree->currentItem();
    if (!focused)
        return;
    for (const auto& entry : database_list)
        entry->edit_choice = false;
    entry_of(focused)->edit_choice = true;
    refresh_database_icons();
}

void TForm3::Button1Click() {
    if (!line_text_fits(Edit1->text(), Edit1, to_qstring(rPreference.PSEU)))
        return;
    for (const auto& copy : copies_)
        copy->apply();

    TPreference& p = rPreference;
    p.TIME = UpDown1->value() * 1000;
    p.CLVL = CheckBox1->isChecked();
    p.LIAR = CheckBox2->isChecked();
    p.LOCA = CheckBox5->isChecked();
    p.AUTO = CheckBox8->isChecked();
    p.PSEU = from_qstring(Edit1->text()).substr(0, 40);

    for (int i = 0; i < dbTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = dbTree->topLevelItem(i);
        rdbavailable* entry = entry_of(item);
        entry->is_edit_database = entry->edit_choice;
        if (entry->is_edit_database)
            edit_db_name = entry->folder;
        entry->is_current = item->checkState(0) == Qt::Checked;
        if (entry->is_current && db_name != entry->folder) {
            reload = true;
            db_name = entry->folder;
        }
    }
    if (ComboBox1->currentIndex() >= 0) {
        const std::string chosen = from_qstring(ComboBox1->currentText());
        if (language != chosen) {
            reload = true;
            language = chosen;
        }
    }

    p.LODV = TrackBarVecteur->value() * 10;
    p.LODA = TrackBarLod0->value() * 10;
    p.LODB = TrackBarLod1->value() * 10;
    p.LODC = TrackBarLod2->value() * 10;
    p.MAHD = TrackbarHD->value();
    p.MCUR = CheckBox9->isChecked();
    p.AVCT = CheckBox3->isChecked();
    p.WPSU = CheckBox7->isChecked();
    p.ALFA = CheckBox4->isChecked();
    p.ALFV = GaugeBar1->value();
    recolour = true;
    accept();
}

void TForm3::Button2Click() {
    reload = false;
    recolour = false;
    reject();
}
