#include "synthetic_database.h"

#include "support/section_records.h"
#include "support/section_writer.h"

#include "database/database_list.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/widgets/map.h"
#include "support/temp_dir.h"

#include <QColor>
#include <QDir>

#include <random>

namespace support {

namespace {

const char* const words[] = {"Forge",    "Auberge",    "Tour",         "Camp",   "Ma\xEEtre",
                             "d'armes",  "Griffon",    "Vendeur",      "Grotte", "Mine",
                             "de",       "fer",        "Cuir",         "Pierre", "Maison",
                             "Marchand", "ancienne",   "du",           "Nord",   "Sud",
                             "Temple",   "Herboriste", "Cimeti\xE8re", "Port",   "Ferme"};

std::string phrase(std::mt19937& random, int min_words, int max_words) {
    std::string out;
    int n =
        min_words + static_cast<int>(random() % static_cast<unsigned>(max_words - min_words + 1));
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            out += ' ';
        out += words[random() % std::size(words)];
    }
    return out;
}

std::vector<TPoint> walk(std::mt19937& random, int steps, int spread) {
    std::vector<TPoint> points{
        {static_cast<int32_t>(random() % 60000), static_cast<int32_t>(random() % 60000)}};
    for (int i = 0; i < steps; ++i) {
        TPoint last = points.back();
        points.push_back({last.x + static_cast<int32_t>(random() % (2 * spread)) - spread,
                          last.y + static_cast<int32_t>(random() % (2 * spread)) - spread});
    }
    return points;
}

// One in five points carries a route, one in ten an area, one in twenty a bridge.
std::string link(std::mt19937& random, int index) {
    switch (index % 20) {
    case 0:
    case 5:
    case 10:
    case 15:
        return support::route_link("1051", walk(random, 3 + static_cast<int>(random() % 12), 2000));
    case 3:
    case 13:
        return support::area_link('S', walk(random, 4 + static_cast<int>(random() % 8), 3000));
    case 7:
        return support::bridge_link(false, random(), random() % 2 ? random() : 0);
    default:
        return {};
    }
}

} // namespace

std::vector<PointSpec> synthetic_points(const SyntheticShape& shape) {
    std::mt19937 random(shape.seed);
    std::vector<PointSpec> points;
    points.reserve(static_cast<size_t>(shape.points));
    for (int i = 0; i < shape.points; ++i) {
        PointSpec p;
        p.name = phrase(random, 1, 4);
        p.zone_id = static_cast<uint16_t>(1 + random() % static_cast<unsigned>(shape.zones));
        p.category_id =
            static_cast<uint8_t>(1 + random() % static_cast<unsigned>(shape.categories));
        p.x = static_cast<uint16_t>(random());
        p.y = static_cast<uint16_t>(random());
        p.level_min = static_cast<uint16_t>(random() % 60);
        p.level_max = static_cast<uint16_t>(p.level_min + random() % 10);
        p.flags = flag_set({1 + static_cast<int>(random() % 128)});
        p.master_id = static_cast<uint32_t>(i + 1);
        if (i % 3 != 0)
            p.comment = phrase(random, 3, 12) + "|" + phrase(random, 2, 8);
        p.link = link(random, i);
        p.locked = i % 50 == 0;
        points.push_back(std::move(p));
    }
    return points;
}

std::string synthetic_points_section(const SyntheticShape& shape) {
    PointsHeader h;
    h.value1 = 1;
    h.value2 = 7;
    h.date = date_time_value(2026, 12, 6, 12);
    return points_section(synthetic_points(shape), h);
}

std::string synthetic_master(const SyntheticShape& shape) {
    std::vector<ContinentSpec> continents;
    for (int c = 1; c <= shape.continents; ++c)
        continents.push_back({static_cast<int16_t>(c), 1, static_cast<uint16_t>(c),
                              "Continent " + std::to_string(c), true});
    std::vector<ZoneSpec> zones;
    for (int z = 1; z <= shape.zones; ++z) {
        ZoneSpec spec;
        spec.name = "Zone " + std::to_string(z);
        spec.image_name = "zone" + std::to_string(z);
        spec.zone_id = static_cast<int16_t>(z);
        spec.continent_id = static_cast<int16_t>(1 + z % shape.continents);
        spec.origin_x = 65536 * (z % 8);
        spec.origin_y = -65536 * (z / 8);
        spec.no_image = true;
        zones.push_back(spec);
    }
    std::vector<CategorySpec> categories;
    for (int c = 1; c <= shape.categories; ++c) {
        CategorySpec spec;
        spec.name = "Cat\xE9gorie " + std::to_string(c);
        spec.id = static_cast<uint8_t>(c);
        spec.type = static_cast<uint8_t>(1 + c % 4);
        spec.colour = 0x00102030 * c;
        spec.icon_index = c % 8;
        spec.link_target = c % 5 == 0;
        categories.push_back(spec);
    }
    std::vector<PropertySpec> properties;
    for (int f = 1; f <= 24; ++f)
        properties.push_back({f, f > 12 ? 1 : 0, f % 3 == 0 ? 0x0000FF * f : 0,
                              "Propri\xE9t\xE9 " + std::to_string(f)});
    const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    return ContainerWriter()
        .section(1, bmp_bytes(icon_strip(13, colours, 4)))
        .section(2, property_section(properties))
        .section(3, map_section({{"Plaines", 1, 0}}, continents, zones))
        .section(4, category_section(categories))
        .section(7, bmp_bytes(icon_strip(11, colours, 8)))
        .section(8, bmp_bytes(icon_strip(16, colours, 20)))
        .section(9, synthetic_points_section(shape))
        .bytes();
}

bool write_synthetic_database(const std::string& folder, const std::string& name,
                              const SyntheticShape& shape) {
    const std::string db = folder + "database/" + name + "/";
    QDir().mkpath(to_path(db));
    return write_raw(db + "master.loc", synthetic_master(shape)) &&
           write_scrambled_list(db + "url.bin", url_lines("0", "Synthetic database"));
}

std::unique_ptr<TForm4> synthetic_window() {
    struct Installation {
        TempDir dir;
        Installation() {
            QDir().mkpath(to_path(dir.file("res")));
            write_synthetic_database(dir.path(), "Synth", {});
        }
    };
    static Installation installation;
    auto form = std::make_unique<TForm4>(installation.dir.path());
    form->first_activation = false;
    load_db_list();
    db_name = "Synth";
    form->check_database(0);
    db_path = database_path + db_name + "/";
    return form;
}

} // namespace support
