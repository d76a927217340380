#pragma once
// The update dialog: asks the update server of the selected database which files are current,
// downloads those whose local copy differs, verifies them and puts them in place.
//
// Use: TForm_update dialog(parent); exec_modal(dialog); then check.database_updated tells whether a
// file was replaced. The destructor runs FormDestroy: the proxy and period preferences are
// stored and message 14 tells when a restart is needed. While a check runs, its button and the
// options are disabled and the rest of the dialog stays usable; a close asked for meanwhile (the
// close button, Escape, the window's close) ends its transfer and closes the dialog once the run
// has stopped; nothing is replaced after it.

#include "exchange/update_check.h"

#include <QDialog>
#include <QElapsedTimer>

#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTreeView;
class TUpdateTreeModel;

class TForm_update : public QDialog {
    Q_OBJECT
public:
    explicit TForm_update(QWidget* parent = nullptr);
    ~TForm_update() override;

    TUpdateCheck check;
    std::string update_address1;    // first part of the update address
    std::string newer_version_page; // page announcing a newer version

    void FormCreate();
    // The whole check and update.
    void Button3Click();
    void Button1Click();
    void FormDestroy();
    void checkbox5Click();
    void CheckBox6Click();
    // Stores the proxy and protocol controls in the preferences and gives them to the HTTP
    // client. Throws EConvertError, changing nothing, when the proxy port is not a number.
    void validproxy();
    // False, with a message and the field focused, when a proxy field holds a character that
    // pref.ini cannot keep on its line.
    bool proxy_fields_fit();
    // The request to the update server (validproxy first); false when it failed.
    bool check_update();

    QTabWidget* PageControl1;
    QPlainTextEdit* Memo1;
    QLabel* Label4;
    QProgressBar* ProgressBar1;
    QTreeView* UpdateTree;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QGroupBox* RadioGroup1;
    QRadioButton* http10;
    QRadioButton* http11;
    QCheckBox* checkbox5;
    QLineEdit* proxyserver_edit;
    QLineEdit* proxyport_edit;
    QCheckBox* CheckBox6;
    QLineEdit* proxyname_edit;
    QLineEdit* proxypass_edit;
    QCheckBox* CheckBox7;
    QPushButton* Button3;
    QPushButton* Button1;
    QStatusBar* StatusBar1;

public slots:
    void done(int result) override;

private:
    void refresh_tree();
    TUpdateTreeModel* model_;
    bool running_ = false;
    bool close_pending_ = false;
    QElapsedTimer repainted_; // the list's last repaint during a run
    // The proxy server, name and password as pref.ini gave them: their characters are accepted.
    QString proxy_read_[3];
};
