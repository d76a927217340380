#include "mainwindow/widgets/input_pseudo.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/widgets/dialog_frame.h"

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form6"));
    set_fixed_dialog_frame(this, 312, 70);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(12, 10, 288, 22);
    Edit1->setMaxLength(kMaxNicknameLength);

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(225, 39, 75, 25);
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);

    // FormCreate
    Button1->setText(to_qstring(get_text(31)));
}

void TForm6::Button1Click() {
    // The nickname goes into the additions file's header and pref.ini, one line each.
    if (line_text_fits(Edit1->text(), Edit1))
        accept();
}

void TForm6::reject() {
    Button1Click();
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centre_on_screen(this);
}
