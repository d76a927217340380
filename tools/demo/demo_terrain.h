#pragma once
// The demo's terrain: one height field per continent, laid over the world plane so that the
// zones of a continent join without seams, shaped inside each zone by its sea sides, relief and
// lakes. It gives the zone images (draw_zone_image), the zones' coastline outlines (.vec files)
// and the land on which generated points stand.

#include <QJsonObject>

#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct DemoDatabase;
struct DemoZone;
struct PointSpec;

// The height at a zone position (0..65535 on both axes, y downwards); water lies below 0.
double demo_elevation(const DemoZone& zone, double x, double y);

// The zone's coastlines and lake shores as a .vec file: polylines of (u16 x, u16 y) pairs, each
// after its u16 point count, on a 0..65535 grid with y growing upwards.
std::string demo_zone_outline(const DemoZone& zone);

// The points of a "generated" rule, drawn from its seed: for every zone of the continents that
// have a level range, "per_zone" points of each listed category, on land, named from the
// category's "names" and the rule's "suffixes", with levels in the continent's range (up to
// "span" wide) and one of the category's "flags" sets. Master ids follow from first_master.
// Throws std::runtime_error naming the faulty entry.
std::vector<PointSpec> demo_generated_points(const DemoDatabase& db, const QJsonObject& rule,
                                             uint32_t first_master);

} // namespace support
