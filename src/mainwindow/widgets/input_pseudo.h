#pragma once
// The nickname dialog: one edit of at most 40 characters and a button that closes the dialog.
//
// Use: TForm6 dialog(parent); dialog.setWindowTitle(<caption text 77>); exec_modal(dialog);
// the nickname is dialog.Edit1->text(), possibly empty. Escape closes it as the button does; a
// text that one line of a file cannot hold keeps it open.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNicknameLength = 40;

    explicit TForm6(QWidget* parent = nullptr);

    void Button1Click();
    // Escape and the window's closing act as the button.
    void reject() override;

    QLineEdit* Edit1;
    QPushButton* Button1;

protected:
    void showEvent(QShowEvent* event) override;
};
