// Fuzz targets for every reader of outside bytes, one table entry each. fuzz_readers runs the
// entry named by the link it is started through (fuzz_<name>); built as fuzz_seeds, the same
// table writes each entry's seed corpus, made by the test writers, into <folder>/<name>/.
// Readers of sections get the inflated section bytes and put them into a container themselves,
// so that the fuzzer works on the records rather than on zlib streams (the container entry
// takes whole files).

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
#include "mainwindow/links.h"
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
    try {
        LoadJPEG(&bitmap, put("z.jpg", data));
    } catch (const std::runtime_error&) {
    }
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
        Blp2Texture t;
        t.width = 6;
        t.height = 3;
        t.alpha_depth = depth;
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
    const std::pair<J_COLOR_SPACE, J_COLOR_SPACE> spaces[] = {
        {JCS_GRAYSCALE, JCS_GRAYSCALE}, {JCS_RGB, JCS_YCbCr}, {JCS_CMYK, JCS_CMYK}};
    for (int components : {1, 3, 4}) {
        const auto [in, stored] = spaces[components / 2];
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
