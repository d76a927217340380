#include "demo/demo_terrain.h"

#include "demo/demo_database.h"
#include "foundation/text_codec.h"
#include "support/points_writer.h"
#include "support/section_writer.h"

#include <QFont>
#include <QJsonArray>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

namespace support {

namespace {

// ---- Noise over the world plane, in zone units ----

double hash01(int64_t x, int64_t y, uint32_t seed) {
    uint64_t h = uint64_t(x) * 0x9E3779B97F4A7C15ull ^ uint64_t(y) * 0xC2B2AE3D27D4EB4Full ^
                 (uint64_t(seed) + 1) * 0x165667B19E3779F9ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return double(h >> 11) / double(1ull << 53);
}

double smooth(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// Value noise in -1..1.
double value_noise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = int64_t(fx);
    const auto iy = int64_t(fy);
    const double tx = smooth(x - fx);
    const double ty = smooth(y - fy);
    const double a = hash01(ix, iy, seed), b = hash01(ix + 1, iy, seed);
    const double c = hash01(ix, iy + 1, seed), d = hash01(ix + 1, iy + 1, seed);
    return 2 * (a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty) - 1;
}

double fbm(double x, double y, uint32_t seed, int octaves, double frequency) {
    double sum = 0, amplitude = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * value_noise(x * frequency, y * frequency, seed + 97 * i);
        norm += amplitude;
        amplitude *= 0.5;
        frequency *= 2.1;
    }
    return sum / norm;
}

double ramp(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// The world position of a zone fraction, in zone units.
std::pair<double, double> world_of(const DemoZone& zone, double u, double v) {
    return {zone.record.origin_x / 65536.0 + u, -zone.record.origin_y / 65536.0 + v};
}

uint32_t seed_of(const DemoZone& zone) {
    return uint32_t(zone.record.continent_id) * 7919u + 13u;
}

// Height at a zone fraction (u, v), both 0..1 with v downwards.
double height_at(const DemoZone& zone, double u, double v) {
    const auto [x, y] = world_of(zone, u, v);
    const uint32_t seed = seed_of(zone);
    double e = 0.3 + 0.45 * fbm(x, y, seed, 4, 2.3);
    // The zone's own shape fades out towards its edges, where the zones meet.
    const double inside = ramp(0.0, 0.18, std::min({u, 1 - u, v, 1 - v}));
    const double mountains = fbm(x, y, seed + 11, 4, 3.1);
    e += inside * (zone.relief - 0.5) * (0.9 * mountains + 0.45);
    e -= inside * zone.lakes * 1.8 * std::max(0.0, fbm(x, y, seed + 23, 3, 3.7) - 0.15);
    for (const std::string& side : zone.sea) {
        if (side == "around") {
            e -= 1.4 * ramp(0.62, 0.98, 2 * std::hypot(u - 0.5, v - 0.5));
            continue;
        }
        const double d = side == "east" ? u : side == "west" ? 1 - u : side == "south" ? v : 1 - v;
        e -= 1.4 * ramp(0.72, 0.98, d);
    }
    return e;
}

// Signed distance field of the rivers: they run where it is near 0.
double river_at(const DemoZone& zone, double u, double v) {
    const auto [x, y] = world_of(zone, u, v);
    return fbm(x, y, seed_of(zone) + 41, 3, 1.6);
}

double moisture_at(const DemoZone& zone, double u, double v) {
    const auto [x, y] = world_of(zone, u, v);
    return fbm(x, y, seed_of(zone) + 59, 4, 4.2);
}

// A field sampled on a coarse grid and read back with bilinear interpolation.
class Field {
public:
    template <typename F> Field(int cells, F f) : n_(cells + 1), values_(size_t(n_) * n_) {
        for (int j = 0; j < n_; ++j)
            for (int i = 0; i < n_; ++i)
                values_[size_t(j) * n_ + i] = f(double(i) / cells, double(j) / cells);
    }
    double at(double u, double v) const {
        const double gx = std::clamp(u, 0.0, 1.0) * (n_ - 1);
        const double gy = std::clamp(v, 0.0, 1.0) * (n_ - 1);
        const int i = std::min(int(gx), n_ - 2);
        const int j = std::min(int(gy), n_ - 2);
        const double tx = gx - i, ty = gy - j;
        const double* r0 = &values_[size_t(j) * n_ + i];
        const double* r1 = r0 + n_;
        return (r0[0] * (1 - tx) + r0[1] * tx) * (1 - ty) + (r1[0] * (1 - tx) + r1[1] * tx) * ty;
    }

private:
    int n_;
    std::vector<double> values_;
};

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(int hex) {
    return {double((hex >> 16) & 0xFF), double((hex >> 8) & 0xFF), double(hex & 0xFF)};
}

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The colour of the ground at a height, before shading.
Rgb ground(double e, double wet, const Rgb& tint, double tinted) {
    constexpr Rgb deep = rgb(0x2f5f8c), shallow = rgb(0x6a9fc4), sand = rgb(0xddcb93);
    constexpr Rgb meadow = rgb(0x9db86b), forest = rgb(0x4f7a3e), hills = rgb(0xa89264),
                  rock = rgb(0x8c847c), snow = rgb(0xf2f0ea);
    if (e < 0)
        return mix(shallow, deep, -e / 0.35);
    if (e < 0.03)
        return sand;
    Rgb land = mix(meadow, forest, ramp(0.0, 0.35, wet));
    land = mix(land, tint, 0.4 * tinted);
    if (e < 0.55)
        return mix(mix(sand, land, ramp(0.03, 0.07, e)), hills, ramp(0.42, 0.55, e));
    if (e < 0.8)
        return mix(hills, rock, ramp(0.6, 0.8, e));
    return mix(rock, snow, ramp(0.85, 0.95, e));
}

// The roads: from the zone's centre to the middle of each side, wavering on the way but meeting
// the next zone's road at the side's middle.
QPainterPath roads(const DemoZone& zone, double size) {
    QPainterPath path;
    const std::array<QPointF, 4> ends{QPointF(1, 0.5), QPointF(0, 0.5), QPointF(0.5, 1),
                                      QPointF(0.5, 0)};
    for (size_t k = 0; k < ends.size(); ++k) {
        const QPointF a(0.5, 0.5), b = ends[k];
        const QPointF normal(-(b - a).y(), (b - a).x());
        path.moveTo(a * size);
        for (int i = 1; i <= 24; ++i) {
            const double t = i / 24.0;
            const auto [x, y] =
                world_of(zone, a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t);
            const double sway = 0.35 * std::sin(M_PI * t) * fbm(x, y, seed_of(zone) + 73, 2, 2.0);
            path.lineTo((a + (b - a) * t + normal * sway) * size);
        }
    }
    return path;
}

} // namespace

double demo_elevation(const DemoZone& zone, double x, double y) {
    return height_at(zone, x / 65535.0, y / 65535.0);
}

QImage draw_zone_image(const DemoZone& zone, int size) {
    const int cells = std::max(8, size / 4);
    const Field height(cells, [&](double u, double v) { return height_at(zone, u, v); });
    const Field river(cells, [&](double u, double v) { return river_at(zone, u, v); });
    const Field wet(cells, [&](double u, double v) { return moisture_at(zone, u, v); });

    QImage image(size, size, QImage::Format_RGB32);
    const Rgb tint{double(zone.tint.red()), double(zone.tint.green()), double(zone.tint.blue())};
    const double step = 1.0 / size;
    const double river_width = 0.012;
    for (int py = 0; py < size; ++py) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(py));
        const double v = (py + 0.5) * step;
        for (int px = 0; px < size; ++px) {
            const double u = (px + 0.5) * step;
            const double e = height.at(u, v);
            // The zone's tint fades out towards its edges, where the zones meet.
            const double tinted = ramp(0.0, 0.25, std::min({u, 1 - u, v, 1 - v}));
            Rgb c = ground(e, wet.at(u, v), tint, tinted);
            if (e > 0.02 && e < 0.6 && std::abs(river.at(u, v)) < river_width * (1.2 - e))
                c = rgb(0x4f86b8);
            // Light from the north-west.
            const double slope = (height.at(u + 4 * step, v + 4 * step) - e) * 25;
            const double light = e < 0 ? 1.0 : std::clamp(1.0 - slope, 0.7, 1.25);
            // Fine grain, so that flat land does not look flat-filled.
            const double grain = 0.96 + 0.08 * hash01(px, py, zone.record.zone_id);
            row[px] = qRgb(std::clamp(int(c.r * light * grain), 0, 255),
                           std::clamp(int(c.g * light * grain), 0, 255),
                           std::clamp(int(c.b * light * grain), 0, 255));
        }
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 1024.0;
    // Roads only on land: drawn on a layer, then kept where the ground is dry.
    QImage layer(size, size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter r(&layer);
        r.setRenderHint(QPainter::Antialiasing);
        const QPainterPath path = roads(zone, size);
        r.setPen(QPen(QColor(0x5a, 0x40, 0x22), 7 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        r.drawPath(path);
        r.setPen(QPen(QColor(0xe8, 0xd2, 0x9a), 3 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        r.drawPath(path);
    }
    for (int py = 0; py < size; ++py) {
        auto* row = reinterpret_cast<QRgb*>(layer.scanLine(py));
        for (int px = 0; px < size; ++px)
            if (height.at((px + 0.5) * step, (py + 0.5) * step) < 0.03)
                row[px] = 0;
    }
    p.drawImage(0, 0, layer);

    // A thin frame and the zone's name in a cartouche at the top.
    p.setPen(QPen(QColor(0x3c, 0x2a, 0x16, 160), 2 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1 * s, 1 * s, size - 2 * s, size - 2 * s));
    QFont font("DejaVu Serif");
    font.setPixelSize(std::max(7, int(40 * s)));
    font.setBold(true);
    p.setFont(font);
    const QString name = to_qstring(zone.record.name);
    const double w = QFontMetricsF(font).horizontalAdvance(name) + 40 * s;
    const QRectF band((size - w) / 2, 22 * s, w, 58 * s);
    p.setPen(QPen(QColor(0x5a, 0x43, 0x2a), 2 * s));
    p.setBrush(QColor(0xf6, 0xee, 0xd8, 210));
    p.drawRoundedRect(band, 10 * s, 10 * s);
    p.setPen(QColor(0x3c, 0x2a, 0x16));
    p.drawText(band, Qt::AlignCenter, name);
    p.end();
    return image;
}

std::string demo_zone_outline(const DemoZone& zone) {
    // Marching squares on a coarse grid: each piece of the 0 contour is one short polyline.
    const int cells = 96;
    const Field height(cells, [&](double u, double v) { return height_at(zone, u, v); });
    std::string out;
    auto put16 = [&out](int v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    auto point = [&](double u, double v) {
        put16(std::clamp(int(std::lround(u * 65535)), 0, 65535));
        put16(std::clamp(int(std::lround((1 - v) * 65535)), 0, 65535));
    };
    auto crossing = [&](double u0, double v0, double e0, double u1, double v1, double e1) {
        const double t = e0 / (e0 - e1);
        return QPointF(u0 + (u1 - u0) * t, v0 + (v1 - v0) * t);
    };
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            const double u0 = double(i) / cells, v0 = double(j) / cells, d = 1.0 / cells;
            const double a = height.at(u0, v0), b = height.at(u0 + d, v0);
            const double c = height.at(u0 + d, v0 + d), e = height.at(u0, v0 + d);
            std::vector<QPointF> cut;
            if ((a < 0) != (b < 0))
                cut.push_back(crossing(u0, v0, a, u0 + d, v0, b));
            if ((b < 0) != (c < 0))
                cut.push_back(crossing(u0 + d, v0, b, u0 + d, v0 + d, c));
            if ((c < 0) != (e < 0))
                cut.push_back(crossing(u0 + d, v0 + d, c, u0, v0 + d, e));
            if ((e < 0) != (a < 0))
                cut.push_back(crossing(u0, v0 + d, e, u0, v0, a));
            for (size_t k = 0; k + 1 < cut.size(); k += 2) {
                put16(2);
                point(cut[k].x(), cut[k].y());
                point(cut[k + 1].x(), cut[k + 1].y());
            }
        }
    }
    return out;
}

namespace {

[[noreturn]] void rule_fault(const std::string& what) {
    throw std::runtime_error("points.generated: " + what);
}

std::vector<std::string> texts_of(const QJsonValue& value, const std::string& where) {
    std::vector<std::string> out;
    for (const QJsonValue& v : value.toArray()) {
        const std::string text = from_qstring(v.toString());
        if (!v.isString() || to_qstring(text) != v.toString())
            rule_fault(where + " must hold texts in Windows-1252");
        out.push_back(text);
    }
    if (out.empty())
        rule_fault(where + " must not be empty");
    return out;
}

} // namespace

std::vector<PointSpec> demo_generated_points(const DemoDatabase& db, const QJsonObject& rule,
                                             uint32_t first_master) {
    QRandomGenerator random(quint32(rule.value("seed").toInt(1)));
    const std::vector<std::string> suffixes = texts_of(rule.value("suffixes"), "\"suffixes\"");
    std::map<int, std::pair<int, int>> levels;
    const QJsonObject ranges = rule.value("continent_levels").toObject();
    for (auto it = ranges.begin(); it != ranges.end(); ++it) {
        const QJsonArray r = it.value().toArray();
        if (r.size() != 2 || r[0].toInt(-1) < 0 || r[1].toInt(-1) < r[0].toInt() ||
            r[1].toInt() > 99)
            rule_fault("\"continent_levels\" holds [min, max] ranges within 0..99");
        levels[it.key().toInt()] = {r[0].toInt(), r[1].toInt()};
    }
    std::vector<PointSpec> out;
    uint32_t master = first_master;
    for (const DemoZone& zone : db.zones) {
        const auto band = levels.find(zone.record.continent_id);
        if (band == levels.end())
            continue;
        for (const QJsonValue& c : rule.value("categories").toArray()) {
            const QJsonObject spec = c.toObject();
            const int id = spec.value("category").toInt(-1);
            const CategorySpec* category = nullptr;
            for (const CategorySpec& k : db.categories)
                category = k.id == id ? &k : category;
            if (!category)
                rule_fault("no category " + std::to_string(id));
            const std::string where = "category " + std::to_string(id);
            const std::vector<std::string> names = texts_of(spec.value("names"), where + " names");
            const QJsonArray flag_sets = spec.value("flags").toArray();
            const int span = spec.value("span").toInt(3);
            for (int n = spec.value("per_zone").toInt(0); n > 0; --n) {
                PointSpec p;
                p.zone_id = uint16_t(zone.record.zone_id);
                p.category_id = category->id;
                p.name = names[random.bounded(quint32(names.size()))] + " " +
                         suffixes[random.bounded(quint32(suffixes.size()))];
                for (int tries = 0; tries < 40; ++tries) {
                    p.x = uint16_t(3000 + random.bounded(59000));
                    p.y = uint16_t(3000 + random.bounded(59000));
                    if (demo_elevation(zone, p.x, p.y) > 0.05)
                        break;
                }
                if (category->type != 3) {
                    const auto [lo, hi] = band->second;
                    p.level_min = uint16_t(lo + random.bounded(hi - lo + 1));
                    p.level_max =
                        uint16_t(std::min(99, p.level_min + int(random.bounded(span + 1))));
                }
                if (!flag_sets.isEmpty()) {
                    std::vector<int> flags;
                    for (const QJsonValue& f :
                         flag_sets[random.bounded(qsizetype(flag_sets.size()))].toArray())
                        flags.push_back(f.toInt());
                    p.flags = flag_set(flags);
                }
                p.master_id = master++;
                out.push_back(p);
            }
        }
    }
    return out;
}

} // namespace support
