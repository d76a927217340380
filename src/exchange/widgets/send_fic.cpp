#include "exchange/widgets/send_fic.h"

#include "database/additions_file.h"
#include "database/database_list.h"
#include "exchange/sending.h"
#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/preferences.h"
#include "platform/shell.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Tmail_fic::Tmail_fic(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("mail_fic"));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(60, 39);
    Image1->setScaledContents(true);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    set_tag(GroupBox1, 160);
    auto* choices = new QVBoxLayout(GroupBox1);
    int tag = 162;
    for (QRadioButton** b : {&RadioButton1, &RadioButton2, &RadioButton3}) {
        *b = new QRadioButton(GroupBox1);
        (*b)->setObjectName(QStringLiteral("RadioButton%1").arg(tag - 161));
        set_tag(*b, tag++);
        choices->addWidget(*b);
    }
    RadioButton1->setChecked(true);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    set_tag(Button1, 165);
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    set_tag(Button2, 32);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addWidget(GroupBox1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    GroupBox1->setMinimumWidth(300);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    // Cancel, Escape and the close box end the upload.
    IdHTTP1.on_idle = [] { QCoreApplication::processEvents(); };
    FormCreate();
}

void Tmail_fic::FormCreate() {
    setWindowTitle(to_qstring(get_text(161) + " database [") + to_path(db_name) + "]");
    translate_form(this);
    prepare_upload_client(IdHTTP1);
}

void Tmail_fic::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void Tmail_fic::FormShow() {
    Image1->setPixmap(picture);
    if (!upload_allowed) {
        RadioButton1->setText(to_qstring(get_text(166)));
        RadioButton1->setEnabled(false);
        RadioButton2->setChecked(true);
    }
}

void Tmail_fic::Button1Click() {
    if (running_)
        return;
    running_ = true;
    // The choice is fixed for the whole sending; only the upload can be cancelled.
    const bool upload = RadioButton1->isChecked();
    const bool mail = !upload && RadioButton2->isChecked();
    std::vector<QWidget*> locked{Button1, GroupBox1};
    if (!upload)
        locked.push_back(Button2);
    const TDialogWork work(this, locked, this);
    std::string result;
    bool sent = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (upload) {
        send_by_http(result);
        sent = upload_succeeded(result);
    } else if (mail) {
        send_by_mail(result);
        sent = result.empty();
    } else {
        shell_open(ajouts_path);
    }
    QApplication::restoreOverrideCursor();
    if (upload || mail) {
        if (sent)
            show_message(30, false, kProductTitle, additions_file_name);
        else
            show_message(27, false, additions_file_name,
                         upload ? upload_reply_excerpt(result) : result);
    }
    running_ = false;
    QDialog::done(QDialog::Accepted);
}

void Tmail_fic::Button2Click() {
    reject();
}

void Tmail_fic::send_by_http(std::string& reply) {
    reply = ::send_by_http(IdHTTP1, selected_database ? selected_database->upload_address : "",
                           name_for_peers(db_name), rPreference.PSEU, current_additions_path());
}

void Tmail_fic::send_by_mail(std::string& error) {
    error = ::send_by_mail(selected_database ? selected_database->mail_address : "",
                           current_additions_path(), additions_file_native_name);
}

void Tmail_fic::done(int result) {
    if (running_)
        IdHTTP1.cancel(); // the sending then reports and closes
    else
        QDialog::done(result);
}
