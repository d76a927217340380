#pragma once
// The preferences dialog: display and behaviour settings, nickname, interface language, current
// and editable database, and the look of every category in the map legend. It edits working
// copies and writes them back only on OK.
//
// Use: TForm3 dialog(categories, map icons, toolbar icons, parent); dialog.FormShow();
// exec_modal(dialog); then `reload` (database or language changed) and `recolour` (OK was pressed).

#include "mainwindow/legend_entry.h"

#include <QDialog>
#include <QIcon>
#include <QPixmap>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(std::vector<std::unique_ptr<rCateg>>* categories, const std::vector<QPixmap>* map_icons,
           const std::vector<QPixmap>* toolbar_icons, QWidget* parent = nullptr);

    // Fills the legend, the database list, the language list and every control from the
    // preferences.
    void FormShow();

    void Button1Click(); // OK
    void Button2Click(); // Cancel
    void Button3Click(); // display defaults
    void Button4Click(); // font of the focused category
    void Button5Click(); // colour of the focused category
    void Button6Click(); // the focused category back to the database's look
    void Button7Click(); // every category back to the database's look
    void Button8Click(); // the focused database becomes the editable one
    void TrackBarLod0Change();
    void TrackBarLod1Change();
    void TrackBarLod2Change();
    void Tree_legFocusChanged(QTreeWidgetItem* item);
    void enable_legend_buttons(bool on);
    void reset_legend_entry(ttreeinfo* copy);

    // Set by OK when the current database or the language changed: everything is reloaded.
    bool reload = false;
    // Set by OK: the points are recoloured and filtered again.
    bool recolour = false;

    // The colour and font choosers; tests put answers in their place. True when confirmed.
    std::function<bool(QColor&)> choose_colour;
    std::function<bool(QFont&)> choose_font;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QCheckBox* CheckBox1; // colours by level
    QCheckBox* CheckBox2; // smoothing
    QCheckBox* CheckBox3; // zone outlines
    QCheckBox* CheckBox4; // translucent window
    QCheckBox* CheckBox5; // last view restored
    QCheckBox* CheckBox7; // routes picked with the mouse
    QCheckBox* CheckBox8; // auto-save
    QCheckBox* CheckBox9; // outline of the current zone
    QSlider* GaugeBar1;   // opacity
    QSpinBox* UpDown1;    // hint time in seconds
    QLineEdit* Edit1;     // nickname
    QComboBox* ComboBox1; // languages
    QTreeWidget* dbTree;
    QPushButton* Button8;
    QTreeWidget* Tree_leg;
    QLabel* Panel1; // sample of the focused category
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    QSlider* TrackBarLod0;
    QSlider* TrackBarLod1;
    QSlider* TrackBarLod2;
    QSlider* TrackBarVecteur;
    QSlider* TrackbarHD;
    QPushButton* Button3;
    QPushButton* Button1;
    QPushButton* Button2;

private:
    QWidget* make_general_page();
    QWidget* make_display_page();
    QWidget* make_legend_page();
    // Shows a copy's look on its legend row and, when it is the focused one, on the sample.
    void show_look(QTreeWidgetItem* item);
    ttreeinfo* copy_of(QTreeWidgetItem* item) const;
    void refresh_database_icons();
    // The picture of the editable database, or none.
    QIcon editable_icon(bool editable) const;

    std::vector<std::unique_ptr<rCateg>>* categories_;
    const std::vector<QPixmap>* map_icons_;
    const std::vector<QPixmap>* toolbar_icons_;
    std::vector<std::unique_ptr<ttreeinfo>> copies_;
    ttreeinfo* focused_ = nullptr;
    // The row of the current database: the one radio button checked.
    QTreeWidgetItem* checked_database_ = nullptr;
};
