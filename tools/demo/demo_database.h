#pragma once
// The demo installation's database: read from its readable description (a JSON file kept in
// the repository, demo/Demo/database.json) and written as the files an installation holds.
//
// Description format (JSON, UTF-8; every text must have a Windows-1252 form; colours are
// "#RRGGBB"; positions are [x, y]):
//   "database"     folder name of the database ("Demo").
//   "url"          the url.bin lines: "version" (line 1), "mail", "update" (three parts, lines
//                  3-5), "upload", "page" (newer-version page), "not_editable" (bool, line 8),
//                  "description" (a list of lines joined with "%%", line 9).
//   "header"       the points database header: "value1" (tag 200), "value2" (tag 201; 0 keeps
//                  the additions file from being read), "date" ("YYYY-MM-DD hh:mm").
//   "icons"        "menu" (20 x 13, section 1; icon 0 is the database picture), "map" (11 x 11,
//                  section 7) and "tree" (16 x 16, section 8): lists of {"shape", "colour"};
//                  shapes: square circle ring diamond triangle star flag house cross arrow globe
//                  tree wave skull. A "for" key only documents the icon.
//   "zone_classes" {"id", "name", "icon"} (icon: tree image index).
//   "continents"   {"id", "name", "icon", "zone" (zone the continent menu opens), "menu"}.
//   "zones"        {"id", "name", "image", "continent", "class", "icon", "cell": [column, row],
//                  "tint", "tiles", "no_image"}. A zone covers 65536 world units each way; the
//                  zone in cell [c, r] of its continent has its world origin at (65536 c,
//                  65536 r), so the zones of a continent sit side by side. "tiles" is the base
//                  name of its 16 generator tiles ("<tiles>_<row>_<column>"), "tint" the colour
//                  of its drawn image. Its terrain: "sea" (the sides that lie in the sea,
//                  "north", "south", "east", "west", or "around" for an island), "relief"
//                  (0..1, 0.5 plain hills, more for mountains) and "lakes" (0..1).
//   "categories"   {"id", "name", "type" (1..4), "colour", "icon" (map icon), "tree_icon" (tree
//                  image = this + 4), "default_name", "impose_name", "link_target", "detail"
//                  (1..3), "style" (1 bold, 2 italic, 3 both), "font", "size", "id_link",
//                  "region_pass", "comment_limit" (characters, a multiple of 10), "shown"}.
//   "properties"   {"id" (flag 1..128), "group" (0 or the id it is listed under), "name",
//                  "colour" (optional property colour)}.
//   "generator"    "registry_key", "registry_value", "translation_file", "archive_prefix",
//                  "valid_prefixes", "archives" (section 5); the zone list (section 6) is made
//                  from the zones' "image" and "tiles".
//   "points"       "first_master" (master id of the first point; the others follow in order
//                  unless a point gives "master") and "list" of points: {"name", "zone",
//                  "category", "at" (zone-local), "levels": [min, max], "flags": [ids],
//                  "comment" (a text or a list of lines joined with "|"), "locked", "master"}
//                  with at most one link: "route": {"options", "waypoints": zone-local
//                  positions in the point's zone}, "area": {"kind": "S" | "I" | "M", "corners":
//                  zone-local positions in the point's zone}, "bridge": {"flag", "id",
//                  "target"}, "jump": text starting with "J", or "link": a raw link string.
//                  "generated": a seeded rule that adds points to every zone (demo_terrain.h).
//   "additions"    the demo user's additions file: "pseudonym", "digits", "lines". A line is a
//                  point as above with master id 0, or {"replaces": name, ...} (the database
//                  point of that name with the given fields changed, keeping its master id and
//                  position), or {"deletes": name} (the deletion entry of that point).

#include "demo/icon_strips.h"
#include "support/additions_writer.h"
#include "support/generator_sections.h"
#include "support/points_writer.h"
#include "support/section_records.h"

#include <QColor>
#include <QImage>

#include <string>
#include <vector>

namespace support {

struct DemoZone {
    ZoneSpec record{};
    QColor tint{};
    std::string tiles{};
    std::vector<std::string> sea{};
    double relief = 0.5;
    double lakes = 0.2;
};

struct DemoDatabase {
    std::string name{};
    std::vector<std::string> url_lines{}; // the nine lines of url.bin
    PointsHeader header{};
    std::vector<StripIcon> menu_icons{};
    std::vector<StripIcon> map_icons{};
    std::vector<StripIcon> tree_icons{};
    std::vector<ZoneClassSpec> zone_classes{};
    std::vector<ContinentSpec> continents{};
    std::vector<DemoZone> zones{};
    std::vector<CategorySpec> categories{};
    std::vector<PropertySpec> properties{};
    GeneratorSettingsSpec generator{};
    std::vector<PointSpec> points{};
    std::string pseudonym{};
    std::string digits{};
    std::vector<AdditionSpec> additions{};
};

// Reads and checks a description. Throws std::runtime_error naming the faulty entry.
DemoDatabase load_demo_description(const std::string& path);

// The nine sections of master.loc.
std::string demo_master_file(const DemoDatabase& db);

// The drawn map of a zone: water, coast, lowland in the zone's tint, hills and mountains with
// their shading, rivers and roads, framed, with the zone's name. The same zone always gives the
// same picture, and the zones of a continent join.
QImage draw_zone_image(const DemoZone& zone, int size);

struct DemoWriteOptions {
    // Also replace an existing additions file and existing zone images (the user's additions
    // and maps made by the generator are otherwise kept).
    bool overwrite = false;
};

// Writes <dist>/database/<name>/master.loc and url.bin, <dist>/ajouts/Vev_ajouts_<name>.txt,
// <dist>/maps/<image>.jpg (256 x 256), <dist>/maps/high/<image>.jpg (1024 x 1024) and the zone's
// outline <dist>/maps/<image>.vec, creating the folders. Returns the files written. Throws
// std::runtime_error when a file cannot be written.
std::vector<std::string> write_demo_installation(const DemoDatabase& db, const std::string& dist,
                                                 const DemoWriteOptions& options = {});

} // namespace support
