// The main window's picking: the markers painted last, the point or route under the mouse, the
// clicks on them, bridges followed, and the application's hint window. The logic lives in
// mainwindow/picking.

#include "database/regions.h"
#include "foundation/text_codec.h"
#include "mainwindow/picking.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/hint_window.h"
#include "mainwindow/widgets/map.h"

#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeView>

namespace {

// The hint stands this far below the mouse cursor's hot spot.
constexpr int kHintBelowCursor = 20;

} // namespace

bool TForm4::register_marker(const rMarkerHit& entry) {
    return ::register_marker(map_view(), {entry.x, entry.y}, entry.node, marker_hits);
}

TreeNode* TForm4::marker_at(int x, int y) {
    return ::marker_at(marker_hits, x, y);
}

bool TForm4::map_click(int X, int Y, int mode) {
    TreeNode* node = marker_at(X, Y);
    hover_node(node, mode);
    if (mode == 1) {
        if (node) {
            select_node(node);
            repaint_map();
            MyTree->viewport()->update();
            edit_point_dialog(node);
        } else {
            add_point_dialog();
        }
    } else if (mode == 2 && node) {
        select_node(node);
        const rItemdata* item = node->item();
        if (item && item->command && item->command->kind == coIsBridge &&
            item->command->colour_b != 0) {
            follow_zone_link(rCommand(*item->command));
        } else {
            repaint_map();
            MyTree->viewport()->update();
        }
    }
    return node != nullptr;
}

bool TForm4::path_at(int X, int Y, int mode) {
    if (!rPreference.WPSU || !but_chemin->isChecked())
        return false;
    const rwpitem* path = ::path_at(path_list, map_view(), {X, Y});
    if (!path)
        return false;
    TreeNode* node = path->node;
    if (mode == 0)
        hover_node(node, 0);
    else
        goto_node(node, 0);
    return true;
}

bool TForm4::near_segment(TPoint a, TPoint b, TPoint p) {
    return ::near_segment(a, b, p);
}

void TForm4::hover_node(TreeNode* node, int mode) {
    if (mode == 0 && node == hovered_node)
        return;
    hovered_node = node;
    try {
        if (!node) {
            current_point = nullptr;
            show_hint_text({});
            return;
        }
        if (mode != 0 || !node->item())
            return;
        rItemReflvl levels;
        item_levels(node->data.get(), levels);
        current_point = node;
        fill_hint_caption(node->data.get(), node, levels);
        show_hint_text(node->item()->name);
    } catch (const std::exception&) {
        // The hint stays as it was.
    }
}

void TForm4::follow_zone_link(const rCommand& command) {
    TreeNode* other = bridge_end(points_tree, command.colour_b);
    if (!other)
        return;
    const rItemdata* item = other->item();
    rRegion* region =
        item->command->value == 1 ? region_at(node_zone(other), {item->x, item->y}) : nullptr;
    if (!region) {
        show_on_map(other, 0, 0, kShowMove);
        return;
    }
    show_on_map(region->node, 0, 0, kShowMove | kShowFitZoom | kShowNoRepaint);
    show_on_map(other, 0, 0, 0);
}

void TForm4::show_hint_text(const std::string& text) {
    ImageMap->setToolTip(to_qstring(text));
    activate_hint(ImageMap);
}

void TForm4::item_levels(TNodeData* data, rItemReflvl& levels) {
    levels = data ? ::item_levels(*data, rPreference.NIVP, rPreference.CLVL) : rItemReflvl{};
}

void TForm4::fill_hint_caption(TNodeData* data, TreeNode* node, const rItemReflvl& levels) {
    if (data)
        ::fill_hint_caption(HCaption, *data, node, levels, common_data.get());
}

// ---- The hint window ----

void TForm4::install_hint_window() {
    hint_window = std::make_unique<TCustomHint>();
    hint_window->icons = &ImageList_c;
    hint_timer.setSingleShot(true);
    connect(&hint_timer, &QTimer::timeout, this, [this] { cancel_hint(); });
    ImageMap->setProperty(kManualHint, true);
}

void TForm4::activate_hint(QWidget* control, std::optional<QPoint> at) {
    const QString text = control ? control->toolTip() : QString();
    if (text.isEmpty() || !hint_window) {
        cancel_hint();
        return;
    }
    hint_control = control;
    const QPoint cursor = at ? *at : QCursor::pos();
    hint_window->ActivateHintData(QRect(cursor + QPoint(0, kHintBelowCursor), QSize()), text);
    hint_timer.start(hint_pause_);
}

void TForm4::cancel_hint() {
    hint_timer.stop();
    hint_control = nullptr;
    if (hint_window)
        hint_window->hide();
}

bool TForm4::hint_event(QObject* watched, QEvent* e) {
    const bool region_rows = RegionTree && watched == RegionTree->viewport();
    const bool result_rows = TreeResult && watched == TreeResult->viewport();
    switch (e->type()) {
    case QEvent::ToolTip: {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->toolTip().isEmpty())
            return false;
        if (!w->property(kManualHint).toBool())
            activate_hint(w, static_cast<QHelpEvent*>(e)->globalPos());
        return true;
    }
    case QEvent::MouseButtonPress: {
        cancel_hint();
        const auto* mouse = static_cast<QMouseEvent*>(e);
        const QPoint at = mouse->position().toPoint();
        if (region_rows && region_model)
            RegionTreeMouseDown(at.x(), at.y());
        if (MyTree && watched == MyTree->viewport() && mouse->button() == Qt::LeftButton)
            MyTreeMouseDown(at.x(), at.y());
        return false;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        cancel_hint();
        return false;
    case QEvent::Leave:
        if (watched == hint_control)
            cancel_hint();
        return false;
    case QEvent::MouseMove:
        if (region_rows && region_model) {
            const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
            RegionTreeMouseMove(at.x(), at.y());
        }
        if (result_rows && result_model) {
            const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
            TreeResultMouseMove(at.x(), at.y());
        }
        return false;
    default:
        return false;
    }
}
