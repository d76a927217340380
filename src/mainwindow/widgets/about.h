#pragma once
// The about box: the program's header and readme.txt on the first page, the credits list of
// the current database (creditlist.inf) on the second.
//
// Use: TForm5 box(parent); when opened from the credits command, box.show_credits_page();
// exec_modal(box). Both files are read anew by each new box.

#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // Makes the credits page the one shown first.
    void show_credits_page();

    void Button1Click();

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QPlainTextEdit* Memo1;
    QWidget* TabSheet2;
    QPlainTextEdit* Memo2;
    QFrame* Panel1;
    QPushButton* Button1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void load_readme();
    void load_credits();
};
