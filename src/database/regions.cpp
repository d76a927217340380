#include "database/regions.h"

#include "database/paths.h"
#include "foundation/func_karvo.h"
#include "foundation/map_data.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRasterSize = kRegionCells + 1;

int32_t round_even(double v) {
    return int32_t(std::nearbyint(v));
}

// Ceiling of n / d for d > 0.
int64_t ceil_div(int64_t n, int64_t d) {
    return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

void collect_regions(const TData_map& map_data, TRegionList& list) {
    for (uint8_t pass = 1; pass <= 2; ++pass) {
        for (const auto& zone : map_data.zones) {
            if (list.size() >= kMaxRegions)
                return;
            if (!zone->tree_node)
                continue;
            for (TreeNode* n = zone->tree_node->first_child(); n && n->level >= kLevelCategory;) {
                const rCateg* category = n->data ? n->data->category : nullptr;
                if (n->level == kLevelCategory && (!category || category->region_pass != pass)) {
                    n = TPointsTree::next_after_subtree(n);
                    continue;
                }
                const rItemdata* item = n->item();
                if (n->level == kLevelPoint && item && item->locked && category &&
                    category->region_pass == pass && list.size() < kMaxRegions) {
                    auto area = std::make_unique<rwpitem>();
                    if (build_area(*n->data, *area)) {
                        auto entry = std::make_unique<rRegion>();
                        entry->node = n;
                        entry->node_data = n->data.get();
                        entry->zone = n->data->owner_zone;
                        entry->area = std::move(area);
                        list.push_back(std::move(entry));
                    }
                }
                n = TPointsTree::next(n);
            }
        }
    }
}

void rasterise(const TData_map& map_data, const TRegionList& list) {
    std::vector<uint8_t> raster(kRasterSize * kRasterSize);
    std::vector<TPoint> polygon;
    for (const auto& zone : map_data.zones) {
        std::fill(raster.begin(), raster.end(), 0);
        const TPoint origin = region_grid_origin(*zone);
        for (size_t i = 0; i < list.size(); ++i) {
            const rRegion& entry = *list[i];
            if (!entry.zone || entry.zone->continent_id != zone->continent_id)
                continue;
            if (zone->region_grid.size() != kRegionCells * kRegionCells)
                zone->region_grid.assign(kRegionCells * kRegionCells, 0);
            if (!entry.area || entry.area->points.size() < 2)
                continue;
            polygon.clear();
            for (const TPoint& p : entry.area->points)
                polygon.push_back(region_grid_pos(origin, p));
            fill_polygon(raster, kRasterSize, polygon, uint8_t(i + 1));
        }
        if (zone->region_grid.size() != kRegionCells * kRegionCells)
            continue;
        // Row 0 and column 0 of the raster are never read.
        for (int y = 1; y <= kRegionCells; ++y)
            std::copy_n(&raster[size_t(y * kRasterSize + 1)], kRegionCells,
                        &zone->region_grid[size_t((y - 1) * kRegionCells)]);
    }
}

} // namespace

TPoint region_grid_origin(const pMap_info& zone) {
    return {-round_even(zone.origin_x / 65535.0 * 48), round_even(zone.origin_y / 65535.0 * 48)};
}

TPoint region_grid_pos(TPoint origin, TPoint world) {
    return {round_even(origin.x + world.x / 65535.0 * 48) + 1,
            round_even(origin.y + world.y / 65535.0 * 48) + 1};
}

void fill_polygon(std::vector<uint8_t>& raster, int size, const std::vector<TPoint>& polygon,
                  uint8_t value) {
    if (polygon.size() < 3)
        return;
    int32_t top = polygon.front().y;
    int32_t bottom = top;
    for (const TPoint& p : polygon) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    // A crossing: the first column at or right of where an edge meets the row, and the edge's
    // direction. A column is inside when the directions of the crossings at or left of it do
    // not sum to 0.
    struct Crossing {
        int64_t column;
        int direction;
    };
    std::vector<Crossing> crossings;
    const int first_row = std::max(top, 0);
    const int last_row = std::min(bottom, size - 1);
    for (int y = first_row; y <= last_row; ++y) {
        crossings.clear();
        for (size_t i = 0; i < polygon.size(); ++i) {
            const TPoint a = polygon[i];
            const TPoint b = polygon[(i + 1) % polygon.size()];
            if (a.y == b.y || y < std::min(a.y, b.y) || y >= std::max(a.y, b.y))
                continue;
            int64_t dy = int64_t(b.y) - a.y;
            int64_t t = (int64_t(y) - a.y) * (int64_t(b.x) - a.x);
            if (dy < 0) {
                dy = -dy;
                t = -t;
            }
            crossings.push_back({a.x + ceil_div(t, dy), b.y > a.y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& l, const Crossing& r) { return l.column < r.column; });
        int winding = 0;
        for (size_t k = 0; k + 1 < crossings.size(); ++k) {
            winding += crossings[k].direction;
            if (winding == 0)
                continue;
            const int64_t from = std::max<int64_t>(crossings[k].column, 0);
            const int64_t to = std::min<int64_t>(crossings[k + 1].column, size);
            for (int64_t x = from; x < to; ++x)
                raster[size_t(y * size + x)] = value;
        }
    }
}

void build_regions(const TData_map& map_data, TRegionList& list) {
    collect_regions(map_data, list);
    // The shift stops at the smallest coordinate: a hostile corner never overflows.
    auto shift = [](int32_t v) {
        return int32_t(std::max<int64_t>(int64_t(v) + kRegionShift, INT32_MIN));
    };
    for (const auto& entry : list)
        if (entry->area->points.size() > 1)
            for (TPoint& p : entry->area->points)
                p = {shift(p.x), shift(p.y)};
    rasterise(map_data, list);
    for (const auto& entry : list)
        entry->area.reset();
}

rRegion* region_at(const TRegionList& list, const pMap_info* zone, TPoint position) {
    if (!zone || zone->region_grid.size() != kRegionCells * kRegionCells || position.x < 0 ||
        position.y < 0)
        return nullptr;
    const int32_t cx = std::min(position.x / kRegionLookupCell, kRegionCells - 1);
    const int32_t cy = std::min(position.y / kRegionLookupCell, kRegionCells - 1);
    const uint8_t v = zone->region_grid[size_t(cy * kRegionCells + cx)];
    // Between a clearing and the next build the grids may still name entries of the old list.
    return v == 0 || v > list.size() ? nullptr : list[v - 1].get();
}

void list_to_tree(std::vector<rRegionNodeData>& rows, const TRegionList& list) {
    for (const auto& entry : list)
        rows.push_back({kRegionNodeKind, entry.get()});
}

int compare_region_rows(const rRegion& a, const rRegion& b, int column) {
    auto name = [](const rRegion& r) -> std::string_view {
        const rItemdata* item = r.node_data ? r.node_data->item.get() : nullptr;
        return item ? std::string_view(item->name) : std::string_view();
    };
    auto category = [](const rRegion& r) {
        return r.node_data && r.node_data->category ? int(r.node_data->category->file_index) : 0;
    };
    auto zone_icon = [](const rRegion& r) { return r.zone ? int(r.zone->tree_icon) : 0; };
    const int n = compare_text(name(a), name(b));
    switch (column) {
    case 1:
        return n + (category(b) - category(a)) * 1000;
    case 2:
        return n + (zone_icon(a) - zone_icon(b)) * 10000 + (category(b) - category(a)) * 1000;
    default:
        return n;
    }
}
