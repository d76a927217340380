#include "editing/widgets/wpopt.h"

#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/widgets/dialog_frame.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

TForm_wpoptions::TForm_wpoptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_wpoptions"));
    set_fixed_dialog_frame(this, 240, 100);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 14, 120, 20);
    set_tag(Label2, 116);
    UpDown2 = new QSpinBox(this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setGeometry(140, 12, 50, 22);
    UpDown2->setRange(1, 10);
    UpDown2->setValue(8);

    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(12, 42, 216, 20);
    CheckBox1->setLayoutDirection(Qt::RightToLeft); // the text left of the box
    set_tag(CheckBox1, 118);

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(153, 68, 75, 25);
    Button1->setDefault(true);
    set_tag(Button1, 31);
    connect(Button1, &QPushButton::clicked, this, &TForm_wpoptions::Button1Click);

    // FormCreate
    setWindowTitle(to_qstring(get_text(119)));
    translate_form(this);
}

void TForm_wpoptions::Button1Click() {
    accept();
}

void TForm_wpoptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centre_on_screen(this);
}
