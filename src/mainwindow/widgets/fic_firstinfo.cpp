#include "mainwindow/widgets/fic_firstinfo.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/widgets/dialog_frame.h"

namespace {

constexpr int kItemHeight = 13;

// The record of the selected item of a database list, or nullptr when none is selected.
rdbavailable* selected_entry(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    if (items.isEmpty())
        return nullptr;
    return database_of(items.first()->data(Qt::UserRole));
}

QString with_line_breaks(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QFrame* make_panel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(geometry);
    return panel;
}

QLabel* make_label(QWidget* parent, const char* name, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

QListWidget* make_database_list(QWidget* parent, const char* name, const QRect& geometry) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(geometry);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

void TDatabaseItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(option.rect, selected ? palette.color(QPalette::Active, QPalette::Highlight)
                                            : palette.color(QPalette::Base));
    const rdbavailable* entry = database_of(index.data(Qt::UserRole));
    const bool right_version = entry != nullptr && entry->version_ok;
    painter->setPen(right_version ? palette.color(QPalette::Active, QPalette::Text)
                                  : palette.color(QPalette::Disabled, QPalette::Text));
    painter->setFont(option.font);
    QRect text_rect = option.rect.adjusted(2, 0, 0, 0);
    painter->drawText(text_rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize TDatabaseItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    // A larger font than the list was made for gets taller rows rather than clipped text.
    return {QStyledItemDelegate::sizeHint(option, index).width(),
            std::max(kItemHeight, option.fontMetrics.height())};
}

TForm1::TForm1(TDatabaseList& list, QWidget* parent) : QDialog(parent), database_list_(list) {
    setObjectName(QStringLiteral("Form1"));
    set_fixed_dialog_frame(this, 461, 244);
    setWindowTitle(QStringLiteral("Langage:"));

    Panel3 = make_panel(this, "Panel3", QRect(8, 8, 187, 117));
    Image1 = make_label(Panel3, "Image1", QRect(2, 2, 183, 113));
    Image1->setAlignment(Qt::AlignCenter);

    Label3 = make_label(this, "Label3", QRect(8, 132, 185, 81));
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Panel1 = make_panel(this, "Panel1", QRect(204, 8, 249, 196));
    Label1 = make_label(Panel1, "Label1", QRect(8, 6, 233, 15));
    Label1->setText(QStringLiteral("Interface"));
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 22, 233, 22);
    Label2 = make_label(Panel1, "Label2", QRect(8, 50, 233, 15));
    Label2->setText(QStringLiteral("Database"));
    ListBox2 = make_database_list(Panel1, "ListBox2", QRect(8, 66, 233, 76));
    ListBox2->setItemDelegate(new TDatabaseItemDelegate(ListBox2));
    Label4 = make_label(Panel1, "Label4", QRect(8, 146, 233, 46));
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Panel2 = make_panel(this, "Panel2", QRect(204, 8, 249, 196));
    ListBox3 = make_database_list(Panel2, "ListBox3", QRect(8, 8, 233, 180));

    Button1 = new QPushButton(QStringLiteral("ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(378, 212, 75, 25);
    Button1->setDefault(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    set_tag(Timer1, 0);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ListBox2, &QListWidget::itemSelectionChanged, this, &TForm1::ListBox2Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    // FormCreate
    const QImage picture = read_bitmap_file(data_path + "vev.bmp", max_splash_size);
    if (!picture.isNull())
        Image1->setPixmap(QPixmap::fromImage(picture));
}

TForm1::~TForm1() {
    apply_choice();
}

void TForm1::load_welcome() {
    welcome_list_.clear();
    if (ComboBox1->count() == 0)
        return;
    for (int i = 0; i < ComboBox1->count(); ++i) {
        std::string file = res_path + native_path(ComboBox1->itemText(i)) + "/welcome.txt";
        std::string line;
        if (file_exists(file) && read_first_line(file, kMaxWelcomeLength, line))
            welcome_list_.push_back(line);
    }
    if (welcome_list_.empty())
        welcome_list_.push_back(kBuiltInWelcome);
}

void TForm1::show_welcome(int n) {
    if (welcome_list_.empty() || n < 0 || n >= static_cast<int>(welcome_list_.size()))
        return;
    QString text = to_qstring(welcome_list_[static_cast<size_t>(n)]);
    text.replace(QStringLiteral("%%"), QStringLiteral("\n"));
    Label3->setText(text);
}

void TForm1::FormShow() {
    if (mode == 1) {
        Panel2->hide();
        Panel1->show();
        ListBox2->clear();
        setWindowTitle(QStringLiteral("Vev Karvelo  v1.06"));
        fill_folder_combo(res_path + "*", kFallbackLanguage, ComboBox1);
        fill_database_list(database_list_, ListBox2, 0);
        Timer1->start();
        load_welcome();
        show_welcome(0);
    } else {
        Panel1->hide();
        Panel2->show();
        Label3->setText(to_qstring(get_text(172)));
        setWindowTitle(to_qstring(get_text(173)));
        ListBox3->clear();
        fill_database_list(database_list_, ListBox3, 1);
        ListBox3->setCurrentRow(-1);
        ListBox3->clearSelection();
    }
    Button1->setFocus();
}

bool TForm1::FormCloseQuery() const {
    if (mode == 0)
        return selected_entry(ListBox3) != nullptr;
    return ComboBox1->currentIndex() >= 0 && selected_entry(ListBox2) != nullptr;
}

void TForm1::apply_choice() {
    if (mode == 1) {
        if (const rdbavailable* entry = selected_entry(ListBox2))
            db_name = entry->folder;
        if (ComboBox1->currentIndex() >= 0)
            language = from_qstring(ComboBox1->currentText());
    } else if (rdbavailable* chosen = selected_entry(ListBox3)) {
        edit_db_name = chosen->folder;
        for (auto& entry : database_list_)
            entry->is_edit_database = false;
        chosen->is_edit_database = true;
    }
}

void TForm1::Button1Click() {
    accept();
}

void TForm1::ListBox2Click() {
    if (const rdbavailable* entry = selected_entry(ListBox2))
        Label4->setText(with_line_breaks(to_qstring(entry->display_description)));
}

void TForm1::Timer1Timer() {
    int index = tag_of(Timer1) + 1;
    if (index > static_cast<int>(welcome_list_.size()) - 1)
        index = 0;
    set_tag(Timer1, index);
    show_welcome(index);
}

void TForm1::done(int result) {
    if (!FormCloseQuery()) {
        QApplication::beep();
        return;
    }
    QDialog::done(result);
}

void TForm1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centre_on_screen(this);
    FormShow();
}

void TForm1::hideEvent(QHideEvent* event) {
    Timer1->stop();
    QDialog::hideEvent(event);
}
