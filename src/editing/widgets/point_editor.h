#pragma once
// The point editor: a modal dialog in which the user creates a point, or modifies or deletes
// one, with its name, category, levels, comment, properties and link (route, area or bridge).
// Nothing in the points tree changes until OK or Delete.
//
// Use: TForm2 dialog(main); dialog.new_point(...) or dialog.modify_point(...); exec_modal(dialog);
// then read changed, rebuild_regions, changed_count and result_node.

#include "database/points_tree.h"
#include "editing/link_author.h"
#include "editing/point_edit.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractListModel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeView;
class TCategoryListModel;
class TCheckTree;
class TCheckTreeModel;
class TForm4;
class TForm_wpoptions;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // FormCreate.
    explicit TForm2(TForm4& main);
    ~TForm2() override;

    // The caller's inputs: new mode at a zone position, or modify mode on a point.
    void new_point(pMap_info* point_zone, TPoint position, TreeNode* other);
    void modify_point(TreeNode* node, TreeNode* other);

    // ---- State ----
    std::string default_name;
    std::vector<QLabel*> shape_list;
    std::string other_new_link;
    std::string other_old_link;
    int32_t master_id = 0;
    TreeNode* edit_node = nullptr;
    TreeNode* other_node = nullptr;
    TreeNode* result_node = nullptr;
    uint8_t edit_mode = 0; // 0 new point, 1 modify
    pMap_info* zone = nullptr;
    int32_t changed_count = 0;
    rCateg* categ = nullptr;
    uint8_t rebuild_regions = 0;
    uint8_t changed = 0;

    // When set, runs in place of the route options dialog's modal showing (tests answer it).
    std::function<void(TForm_wpoptions&)> on_options_dialog;

    // ---- Operations ----
    void init_formcaption();
    void create_colorshapes();
    void FormShow();
    // A category was chosen (null: nothing happens).
    void TreecategFocusChanged(rCateg* category);
    void checked_selected();
    void update_infocount();
    void Edit3Change();
    void ShapeMouseDown(int band);
    void BitBtn1Click();
    // False when the typed character is refused (message 36).
    bool MemoInfoKeyPress(QChar key);
    void acc1Click();
    void TabSheet4Show();
    void TabSheet4Hide();
    void CheckBox1Click();
    void Edit1MouseDown();
    // Puts a name into the name box whole, whatever its length.
    void set_name_box(const std::string& name);
    void preview_hint();
    void Label5MouseLeave();
    TFlagSet get_boolset() const;
    void Button2Click();
    void allnode_modif();
    void Button1Click();
    void Button4Click();

    // ---- Links page ----
    // The route options code as the options dialog leaves it; none when it is closed another
    // way than by its button.
    std::optional<std::string> ask_wpoptions(const std::string& code);
    void Button5Click();
    void Button11Click();
    void Button7Click();
    void Edit2MouseMove();
    void trajet1Click();
    void make_bridge(bool two_way);
    bool check_bridge_target(TreeNode* node);

    // The memo's hard lines, and their "|"-joined form. A comment left as the point had it is
    // the point's own, byte for byte.
    std::vector<std::string> comment_lines() const;
    std::string joined_comment() const;
    // The name box without its leading and trailing blanks; the point's own name, byte for
    // byte, while the box shows it unchanged.
    std::string trimmed_name() const;
    void set_comment(const std::string& joined);

    // ---- Controls ----
    QTabWidget* PageControl1;
    QWidget* TabSheet5; // general
    QWidget* TabSheet4; // advanced editor
    QTreeView* Treecateg;
    QWidget* Panel3;
    QGroupBox* GroupBox5;
    QLineEdit* Edit1;
    QLabel* Image1;
    QWidget* Panel4;
    QLabel* Label5;
    QGroupBox* GroupBox3;
    QLabel* Label6;
    QGroupBox* GroupBox2;
    QSpinBox* UpDown_min; // with its edit box Edit3
    QSpinBox* UpDown_max; // with its edit box Edit4
    QToolButton* BitBtn1;
    QTabWidget* PageControl2;
    QWidget* TabSheet1; // comment
    QWidget* TabSheet3; // player level
    QWidget* TabSheet2; // links
    QWidget* TabSheet6; // all points
    QWidget* Panel1;    // the comment panel
    QPlainTextEdit* MemoInfo;
    QLabel* Label4;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label2;
    QLabel* Label3;
    QSpinBox* UpDown3; // player level, with its edit box Edit7
    QLineEdit* Edit2;  // the link text
    QMenu* PopupMenu2;
    QAction* trajet1;
    QPushButton* Button5;  // route
    QPushButton* Button11; // area
    QPushButton* Button7;  // clear
    QPushButton* Button3;  // two-way bridge
    QPushButton* Button9;  // one-way bridge
    QLabel* Label1;
    QGroupBox* GroupBox4;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QCheckBox* CheckBox2;
    QGroupBox* GroupBox1;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox7;
    QTreeView* treebool;
    QCheckBox* CheckBox3; // the locked flag, never shown
    QPushButton* Button2; // OK
    QPushButton* Button1; // Cancel
    QPushButton* Button4; // Delete
    QGroupBox* GroupBox6;
    QWidget* Panel2;
    QCheckBox* CheckBox1; // word wrap on the advanced page
    QMenu* PopupMenu1;
    QAction* acc1;
    QAction* acc6;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void create_controls();
    // The record of the point as the controls hold it.
    rnew_node point_request(int32_t master) const;
    TPointInput input() const;
    // Refuses a name or comment that the additions file cannot hold (messages 72, 73).
    bool texts_fit();
    void set_colour(QWidget* widget, int32_t tcolor);
    int tab_index(QWidget* page) const;

    TForm4& main_;
    std::unique_ptr<TCategoryListModel> categ_model_;
    std::unique_ptr<TCheckTree> bool_tree_;
    std::unique_ptr<TCheckTreeModel> bool_model_;
    TBridgeIds bridge_ids_;
    bool advanced_ = false; // the comment panel sits on the advanced page
    bool comment_guard_ = false;
    // The modified point's name and comment, and the text the boxes showed for them: what the
    // user left as it was goes back whole, and the characters it held may be typed again.
    std::string point_name_, point_comment_;
    QString point_name_shown_, point_comment_shown_;
    // OK and Delete act once: input queued behind the first finds the dialog done.
    void act_once();
    bool acted_ = false;
};
