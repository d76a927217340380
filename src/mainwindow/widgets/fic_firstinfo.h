#pragma once
// The first-run dialog: the interface language and the current database (mode 1), or the
// database that receives the user's additions (mode 0). It cannot be closed without a choice.
//
// Use: create it with the database list, set `mode`, exec_modal() it, then destroy it. The choice
// is applied by apply_choice(), which the destructor calls: mode 1 writes `db_name` and `language`,
// mode 0 writes `edit_db_name` and makes the chosen entry the only editable database. The list
// must outlive the dialog. its result carries no meaning.

#include <QDialog>
#include <QStyledItemDelegate>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/func_type.h"

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

// Paints the items of the database list: wrong-version databases in the inactive text colour.
class TDatabaseItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TForm1 : public QDialog {
    Q_OBJECT
public:
    // The built-in welcome text, used when no language folder has a welcome.txt.
    static constexpr const char* kBuiltInWelcome =
        "Welcome in Vev Karvelo!%%%%Please choose your prefered language for Interface and the "
        "Database you wish to use.";

    explicit TForm1(TDatabaseList& list, QWidget* parent = nullptr);
    ~TForm1() override;

    // 1: first run (language and database); 0: choice of the editable database.
    uint8_t mode = 0;

    // Reads the first line of each language folder's welcome.txt (built-in text when none).
    void load_welcome();
    // Shows welcome text n in Label3, "%%" as line breaks; nothing with an empty list.
    void show_welcome(int n);
    // Fills the page of the mode; runs when the dialog is shown.
    void FormShow();
    // True when the current choice allows closing.
    bool FormCloseQuery() const;
    // Writes the choice to the global names and the database entries.
    void apply_choice();

    void Button1Click();
    void ListBox2Click();
    void Timer1Timer();

    const std::vector<std::string>& welcome_list() const { return welcome_list_; }

    QFrame* Panel3;
    QLabel* Image1;
    QLabel* Label3;
    QFrame* Panel1;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label2;
    QListWidget* ListBox2;
    QLabel* Label4;
    QFrame* Panel2;
    QListWidget* ListBox3;
    QPushButton* Button1;
    QTimer* Timer1;

public slots:
    // Closes only with a valid choice; otherwise beeps and stays open (every way of closing
    // ends here: button, Escape, window close).
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TDatabaseList& database_list_;
    std::vector<std::string> welcome_list_;
};
