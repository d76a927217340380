#include "exchange/widgets/update_fich.h"

#include "database/database_list.h"
#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/preferences.h"
#include "platform/shell.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <unordered_map>

// The shown entries as rows, in reply order: name, status, description. Hidden entries have
// no row.
class TUpdateTreeModel : public QAbstractTableModel {
public:
    TUpdateTreeModel(const std::vector<std::unique_ptr<ttreeup>>& entries, QObject* parent)
        : QAbstractTableModel(parent), entries_(entries) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex&) const override { return 3; }
    QVariant data(const QModelIndex& index, int role) const override {
        // The text, as long as it is shown, also as a tool tip: the columns are narrow.
        if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid())
            return {};
        return to_qstring(server_text_excerpt(
            UpdateTreeGetText(*rows_[static_cast<size_t>(index.row())], index.column()), 1,
            kShownLineWidth));
    }
    static std::string UpdateTreeGetText(const ttreeup& entry, int column) {
        return column == 0 ? entry.name : column == 1 ? entry.status : entry.description;
    }
    void reset() {
        beginResetModel();
        rows_.clear();
        row_of_.clear();
        for (const auto& e : entries_)
            if (e->visible) {
                row_of_[e.get()] = static_cast<int>(rows_.size());
                rows_.push_back(e.get());
            }
        endResetModel();
    }
    void changed(const ttreeup& entry) {
        const auto row = row_of_.find(&entry);
        if (row != row_of_.end())
            emit dataChanged(index(row->second, 0), index(row->second, 2));
    }

private:
    const std::vector<std::unique_ptr<ttreeup>>& entries_;
    std::vector<const ttreeup*> rows_;
    std::unordered_map<const ttreeup*, int> row_of_;
};

namespace {

int clamp_int(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX));
}

QLineEdit* make_edit(QWidget* parent, const char* name, const char* placeholder) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(QString::fromLatin1(placeholder));
    return edit;
}

} // namespace

TForm_update::TForm_update(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_update"));
    resize(520, 440);

    PageControl1 = new QTabWidget(this);
    auto* connexion = new QWidget;
    auto* page1 = new QVBoxLayout(connexion);
    Memo1 = new QPlainTextEdit(connexion);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFixedHeight(90);
    Label4 = new QLabel(connexion);
    Label4->setObjectName(QStringLiteral("Label4"));
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    ProgressBar1 = new QProgressBar(connexion);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    UpdateTree = new QTreeView(connexion);
    UpdateTree->setObjectName(QStringLiteral("UpdateTree"));
    UpdateTree->setRootIsDecorated(false);
    UpdateTree->setUniformRowHeights(true);
    UpdateTree->header()->hide();
    model_ = new TUpdateTreeModel(check.entries, this);
    UpdateTree->setModel(model_);
    UpdateTree->setColumnWidth(0, 90);
    UpdateTree->setColumnWidth(1, 150);
    UpdateTree->setColumnWidth(2, 180);
    auto* period = new QHBoxLayout;
    Label1 = new QLabel(connexion);
    Label1->setObjectName(QStringLiteral("Label1"));
    set_tag(Label1, 49);
    ComboBox1 = new QComboBox(connexion);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    period->addWidget(Label1);
    period->addWidget(ComboBox1);
    period->addStretch(1);
    page1->addWidget(Memo1);
    page1->addWidget(Label4);
    page1->addWidget(ProgressBar1);
    page1->addWidget(UpdateTree, 1);
    page1->addLayout(period);
    PageControl1->addTab(connexion, QStringLiteral("Connexion"));

    auto* options = new QWidget;
    auto* page2 = new QVBoxLayout(options);
    RadioGroup1 = new QGroupBox(QStringLiteral("HTTP"), options);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    http10 = new QRadioButton(QStringLiteral("http 1.0"), RadioGroup1);
    http11 = new QRadioButton(QStringLiteral("http 1.1"), RadioGroup1);
    auto* radios = new QVBoxLayout(RadioGroup1);
    radios->addWidget(http10);
    radios->addWidget(http11);
    auto* proxy = new QGridLayout;
    checkbox5 = new QCheckBox(QStringLiteral("Proxy"), options);
    checkbox5->setObjectName(QStringLiteral("checkbox5"));
    proxyserver_edit = make_edit(options, "proxyserver_edit", "serveur");
    proxyport_edit = make_edit(options, "proxyport_edit", "port");
    // Digits only: every other key is dropped.
    proxyport_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    CheckBox6 = new QCheckBox(QStringLiteral("Authentification"), options);
    CheckBox6->setObjectName(QStringLiteral("CheckBox6"));
    proxyname_edit = make_edit(options, "proxyname_edit", "nom");
    proxypass_edit = make_edit(options, "proxypass_edit", "mot de passe");
    proxypass_edit->setEchoMode(QLineEdit::Password);
    CheckBox7 = new QCheckBox(QStringLiteral("(Basic Auth)"), options);
    CheckBox7->setObjectName(QStringLiteral("CheckBox7"));
    proxy->addWidget(checkbox5, 0, 0);
    proxy->addWidget(proxyserver_edit, 0, 1);
    proxy->addWidget(proxyport_edit, 0, 2);
    proxy->addWidget(CheckBox6, 1, 0);
    proxy->addWidget(proxyname_edit, 1, 1);
    proxy->addWidget(proxypass_edit, 1, 2);
    proxy->addWidget(CheckBox7, 2, 1);
    page2->addWidget(RadioGroup1);
    page2->addLayout(proxy);
    page2->addStretch(1);
    PageControl1->addTab(options, QStringLiteral("Options"));

    Button3 = new QPushButton(this);
    Button3->setObjectName(QStringLiteral("Button3"));
    set_tag(Button3, 50);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    set_tag(Button1, 30);
    Button1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);

    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(checkbox5, &QCheckBox::clicked, this, [this] { checkbox5Click(); });
    connect(CheckBox6, &QCheckBox::clicked, this, [this] { CheckBox6Click(); });

    TUpdateEvents& events = check.events;
    events.memo_line = [this](const std::string& line) {
        Memo1->appendPlainText(to_qstring(line));
    };
    events.status_bar = [this](const std::string& text) {
        StatusBar1->showMessage(to_qstring(text));
    };
    events.entries_changed = [this] { refresh_tree(); };
    events.entry_changed = [this](const ttreeup& entry) {
        model_->changed(entry);
        // A few times a second: thousands of entries may change in a row.
        if (!repainted_.isValid() || repainted_.elapsed() >= 200) {
            UpdateTree->viewport()->repaint();
            repainted_.start();
        }
    };
    // The run keeps the dialog usable: Close, Escape and the close box end it.
    events.process_events = [] { QCoreApplication::processEvents(); };
    THttpClient& http = check.http;
    http.on_work_begin = [this](int64_t expected) {
        ProgressBar1->setMaximum(clamp_int(expected));
        ProgressBar1->setValue(0);
        StatusBar1->showMessage(QString::number(expected));
    };
    http.on_work = [this](int64_t done, int64_t expected) {
        ProgressBar1->setMaximum(std::max(ProgressBar1->maximum(), clamp_int(done)));
        ProgressBar1->setValue(clamp_int(done));
        StatusBar1->showMessage(QStringLiteral("%1/%2").arg(done).arg(expected));
    };
    http.on_work_end = [this] { StatusBar1->clearMessage(); };
    http.on_status = [this](const std::string& text) { StatusBar1->showMessage(to_qstring(text)); };

    FormCreate();
}

TForm_update::~TForm_update() {
    FormDestroy();
}

void TForm_update::FormCreate() {
    check.restart_needed = false;
    check.database_updated = false;
    if (selected_database) {
        update_address1 = selected_database->update_address1;
        newer_version_page = selected_database->newer_version_page;
    }
    for (const std::string& line : {get_text(56), get_text(57), std::string()})
        Memo1->appendPlainText(to_qstring(line));
    Memo1->appendPlainText(to_qstring(get_text(101) + " ") + to_path(db_name));
    setWindowTitle(to_qstring(kProductTitle + get_text(61)));
    for (int n = 44; n <= 48; ++n)
        ComboBox1->addItem(to_qstring(get_text(n)));
    ComboBox1->setCurrentIndex(rPreference.DATU);
    translate_form(this);
    proxyserver_edit->setText(to_qstring(rPreference.PRXS));
    proxyport_edit->setText(QString::number(rPreference.PRXP));
    proxyname_edit->setText(to_qstring(rPreference.PRXN));
    proxypass_edit->setText(to_qstring(rPreference.PRXM));
    proxy_read_[0] = proxyserver_edit->text();
    proxy_read_[1] = proxyname_edit->text();
    proxy_read_[2] = proxypass_edit->text();
    checkbox5->setChecked(!rPreference.PRXS.empty());
    CheckBox6->setChecked(!rPreference.PRXN.empty());
    CheckBox7->setChecked(rPreference.PRXB);
    (rPreference.HTTP == 0 ? http10 : http11)->setChecked(true);
    checkbox5Click();
    CheckBox6Click();
}

void TForm_update::checkbox5Click() {
    const bool on = checkbox5->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{CheckBox6, proxyserver_edit, proxyport_edit})
        w->setEnabled(on);
    if (!on) {
        CheckBox6->setChecked(false);
        CheckBox6Click();
    }
}

void TForm_update::CheckBox6Click() {
    proxyname_edit->setEnabled(CheckBox6->isChecked());
    proxypass_edit->setEnabled(CheckBox6->isChecked());
}

void TForm_update::validproxy() {
    const int32_t port =
        checkbox5->isChecked() ? str_to_int(from_qstring(proxyport_edit->text())) : 0;
    TPreference& p = rPreference;
    p.PRXS.clear();
    p.PRXP = 0;
    p.PRXN.clear();
    p.PRXM.clear();
    p.PRXB = CheckBox7->isChecked();
    p.HTTP = http10->isChecked() ? 0 : 1;
    if (checkbox5->isChecked()) {
        p.PRXS = from_qstring(proxyserver_edit->text());
        p.PRXP = port;
    }
    if (CheckBox6->isChecked()) {
        p.PRXN = from_qstring(proxyname_edit->text());
        p.PRXM = from_qstring(proxypass_edit->text());
    }
    apply_proxy_preferences(check.http.options, p);
}

bool TForm_update::check_update() {
    const std::string address =
        selected_database ? update_request_address(*selected_database, name_for_peers(db_name),
                                                   language, rPreference.VALT)
                          : std::string();
    validproxy();
    return check.check_update(address);
}

bool TForm_update::proxy_fields_fit() {
    QLineEdit* const edits[] = {proxyserver_edit, proxyname_edit, proxypass_edit};
    for (int i = 0; i < 3; ++i)
        if (edits[i]->isEnabled() && !line_text_fits(edits[i]->text(), edits[i], proxy_read_[i]))
            return false;
    return true;
}

void TForm_update::Button3Click() {
    if (running_ || !proxy_fields_fit())
        return;
    running_ = true;
    // Close stays: it ends the run. The options stay those the run took.
    const TDialogWork work(this, {Button3, PageControl1->widget(1)},
                           PageControl1->currentIndex() == 0 ? static_cast<QWidget*>(UpdateTree)
                                                             : PageControl1);
    check.begin_run();
    Memo1->clear();
    ProgressBar1->setValue(0);
    StatusBar1->clearMessage();
    try {
        // A failed request ends the run like an invalid reply: the reply of an earlier run
        // is not taken for the server's answer.
        const bool fetched = check_update();
        Label4->setText(to_qstring(get_text(59)));
        if (!fetched || !update_reply_valid(check.reply)) {
            Memo1->appendPlainText(to_qstring(get_text(60)));
        } else {
            ProgressBar1->setValue(0);
            check.parse_reply();
            Memo1->moveCursor(QTextCursor::Start);
            bool go_on = true;
            if (check.version != kProgramVersion) {
                Label4->setText(to_qstring(get_text(197)));
                if (show_message(34, true, server_text_excerpt(check.version, 1, kShownLineWidth),
                                 newer_version_page) == kAnswerYes) {
                    // The box goes from the screen before the browser comes.
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                    shell_open(newer_version_page);
                    go_on = false;
                }
            }
            if (go_on) {
                QApplication::setOverrideCursor(Qt::WaitCursor);
                const bool something = check.select_updates();
                QApplication::restoreOverrideCursor();
                if (something)
                    Label4->setText(to_qstring(get_text(58)));
                check.telecharge_update();
                if (!check.cancelled)
                    rPreference.DATW = now_datetime();
            }
        }
    } catch (const std::exception& e) {
        show_message(0, false, e.what());
    }
    running_ = false;
    if (close_pending_) {
        close_pending_ = false;
        QDialog::done(QDialog::Rejected);
    }
}

void TForm_update::Button1Click() {
    accept();
}

void TForm_update::FormDestroy() {
    try {
        validproxy();
    } catch (const std::exception& e) {
        show_message(0, false, e.what()); // the proxy preferences stay as they were
    }
    if (ComboBox1->currentIndex() >= 0)
        rPreference.DATU = ComboBox1->currentIndex();
    if (check.restart_needed)
        show_message(14, false);
}

void TForm_update::done(int result) {
    if (running_) {
        close_pending_ = true;
        check.cancel();
        return;
    }
    if (!proxy_fields_fit())
        return;
    QDialog::done(result);
}

void TForm_update::refresh_tree() {
    model_->reset();
}
