#include "foundation/widgets/translate_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

void mark_as_image(QLabel* label) {
    label->setProperty("Image", true);
}

bool is_image(const QObject* object) {
    return qobject_cast<const QLabel*>(object) != nullptr && object->property("Image").toBool();
}

namespace {

void set_hint(QWidget* widget, int tag) {
    widget->setToolTip(to_qstring(get_hint_text(tag)));
}

} // namespace

void translate_form(QWidget* form) {
    // Widgets paint double-buffered already; only the texts are set here.
    const QList<QWidget*> controls = form->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        int tag = tag_of(control);
        if (tag == 0)
            continue;
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            button->setText(to_qstring(get_text(tag)));
        } else if (is_image(control)) {
            set_hint(control, tag);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setTextFormat(Qt::PlainText);
            label->setText(to_qstring(get_text(tag)));
        } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            radio->setText(to_qstring(get_text(tag)));
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            group->setTitle(to_qstring(get_text(tag)));
        } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
            check->setText(to_qstring(get_text(tag)));
        } else if (qobject_cast<QToolButton*>(control) != nullptr) {
            set_hint(control, tag);
        }
    }
}
