#pragma once
// The map image generator dialog: the game folder, the archive list, the image options, the
// progress of a run and the description memo. The work itself is MapGenerator's.
//
// Use: TForm_generate dialog(parent); append the opener's lines to dialog.MemoDesc;
// exec_modal(dialog); then dialog.maps_made tells whether a run wrote images.

#include "generator/map_generator.h"

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QRect;
class QSlider;
class TG32_ProgressBar;

class TForm_generate : public QDialog {
    Q_OBJECT
public:
    explicit TForm_generate(QWidget* parent = nullptr);

    void Edit1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button6Click();
    void PathListBoxDrawItem(QPainter& painter, const QRect& rect, int index, bool selected) const;

    // True once a generation run wrote images.
    bool maps_made = false;
    MapGenerator genmap;

    // The file chooser (title, filter as "Name (pattern)", initial file name): the chosen file,
    // empty when the user cancels. Tests replace it.
    std::function<std::string(const std::string& title, const std::string& filter,
                              const std::string& initial)>
        OpenDialog1;

    QPlainTextEdit* MemoDesc;
    QLineEdit* Edit1;
    QGroupBox* GroupBox2;
    QListWidget* PathListBox;
    QPushButton* Button2;
    QPushButton* Button4;
    QPushButton* Button6;
    QGroupBox* GroupBox1;
    QCheckBox* CheckBox1;
    QSlider* GaugeBar1;
    TG32_ProgressBar* G32_ProgressBar1;
    QPushButton* Button1;
    QPushButton* Button3;

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing ends here; a close asked for during a run stops it and waits for
    // its end.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    // Edit1 := the game folder.
    void show_game_folder();
    // One item per archive entry, in list order.
    void fill_path_list();

    bool running_ = false;
    bool stop_requested_ = false;
    bool close_pending_ = false;
    bool closed_ = false;
};
