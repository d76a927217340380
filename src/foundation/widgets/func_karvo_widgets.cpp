#include "foundation/widgets/func_karvo_widgets.h"

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

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

bool line_text_fits(const QString& typed, QWidget* field, const QString& original) {
    QString text = typed;
    text.removeIf([&original](QChar c) { return original.contains(c); });
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

QString memo_text(const QPlainTextEdit* memo) {
    QString text = memo->document()->toRawText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c.unicode() == 0xFDD0 ||
            c.unicode() == 0xFDD1)
            c = QLatin1Char('\n');
    return text;
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

bool is_user_input(QEvent::Type type) {
    switch (type) {
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
        return true;
    default:
        return false;
    }
}

// The top-level widget an input event goes to: a widget's window, the widget of a window (where
// the window system delivers input first), or the window of an action's or shortcut's widget.
QWidget* input_window(QObject* receiver) {
    if (auto* widget = qobject_cast<QWidget*>(receiver))
        return widget->window();
    if (auto* window = qobject_cast<QWindow*>(receiver)) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == window)
                return top;
        return nullptr;
    }
    if (auto* action = qobject_cast<QAction*>(receiver)) {
        for (QObject* owner : action->associatedObjects())
            if (auto* widget = qobject_cast<QWidget*>(owner))
                return widget->window();
        return nullptr;
    }
    if (auto* shortcut = qobject_cast<QShortcut*>(receiver))
        if (auto* widget = qobject_cast<QWidget*>(shortcut->parent()))
            return widget->window();
    return nullptr;
}

// True when the window is the dialog or one it opened, over it or over one of those.
bool opened_by(QWidget* window, const QWidget* dialog) {
    for (QWidget* w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (w == dialog)
            return true;
    return false;
}

// Lets input through to the dialog of the newest gate only. A gate with a `cancel` control lets
// through that control alone (Escape asks the dialog to close), for long work run inside one of
// the dialog's handlers.
class TInputGate : public QObject {
public:
    // The gate applies from now until the object goes. Its filter is installed last, so it sees
    // input before every other application filter.
    TInputGate(QDialog* dialog, QWidget* cancel)
        : dialog_(dialog), cancel_(cancel), cancel_only_(cancel != nullptr) {
        stack().push_back(this);
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TInputGate() override {
        QCoreApplication::instance()->removeEventFilter(this);
        std::erase(stack(), this);
    }
    TInputGate(const TInputGate&) = delete;
    TInputGate& operator=(const TInputGate&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (stack().empty() || stack().back() != this || !is_user_input(event->type()))
            return false;
        QDialog* dialog = dialog_;
        // Answered, or gone: the input was meant for a dialog that is over.
        if (!dialog || !dialog->isVisible())
            return true;
        QWidget* window = input_window(watched);
        if (!window || !opened_by(window, dialog))
            return true;
        // The window passes the input on to its controls, which are checked then.
        if (!cancel_only_ || qobject_cast<QWindow*>(watched))
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* cancel = cancel_;
        if (widget && cancel && (widget == cancel || cancel->isAncestorOf(widget)))
            return false;
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && widget)
            dialog->reject();
        return true;
    }

private:
    static std::vector<TInputGate*>& stack() {
        static std::vector<TInputGate*> gates;
        return gates;
    }
    QPointer<QDialog> dialog_;
    QPointer<QWidget> cancel_;
    bool cancel_only_;
};

class TClosedMenuFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* menu = qobject_cast<QMenu*>(watched);
        return menu && !menu->isVisible() && is_user_input(event->type());
    }
};

} // namespace

int exec_modal(QDialog& dialog) {
    TInputGate gate(&dialog, nullptr);
    return dialog.exec();
}

void process_events_but_input(QDialog* dialog, QWidget* cancel) {
    TInputGate gate(dialog, cancel);
    QCoreApplication::processEvents();
}

void keep_closed_menus_quiet() {
    static TClosedMenuFilter* filter = nullptr;
    if (!filter) {
        filter = new TClosedMenuFilter;
        filter->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
    }
}
