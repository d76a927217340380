#pragma once
// The search dialog: the words to look for, a level range and a tree of criteria groups
// (categories, properties, zone classes, regions, link kinds, own additions, outside regions,
// locked points, comment size). Showing it puts the search object into the controls; "Valider"
// writes the controls back into the object.
//
// Use: create it with the search object and what it offers, set CheckBox7, CheckBox3 and its
// height, exec_modal() it, read those back, destroy it. The reset button changes the object at
// once, whatever closes the dialog afterwards.

#include "database/regions.h"
#include "editing/property_tree.h"
#include "foundation/func_type.h"

#include <QDialog>
#include <QPixmap>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeView;
class TCheckTreeModel;
class TData_common;
class TData_map;

// What the criteria tree lists, owned by the main window.
struct TSearchSources {
    const TData_common* common = nullptr;
    const TData_map* maps = nullptr;
    const TRegionList* regions = nullptr;
    const std::vector<QPixmap>* tree_icons = nullptr;    // categories, zone classes
    const std::vector<QPixmap>* toolbar_icons = nullptr; // the two page tabs
};

class TSearchForm : public QDialog {
    Q_OBJECT
public:
    // The roots of the criteria tree, in their order.
    enum Root {
        rootCategories,
        rootProperties,
        rootZoneClasses,
        rootRegions,
        rootLinkKinds,
        rootOwnAdditions,
        rootOutsideRegions,
        rootLocked,
        rootCommentSize,
        kRootCount
    };
    // Node kinds of the children.
    enum Kind { kindCategory, kindProperty, kindZoneClass, kindRegion, kindLinkKind };

    TSearchForm(TSearchArea& area, TSearchSources sources, QWidget* parent = nullptr);
    ~TSearchForm() override;

    // Builds the tree and shows the search object in it; runs when the dialog is shown.
    void FormShow();
    // The roots, then the regions, categories, properties, link kinds and zone classes under
    // theirs; every node initialised, categories and regions sorted by name.
    void build_searchtree();
    void add_root(Root kind);
    void add_categ_nodes();
    void add_cmdkind_nodes();   // each link-kind record remembers its node
    void add_realmlist_nodes(); // the zone classes
    // Check boxes and first states: roots 0-4 none, properties cycling from indifferent, link
    // kinds radio buttons, the rest plain check boxes, all unchecked.
    void init_all_nodes();
    void load_searcharea();
    // Writes the controls into the search object and closes. A level edit whose number does not
    // fit in 32 bits shows the conversion message instead and leaves the object and the dialog
    // as they are (false).
    bool Button1Click();
    void Button2Click();
    void Reduirelarbre1Click();

    // The pointers of the checked nodes after a root, in tree order, up to the next root.
    std::vector<void*> collect_checked(const TCheckNode* root) const;
    // Checks every node after the root, up to the next root, whose pointer is listed.
    void check_from_list(const TCheckNode* root, const std::function<bool(void*)>& listed);
    // A property must be set or must not be set.
    bool bool_criteria_set() const;

    TCheckNode* root(Root r) const { return roots_[r]; }
    // The link-kind node of a kind.
    TCheckNode* link_kind_node(uint8_t kind) const { return link_kinds_[kind].node; }

    QLineEdit* Edit1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QPushButton* Button1;
    QPushButton* Button2;
    QTabWidget* PageControl1;
    QCheckBox* CheckBox4;
    QLineEdit* Edit3;
    QLineEdit* Edit2;
    QTreeView* SearchingTree;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox3;
    QMenu* PopupMenu1;
    QAction* Reduirelarbre1;

    TCheckTree tree;
    TCheckTreeModel* model;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct rLinkKind {
        uint8_t kind = 0;
        TCheckNode* node = nullptr;
    };

    std::string node_text(const TCheckNode& node) const;
    int node_image(const TCheckNode& node) const;
    // The expanded nodes and the scroll offset of the tree into the view.
    void show_view_state();

    TSearchArea& area_;
    TSearchSources sources_;
    std::array<rLinkKind, 5> link_kinds_{};
    std::array<TCheckNode*, kRootCount> roots_{};
};
