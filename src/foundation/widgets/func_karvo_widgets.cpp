#include "foundation/widgets/func_karvo_widgets.h"

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <QVariant>
#include <QWidget>

#include <algorithm>

void clamp_edit(QLineEdit* edit, int32_t min, int32_t max) {
    TClampedEdit r = clamp_edit_text(from_qstring(edit->text()), min, max);
    QString text = to_qstring(r.text);
    if (text != edit->text())
        edit->setText(text);
    edit->setSelection(r.sel_start, r.sel_length);
}

void fill_database_list(const TDatabaseList& list, QComboBox* target, uint8_t mode) {
    for (const TDatabaseItem& item : fill_database_list(list, mode))
        target->addItem(to_path(item.text), QVariant::fromValue(static_cast<void*>(item.record)));
}

void fill_database_list(const TDatabaseList& list, QListWidget* target, uint8_t mode) {
    for (const TDatabaseItem& item : fill_database_list(list, mode)) {
        auto* row = new QListWidgetItem(to_path(item.text), target);
        row->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(item.record)));
    }
}

rdbavailable* database_of(const QVariant& item_data) {
    return static_cast<rdbavailable*>(item_data.value<void*>());
}

void fill_folder_combo(const std::string& pattern, const std::string& name, QComboBox* combo) {
    TFolderChoice choice = fill_folder_combo(pattern, name);
    combo->clear();
    for (const std::string& folder : choice.names)
        combo->addItem(to_qstring(folder));
    combo->setCurrentIndex(choice.selected);
}

QAction* menu_item(QMenu* menu, const char* name) {
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

bool line_text_fits(const QString& text, QWidget* field) {
    const qsizetype foreign = first_non_cp1252(text);
    const auto control = std::find_if(text.begin(), text.end(),
                                      [](QChar c) { return c.category() == QChar::Other_Control; });
    const qsizetype at =
        std::min<qsizetype>(foreign < 0 ? text.size() : foreign, control - text.begin());
    if (at == text.size())
        return true;
    const char32_t c = text.at(at).isHighSurrogate() && at + 1 < text.size()
                           ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
                           : text.at(at).unicode();
    // A C1 control (U+0080 to U+009F) is a control, though some of those bytes are printable
    // Windows-1252 characters (which reach here as their own code points, such as U+20AC).
    show_message(
        at == control - text.begin() ? 73 : 72, false,
        QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper().toStdString());
    if (field)
        field->setFocus();
    return false;
}

namespace {

class TFocusKeepsNoCurrent : public QObject {
public:
    explicit TFocusKeepsNoCurrent(QAbstractItemView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != view_ || event->type() != QEvent::FocusIn || view_->currentIndex().isValid())
            return false;
        // The view makes a row current as it takes the focus; nobody hears of it.
        const QSignalBlocker quiet(view_->selectionModel());
        static_cast<QObject*>(view_)->event(event);
        view_->selectionModel()->clearCurrentIndex();
        return true;
    }

private:
    QAbstractItemView* view_;
};

} // namespace

void keep_no_current_on_focus(QAbstractItemView* view) {
    view->installEventFilter(new TFocusKeepsNoCurrent(view));
}

namespace {

class TInputGate : public QObject {
public:
    TInputGate(QDialog* dialog, QWidget* cancel) : dialog_(dialog), cancel_(cancel) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && cancel_ && (widget == cancel_ || cancel_->isAncestorOf(widget)))
            return false;
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && widget &&
            widget->window() == dialog_)
            dialog_->reject();
        return true;
    }

private:
    QDialog* dialog_;
    QWidget* cancel_;
};

} // namespace

void process_events_but_input(QDialog* dialog, QWidget* cancel) {
    TInputGate gate(dialog, cancel);
    QCoreApplication::instance()->installEventFilter(&gate);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&gate);
}
