// Fuzz targets for every reader of outside bytes and for the map painter, one table entry each.
// fuzz_readers runs the entry named by the link it is started through (fuzz_<name>); built as
// fuzz_seeds, the same table writes each entry's seed corpus, made by the test writers, into
// <folder>/<name>/. Readers of sections get the inflated section bytes and put them into a
// container themselves, so that the fuzzer works on the records rather than on zlib streams (the
// container entry takes whole files).

#include "database/additions_file.h"
#include "database/paths.h"
#include "database/points_reader.h"
#include "database/regions.h"
#include "exchange/update_check.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/node_data.h"
#include "foundation/pqGR32_JPEG.h"
#include "generator/map_generator.h"
#include "mainwindow/cible.h"
#include "mainwindow/links.h"
#include "mainwindow/map_paint.h"
#include "mainwindow/map_view.h"
#include "mainwindow/preferences.h"
#include "platform/registry.h"
#include "support/additions_writer.h"
#include "support/blp_writer.h"
#include "support/generator_sections.h"
#include "support/jpeg_writer.h"
#include "support/points_writer.h"
#include "support/section_records.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QGuiApplication>

#include <squish.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

using namespace support;

namespace {

using Seeds = std::vector<std::string>;

// ---- A small database the readers work against ----

const std::vector<ContinentSpec> kContinents = {{1, 5, 10, "Kalimdor"}, {2, 6, 0, "Eastern"}};
const std::vector<ZoneSpec> kZones = {
    {"Tanaris", "t", 10, 1, 1}, {"Ashenvale", "a", 11, 1, 2}, {"Zero", "z", 0, 2}};
const std::vector<CategorySpec> kCategories = {
    {"Mobs", 1, 3, 1},
    {"Shops", 4, 4, 2, 0xFF, 1},
    {"Roads", 5, 2, 3},
    {.name = "Areas", .id = 6, .type = 4, .link_target = true, .region_pass = 1}};
const std::vector<PropertySpec> kProperties = {
    {1, 0, 0x0000FF, "Elite"}, {2, 1, 0, "Rare"}, {33, 0, 0x00FF00, "Quest"}};

std::vector<PointSpec> world_points() {
    std::vector<PointSpec> points = {
        {"Gadgetzan", 10, 1, 100, 200, 40, 45, flag_set({1, 33}), 0x1001, "Town"},
        {"Road", 10, 5, 300, 300, 0, 0, {}, 0x1002, "", route_link("0000", {{1, 2}, {9, 7}})},
        {"Oasis", 11, 6, 5, 5, 0, 0, {}, 0x1003, "{Road}"},
        {"Bridge", 11, 4, 7, 7, 0, 0, {}, 0x1004, "a|b", bridge_link(true, 5, 6), true},
        {"@hidden", 0, 1, 1, 1}};
    points[2].link = area_link('S', {{0, 0}, {9000, 0}, {0, 9000}});
    points[2].locked = true;
    return points;
}

std::string world_section(int index) {
    switch (index) {
    case 2:
        return property_section(kProperties);
    case 3:
        return map_section({{"Desert", 1, 3}}, kContinents, kZones);
    case 4:
        return category_section(kCategories);
    case 7:
        return bmp_bytes(icon_strip(11, {Qt::red, Qt::blue, Qt::white}, 5));
    default:
        return points_section(world_points(), {1, 7, date_time_value(2024, 3, 1, 12)});
    }
}

constexpr int kSections[] = {2, 3, 4, 7, 9};

// The database's master.loc with section `index` holding `bytes` instead.
std::string world_master(int index = 0, std::string_view bytes = {}) {
    static const auto* stored = [] {
        auto* s = new std::map<int, std::string>;
        for (int i : kSections)
            (*s)[i] = zlib_compress(world_section(i));
        return s;
    }();
    ContainerWriter w;
    for (int i : kSections)
        w.raw_section(i, i == index ? zlib_compress(bytes) : stored->at(i));
    return w.bytes();
}

// The folder of this process's files, removed at its end.
const std::string& scratch() {
    static TempDir dir;
    static const std::string path = dir.path();
    return path;
}

std::string put(const std::string& name, std::string_view bytes) {
    const std::string path = scratch() + name;
    QDir().mkpath(to_path(path.substr(0, path.rfind('/'))));
    write_raw(path, bytes);
    return path;
}

struct World {
    std::string master = put("world/master.loc", world_master());
    TData_common common{master, put("world/catpref.bin", "")};
};

World& world() {
    static World* w = new World;
    return *w;
}

// The zone tree over the map and the database's categories, with the points of `stream`.
void read_into_tree(TPointsTree& tree, TData_map& map, std::string_view stream) {
    build_zone_tree(tree, map, world().common);
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) { add_point(tree, map, r, &world().common.property_colors); };
    read_database(stream, sink);
}

// What the map view makes of the points: routes, regions and the comments' overview lines.
void build_overlays(TData_map& map) {
    std::vector<pMap_info*> zones;
    for (const auto& zone : map.zones)
        zones.push_back(zone.get());
    std::vector<rwpitem> paths;
    build_paths(zones, paths);
    TRegionList regions;
    build_regions(map, regions);
    walk_link_sources(zones, [](TreeNode*, const std::string& c) { comment_link_names(c); });
}

// What the map view computes of each zone: its corners and centre in world and screen units, the
// zone under them, its region grid origin. The results are kept so that none is left out.
void view_zones(const TData_map& map) {
    std::vector<pMap_info*> zones;
    for (const auto& zone : map.zones)
        zones.push_back(zone.get());
    TMapView view{kZoomMax, {}, 640, 480};
    [[maybe_unused]] static volatile int32_t sink;
    for (pMap_info* zone : zones) {
        view.zoom_to_zone(*zone);
        for (TPoint p : {zone_origin(*zone), zone_center(*zone), region_grid_origin(*zone),
                         worldmaptoworld({65535, 65535}, *zone)}) {
            const TPoint local = worldtozone(*zone, p);
            sink = view.worldtoscreen(p).x ^ local.y ^ (zone_at(zones, p) == zone);
        }
    }
}

// ---- The readers ----

void read_container(std::string_view data) {
    const std::string path = put("c/master.loc", data);
    try {
        check_version(path);
    } catch (const EInOutError&) {
    }
    std::string target;
    for (int index = -1; index <= 10; ++index)
        load_section(target, path, index);
    load_section(target, path, 0, true); // the credits page keeps what a damaged stream gave
    decompress_file(path, put("c/out", ""));
}

// url.bin holds the scrambled, compressed text.
void read_scrambled(std::string_view data) {
    static const std::string master = put("s/Base/master.loc", world_master());
    std::string text(data);
    scramble_stream(text, std::string(scramble_key));
    put("s/Base/url.bin", zlib_compress(text));
    TDatabaseList list;
    try {
        scan_databases(scratch() + "s/", list);
    } catch (const std::runtime_error&) { // EInOutError, EConvertError
    }
    fill_database_list(list, 0);
}

// Section `index` of master.loc, read by the data load's readers of sections 2 to 4 and 7.
// catpref.bin is in a folder that does not exist: nothing is carried from one input to the next.
template <int index> void read_section(std::string_view data) {
    const std::string master = put("m/master.loc", world_master(index, data));
    TData_common common(master, scratch() + "none/catpref.bin", true);
    TData_map map(master);
    TPointsTree tree;
    build_zone_tree(tree, map, common);
    view_zones(map);
}

void read_points(std::string_view data) {
    static TData_map* map = new TData_map(world().master);
    TPointsTree tree;
    read_into_tree(tree, *map, data);
    build_overlays(*map);
}

void read_additions(std::string_view data) {
    TRealm_info realm(world().master);
    TData_map& map = *realm.map_data;
    TPointsTree tree;
    static const std::string points = world_section(9);
    read_into_tree(tree, map, points);
    TAdditionsMerger merger(map, realm,
                            {[&](const rnew_node& r) {
                                 return add_point(tree, map, r, &world().common.property_colors);
                             },
                             [&](TreeNode* n) { tree.delete_node(n); }},
                            data.size() % 2 == 0);
    merge_additions_file(put("a.txt", data), merger);
    additions_file_text(tree, "123456", "Fuzz");
    build_overlays(map);
}

void read_prefs(std::string_view data) {
    TPreference pref;
    TOutsideSettings outside;
    std::string error;
    read_preferences(put("pref.ini", data), pref, outside, &error);
    format_preferences(pref, outside);
}

void read_catpref(std::string_view data) {
    world().common.load_catpref(put("catpref.bin", data));
    world().common.save_catpref(put("catpref.out", ""));
}

// ressource.txt and link.txt of a language folder.
void read_language(std::string_view data) {
    const std::string file = put("res/Fuzz/ressource.txt", data);
    res_path = scratch() + "res/";
    language = "Fuzz";
    load_ressource();
    read_link_file(file);
}

void read_vec(std::string_view data) {
    std::string out;
    convert_polyline_file(put("o.vec", data), out);
    outline_of(out);
}

// A point's link string: its command, route, area and the area's cells in a region grid.
void read_link(std::string_view data) {
    static TData_map* map = new TData_map(world().master);
    const pMap_info& zone = *map->zones.front();
    rnew_node r;
    r.link = std::string(data);
    r.has_item_data = true;
    try {
        TNodeData node(r, nullptr);
        rwpitem path;
        decode_path(*node.item, zone, path);
        rwpitem area;
        if (!build_area(node, area))
            return;
        TMapView view{100, {}, 640, 480};
        view.fit_rect({area.min_x, area.min_y}, {area.max_x, area.max_y}, kShowFitZoom);
        std::vector<TPoint> polygon;
        for (const TPoint& p : area.points)
            polygon.push_back(region_grid_pos(region_grid_origin(zone), p));
        std::vector<uint8_t> raster((kRegionCells + 1) * (kRegionCells + 1));
        fill_polygon(raster, kRegionCells + 1, polygon, 1);
    } catch (const EConvertError&) {
    }
}

void read_blp(std::string_view data) {
    QImage bitmap;
    decode_blp_tile(QByteArray(data.data(), static_cast<qsizetype>(data.size())), bitmap);
}

// Sections 5 and 6 both hold the input: the generator's settings and its zone list.
void read_genmap(std::string_view data) {
    const std::string bytes(data);
    MapGenerator generator;
    if (generator.init_genmap(
            put("g/master.loc", ContainerWriter().section(5, bytes).section(6, bytes).bytes())))
        for (const std::string& line : generator.zone_list)
            generator.tile_for(line, 16);
}

// system.reg of the Wine prefix.
void read_registry(std::string_view data) {
    [[maybe_unused]] static const bool prefix =
        qputenv("WINEPREFIX", to_path(scratch() + "wine").toLocal8Bit());
    put("wine/system.reg", data);
    for (const char* value : {"InstallPath", ""})
        native_path_of(read_machine_string("Software\\Example\\Vev", value), wine_prefix());
}

// The update server's reply, in a program folder of its own. An entry whose folder and name pass
// the safety checks must stay inside that folder before any folder is made for it.
void read_update(std::string_view data) {
    app_path = scratch() + "app/";
    QDir(to_path(app_path)).removeRecursively();
    QDir().mkpath(to_path(app_path));
    TUpdateCheck update;
    update.reply = split_lines(std::string(data));
    update.parse_reply();
    for (const auto& e : update.entries)
        if (safe_entry_folder(e->folder) && safe_entry_name(e->name) &&
            !QDir::cleanPath(to_path(local_folder(e->folder) + e->name))
                 .startsWith(to_path(app_path))) {
            std::fprintf(stderr, "update entry outside the program folder\n");
            std::abort();
        }
    update.select_updates();
}

void read_jpeg(std::string_view data) {
    QImage bitmap(1, 1, QImage::Format_ARGB32);
    const std::string file = put("z.jpg", data);
    try {
        LoadJPEG(&bitmap, file);
    } catch (const std::runtime_error&) {
    }
    // As a zone image, within a budget of 1 MB.
    TImageBudget budget{size_t(1) << 20};
    load_zone_image(file.substr(0, file.size() - 4), bitmap, kMaxZoneImageSide, &budget);
}

// The map painted from the input, read in order (missing bytes are zero): buffer size, zoom, view
// offset, switches, the selected point with its zone position and the target's, the current
// zone, then the area, an extra route, overview and comment lines and waypoints (each a count
// modulo 8 and its records), the tips' size; the rest is text lines: the point's name, the
// search bar's text, the tips.
struct Input {
    std::string_view rest;
    template <typename T> T take() {
        T v{};
        const size_t n = std::min(sizeof v, rest.size());
        std::memcpy(&v, rest.data(), n);
        rest.remove_prefix(n);
        return v;
    }
    TPoint point() { return {take<int32_t>(), take<int32_t>()}; }
    size_t count() { return take<uint8_t>() % 8; }
    std::string line() {
        const std::string_view l = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), l.size() + 1));
        return std::string(l);
    }
};

void paint_view(std::string_view data) {
    static auto* map = new TData_map(world().master);
    static auto* tree = [] {
        auto* t = new TPointsTree;
        read_into_tree(*t, *map, world_section(9));
        return t;
    }();
    static std::vector<pMap_info*> zones;
    static std::vector<TreeNode*> points;
    static TOutline border;
    if (zones.empty()) {
        border = read_outline(std::string(KARVELO_SOURCE_DIR) + "/data/border.vec");
        for (const auto& zone : map->zones) {
            zones.push_back(zone.get());
            zone->normal_image = QImage(4, 4, QImage::Format_RGB32);
            zone->normal_image.fill(Qt::darkGreen);
            zone->outline = border;
        }
        for (TreeNode* n = tree->first(); n; n = TPointsTree::next(n))
            if (n->level == kLevelPoint)
                points.push_back(n);
    }
    Input in{data};
    QImage buffer(1 + in.take<uint16_t>() % 640, 1 + in.take<uint16_t>() % 480,
                  QImage::Format_ARGB32_Premultiplied);
    buffer.fill(0xFF7A7A7A);
    TMapScene s;
    s.view = {in.take<int16_t>(), in.point(), buffer.width(), buffer.height()};
    const uint16_t bits = in.take<uint16_t>();
    bool* flags[] = {&s.show_continent,       &s.labels,          &s.dimmed,
                     &s.paths_shown,          &s.overview_shown,  &s.tips_shown,
                     &s.markers_shown,        &s.waypoint_mode,   &s.zone_outlines,
                     &s.current_zone_outline, &s.search_area_mode};
    for (size_t i = 0; i < std::size(flags); ++i)
        *flags[i] = bits >> i & 1;
    static tCible target("missing.bmp", 0);
    target.bitmap = QImage(32, 32, QImage::Format_ARGB32);
    target.bitmap.fill(0x80FFFF00);
    const size_t selected = in.take<uint8_t>();
    target.node = selected < points.size() ? points[selected] : nullptr;
    rItemdata& item = *points[selected % points.size()]->item();
    const auto kept = std::tuple(item.x, item.y, item.name);
    item.x = in.take<uint16_t>();
    item.y = in.take<uint16_t>();
    target.world_position = in.point();
    target.visible = bits >> 11 & 1;
    s.target = &target;
    const size_t current = in.take<uint8_t>();
    s.current_zone = current < zones.size() ? zones[current] : nullptr;
    s.zones = &zones;
    s.border = &border;
    s.load_high_image = [&](pMap_info& z, TImageBudget&) {
        z.high_image = bits >> 12 & 1 ? QImage(8, 8, QImage::Format_RGB32) : QImage();
        return !z.high_image.isNull();
    };
    for (pMap_info* z : zones)
        z->smooth = bits >> 13 & 1;
    rwpitem area;
    area.first_colour = in.take<uint32_t>();
    area.second_colour = in.take<uint32_t>();
    for (size_t n = in.count(); n > 0; --n)
        area.points.push_back(in.point());
    s.current_area = &area;
    std::vector<rwpitem> paths;
    build_paths(zones, paths);
    paths.emplace_back().first_colour = in.take<uint32_t>();
    paths.back().node = points.front();
    for (size_t n = in.count(); n > 0; --n)
        paths.back().points.push_back(in.point());
    update_visibility(detail_levels(s.view.zoom, 200, 400, 600), !(bits >> 14 & 1),
                      world().common.categories, paths);
    s.paths = &paths;
    std::vector<rMapLine> lines[2];
    for (auto& list : lines)
        for (size_t n = in.count(); n > 0; --n) {
            const TPoint a = in.point(), b = in.point();
            list.push_back({a.x, a.y, b.x, b.y, in.take<uint32_t>()});
        }
    s.overview_lines = &lines[0];
    s.comment_lines = &lines[1];
    std::vector<rWaypoint> waypoints;
    for (size_t n = in.count(); n > 0; --n) {
        const TPoint p = in.point();
        const size_t zone = in.take<uint8_t>();
        waypoints.push_back({p.x, p.y, zone < zones.size() ? zones[zone] : nullptr});
    }
    s.waypoints = &waypoints;
    s.tips_width = in.take<uint16_t>();
    s.tips_line_height = in.take<uint8_t>();
    item.name = in.line();
    s.search_bar_text = in.line();
    std::vector<std::string> tips;
    while (!in.rest.empty())
        tips.push_back(in.line());
    s.tips = &tips;
    TMarkerHits hits;
    paint_map(buffer, s, hits);
    std::tie(item.x, item.y, item.name) = kept;
}

// ---- Seeds ----

Seeds container_seeds() {
    return {world_master(), scrambled_list(url_lines()),
            ContainerWriter().section(3, world_section(3)).order({3}).bytes()};
}

Seeds scrambled_seeds() {
    Seeds out;
    for (const auto& lines : {url_lines(), url_lines("True", "Two %%lines")}) {
        out.emplace_back();
        for (const std::string& line : lines)
            out.back() += line + "\r\n";
    }
    return out;
}

template <int index> Seeds section_seeds() {
    Seeds out{world_section(index)};
    if (index == 7)
        out.push_back(bmp_bytes(icon_strip(16, {Qt::green}, 2)));
    return out;
}

Seeds additions_seeds() {
    return {additions_file({{"New", 10, 1, 50, 60, 1, 5, flag_set({2}), 0, "", "one|two"},
                            {"@", 10, 1, 100, 200, 0, 0, {}, 0x1001},
                            {"Gadgetzan", 10, 1, 100, 200, 40, 50, {}, 0x1001},
                            {"Walk", 11, 5, 3, 4, 0, 0, {}, 0, route_link("0000", {{3, 4}})}},
                           "Fuzz")};
}

Seeds prefs_seeds() {
    TPreference pref;
    pref.MPQP = {"a.mpq", "b.mpq"};
    return {format_preferences(pref, TOutsideSettings())};
}

Seeds catpref_seeds() {
    return {catpref_file({{1, 0xFF, 2, true, 3, "Arial", 9}, {4, 0, 0, false, 12, "", 0}})};
}

Seeds files(std::initializer_list<const char*> names) {
    Seeds out;
    for (const char* name : names) {
        out.emplace_back();
        read_file(std::string(KARVELO_SOURCE_DIR) + "/" + name, out.back());
    }
    return out;
}

Seeds language_seeds() {
    return files(
        {"res/Francais/ressource.txt", "res/English/ressource.txt", "res/Francais/link.txt"});
}

Seeds vec_seeds() {
    return files({"data/grid.vec", "data/border.vec"});
}

Seeds link_seeds() {
    return {route_link("1010", {{0, 0}, {30000, -5}, {3, 3}}),
            area_link('I', {{-5, 5}, {20000, 3}, {0, 9}}),
            area_link('M', {{0, 0}, {30000, 0}, {30000, 30000}}),
            bridge_link(false, 0xFFFFFFFF, 0),
            "J",
            "RC"};
}

Seeds blp_seeds() {
    Seeds out;
    for (uint8_t depth : {0, 1, 4, 8}) {
        Blp2Texture t{.width = 6, .height = 3, .alpha_depth = depth};
        t.palette.fill(0x5A);
        t.data = std::string(18 + (18 * depth + 7) / 8, '\x21');
        out.push_back(blp2_file(t));
    }
    const std::vector<uint8_t> pattern = test_pattern(8, 8, true, 1);
    for (int flag : {squish::kDxt1, squish::kDxt3, squish::kDxt5})
        out.push_back(blp2_file(blp2_dxt(pattern, 8, 8, flag, flag == squish::kDxt1 ? 1 : 8)));
    out.push_back(blp2_file(blp2_raw_bgra(2, 2, 8, std::string(16, '\x7F'))));
    return out;
}

Seeds jpeg_seeds() {
    Seeds out;
    const std::string path = put("seed.jpg", "");
    for (auto [components, in, stored] : {std::tuple{1, JCS_GRAYSCALE, JCS_GRAYSCALE},
                                          {3, JCS_RGB, JCS_YCbCr},
                                          {4, JCS_CMYK, JCS_CMYK}}) {
        std::vector<uint8_t> pixels(size_t(12) * 9 * components);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(i * 37);
        write_test_jpeg(path, 12, 9, components, in, stored, pixels, 75);
        out.emplace_back();
        read_file(path, out.back());
    }
    return out;
}

Seeds genmap_seeds() {
    return {generator_settings_section({"Software\\Vev",
                                        "Path",
                                        "list.txt",
                                        "Tiles\\",
                                        {"zonA", "zonB"},
                                        {"Data\\a.mpq", "b.mpq"}}) +
            generator_zone_section({{"Tanaris", {"t1", "", "t3"}}})};
}

// A small one as Wine writes it: escaped key paths and texts, other value types.
Seeds registry_seeds() {
    return {"WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
            "[Software\\\\Example\\\\Vev] 1700000000\n#time=1da0000000000000\n"
            "\"InstallPath\"=\"C:\\\\Jeux\\\\Vev\\\\\"\n"
            "\"Quoted\"=\"dit \\\"oui\\\"\\x00e9\\t\\101.\"\n\"Number\"=dword:00000010\n"
            "\"Expand\"=str(2):\"%ProgramFiles%\\\\Vev\"\n@=\"default\"\n"};
}

Seeds update_seeds() {
    return {"VERS=v1.06\r\nMESS=Bonjour\r\nMESE=Hello\r\n"
            "FILE=news.txt|res\\Francais\\|" +
            md5_hex("news") +
            "|http://h/n|News|0|1|res\r\n"
            "FILE=master.loc|database\\Demo\\|" +
            md5_hex("") +
            "|http://h/m|Data|True|0|bas Demo\r\n"
            "EOF\r\n"};
}

// A view of the world's first zone at zoom 300 with every overlay, the selected point's label
// reaching past the left edge, and one far view.
Seeds paint_seeds() {
    Seeds out;
    for (auto [offset, selected] : {std::pair{0, 0}, {-80, 1}, {-2000000000, 0}}) {
        std::string s;
        const auto put = [&s](auto v) { s.append(reinterpret_cast<const char*>(&v), sizeof v); };
        put(uint16_t(319)), put(uint16_t(239)), put(int16_t(300)), put(offset), put(offset);
        put(uint16_t(0x1FFF)), put(uint8_t(selected)), put(uint16_t(20000)), put(uint16_t(30000));
        put(int32_t(20000)), put(int32_t(30000)), put(uint8_t(0));
        put(0x33FF0000u), put(0xDDFF0000u), put(uint8_t(3));
        for (int32_t v : {0, 0, 60000, 0, 0, 60000})
            put(v);
        put(0xFF00FF00u), put(uint8_t(2)), put(0), put(50000), put(65535), put(50000);
        for (int list = 0; list < 2; ++list) {
            put(uint8_t(1)), put(0), put(0), put(65535), put(65535), put(0xFF0000FFu);
        }
        put(uint8_t(2)), put(100), put(100), put(uint8_t(0)), put(30000), put(100), put(uint8_t(0));
        put(uint16_t(80)), put(uint8_t(15));
        out.push_back(s + "Gadgetzan\nSearch area\nTip one\n\nTip three");
    }
    return out;
}

struct Reader {
    const char* name;
    void (*read)(std::string_view);
    Seeds (*seeds)();
};

const Reader kReaders[] = {
    {"container", read_container, container_seeds},
    {"scrambled", read_scrambled, scrambled_seeds},
    {"properties", read_section<2>, section_seeds<2>},
    {"map", read_section<3>, section_seeds<3>},
    {"categories", read_section<4>, section_seeds<4>},
    {"icons", read_section<7>, section_seeds<7>},
    {"points", read_points, section_seeds<9>},
    {"additions", read_additions, additions_seeds},
    {"prefs", read_prefs, prefs_seeds},
    {"catpref", read_catpref, catpref_seeds},
    {"language", read_language, language_seeds},
    {"vec", read_vec, vec_seeds},
    {"link", read_link, link_seeds},
    {"blp", read_blp, blp_seeds},
    {"jpeg", read_jpeg, jpeg_seeds},
    {"genmap", read_genmap, genmap_seeds},
    {"registry", read_registry, registry_seeds},
    {"update", read_update, update_seeds},
    {"paint", paint_view, paint_seeds},
};

// Qt's font and image code wants an application object; boxes are answered silently.
void start_qt(char* program) {
    static int argc = 1;
    static char* argv[] = {program, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
    set_message_handler([](MessageKind, const std::string&) { return 0; });
}

} // namespace

#ifdef KARVELO_FUZZ_SEEDS

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    start_qt(argv[0]);
    for (const Reader& reader : kReaders) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / reader.name;
        std::filesystem::create_directories(folder);
        int n = 0;
        for (const std::string& seed : reader.seeds())
            if (!seed.empty() && !write_raw(folder / ("seed" + std::to_string(++n)), seed))
                return 1;
    }
    return 0;
}

#else

namespace {
const Reader* chosen = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    const std::string program = std::filesystem::path((*argv)[0]).filename();
    for (const Reader& reader : kReaders)
        if (program == "fuzz_" + std::string(reader.name))
            chosen = &reader;
    if (!chosen) {
        std::fprintf(stderr, "%s: start me as fuzz_<reader>, one of:", program.c_str());
        for (const Reader& reader : kReaders)
            std::fprintf(stderr, " %s", reader.name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    start_qt((*argv)[0]);
    world();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    chosen->read(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

#endif
