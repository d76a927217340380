// The main window's commands: the preferences, the keys, the map display toggles, the tool bars'
// status hints, the name hints over the points tree and the rebuild after its check changes.

#include "database/database_list.h"
#include "foundation/Data.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/links.h"
#include "mainwindow/picking.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/hint_window.h"
#include "mainwindow/widgets/legendeliste.h"
#include "mainwindow/widgets/map.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QProxyStyle>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>

namespace {

// Hints appear as soon as the mouse rests on a control.
class InstantHintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The most characters a tree hint shows, "@" included, by tree level (0: no limit).
constexpr size_t kHintLimit[] = {41, 0, 21};

} // namespace

void TForm4::init_commands() {
    if (!dynamic_cast<InstantHintStyle*>(QApplication::style()))
        QApplication::setStyle(new InstantHintStyle(QApplication::style()->name()));

    init_points_tree();
    connect(points_model.get(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(Qt::CheckStateRole))
                    MyTreeChecked();
            });
    MyTree->viewport()->setMouseTracking(true);
    MyTree->viewport()->setProperty(kManualHint, true);

    // Editing shortcuts, in edit mode only: copy and cut act on the current point, paste needs
    // none.
    struct EditingKey {
        const char* name;
        QKeyCombination keys;
        std::function<void()> act;
    };
    const EditingKey editing_keys[] = {
        {"sccouper1", Qt::CTRL | Qt::Key_X, [this] { coupernode1Click(); }},
        {"sccopier1", Qt::CTRL | Qt::Key_C, [this] { copy_point(current_point); }},
        {"sccoller1", Qt::CTRL | Qt::Key_V, [this] { paste_point(); }},
    };
    for (const EditingKey& k : editing_keys) {
        QAction* item = Affichage1->addAction(QString::fromLatin1(k.name));
        item->setObjectName(item->text());
        item->setShortcut(QKeySequence(k.keys));
        addAction(item);
        const bool needs_point = k.keys.key() != Qt::Key_V;
        connect(item, &QAction::triggered, this, [this, act = k.act, needs_point] {
            if (rPreference.EDIB && !busy && (current_point != nullptr) == needs_point)
                act();
        });
    }

    // No command stands behind these two items.
    for (const char* name : {"BMy", "BOther"})
        menu_item(Menu_image, name)->setEnabled(false);
}

// ---- Preferences ----

void TForm4::but_prefClick() {
    if (!busy)
        show_prefs_dialog();
}

void TForm4::show_prefs_dialog() {
    if (!confirm_save_additions(63))
        return;
    const std::string loaded_db = db_name, loaded_language = language;
    // The names the window goes by, with the database of that name as the current one.
    const auto set_names = [](const std::string& db, const std::string& lang) {
        db_name = db;
        language = lang;
        for (const auto& entry : database_list)
            entry->is_current = entry->folder == db_name;
    };
    // A choice that waits for the next start is what the dialog shows.
    const std::string shown_db = next_start_db_name.empty() ? loaded_db : next_start_db_name;
    const std::string shown_language =
        next_start_language.empty() ? loaded_language : next_start_language;
    set_names(shown_db, shown_language);
    bool changed = false;
    {
        TForm3 dialog(common_data ? &common_data->categories : nullptr, &Listiconmap, &ImageList1,
                      this);
        dialog.FormShow();
        if (on_prefs_dialog)
            on_prefs_dialog(dialog);
        else
            exec_modal(dialog);
        changed = dialog.reload;
        recolour_all = dialog.recolour;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (rPreference.AUTO)
        Timer3.start();
    else
        Timer3.stop();
    set_hint_pause(rPreference.TIME);
    setWindowOpacity(rPreference.ALFA ? (rPreference.ALFV & 0xFF) / 255.0 : 1.0);
    // What the dialog leaves chosen: the loaded names, a choice still waiting, or a new one.
    const std::string chosen_db = db_name, chosen_language = language;
    const bool reload = changed && (chosen_db != loaded_db || chosen_language != loaded_language);
    if (changed) {
        next_start_db_name.clear();
        next_start_language.clear();
    }
    if (reload && reload_database(3))
        return;
    set_names(loaded_db, loaded_language);
    if (reload) {
        // The additions stay unsaved with the data they belong to; the choice waits for the
        // next start, and until then the names are those of what is loaded.
        if (chosen_db != loaded_db)
            next_start_db_name = chosen_db;
        if (chosen_language != loaded_language)
            next_start_language = chosen_language;
        show_message(77, false);
        recolour_all = true;
    }
    if (recolour_all) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        refilter_tree();
        update_visibility();
        MyTree->viewport()->update();
        repaint_map();
        QApplication::restoreOverrideCursor();
    }
}

// ---- Tool bars and menus ----

void TForm4::But_LegClick() {
    repaint_map();
}

void TForm4::but_tipsClick() {
    repaint_map();
}

void TForm4::refresh1Click() {
    repaint_map();
}

void TForm4::but_overviewClick() {
    build_links();
    repaint_map();
}

void TForm4::ToolBar1MouseUp() {
    select_node(nullptr);
    repaint_map();
    MyTree->viewport()->update();
}

void TForm4::Image1MouseUp() {
    if (!busy)
        menu_db->popup(QCursor::pos());
}

void TForm4::FormResize() {
    update_list_panel();
}

void TForm4::sort_column_clicked(int column, int& sort_column, Qt::SortOrder& order) {
    if (column != sort_column) {
        sort_column = column;
        rPreference.STSC = column;
        order = Qt::AscendingOrder;
    } else {
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
}

// ---- Keys ----

bool TForm4::FormKeyDown(int key) {
    switch (key) {
    case Qt::Key_Escape:
        select_node(nullptr);
        repaint_map();
        MyTree->viewport()->update();
        return true;
    case Qt::Key_F1:
        but_liste1->toggle();
        but_liste1Click();
        return true;
    case Qt::Key_F3:
        but_liste3->toggle();
        but_liste3Click();
        return true;
    case Qt::Key_F4:
        but_liste4->toggle();
        but_liste4Click();
        return true;
    default:
        return false;
    }
}

bool TForm4::FormKeyPress(char key) {
    switch (key) {
    case '+':
    case '-':
        zoom_by(screentoworld(view_center()), key == '+' ? 1.1 : 0.9);
        return true;
    case 'a':
        markers_shown = !markers_shown;
        update_visibility();
        repaint_map();
        return true;
    case 'f':
        show_on_map(target_marker->node, 0, 0, kShowMove | kShowFitZoom | kShowCentreAny);
        return true;
    case 'h':
        but_tips->toggle();
        but_tipsClick();
        return true;
    case 'i':
        if (rPreference.EDIB) {
            if (TreeNode* node = target_marker->node ? target_marker->node : current_point)
                edit_point_dialog(node);
            else
                add_point_dialog();
        }
        return true;
    case 'l':
        But_Leg->toggle();
        But_LegClick();
        return true;
    case 'm':
        zoom_to_zone(mouse_zone);
        return true;
    case 's':
        but_stitre->toggle();
        But_LegClick();
        return true;
    case 'z':
        ImageMapDblClick();
        return true;
    default:
        return false;
    }
}

bool TForm4::window_key(QObject* watched, QKeyEvent* e) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    // The keys act whichever control of the window has the focus, and go no further.
    const bool handled = FormKeyDown(busy ? 0 : e->key());
    if (handled || e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return handled;
    const QString text = e->text();
    if (text.size() != 1 || text[0].unicode() >= 0x80)
        return false;
    const char key = char(text[0].unicode());
    return busy ? std::string_view("+-afhilmsz").find(key) != std::string_view::npos
                : FormKeyPress(key);
}

// ---- The points tree ----

void TForm4::MyTreeMouseMove(int x, int y) {
    QWidget* viewport = MyTree->viewport();
    const QModelIndex index =
        MyTree->indexAt(QPoint(x, y)).siblingAtColumn(TPointsTreeModel::kTextColumn);
    TreeNode* node = TPointsTreeModel::node_of(index);
    if (!node || node->level == kLevelPoint) {
        show_row_hint(viewport, node);
        return;
    }
    if (node == HCaption.node)
        return;
    HCaption.node = node;
    // The name needs a hint when the row cannot show it whole beside its check box and icon.
    QStyleOptionViewItem option;
    option.initFrom(MyTree->viewport());
    option.decorationSize = MyTree->iconSize();
    const int needed = MyTree->itemDelegate()->sizeHint(option, index).width();
    const std::string name = node_text(node);
    std::string hint;
    if (needed > MyTree->visualRect(index).width()) {
        const size_t limit = node->level >= 0 && node->level < 3 ? kHintLimit[node->level] : 0;
        hint = "@" + name;
        if (limit && hint.size() > limit)
            hint.resize(limit);
    }
    viewport->setToolTip(to_qstring(hint));
    activate_hint(viewport);
}

void TForm4::MyTreeChecked() {
    if (tree_changed)
        return;
    tree_changed = true;
    QMetaObject::invokeMethod(
        this, [this] { MyTreeAfterPaint(); }, Qt::QueuedConnection);
}

void TForm4::MyTreeAfterPaint() {
    if (!tree_changed)
        return;
    tree_changed = false;
    // A load rebuilds all of it when it ends.
    if (busy)
        return;
    build_paths();
    build_links();
    update_path_colors();
    update_visibility();
    repaint_map();
}
