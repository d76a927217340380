#pragma once
// Control helpers over the core routines of func_karvo.

#include "foundation/func_karvo.h"

class QAbstractItemView;
class QAction;
class QComboBox;
class QDialog;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QString;
class QWidget;

// Clamps the number of the edit box to min..max and selects its first one or two characters.
// Throws EConvertError when the text is not empty and not a number.
void clamp_edit(QLineEdit* edit, int32_t min, int32_t max);

// Appends one item per database; each item's data holds its rdbavailable pointer.
void fill_database_list(const TDatabaseList& list, QComboBox* target, uint8_t mode);
void fill_database_list(const TDatabaseList& list, QListWidget* target, uint8_t mode);

// The record pointer kept in an item's data by fill_database_list.
rdbavailable* database_of(const QVariant& item_data);

// Fills the combo with the subfolders matching the pattern and selects `name` (ignoring case)
// or the first one.
void fill_folder_combo(const std::string& pattern, const std::string& name, QComboBox* combo);

// The item of a menu with that object name; null when there is none.
QAction* menu_item(QMenu* menu, const char* name);

// Refuses a text typed for a line of a text file (a name, a comment line, the nickname): a
// character outside Windows-1252 gives message 72, a control character (a line break, a tab...)
// message 73, each naming the first such character; the field then gets the focus. True when
// the text fits. Characters that `original` (the field's text as read from its file) holds are
// accepted: they go back to the file as they came.
bool line_text_fits(const QString& text, QWidget* field, const QString& original = {});

// The text of a memo as typed, its lines joined by "\n": unlike QPlainTextEdit::toPlainText(),
// non-breaking spaces stay as they are.
QString memo_text(const QPlainTextEdit* memo);

// Focus that reaches the list without a click (a page switch, the hover, the Tab key) makes no
// row current, so nothing shows on the map but what the user picks with a click or the keys.
void keep_no_current_on_focus(QAbstractItemView* view);

// Runs the dialog modally and returns its result. While it waits for its answer, input is left
// to Qt: the dialog blocks every window behind it (Qt closes their open menus and lists), and
// the windows Qt opens for it (completion and combo lists, context menus, the colour picker,
// tool tips) take their input as usual. Once it has its answer (it is hidden, exec() has not
// returned) no input goes anywhere until it returns: input queued behind the answer can then
// neither answer it a second time nor act on the window below while the caller still holds
// what it asked about.
int exec_modal(QDialog& dialog);

// Long work inside a handler of a dialog that exec_modal runs (a transfer, a generator run), for
// the object's lifetime; the work runs the pending events, user input included, with
// QCoreApplication::processEvents(). The dialog stays usable: its lists and memos scroll, its
// tabs switch, the windows Qt opens for it work, and Escape, the close box and the cancel
// control reach its done(), which stops the work. Only `locked` are disabled: the start button
// first, then the controls whose values the work reads. The focus goes to `rest`, where Return
// and Space do nothing, and a Return that no control takes presses no default button: a key
// typed after the click that started the work cancels nothing, unless the user moved the focus
// to the cancel control. Afterwards the locked controls are enabled again and the focus goes
// back to the start button, unless the user moved it.
class TDialogWork {
public:
    TDialogWork(QDialog* dialog, const std::vector<QWidget*>& locked, QWidget* rest);
    ~TDialogWork();
    TDialogWork(const TDialogWork&) = delete;
    TDialogWork& operator=(const TDialogWork&) = delete;

private:
    class TState;
    TState* state_;
};

// A closed menu takes no input: a click queued on a menu after it ran a command is dropped, so
// that one opening runs one command. Installed once for the application.
void keep_closed_menus_quiet();
