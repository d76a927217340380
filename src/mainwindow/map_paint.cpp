#include "mainwindow/map_paint.h"

#include "database/points_tree.h"
#include "foundation/feedback.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/pqGR32_JPEG.h"
#include "foundation/text_codec.h"
#include "mainwindow/cible.h"
#include "mainwindow/map_raster.h"
#include "platform/ijl.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QColor qcolour(TColor32 c) {
    return QColor::fromRgba(c);
}

TRaster raster_of(const TMapCanvas& c) {
    return {c.bits, c.stride, c.width, c.height};
}

template <typename T> T saturate(int64_t v) {
    return T(std::clamp<int64_t>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}
constexpr auto saturate16 = saturate<int16_t>;
constexpr auto saturate32 = saturate<int32_t>;

// Text with the top-left corner of its cell at (x, y), in the panels' font.
void panel_text(QPainter& p, int x, int y, const std::string& text) {
    const QFontMetrics metrics(p.font());
    p.drawText(x, y + metrics.ascent(), to_qstring(text));
}

// A stroke of one-pixel anti-aliased lines.
void stroke(QPainter& p, const QPainterPath& path, const QPen& pen) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

} // namespace

TMapCanvas::TMapCanvas(QImage& image) : buffer(image) {
    if (buffer.format() != QImage::Format_ARGB32_Premultiplied)
        buffer = buffer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    painter = std::make_unique<QPainter>(&buffer);
    bits = reinterpret_cast<uint32_t*>(buffer.bits());
    stride = int32_t(buffer.bytesPerLine() / 4);
    width = buffer.width();
    height = buffer.height();
}

TMapCanvas::~TMapCanvas() = default;

size_t zone_image_bytes(const std::vector<pMap_info*>& zones) {
    size_t bytes = 0;
    for (const pMap_info* z : zones)
        bytes += size_t(z->normal_image.sizeInBytes()) + size_t(z->high_image.sizeInBytes());
    return bytes;
}

bool load_zone_image(const std::string& path, QImage& bitmap, int side, TImageBudget* budget) {
    bitmap = QImage();
    const bool jpeg = file_exists(path + ".jpg");
    const std::string file = path + (jpeg ? ".jpg" : ".bmp");
    if (!jpeg && !file_exists(file))
        return false;
    if (budget && budget->bytes == 0) {
        budget->ran_short = true;
        return false;
    }
    // The file is taken from the budget as it is read, the pixels once they are kept.
    const size_t file_bytes =
        size_t(std::clamp<qint64>(QFileInfo(to_path(file)).size(), 0, kMaxZoneImageFile));
    const size_t room = budget ? budget->bytes - std::min(budget->bytes, file_bytes)
                               : std::numeric_limits<size_t>::max();
    bool read = true;
    bool past_limit = false;
    std::string failure;
    if (jpeg) {
        QSize size;
        try {
            LoadJPEG(&bitmap, file, {kMaxZoneImageFile, side, side, room / 4}, &size);
        } catch (const EIJLError& e) {
            read = e.status() != IJL_FILE_TOO_LARGE && e.status() != IJL_CANNOT_OPEN_FILE;
            // An image refused within its side found no room; one refused by the decoder
            // itself is far past the side.
            past_limit = e.status() == IJL_FILE_TOO_LARGE ||
                         (e.status() == IJL_IMAGE_TOO_LARGE &&
                          (size.isEmpty() || size.width() > side || size.height() > side));
            if (e.status() != IJL_IMAGE_TOO_LARGE)
                failure = ijlErrorStr(e.status());
        } catch (const std::exception& e) {
            failure = e.what();
        }
    } else {
        bitmap = read_bitmap_file(file, {side, side}, &past_limit);
        read = !past_limit;
        if (bitmap.isNull() && !past_limit)
            failure = "no bitmap that can be read";
    }
    // Opaque pixels, in place for a decoded JPEG.
    if (!bitmap.isNull())
        bitmap.convertTo(QImage::Format_RGB32);
    const size_t pixels = size_t(bitmap.sizeInBytes());
    const bool no_room = !past_limit && failure.empty() && (bitmap.isNull() || pixels > room);
    if (budget) {
        budget->bytes -= read ? std::min(budget->bytes, file_bytes) : 0;
        budget->bytes -= no_room ? 0 : std::min(budget->bytes, pixels);
        budget->ran_short = budget->ran_short || no_room;
    }
    if (past_limit)
        log_outside_limit(path_text(file),
                          bitmap_limit_text({side, side}) + ", " + size_text(kMaxZoneImageFile),
                          false);
    else if (!failure.empty())
        append_error_log(path_text(file) + ": not loaded: " + failure + ".");
    if (!failure.empty() || past_limit || no_room) {
        bitmap = QImage();
        return false;
    }
    return true;
}

TPoint tile_position(int32_t x, int32_t y, int32_t zoom, TPoint tile_origin) {
    return TMapView{zoom, tile_origin}.worldtoscreen({x, y});
}

bool register_marker(const TMapView& view, TPoint p, TreeNode* node, TMarkerHits& hits) {
    if (!view.on_screen(p))
        return false;
    hits.push_back({int16_t(p.x), int16_t(p.y), node});
    return true;
}

void paint_map(QImage& buffer, TMapScene& s, TMarkerHits& hits) {
    if (s.quitting)
        return;
    hits.clear();
    TMapCanvas c(buffer);
    QPainter& p = *c.painter;
    if (!s.show_continent) {
        if (s.splash && !s.splash->isNull()) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(c.width / 2 - s.splash->width() / 2, c.height / 2 - s.splash->height() / 2,
                        *s.splash);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        if (s.tips_shown)
            paint_tips(c, s);
        return;
    }
    paint_tiles(c, s);
    if (s.dimmed)
        p.fillRect(QRect(0, 0, c.width, c.height), qcolour(kDimColour));
    if (s.current_area && s.current_area->points.size() > 1)
        paint_area(c, s);
    const bool target = s.target && s.target->visible;
    if (target)
        paint_target(c, s, hits);
    if (s.paths_shown)
        paint_paths(c, s);
    if (s.overview_shown && s.overview_lines)
        paint_lines(c, s.view, *s.overview_lines);
    if (s.comment_lines)
        paint_lines(c, s.view, *s.comment_lines);
    paint_markers(c, s, hits);
    if (target)
        paint_target_label(c, s);
    paint_waypoints(c, s);
    if (s.current_zone_outline && s.current_zone && s.current_zone->in_view && s.border) {
        const TPoint o = s.view.worldtoscreen(zone_origin(*s.current_zone));
        paint_vec(c, *s.border, float(o.x), float(o.y), s.view.zoom, kCurrentZoneColour);
    }
    if (s.tips_shown)
        paint_tips(c, s);
    if (s.feedback && !s.feedback->empty())
        s.feedback->paint(p, QRect(0, 0, c.width, c.height));
    paint_search_bar(c, s);
}

void paint_tiles(TMapCanvas& c, TMapScene& s) {
    if (!s.zones)
        return;
    QPainter& p = *c.painter;
    const int32_t zoom = s.view.zoom;
    const bool high = zoom > s.mahd;
    const auto tile_origin = [&](const pMap_info& z) {
        return s.view.worldtoscreen(zone_origin(z));
    };
    // The high-detail images no longer shown go first, so that their room is there for the
    // ones on screen, those that found none before included.
    size_t held = 0;
    bool freed = false;
    for (pMap_info* z : *s.zones) {
        const TPoint o = tile_origin(*z);
        z->in_view = s.view.rect_visible(
            {o.x, o.y, saturate32(int64_t(o.x) + zoom), saturate32(int64_t(o.y) + zoom)});
        if (!z->in_view || !high) {
            freed = freed || !z->high_image.isNull();
            z->high_image = QImage();
            if (z->high_deferred)
                z->high_missing = z->high_deferred = false;
        }
        held += size_t(z->high_image.sizeInBytes());
    }
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (pMap_info* z : *s.zones) {
        if (!z->in_view)
            continue;
        const TPoint o = tile_origin(*z);
        if (freed && z->high_deferred)
            z->high_missing = z->high_deferred = false;
        if (high && z->high_image.isNull() && !z->high_missing) {
            TImageBudget room{s.high_image_budget - std::min(s.high_image_budget, held)};
            if (s.load_high_image && s.load_high_image(*z, room)) {
                held += size_t(z->high_image.sizeInBytes());
            } else {
                z->high_missing = true;
                z->high_deferred = room.ran_short;
            }
        }
        const QImage& image = z->high_image.isNull() ? z->normal_image : z->high_image;
        if (!image.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform, z->smooth);
            p.drawImage(QRect(o.x, o.y, zoom, zoom), image);
        }
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (s.zone_outlines && zoom > s.lodv && z->outline)
            paint_vec(c, *z->outline, float(o.x), float(o.y), zoom, kOutlineColour);
        if (s.waypoint_mode && s.border)
            paint_vec(c, *s.border, float(o.x), float(o.y), zoom, kWaypointBorderColour);
        p.setCompositionMode(QPainter::CompositionMode_Source);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void paint_vec(TMapCanvas& c, const TOutline& outline, float x, float y, int32_t zoom,
               TColor32 colour) {
    QPainterPath path;
    const float scale = float(zoom);
    for (const TOutline::Line& line : outline.lines) {
        // Polylines whose box lies outside the buffer are left out.
        if (scale * line.right + x < -1 || scale * line.left + x > float(c.width) + 1 ||
            scale * line.bottom + y < -1 || scale * line.top + y > float(c.height) + 1)
            continue;
        for (uint32_t k = 0; k < line.count; ++k) {
            const auto [a, b] = outline.points[line.first + k];
            const QPointF at(scale * a + x + 0.5f, scale * b + y + 0.5f);
            if (k == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
    }
    if (!path.isEmpty())
        stroke(*c.painter, path, QPen(qcolour(colour), 1.0));
}

void paint_area(TMapCanvas& c, const TMapScene& s) {
    QPolygon polygon;
    for (const TPoint& w : s.current_area->points) {
        const TPoint p = s.view.worldtoscreen(w);
        polygon << QPoint(p.x, p.y);
    }
    QPainter& p = *c.painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(qcolour(s.current_area->second_colour), 1));
    p.drawPolygon(polygon);
    p.setPen(Qt::NoPen);
    p.setBrush(qcolour(s.current_area->first_colour));
    p.drawPolygon(polygon, Qt::WindingFill);
    p.restore();
}

void paint_target(TMapCanvas& c, TMapScene& s, TMarkerHits& hits) {
    tCible& t = *s.target;
    const TPoint at = s.view.worldtoscreen(t.world_position);
    const int64_t left = int64_t(at.x) - t.bitmap.width() / 2;
    const int64_t top = int64_t(at.y) - t.bitmap.height() / 2;
    if (left < c.width && top < c.height && left + t.bitmap.width() > 0 &&
        top + t.bitmap.height() > 0)
        c.painter->drawImage(int(left), int(top), t.bitmap);
    const pMap_info* zone = node_zone(t.node);
    const rItemdata* item = t.node ? t.node->item() : nullptr;
    if (!zone || !item)
        return;
    const TPoint p =
        tile_position(item->x, item->y, s.view.zoom, s.view.worldtoscreen(zone_origin(*zone)));
    t.label_x = saturate16(p.x);
    t.label_y = saturate16(p.y);
    register_marker(s.view, p, t.node, hits);
}

void paint_paths(TMapCanvas& c, TMapScene& s) {
    if (!s.paths)
        return;
    const QRectF screen(-1, -1, c.width + 2, c.height + 2);
    for (rwpitem& path : *s.paths) {
        path.drawn = false;
        if (!path.visible || !path.node || path.node->check != TCheckState::Checked ||
            path.points.size() < 2)
            continue;
        QPainterPath line;
        QPointF previous;
        for (size_t k = 0; k < path.points.size(); ++k) {
            const TPoint p = s.view.worldtoscreen(path.points[k]);
            const QPointF at(p.x + 0.5, p.y + 0.5);
            if (k == 0) {
                line.moveTo(at);
            } else {
                line.lineTo(at);
                if (QRectF(previous, at).normalized().adjusted(-1, -1, 1, 1).intersects(screen))
                    path.drawn = true;
            }
            previous = at;
        }
        QPen pen(qcolour(path.first_colour), 1.0);
        pen.setDashPattern({2.0, 1.0});
        stroke(*c.painter, line, pen);
    }
}

void paint_lines(TMapCanvas& c, const TMapView& view, const std::vector<rMapLine>& lines) {
    const TRaster r = raster_of(c);
    for (const rMapLine& l : lines) {
        const TPoint a = view.worldtoscreen({l.x1, l.y1});
        const TPoint b = view.worldtoscreen({l.x2, l.y2});
        r.draw_line(a.x, a.y, b.x, b.y, l.colour);
    }
}

void paint_markers(TMapCanvas& c, const TMapScene& s, TMarkerHits& hits) {
    if (!s.show_continent || !s.markers_shown || !s.zones)
        return;
    const TRaster r = raster_of(c);
    const int32_t zoom = s.view.zoom;
    for (pMap_info* zone : *s.zones) {
        if (!zone->in_view || !zone->tree_node)
            continue;
        const TPoint origin = s.view.worldtoscreen(zone_origin(*zone));
        for (TreeNode* n = zone->tree_node; n;) {
            if (!n->visible) {
                n = TPointsTree::next(n);
                continue;
            }
            const pMap_info* owner = n->data ? n->data->owner_zone : nullptr;
            if (owner != zone && (!owner || owner->zone_id != zone->zone_id))
                break;
            const rCateg* category = n->data->category;
            if (n->level != kLevelCategory || !category) {
                n = TPointsTree::next(n);
                continue;
            }
            if (!category->visible_on_map) {
                n = TPointsTree::next_after_subtree(n);
                continue;
            }
            const bool label = category->shown && category->label_at_zoom && s.labels;
            const TGlyphFont* font = label ? &glyph_font(category->font) : nullptr;
            const int32_t font_size = category->font.pointSize();
            const TSprite* icon = category->icon.isNull() ? nullptr : &sprite_of(category->icon);
            const uint32_t category_colour = opaque_color32(category->colour);
            // The points are the category's children, in tree order; their data is fetched a
            // few points ahead, as each lies in its own allocation.
            const auto& points = n->children;
            const size_t count = points.size();
            for (size_t i = 0; i < count; ++i) {
                if (i + 6 < count)
                    __builtin_prefetch(points[i + 6].get());
                if (i + 4 < count)
                    __builtin_prefetch(points[i + 4]->data.get());
                if (i + 2 < count && points[i + 2]->data)
                    __builtin_prefetch(points[i + 2]->data->item.get());
                if (i + 1 < count && points[i + 1]->item())
                    __builtin_prefetch(points[i + 1]->item()->name.data());
                TreeNode* point = points[i].get();
                const rItemdata* item = point->item();
                if (!point->visible || point->check != TCheckState::Checked || !item)
                    continue;
                const TPoint p = tile_position(item->x, item->y, zoom, origin);
                if (!register_marker(s.view, p, point, hits))
                    continue;
                const uint32_t colour = opaque_color32(item->colour);
                if (item->colour > 0)
                    r.fill_opaque(p.x - 2, p.y - 2, p.x + 3, p.y + 3, colour);
                if (label)
                    r.fill_opaque(p.x, p.y, p.x + 9, p.y + 1, colour);
                if (icon)
                    r.draw_sprite(*icon, p.x - 5, p.y - 5);
                if (label)
                    r.draw_text(*font, p.x + 10, p.y - font_size + 1, item->name,
                                category->type == 1 ? colour : category_colour);
            }
            n = TPointsTree::next_after_subtree(n);
        }
    }
}

void paint_target_label(TMapCanvas& c, const TMapScene& s) {
    const tCible& t = *s.target;
    const rItemdata* item = t.node ? t.node->item() : nullptr;
    const rCateg* category = t.node && t.node->data ? t.node->data->category : nullptr;
    if (!item || !category)
        return;
    const TRaster r = raster_of(c);
    const TGlyphFont& font = glyph_font(category->font);
    const int32_t x = t.label_x;
    const int32_t y = t.label_y;
    const int32_t w = font.text_width(item->name);
    const int32_t hh = font.height() / 2;
    const QRect box(QPoint(x + 8, y - hh - 1), QPoint(x + w + 11 - 1, y + hh + 1 - 1));
    c.painter->fillRect(box, qcolour(kTargetLabelColour));
    r.fill_opaque(box.left(), box.top(), box.right() + 1, box.top() + 1, kTargetLabelColour);
    r.fill_opaque(box.left(), box.bottom(), box.right() + 1, box.bottom() + 1, kTargetLabelColour);
    r.fill_opaque(box.left(), box.top(), box.left() + 1, box.bottom() + 1, kTargetLabelColour);
    r.fill_opaque(box.right(), box.top(), box.right() + 1, box.bottom() + 1, kTargetLabelColour);
    r.fill_opaque(x, y, x + 9, y + 1, kTargetLabelColour);
    r.fill_opaque(x - 2, y - 2, x + 3, y + 3, opaque_color32(item->colour));
    if (!category->icon.isNull())
        r.draw_sprite(sprite_of(category->icon), x - 5, y - 5);
    r.draw_text(font, x + 10, y - category->font.pointSize() + 1, item->name, 0xFF000000);
}

void paint_waypoints(TMapCanvas& c, const TMapScene& s) {
    if (!s.waypoints || s.waypoints->size() < 2)
        return;
    QPainterPath line;
    for (const rWaypoint& w : *s.waypoints) {
        if (!w.zone)
            continue;
        const TPoint p = s.view.worldtoscreen(worldmaptoworld({w.x, w.y}, *w.zone));
        const QPointF at(p.x + 0.5, p.y + 0.5);
        if (line.elementCount() == 0)
            line.moveTo(at);
        else
            line.lineTo(at);
    }
    stroke(*c.painter, line, QPen(qcolour(kWaypointColour), 1.0));
}

void paint_tips(TMapCanvas& c, const TMapScene& s) {
    if (!s.tips || s.tips->empty())
        return;
    QPainter& p = *c.painter;
    const int count = int(s.tips->size());
    p.fillRect(QRect(QPoint(3, 3),
                     QPoint(s.tips_width + 12 - 1, (count + 1) * s.tips_line_height + 12 - 1)),
               qcolour(kTipsColour));
    p.setFont(feedback_font());
    p.setPen(Qt::white);
    // Only the lines that start inside the buffer.
    for (int i = 0; i < count && 15 * i + 5 < c.height; ++i)
        panel_text(p, 8, 15 * i + 5, (*s.tips)[size_t(i)]);
}

void paint_search_bar(TMapCanvas& c, const TMapScene& s) {
    if (!s.search_area_mode)
        return;
    QPainter& p = *c.painter;
    p.fillRect(QRect(QPoint(0, c.height - 20), QPoint(c.width - 1 - 1, c.height - 1)),
               qcolour(kSearchBarColour));
    p.setFont(feedback_font());
    p.setPen(Qt::white);
    panel_text(p, c.width / 2 - text_width(s.search_bar_text) / 2, c.height - 15,
               s.search_bar_text);
}
