#include "demo/demo_database.h"

#include "demo/demo_terrain.h"
#include "foundation/text_codec.h"
#include "support/section_writer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <map>
#include <set>
#include <stdexcept>

namespace support {

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw std::runtime_error(where + ": " + what);
}

// Reads the fields of one JSON object; `where` names it in error messages.
class Entry {
public:
    Entry(QJsonObject object, std::string where)
        : object_(std::move(object)), where_(std::move(where)) {}

    const std::string& where() const { return where_; }
    bool has(const char* key) const { return object_.contains(key); }
    QJsonValue value(const char* key) const { return object_.value(key); }

    // A text in its Windows-1252 form.
    std::string text(const char* key, const std::string& fallback = {}) const {
        if (!has(key))
            return fallback;
        const QJsonValue v = value(key);
        if (!v.isString())
            fail(where_, std::string("\"") + key + "\" must be a text");
        return cp1252(v.toString(), key);
    }
    std::string required_text(const char* key) const {
        require(key);
        return text(key);
    }
    // A text, or a list of texts joined with the separator.
    std::string lines(const char* key, const std::string& separator) const {
        if (!has(key))
            return {};
        const QJsonValue v = value(key);
        if (v.isString())
            return cp1252(v.toString(), key);
        if (!v.isArray())
            fail(where_, std::string("\"") + key + "\" must be a text or a list of texts");
        std::string out;
        const QJsonArray parts = v.toArray();
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (!parts[i].isString())
                fail(where_, std::string("\"") + key + "\" must hold texts");
            if (i > 0)
                out += separator;
            out += cp1252(parts[i].toString(), key);
        }
        return out;
    }
    int64_t integer(const char* key, int64_t lo, int64_t hi, int64_t fallback = 0) const {
        if (!has(key))
            return fallback;
        return checked(value(key), key, lo, hi);
    }
    double number(const char* key, double lo, double hi, double fallback) const {
        if (!has(key))
            return fallback;
        const double d = value(key).toDouble(-1e300);
        if (!value(key).isDouble() || d < lo || d > hi)
            fail(where_, std::string("\"") + key + "\" must be a number from " +
                             std::to_string(lo) + " to " + std::to_string(hi));
        return d;
    }
    int64_t required_integer(const char* key, int64_t lo, int64_t hi) const {
        require(key);
        return integer(key, lo, hi);
    }
    bool boolean(const char* key, bool fallback) const {
        if (!has(key))
            return fallback;
        if (!value(key).isBool())
            fail(where_, std::string("\"") + key + "\" must be true or false");
        return value(key).toBool();
    }
    // "#RRGGBB".
    QColor colour(const char* key, QColor fallback = {}) const {
        if (!has(key))
            return fallback;
        const QString name = value(key).toString();
        if (name.size() != 7 || !name.startsWith('#') || !QColor::isValidColorName(name))
            fail(where_, std::string("\"") + key + "\" must be a colour \"#RRGGBB\"");
        return QColor::fromString(name);
    }
    TPoint position(const char* key, int64_t lo, int64_t hi) const {
        require(key);
        return point_of(value(key), key, lo, hi);
    }
    TPoint point_of(const QJsonValue& v, const char* key, int64_t lo, int64_t hi) const {
        const QJsonArray a = v.toArray();
        if (!v.isArray() || a.size() != 2)
            fail(where_, std::string("\"") + key + "\" must be a position [x, y]");
        return {static_cast<int32_t>(checked(a[0], key, lo, hi)),
                static_cast<int32_t>(checked(a[1], key, lo, hi))};
    }
    QJsonArray array(const char* key) const {
        if (!has(key))
            return {};
        if (!value(key).isArray())
            fail(where_, std::string("\"") + key + "\" must be a list");
        return value(key).toArray();
    }
    Entry object(const char* key) const {
        if (has(key) && !value(key).isObject())
            fail(where_, std::string("\"") + key + "\" must be an object");
        return Entry(value(key).toObject(), where_ + "." + key);
    }
    int64_t checked(const QJsonValue& v, const char* key, int64_t lo, int64_t hi) const {
        const double d = v.toDouble(-1e300);
        if (!v.isDouble() || d != static_cast<double>(static_cast<int64_t>(d)) || d < lo || d > hi)
            fail(where_, std::string("\"") + key + "\" must be a whole number from " +
                             std::to_string(lo) + " to " + std::to_string(hi));
        return static_cast<int64_t>(d);
    }
    // The Windows-1252 form of a text; characters without one are refused.
    std::string cp1252(const QString& s, const char* key) const {
        std::string bytes = from_qstring(s);
        if (to_qstring(bytes) != s)
            fail(where_, std::string("\"") + key + "\" holds a character outside Windows-1252");
        return bytes;
    }
    void require(const char* key) const {
        if (!has(key))
            fail(where_, std::string("\"") + key + "\" is missing");
    }

private:
    QJsonObject object_;
    std::string where_;
};

// The entries of a list of objects.
std::vector<Entry> entries(const Entry& parent, const char* key) {
    std::vector<Entry> out;
    const QJsonArray list = parent.array(key);
    for (qsizetype i = 0; i < list.size(); ++i) {
        std::string where = parent.where() + "." + key + "[" + std::to_string(i) + "]";
        if (!list[i].isObject())
            fail(where, "must be an object");
        for (const char* name : {"name", "replaces", "deletes"})
            if (list[i].toObject().contains(name)) {
                where += " (" + list[i].toObject().value(name).toString().toStdString() + ")";
                break;
            }
        out.emplace_back(list[i].toObject(), where);
    }
    return out;
}

void check_length(const Entry& e, const std::string& text, size_t capacity, const char* what) {
    if (text.size() > capacity)
        fail(e.where(),
             std::string(what) + " holds more than " + std::to_string(capacity) + " characters");
}

TColor to_tcolor(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

std::vector<StripIcon> read_icons(const Entry& icons, const char* key) {
    std::vector<StripIcon> out;
    for (const Entry& e : entries(icons, key)) {
        StripIcon icon;
        if (!icon_shape_from_name(e.required_text("shape"), icon.shape))
            fail(e.where(), "unknown shape");
        icon.colour = e.colour("colour", Qt::black);
        out.push_back(icon);
    }
    return out;
}

void read_url(const Entry& root, DemoDatabase& db) {
    const Entry url = root.object("url");
    const QJsonArray update = url.array("update");
    if (update.size() != 3)
        fail(url.where(), "\"update\" must hold the three parts of the update address");
    db.url_lines = {std::to_string(url.integer("version", 0, 0x7FFFFFFF, 1062)), url.text("mail")};
    for (const QJsonValue& part : update)
        db.url_lines.push_back(url.cp1252(part.toString(), "update"));
    db.url_lines.push_back(url.text("upload"));
    db.url_lines.push_back(url.text("page"));
    db.url_lines.push_back(url.boolean("not_editable", false) ? "1" : "0");
    db.url_lines.push_back(url.lines("description", "%%"));
}

void read_header(const Entry& root, DemoDatabase& db) {
    const Entry h = root.object("header");
    if (h.has("value1"))
        db.header.value1 = static_cast<uint32_t>(h.integer("value1", 0, 0xFFFFFFFF));
    if (h.has("value2"))
        db.header.value2 = static_cast<uint32_t>(h.integer("value2", 0, 0xFFFFFFFF));
    if (h.has("date")) {
        const QDateTime when =
            QDateTime::fromString(h.value("date").toString(), "yyyy-MM-dd hh:mm");
        if (!when.isValid())
            fail(h.where(), "\"date\" must read \"YYYY-MM-DD hh:mm\"");
        db.header.date = date_time_value(when.date().year(), when.date().month(), when.date().day(),
                                         when.time().hour(), when.time().minute());
    }
}

void read_map(const Entry& root, DemoDatabase& db) {
    for (const Entry& e : entries(root, "zone_classes")) {
        ZoneClassSpec z{e.required_text("name"),
                        static_cast<uint32_t>(e.required_integer("id", 0, 255)),
                        static_cast<uint32_t>(e.integer("icon", 0, 255))};
        check_length(e, z.name, 43, "the name");
        db.zone_classes.push_back(z);
    }
    for (const Entry& e : entries(root, "continents")) {
        ContinentSpec c;
        c.id = static_cast<int16_t>(e.required_integer("id", -32768, 32767));
        c.name = e.required_text("name");
        check_length(e, c.name, 40, "the name");
        c.tree_icon = static_cast<uint8_t>(e.integer("icon", 0, 255));
        c.whole_zone_id = static_cast<uint16_t>(e.required_integer("zone", 0, 65535));
        c.in_menu = e.boolean("menu", true);
        db.continents.push_back(c);
    }
    std::set<int> zone_ids;
    std::set<std::pair<int, std::pair<int, int>>> cells;
    for (const Entry& e : entries(root, "zones")) {
        DemoZone z;
        z.record.zone_id = static_cast<int16_t>(e.required_integer("id", -32768, 32767));
        z.record.name = e.required_text("name");
        z.record.image_name = e.required_text("image");
        check_length(e, z.record.name, 30, "the name");
        check_length(e, z.record.image_name, 16, "the image name");
        z.record.continent_id =
            static_cast<int16_t>(e.required_integer("continent", -32768, 32767));
        z.record.zone_class = static_cast<uint8_t>(e.integer("class", 0, 255));
        z.record.tree_icon = static_cast<uint8_t>(e.integer("icon", 0, 255));
        const TPoint cell = e.position("cell", -16384, 16383);
        z.record.origin_x = cell.x * 65536;
        z.record.origin_y = -(cell.y * 65536); // stored negated
        z.record.no_image = e.boolean("no_image", false);
        z.tint = e.colour("tint", QColor(0x7d, 0x9a, 0x5c));
        z.tiles = e.text("tiles");
        for (const QJsonValue& side : e.array("sea")) {
            const QString name = side.toString();
            if (!QStringList{"north", "south", "east", "west", "around"}.contains(name))
                fail(e.where(), "\"sea\" holds north, south, east, west or around");
            z.sea.push_back(name.toStdString());
        }
        z.relief = e.number("relief", 0, 1, 0.5);
        z.lakes = e.number("lakes", 0, 1, 0.2);
        if (!zone_ids.insert(z.record.zone_id).second)
            fail(e.where(), "zone id used twice");
        if (!cells.insert({z.record.continent_id, {cell.x, cell.y}}).second)
            fail(e.where(), "two zones of the continent share a cell");
        bool has_continent = false;
        for (const ContinentSpec& c : db.continents)
            has_continent = has_continent || c.id == z.record.continent_id;
        if (!has_continent)
            fail(e.where(), "no such continent");
        db.zones.push_back(z);
    }
    for (const ContinentSpec& c : db.continents)
        if (!zone_ids.count(c.whole_zone_id))
            fail("continents", "the menu zone of " + c.name + " does not exist");
}

void read_categories(const Entry& root, DemoDatabase& db) {
    std::set<int> ids;
    for (const Entry& e : entries(root, "categories")) {
        CategorySpec c;
        c.id = static_cast<uint8_t>(e.required_integer("id", 0, 255));
        c.name = e.required_text("name");
        c.type = static_cast<uint8_t>(e.required_integer("type", 1, 4));
        c.colour = to_tcolor(e.colour("colour", Qt::black));
        c.icon_index = static_cast<int32_t>(e.integer("icon", 0, 255));
        c.tree_icon = static_cast<uint8_t>(e.integer("tree_icon", 0, 251));
        c.default_name = e.text("default_name");
        c.imposes_default_name = e.boolean("impose_name", false);
        c.link_target = e.boolean("link_target", false);
        c.detail_level = static_cast<uint8_t>(e.integer("detail", 1, 3, 1));
        c.style = static_cast<uint8_t>(e.integer("style", 0, 3));
        c.font_name = e.text("font", "Arial");
        c.font_size = static_cast<uint8_t>(e.integer("size", 1, 72, 8));
        c.id_link_prefix = e.text("id_link");
        c.region_pass = static_cast<uint8_t>(e.integer("region_pass", 0, 2));
        const int64_t limit = e.integer("comment_limit", 0, 2550, 250);
        if (limit % 10 != 0)
            fail(e.where(), "\"comment_limit\" must be a multiple of 10");
        c.comment_tens = static_cast<uint8_t>(limit / 10);
        c.shown = e.boolean("shown", true);
        check_length(e, c.name, 20, "the name");
        check_length(e, c.default_name, 20, "the default name");
        check_length(e, c.font_name, 20, "the font name");
        check_length(e, c.id_link_prefix, 80, "the id-link prefix");
        if (!ids.insert(c.id).second)
            fail(e.where(), "category id used twice");
        db.categories.push_back(c);
    }
    std::set<int> flags;
    for (const Entry& e : entries(root, "properties")) {
        PropertySpec p;
        p.flag_id = static_cast<int>(e.required_integer("id", 1, 128));
        p.group = static_cast<int>(e.integer("group", 0, 128));
        p.name = e.text("name");
        if (e.has("colour"))
            p.colour = to_tcolor(e.colour("colour"));
        if (!flags.insert(p.flag_id).second)
            fail(e.where(), "flag id used twice");
        db.properties.push_back(p);
    }
    for (const PropertySpec& p : db.properties)
        if (p.group != 0 && !flags.count(p.group))
            fail("properties", "the group of " + p.name + " is not a property");
}

void read_generator(const Entry& root, DemoDatabase& db) {
    const Entry g = root.object("generator");
    db.generator.registry_key = g.text("registry_key");
    db.generator.registry_value = g.text("registry_value");
    db.generator.translation_file = g.text("translation_file");
    db.generator.archive_prefix = g.text("archive_prefix");
    for (const QJsonValue& v : g.array("valid_prefixes"))
        db.generator.valid_prefixes.push_back(g.cp1252(v.toString(), "valid_prefixes"));
    for (const QJsonValue& v : g.array("archives"))
        db.generator.archive_paths.push_back(g.cp1252(v.toString(), "archives"));
}

const DemoZone& zone_of(const DemoDatabase& db, const Entry& e, int id) {
    for (const DemoZone& z : db.zones)
        if (z.record.zone_id == id)
            return z;
    fail(e.where(), "no zone " + std::to_string(id));
}

const CategorySpec& category_of(const DemoDatabase& db, const Entry& e, int id) {
    for (const CategorySpec& c : db.categories)
        if (c.id == id)
            return c;
    fail(e.where(), "no category " + std::to_string(id));
}

// The fields of a point that a description entry gives, over `p`.
void read_point_fields(const DemoDatabase& db, const Entry& e, PointSpec& p) {
    if (e.has("name"))
        p.name = e.text("name");
    if (e.has("zone"))
        p.zone_id = static_cast<uint16_t>(e.integer("zone", 0, 32767));
    if (e.has("category"))
        p.category_id = static_cast<uint8_t>(e.integer("category", 0, 255));
    const DemoZone& zone = zone_of(db, e, p.zone_id);
    const CategorySpec& category = category_of(db, e, p.category_id);
    if (e.has("at")) {
        const TPoint at = e.position("at", 0, 65535);
        p.x = static_cast<uint16_t>(at.x);
        p.y = static_cast<uint16_t>(at.y);
    }
    if (e.has("levels")) {
        const TPoint levels = e.position("levels", 0, 99);
        if (levels.x > levels.y)
            fail(e.where(), "the level range runs backwards");
        if (category.type == 3 && levels.y != 0)
            fail(e.where(), "its category carries no levels");
        p.level_min = static_cast<uint16_t>(levels.x);
        p.level_max = static_cast<uint16_t>(levels.y);
    }
    if (e.has("flags")) {
        std::vector<int> flags;
        for (const QJsonValue& v : e.array("flags")) {
            const int id = static_cast<int>(e.checked(v, "flags", 1, 128));
            bool named = false;
            for (const PropertySpec& prop : db.properties)
                named = named || (prop.flag_id == id && !prop.name.empty());
            if (!named)
                fail(e.where(), "flag " + std::to_string(id) + " is not a named property");
            flags.push_back(id);
        }
        p.flags = flag_set(flags);
    }
    if (e.has("comment"))
        p.comment = e.lines("comment", "|");
    if (e.has("locked"))
        p.locked = e.boolean("locked", false);
    if (e.has("master"))
        p.master_id = static_cast<uint32_t>(e.integer("master", 0, 0x7FFFFFFF));

    int links = 0;
    try {
        if (e.has("route")) {
            const Entry r = e.object("route");
            std::vector<TPoint> waypoints;
            for (const QJsonValue& v : r.array("waypoints"))
                waypoints.push_back(r.point_of(v, "waypoints", -200000, 200000));
            p.link = route_link(r.text("options", "0051"), waypoints);
            ++links;
        }
        if (e.has("area")) {
            const Entry a = e.object("area");
            const std::string kind = a.text("kind", "S");
            if (kind != "S" && kind != "I" && kind != "M")
                fail(a.where(), "\"kind\" must be S, I or M");
            std::vector<TPoint> corners;
            for (const QJsonValue& v : a.array("corners")) {
                const TPoint local = a.point_of(v, "corners", -200000, 200000);
                corners.push_back({zone.record.origin_x + local.x, local.y - zone.record.origin_y});
            }
            p.link = area_link(kind[0], corners);
            ++links;
        }
    } catch (const std::out_of_range& error) {
        fail(e.where(), error.what());
    }
    if (e.has("bridge")) {
        const Entry b = e.object("bridge");
        p.link = bridge_link(b.boolean("flag", false),
                             static_cast<uint32_t>(b.required_integer("id", 1, 0xFFFFFFFF)),
                             static_cast<uint32_t>(b.integer("target", 0, 0xFFFFFFFF)));
        ++links;
    }
    if (e.has("jump")) {
        p.link = e.text("jump");
        if (p.link.empty() || p.link[0] != 'J')
            fail(e.where(), "a jump starts with J");
        ++links;
    }
    if (e.has("link")) {
        p.link = e.text("link");
        ++links;
    }
    if (links > 1)
        fail(e.where(), "a point carries at most one link");
}

void read_points(const Entry& root, DemoDatabase& db) {
    const Entry points = root.object("points");
    uint32_t next_master = static_cast<uint32_t>(points.integer("first_master", 1, 0x7FFFFFFF, 1));
    std::set<uint32_t> masters;
    for (const Entry& e : entries(points, "list")) {
        PointSpec p;
        e.require("name");
        e.require("zone");
        e.require("category");
        e.require("at");
        read_point_fields(db, e, p);
        if (!e.has("master"))
            p.master_id = next_master;
        next_master = p.master_id + 1;
        if (!masters.insert(p.master_id).second)
            fail(e.where(), "master id used twice");
        db.points.push_back(p);
    }
    if (points.has("generated"))
        for (PointSpec& p :
             demo_generated_points(db, points.value("generated").toObject(), next_master))
            if (masters.insert(p.master_id).second)
                db.points.push_back(std::move(p));
}

const PointSpec& point_named(const DemoDatabase& db, const Entry& e, const std::string& name) {
    for (const PointSpec& p : db.points)
        if (p.name == name)
            return p;
    fail(e.where(), "no database point is named " + name);
}

AdditionSpec addition_of(const PointSpec& p) {
    AdditionSpec a;
    a.name = p.name;
    a.zone_id = p.zone_id;
    a.category_id = p.category_id;
    a.x = p.x;
    a.y = p.y;
    a.level_min = p.level_min;
    a.level_max = p.level_max;
    a.flags = p.flags;
    a.master_id = static_cast<int32_t>(p.master_id);
    a.link = p.link;
    a.comment = p.comment;
    return a;
}

void read_additions(const Entry& root, DemoDatabase& db) {
    const Entry additions = root.object("additions");
    db.pseudonym = additions.text("pseudonym");
    db.digits = additions.text("digits", "123456");
    if (db.digits.size() != 6 || db.digits.find_first_not_of("123456789") != std::string::npos)
        fail(additions.where(), "\"digits\" must be six digits from 1 to 9");
    for (const Entry& e : entries(additions, "lines")) {
        if (e.has("deletes")) {
            const PointSpec& target = point_named(db, e, e.text("deletes"));
            if (target.locked)
                fail(e.where(), "a locked point cannot be deleted");
            AdditionSpec a;
            a.name = "@" + target.name;
            a.zone_id = target.zone_id;
            a.category_id = target.category_id;
            a.x = target.x;
            a.y = target.y;
            a.master_id = static_cast<int32_t>(target.master_id);
            db.additions.push_back(a);
            continue;
        }
        PointSpec p;
        if (e.has("replaces")) {
            p = point_named(db, e, e.text("replaces"));
            if (e.has("at") || e.has("zone") || e.has("master"))
                fail(e.where(), "a replacement keeps the point's place and master id");
        } else {
            e.require("name");
            e.require("zone");
            e.require("category");
            e.require("at");
        }
        read_point_fields(db, e, p);
        if (!e.has("replaces")) {
            p.master_id = 0;
            // A new point on the very spot of another is refused when the file is read.
            for (const PointSpec& other : db.points)
                if (other.zone_id == p.zone_id && other.x == p.x && other.y == p.y)
                    fail(e.where(), "a new point stands on the spot of " + other.name);
        }
        db.additions.push_back(addition_of(p));
    }
}

} // namespace

DemoDatabase load_demo_description(const std::string& path) {
    QFile file(to_path(path));
    if (!file.open(QIODevice::ReadOnly))
        fail(path, "cannot be read");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (doc.isNull())
        fail(path, "not JSON (" + error.errorString().toStdString() + " at byte " +
                       std::to_string(error.offset) + ")");
    if (!doc.isObject())
        fail(path, "the description is not a JSON object");
    const Entry root(doc.object(), "description");

    DemoDatabase db;
    db.name = root.required_text("database");
    if (db.name.empty() || db.name.find_first_of("/\\.:") != std::string::npos)
        fail(root.where(), "\"database\" must be a plain folder name");
    read_url(root, db);
    read_header(root, db);
    const Entry icons = root.object("icons");
    db.menu_icons = read_icons(icons, "menu");
    db.map_icons = read_icons(icons, "map");
    db.tree_icons = read_icons(icons, "tree");
    read_map(root, db);
    read_categories(root, db);
    read_generator(root, db);
    read_points(root, db);
    read_additions(root, db);
    return db;
}

std::string demo_master_file(const DemoDatabase& db) {
    std::vector<ZoneSpec> zones;
    std::vector<GeneratorZoneSpec> generator_zones;
    for (const DemoZone& z : db.zones) {
        zones.push_back(z.record);
        if (z.record.no_image)
            continue;
        GeneratorZoneSpec g;
        g.image_name = z.record.image_name;
        for (size_t i = 0; i < g.tiles.size(); ++i)
            if (!z.tiles.empty())
                g.tiles[i] = z.tiles + "_" + std::to_string(i / 4) + "_" + std::to_string(i % 4);
        generator_zones.push_back(g);
    }
    return ContainerWriter()
        .section(1, bmp_bytes(draw_icon_strip(menu_icon_width, menu_icon_height, db.menu_icons)))
        .section(2, property_section(db.properties))
        .section(3, map_section(db.zone_classes, db.continents, zones))
        .section(4, category_section(db.categories))
        .section(5, generator_settings_section(db.generator))
        .section(6, generator_zone_section(generator_zones))
        .section(7, bmp_bytes(draw_icon_strip(map_icon_size, map_icon_size, db.map_icons)))
        .section(8, bmp_bytes(draw_icon_strip(tree_icon_size, tree_icon_size, db.tree_icons)))
        .section(9, points_section(db.points, db.header))
        .bytes();
}

std::vector<std::string> write_demo_installation(const DemoDatabase& db, const std::string& dist,
                                                 const DemoWriteOptions& options) {
    const std::string root = dist.empty() || dist.back() == '/' ? dist : dist + "/";
    const std::string db_folder = root + "database/" + path_name(db.name) + "/";
    for (const std::string& folder : {db_folder, root + "maps/high/", root + "ajouts/"})
        if (!QDir().mkpath(to_path(folder)))
            fail(folder, "cannot be created");

    std::vector<std::string> written;
    auto write = [&](const std::string& path, const std::string& bytes) {
        if (!write_file_atomic(path, bytes))
            fail(path, "cannot be written");
        written.push_back(path);
    };
    write(db_folder + "master.loc", demo_master_file(db));
    write(db_folder + "url.bin", scrambled_list(db.url_lines));

    const std::string additions = root + "ajouts/" + path_name("Vev_ajouts_" + db.name + ".txt");
    if (options.overwrite || !file_exists(additions))
        write(additions, additions_file(db.additions, db.pseudonym, db.digits));

    for (const DemoZone& z : db.zones) {
        if (z.record.no_image)
            continue;
        const std::string normal = root + "maps/" + path_name(z.record.image_name) + ".jpg";
        const std::string high = root + "maps/high/" + path_name(z.record.image_name) + ".jpg";
        // The outline comes with the database, the images may come from the generator.
        write(root + "maps/" + path_name(z.record.image_name) + ".vec", demo_zone_outline(z));
        if (!options.overwrite && file_exists(normal) && file_exists(high))
            continue;
        const QImage big = draw_zone_image(z, 1024);
        const QImage small = big.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!big.save(to_path(high), "JPG", 80))
            fail(high, "cannot be written");
        written.push_back(high);
        if (!small.save(to_path(normal), "JPG", 100))
            fail(normal, "cannot be written");
        written.push_back(normal);
    }
    return written;
}

} // namespace support
