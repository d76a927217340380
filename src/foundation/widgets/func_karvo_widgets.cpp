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
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QVariant>
#include <QWidget>

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

// Drops every input event while the dialog of the newest gate has its answer (it is hidden) or
// is gone. Its filter is installed last, so it sees input before every other application
// filter, at the window and at the widget.
class TInputGate : public QObject {
public:
    explicit TInputGate(QDialog* dialog) : dialog_(dialog) {
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
    bool eventFilter(QObject*, QEvent* event) override {
        if (stack().empty() || stack().back() != this || !is_user_input(event->type()))
            return false;
        const QDialog* dialog = dialog_;
        return !dialog || !dialog->isVisible();
    }

private:
    static std::vector<TInputGate*>& stack() {
        static std::vector<TInputGate*> gates;
        return gates;
    }
    QPointer<QDialog> dialog_;
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
    TInputGate gate(&dialog);
    return dialog.exec();
}

class TDialogWork::TState : public QObject {
public:
    TState(QDialog* dialog, const std::vector<QWidget*>& locked, QWidget* rest)
        : dialog_(dialog), locked_(locked.begin(), locked.end()), rest_(rest) {
        // Before the controls go: Qt would move the focus from a disabled control to the next
        // one, the cancel control.
        if (rest)
            rest->setFocus(Qt::OtherFocusReason);
        for (QWidget* w : locked)
            w->setEnabled(false);
        dialog->installEventFilter(this);
    }
    ~TState() override {
        for (const QPointer<QWidget>& w : locked_)
            if (w)
                w->setEnabled(true);
        QWidget* start = locked_.empty() ? nullptr : locked_.front().data();
        if (start && dialog_ && rest_ && dialog_->focusWidget() == rest_)
            start->setFocus(Qt::OtherFocusReason);
    }
    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

protected:
    // A Return that no control took reaches the dialog, which would press its default button.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != dialog_ || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }

private:
    QPointer<QDialog> dialog_;
    std::vector<QPointer<QWidget>> locked_;
    QPointer<QWidget> rest_;
};

TDialogWork::TDialogWork(QDialog* dialog, const std::vector<QWidget*>& locked, QWidget* rest)
    : state_(new TState(dialog, locked, rest)) {}

TDialogWork::~TDialogWork() {
    delete state_;
}

void keep_closed_menus_quiet() {
    static TClosedMenuFilter* filter = nullptr;
    if (!filter) {
        filter = new TClosedMenuFilter;
        filter->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
    }
}
