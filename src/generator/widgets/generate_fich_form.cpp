#include "generator/widgets/generate_fich_form.h"

#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/dialog_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr const char* kInitError = "erreur d'initialisation du Genmap";

// The list's items are painted by the dialog.
class PathItemDelegate : public QStyledItemDelegate {
public:
    explicit PathItemDelegate(TForm_generate* form) : QStyledItemDelegate(form), form_(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        form_->PathListBoxDrawItem(*painter, option.rect, index.row(), selected);
        painter->restore();
    }

private:
    TForm_generate* form_;
};

QPushButton* make_button(QWidget* parent, const char* name, int tag, const QString& text = {}) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (tag)
        set_tag(b, tag);
    return b;
}

// The controls, the cursor and the flag of a run, put back whatever happens.
class RunGuard {
public:
    RunGuard(QDialog* dialog, const std::vector<QWidget*>& locked, QWidget* rest, bool& running)
        : work_(dialog, locked, rest), running_(running) {
        running_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~RunGuard() {
        QApplication::restoreOverrideCursor();
        running_ = false;
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    TDialogWork work_;
    bool& running_;
};

// A path as the list shows it, shortened by characters.
QString shown_path(const std::string& path, size_t n) {
    return QString::fromStdU16String(shorten_path(to_path(path).toStdU16String(), n));
}

} // namespace

TForm_generate::TForm_generate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_generate"));
    set_fixed_dialog_frame(this, 440, 470);

    MemoDesc = new QPlainTextEdit(this);
    MemoDesc->setObjectName(QStringLiteral("MemoDesc"));
    MemoDesc->setReadOnly(true);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setCursor(Qt::PointingHandCursor);
    Edit1->installEventFilter(this);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    PathListBox = new QListWidget(GroupBox2);
    PathListBox->setObjectName(QStringLiteral("PathListBox"));
    PathListBox->setItemDelegate(new PathItemDelegate(this));
    Button2 = make_button(GroupBox2, "Button2", 195);
    Button4 = make_button(GroupBox2, "Button4", 0, QStringLiteral("^"));
    Button4->setFixedWidth(25);
    Button6 = make_button(GroupBox2, "Button6", 196);
    auto* list_buttons = new QHBoxLayout;
    list_buttons->addWidget(Button2);
    list_buttons->addWidget(Button4);
    list_buttons->addStretch();
    list_buttons->addWidget(Button6);
    auto* paths = new QVBoxLayout(GroupBox2);
    paths->addWidget(PathListBox);
    paths->addLayout(list_buttons);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    set_tag(GroupBox1, 154);
    CheckBox1 = new QCheckBox(GroupBox1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    set_tag(CheckBox1, 106);
    GaugeBar1 = new QSlider(Qt::Horizontal, GroupBox1);
    GaugeBar1->setObjectName(QStringLiteral("GaugeBar1"));
    GaugeBar1->setRange(25, 100);
    GaugeBar1->setValue(80);
    auto* options = new QHBoxLayout(GroupBox1);
    options->addWidget(CheckBox1);
    options->addWidget(GaugeBar1, 1);

    G32_ProgressBar1 = new TG32_ProgressBar(this);
    G32_ProgressBar1->setObjectName(QStringLiteral("G32_ProgressBar1"));
    G32_ProgressBar1->setFixedHeight(16);
    G32_ProgressBar1->setColor(palette().color(QPalette::Highlight));
    G32_ProgressBar1->setMinimumWidth(0);
    G32_ProgressBar1->setMaximumWidth(QWIDGETSIZE_MAX);

    Button1 = make_button(this, "Button1", 153);
    Button1->setDefault(true);
    Button1->setEnabled(false);
    Button3 = make_button(this, "Button3", 30);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoDesc, 1);
    layout->addWidget(Edit1);
    layout->addWidget(GroupBox2, 1);
    layout->addWidget(GroupBox1);
    layout->addWidget(G32_ProgressBar1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TForm_generate::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm_generate::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm_generate::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm_generate::Button4Click);
    connect(Button6, &QPushButton::clicked, this, &TForm_generate::Button6Click);

    OpenDialog1 = [this](const std::string& title, const std::string& filter,
                         const std::string& initial) {
        QFileDialog dialog(this, to_qstring(title), to_path(initial), to_qstring(filter));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (exec_modal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::string();
        return native_path(dialog.selectedFiles().constFirst());
    };
    FormCreate();
}

void TForm_generate::FormCreate() {
    maps_made = false;
    translate_form(this);
    setWindowTitle(to_qstring(get_text(153)));
    CheckBox1->setChecked(rPreference.LOWD);
    genmap_unusable = !genmap.init_genmap(master_file);
    if (genmap_unusable)
        show_message(0, false, kInitError);
    Button1->setEnabled(genmap.find_game_folder(rPreference.GPAT, get_text(155)));
    rPreference.GPAT = genmap.game_folder;
    show_game_folder();
    genmap.add_user_paths(rPreference.MPQP);
    genmap.refresh_paths();
    fill_path_list();
}

void TForm_generate::FormShow() {
    for (const std::string& line : {get_text(194), std::string(), get_text(198)})
        MemoDesc->appendPlainText(to_qstring(line));
}

void TForm_generate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    centre_on_screen(this);
}

void TForm_generate::Edit1Click() {
    if (genmap_unusable || running_)
        return;
    const std::string& folder = genmap.game_folder;
    const std::string initial = folder == get_text(155) ? "VeV.exe" : folder + "VeV.exe";
    const std::string chosen = OpenDialog1(get_text(156), "Vev executable (VeV.exe)", initial);
    if (!chosen.empty()) {
        std::string picked_folder = native_path(QFileInfo(to_path(chosen)).absolutePath()) + "/";
        if (holds_game_executable(picked_folder)) {
            genmap.game_folder = picked_folder;
            show_game_folder();
            Button1->setEnabled(true);
        }
    }
    genmap.refresh_paths();
    fill_path_list();
}

void TForm_generate::Button1Click() {
    if (running_)
        return;
    if (genmap_unusable) {
        close();
        return;
    }
    GenerationCount count;
    bool listed = false;
    {
        // The game folder, the archive list's buttons and the options are what the run uses;
        // the list and the memo scroll, and Button3, Escape and the close box stop the run.
        RunGuard guard(this, {Button1, Edit1, Button2, Button4, Button6, GroupBox1}, MemoDesc,
                       running_);
        stop_requested_ = false;
        Button3->setText(to_qstring(get_text(32)));
        rPreference.GPAT = genmap.game_folder;
        const auto process_events = [this] {
            QCoreApplication::processEvents();
            return !stop_requested_;
        };
        listed = genmap.load_translation(process_events);
        if (listed && !stop_requested_) {
            GenerationOptions options;
            options.low_definition = CheckBox1->isChecked();
            options.quality = GaugeBar1->value();
            options.process_events = process_events;
            options.progress = [this](int position, int max) {
                G32_ProgressBar1->setMax(max);
                G32_ProgressBar1->setPosition(position);
                if (position == 0)
                    G32_ProgressBar1->repaint();
            };
            count = genmap.generate_all(maps_path, options);
        }
        Button3->setText(to_qstring(get_text(30)));
    }
    maps_made = maps_made || count.written > 0;
    if (stop_requested_) {
        if (close_pending_)
            close();
        return;
    }
    // Zones without any tile keep their images: they count as images not written.
    const int not_written = count.failed + 2 * count.without_tile;
    if (!listed || (count.written + count.failed == 0 && count.without_tile > 0))
        show_message(81, false);
    else if (not_written > 0)
        show_message(75, false, std::to_string(not_written),
                     std::to_string(not_written + count.written));
    else
        show_message(59, false);
}

void TForm_generate::Button3Click() {
    if (running_)
        stop_requested_ = true;
    else
        close();
}

void TForm_generate::Button2Click() {
    const std::string chosen =
        resolve_case(OpenDialog1(get_text(156), "BlizzardMPQ (*.mpq)", std::string()));
    if (!chosen.empty() && file_exists(chosen))
        genmap.add_path(chosen, kUserEntry | kAtTop);
    genmap.refresh_paths();
    fill_path_list();
}

void TForm_generate::Button4Click() {
    if (running_)
        return;
    const int row = PathListBox->currentRow();
    if (row < 0 || !genmap.move_up(static_cast<size_t>(row)))
        return;
    fill_path_list();
    PathListBox->item(row - 1)->setText(
        shown_path(genmap.archives[static_cast<size_t>(row - 1)].full_path, 50));
    PathListBox->setCurrentRow(row - 1);
}

void TForm_generate::Button6Click() {
    if (running_)
        return;
    genmap.remove_user_entries();
    fill_path_list();
}

void TForm_generate::PathListBoxDrawItem(QPainter& painter, const QRect& rect, int index,
                                         bool selected) const {
    if (index < 0 || static_cast<size_t>(index) >= genmap.archives.size())
        return;
    const rMpqPath& entry = genmap.archives[static_cast<size_t>(index)];
    QFont font = painter.font();
    font.setBold(entry.user);
    painter.setFont(font);
    const QPalette::ColorRole role = selected ? QPalette::HighlightedText : QPalette::WindowText;
    painter.setPen(palette().color(entry.exists ? QPalette::Active : QPalette::Disabled, role));
    painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     PathListBox->item(index)->text());
}

void TForm_generate::show_game_folder() {
    // The folder is a path; the text that stands for no folder is a text.
    Edit1->setText(genmap.game_folder == get_text(155) ? to_qstring(genmap.game_folder)
                                                       : to_path(genmap.game_folder));
}

void TForm_generate::fill_path_list() {
    PathListBox->clear();
    for (const rMpqPath& entry : genmap.archives)
        PathListBox->addItem(shown_path(entry.full_path, 55));
}

bool TForm_generate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && Edit1->isEnabled()) {
        Edit1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_generate::done(int result) {
    if (running_) {
        close_pending_ = stop_requested_ = true;
        return;
    }
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::done(result);
}

void TForm_generate::FormClose() {
    rPreference.MPQP = genmap.user_paths();
    genmap.archives.clear();
    PathListBox->clear();
    if (!genmap.errors.empty())
        show_message(genmap.write_error_log(app_path + "error.log") ? 60 : 82, false);
    rPreference.GPAT = genmap.game_folder;
    rPreference.LOWD = CheckBox1->isChecked();
    genmap.clear_errors();
}
