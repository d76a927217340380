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

// Runs the dialog modally and returns its result. While it runs, input reaches only the dialog
// and the windows it opens (its lists, menus and boxes); once it has its answer (it is hidden)
// nothing more is taken until it returns. Input queued behind the dialog can then neither answer
// it a second time nor act on the window below while the caller still holds what it asked about.
int exec_modal(QDialog& dialog);

// Runs pending events while long work goes on inside a handler of `dialog`: painting, timers and
// the work's own events run, but user input reaches only `cancel` (the control that stops the
// work), and Escape anywhere in the dialog asks the dialog to close. Any other input is dropped,
// as by a busy window, so that no other handler runs inside the one doing the work.
void process_events_but_input(QDialog* dialog, QWidget* cancel);

// A closed menu takes no input: a click queued on a menu after it ran a command is dropped, so
// that one opening runs one command. Installed once for the application.
void keep_closed_menus_quiet();
