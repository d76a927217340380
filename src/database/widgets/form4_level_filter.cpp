// The main window's level filter: visibility of the points tree nodes and the handlers of the
// filter check box, its two range edits and the player level edit.

#include "database/level_filter.h"
#include "foundation/errors.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/map.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Hands the key presses and focus losses of the three edits to the window's handlers.
class LevelEditEvents : public QObject {
public:
    LevelEditEvents(TForm4& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            char key = key_char(*static_cast<QKeyEvent*>(event));
            if (key == 0)
                return false;
            if (watched == form_.Edit_lvl_min)
                form_.Edit_lvl_minKeyPress(key);
            else if (watched == form_.Edit_lvl_max)
                form_.Edit_lvl_maxKeyPress(key);
            else
                form_.EditlvlKeyPress(key);
            return key == 0;
        }
        if (event->type() == QEvent::FocusOut) {
            // Leaving the window or opening a menu is no exit from the edit.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                return false;
            if (watched == form_.Edit_lvl_min)
                form_.Edit_lvl_minExit();
            else if (watched == form_.Edit_lvl_max)
                form_.Edit_lvl_maxExit();
            else
                form_.EditlvlExit();
        }
        return false;
    }

private:
    // The character a key types; 0 for keys that type none (arrows, Tab...), which pass.
    static char key_char(const QKeyEvent& e) {
        switch (e.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return '\r';
        case Qt::Key_Backspace:
            return '\b';
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 0;
        default:
            break;
        }
        const QString text = e.text();
        if (text.isEmpty())
            return 0;
        const char16_t c = text.front().unicode();
        return c < 0x80 && c != 0 ? char(c) : '?';
    }

    TForm4& form_;
};

// Digits and backspace pass; every other key is dropped.
void filter_level_key(char& key) {
    if (!(key >= '0' && key <= '9') && key != '\b')
        key = 0;
}

// The edit's number after clamping; false (and the edit showing `current`) when it holds none.
bool clamped_value(QLineEdit* edit, int32_t min, int32_t max, int32_t current, int32_t& value) {
    try {
        clamp_edit(edit, min, max);
    } catch (const EConvertError&) {
        edit->setText(QString::number(current));
        return false;
    }
    value = str_to_int_def0(from_qstring(edit->text()));
    return true;
}

} // namespace

void TForm4::connect_level_filter() {
    filter_min = rPreference.MINN;
    filter_max = rPreference.MAXN;
    auto* events = new LevelEditEvents(*this);
    for (QLineEdit* edit : {Edit_lvl_min, Edit_lvl_max, Editlvl})
        edit->installEventFilter(events);
    connect(CheckBoxlvl, &QCheckBox::clicked, this, [this] { CheckBoxlvlClick(); });
}

void TForm4::refilter_tree() {
    points_tree.begin_update();
    update_item_colors();
    hide_nodes_from(points_tree.first());
    update_path_colors();
    points_tree.end_update();
    repaint_map();
}

void TForm4::hide_nodes_from(TreeNode* start) {
    ::hide_nodes_from(points_tree, start, {CheckBoxlvl->isChecked(), filter_min, filter_max});
}

void TForm4::HideNodes(TreeNode* node) {
    hide_node(points_tree, node, {CheckBoxlvl->isChecked(), filter_min, filter_max});
}

int32_t TForm4::nearest_level(int32_t min, int32_t max) const {
    return ::nearest_level(min, max, rPreference.NIVP);
}

void TForm4::CheckBoxlvlClick() {
    Edit_lvl_min->setEnabled(CheckBoxlvl->isChecked());
    Edit_lvl_max->setEnabled(CheckBoxlvl->isChecked());
    refilter_tree();
}

void TForm4::Edit_lvl_minKeyPress(char& key) {
    if (key == '\r')
        Edit_lvl_max->setFocus(Qt::TabFocusReason);
    filter_level_key(key);
}

void TForm4::Edit_lvl_maxKeyPress(char& key) {
    if (key == '\r')
        Edit_lvl_min->setFocus(Qt::TabFocusReason);
    filter_level_key(key);
}

void TForm4::EditlvlKeyPress(char& key) {
    if (key == '\r')
        EditlvlExit();
    filter_level_key(key);
}

void TForm4::Edit_lvl_minExit() {
    if (!clamped_value(Edit_lvl_min, 0, 99, filter_min, filter_min))
        return;
    if (filter_min > filter_max)
        filter_max = filter_min;
    Edit_lvl_max->setText(QString::number(filter_max));
    refilter_tree();
}

void TForm4::Edit_lvl_maxExit() {
    if (!clamped_value(Edit_lvl_max, 0, 99, filter_max, filter_max))
        return;
    if (filter_max < filter_min)
        filter_min = filter_max;
    Edit_lvl_min->setText(QString::number(filter_min));
    refilter_tree();
}

void TForm4::EditlvlExit() {
    if (Editlvl->text().isEmpty())
        Editlvl->setText(QStringLiteral("1"));
    int32_t level = rPreference.NIVP;
    if (!clamped_value(Editlvl, 1, 70, level, level))
        return;
    rPreference.NIVP = level;
    refilter_tree();
}
