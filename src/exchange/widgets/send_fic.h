#pragma once
// The sending dialog: the additions file goes to the collectors of the database by upload, by
// mail, or by hand from its opened folder.
//
// Use: Tmail_fic dialog(parent); set upload_allowed and picture; exec_modal(dialog). Sending
// reports its result in a message box and closes the dialog. While it runs, the choice and
// the send button are disabled; the cancel button, or a close, ends an upload, which then
// reports its failure; a mail is handed over to the mail program first.

#include "platform/http_client.h"

#include <QDialog>
#include <QPixmap>

#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class Tmail_fic : public QDialog {
    Q_OBJECT
public:
    explicit Tmail_fic(QWidget* parent = nullptr);

    // Set by the opener: false when the file is too large for the upload.
    bool upload_allowed = true;
    // The picture of the current database.
    QPixmap picture;
    THttpClient IdHTTP1;

    void FormCreate();
    void FormShow();
    // Sends by the chosen way, reports, and closes.
    void Button1Click();
    void Button2Click();
    void send_by_http(std::string& reply);
    void send_by_mail(std::string& error);

    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QPushButton* Button1;
    QPushButton* Button2;
    QLabel* Image1;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool running_ = false;
};
