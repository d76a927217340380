#include "generator/map_generator.h"

#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/pqGR32_JPEG.h"
#include "foundation/text_codec.h"
#include "platform/ijl.h"
#include "platform/registry.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTime>
#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <optional>

bool genmap_unusable = false;

namespace {

constexpr size_t kBlockLines = 17;
constexpr const char* kGameExecutable = "VeV.exe";

bool starts_with(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The text after the first n characters; empty when it is not longer.
std::string drop(const std::string& text, size_t n) {
    return text.size() > n ? text.substr(n) : std::string();
}

std::string with_slashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A zone name becomes a file name in maps/ and maps/high/: it may hold no separator, no "..",
// no control character and none of the characters that file systems refuse.
bool is_plain_file_name(const std::string& name) {
    return !name.empty() && name.find("..") == std::string::npos &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 ||
                      std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
           });
}

// A UTF-8 text cut in its middle to about max bytes, at character boundaries.
std::string cut_middle(const std::string& text, size_t max) {
    if (text.size() <= max)
        return text;
    auto inside = [&](size_t at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
    size_t head = max / 2 - 4;
    while (head > 0 && inside(head))
        --head;
    size_t tail = text.size() - (max / 2 - 4);
    while (tail < text.size() && inside(tail))
        ++tail;
    return text.substr(0, head) + " [...] " + text.substr(tail);
}

// The tile resampled to size x size pixels by nearest neighbour, every channel as stored: the
// colour of a transparent pixel is kept.
QImage scale_nearest(const QImage& tile, int size) {
    QImage out(size, size, QImage::Format_ARGB32);
    const int64_t w = tile.width(), h = tile.height();
    for (int y = 0; y < size; ++y) {
        const auto* in =
            reinterpret_cast<const QRgb*>(tile.constScanLine(int((2 * y + 1) * h / (2 * size))));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size; ++x)
            line[x] = in[(2 * x + 1) * w / (2 * size)];
    }
    return out;
}

std::string time_stamp() {
    return from_qstring(QTime::currentTime().toString(QStringLiteral("hh:mm:ss"))) + ":       ";
}

} // namespace

std::string copy_after_char(const std::string& text, char c) {
    const size_t at = text.find(c);
    return at == std::string::npos ? text : text.substr(at + 1);
}

bool MapGenerator::init_genmap(const std::string& container) {
    std::string settings;
    std::string zones;
    const bool read = load_section(settings, container, 5) && load_section(zones, container, 6);
    const std::vector<std::string> lines = split_lines(settings);
    if (!read || lines.size() < 4) {
        log_error("erreur d'initialisation du Genmap");
        return false;
    }
    zone_list = split_lines(zones);
    registry_key = drop(lines[0], 7);
    registry_value = drop(lines[1], 7);
    translation_file = drop(lines[2], 7);
    archive_prefix = drop(lines[3], 7);
    size_t paths = 0;
    size_t left_out = 0;
    for (size_t i = 4; i < lines.size(); ++i) {
        const bool prefix = starts_with(lines[i], "[VALI]=");
        if (!prefix && !starts_with(lines[i], "[PATH]="))
            continue;
        if ((prefix ? valid_prefixes.size() : paths) >= kMaxSettingsEntries)
            ++left_out;
        else if (prefix)
            valid_prefixes.push_back(drop(lines[i], 7));
        else {
            add_path(drop(lines[i], 7), 0);
            ++paths;
        }
    }
    if (left_out > 0)
        log_error("Generator settings: " + std::to_string(left_out) +
                  " prefixes or archives beyond the first " + std::to_string(kMaxSettingsEntries) +
                  " of each left out");
    return true;
}

std::string MapGenerator::read_registry_path() const {
    return read_machine_path(registry_key, registry_value);
}

bool holds_game_executable(std::string& folder) {
    const std::string executable = resolve_case(folder + kGameExecutable);
    if (!file_exists(executable))
        return false;
    folder = executable.substr(0, executable.rfind('/') + 1);
    return true;
}

bool MapGenerator::find_game_folder(const std::string& stored, const std::string& not_found_text) {
    game_folder = stored.empty() ? not_found_text : stored;
    if (holds_game_executable(game_folder))
        return true;
    if (QFileInfo(to_path(wine_prefix() + "system.reg")).size() > qint64{kMaxSystemRegSize})
        log_error("system.reg Error: more than " + std::to_string(kMaxSystemRegSize) +
                  " bytes, not read");
    game_folder = read_registry_path();
    if (!game_folder.empty() && holds_game_executable(game_folder))
        return true;
    game_folder = not_found_text;
    return false;
}

void MapGenerator::add_user_paths(const std::vector<std::string>& paths) {
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        add_path(*it, kUserEntry | kAtTop);
}

void MapGenerator::add_path(const std::string& path, int flags) {
    rMpqPath entry;
    entry.user = flags & kUserEntry;
    entry.relative_path = entry.user ? std::string() : path;
    entry.full_path = entry.user ? path : game_folder + with_slashes(path);
    archives.insert(flags & kAtTop ? archives.begin() : archives.end(), entry);
}

void MapGenerator::refresh_paths() {
    for (rMpqPath& entry : archives) {
        entry.full_path = resolve_case(
            entry.user ? entry.full_path : game_folder + with_slashes(entry.relative_path));
        entry.exists = file_exists(entry.full_path);
    }
}

bool MapGenerator::move_up(size_t index) {
    if (index == 0 || index >= archives.size() || !archives[index].user)
        return false;
    std::swap(archives[index - 1], archives[index]);
    return true;
}

void MapGenerator::remove_user_entries() {
    std::erase_if(archives, [](const rMpqPath& entry) { return entry.user; });
}

std::vector<std::string> MapGenerator::user_paths() const {
    std::vector<std::string> paths;
    for (const rMpqPath& entry : archives)
        if (entry.user)
            paths.push_back(entry.full_path);
    return paths;
}

bool MapGenerator::load_translation(const std::function<void()>& process_events) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    std::string error;
    const std::string name = archive_prefix + translation_file;
    const bool read = read_from_archives(archives, name, stream, error, kMaxTranslationFileSize);
    log_error(error);
    if (process_events)
        process_events();
    std::vector<std::string> kept;
    size_t too_long = 0;
    for_each_text_line(
        std::string_view(stream.buffer().constData(), size_t(stream.buffer().size())),
        [&](std::string_view line) {
            if (std::none_of(valid_prefixes.begin(), valid_prefixes.end(),
                             [&](const std::string& p) { return line.starts_with(p); }))
                return;
            if (line.size() > kMaxTranslationLine)
                ++too_long;
            else
                kept.emplace_back(line);
        });
    if (too_long > 0)
        log_error(name + ": lines over " + std::to_string(kMaxTranslationLine) +
                  " characters left out: " + std::to_string(too_long));
    set_translation(std::move(kept));
    return read;
}

void MapGenerator::set_translation(std::vector<std::string> lines) {
    translation_list = std::move(lines);
    const size_t n = translation_list.size();
    sorted_lines_.resize(n);
    for (size_t i = 0; i < n; ++i)
        sorted_lines_[i] = static_cast<uint32_t>(i);
    std::stable_sort(sorted_lines_.begin(), sorted_lines_.end(), [this](uint32_t a, uint32_t b) {
        return translation_list[a] < translation_list[b];
    });
    // Leaves at n + k hold the position of the k-th sorted line; each node the smaller of its two.
    first_line_tree_.assign(2 * n, 0);
    std::copy(sorted_lines_.begin(), sorted_lines_.end(), first_line_tree_.begin() + long(n));
    for (size_t k = n; k-- > 1;)
        first_line_tree_[k] = std::min(first_line_tree_[2 * k], first_line_tree_[2 * k + 1]);
}

std::string MapGenerator::translate_tile(const std::string& tile) const {
    if (tile.empty() || sorted_lines_.size() != translation_list.size())
        return {};
    // The lines that begin with the tile follow one another in sorted order.
    const auto line = [this](uint32_t k) -> const std::string& { return translation_list[k]; };
    const auto lo = std::partition_point(sorted_lines_.begin(), sorted_lines_.end(),
                                         [&](uint32_t k) { return line(k) < tile; });
    const auto hi = std::partition_point(lo, sorted_lines_.end(),
                                         [&](uint32_t k) { return starts_with(line(k), tile); });
    if (lo == hi)
        return {};
    uint32_t first = std::numeric_limits<uint32_t>::max();
    const size_t n = sorted_lines_.size();
    for (size_t a = size_t(lo - sorted_lines_.begin()) + n,
                b = size_t(hi - sorted_lines_.begin()) + n;
         a < b; a /= 2, b /= 2) {
        if (a & 1)
            first = std::min(first, first_line_tree_[a++]);
        if (b & 1)
            first = std::min(first, first_line_tree_[--b]);
    }
    return copy_after_char(translation_list[first], '\t');
}

QImage MapGenerator::tile_for(const std::string& line, int size) {
    if (!starts_with(line, "[zonA]"))
        return {};
    const std::string stored = translate_tile(drop(line, 6));
    if (stored.empty())
        return {};
    QImage tile;
    std::string error;
    std::optional<ArchiveSet> own;
    if (!load_blp_tile(run_archives_ ? *run_archives_ : own.emplace(archives),
                       archive_prefix + stored, tile, error)) {
        log_error(error);
        return {};
    }
    return tile.width() == size && tile.height() == size ? tile : scale_nearest(tile, size);
}

GenerationCount MapGenerator::generate_all(const std::string& maps_folder,
                                           const GenerationOptions& options) {
    GenerationCount count;
    const int t = options.low_definition ? 128 : 256;
    QImage high(4 * t, 4 * t, QImage::Format_ARGB32);
    uchar* pixels = high.bits();
    const size_t stride = static_cast<size_t>(high.bytesPerLine());
    const int max = static_cast<int>(zone_list.size());
    // Reports the lines done and lets events run; false once the run is to stop.
    const auto go_on = [&](size_t done) {
        if (options.progress)
            options.progress(static_cast<int>(done), max);
        count.stopped = options.process_events && !options.process_events();
        return !count.stopped;
    };
    go_on(0);

    // The archives stay open for the whole run.
    struct Holding {
        ArchiveSet*& slot;
        ~Holding() { slot = nullptr; }
    } holding{run_archives_};
    ArchiveSet open(archives);
    run_archives_ = &open;

    // A named block clears the image; the cells that get no tile are cleared once its tiles
    // are drawn, as the others are written over whole.
    std::string zone_name;
    bool clear = true;
    int tiles_drawn = 0;
    for (size_t i = 0; i < zone_list.size() && !count.stopped;) {
        if (zone_list.size() - i < kBlockLines) {
            log_error("Zone list: incomplete last block of " +
                      std::to_string(zone_list.size() - i) + " lines ignored");
            break;
        }
        if (starts_with(zone_list[i], "[name]")) {
            zone_name = drop(zone_list[i], 6);
            clear = true;
            tiles_drawn = 0;
        }
        const size_t block = i;
        i += kBlockLines;
        if (!is_plain_file_name(zone_name)) {
            log_error("Zone name \"" + zone_name + "\" refused: not a plain file name");
            go_on(i);
            continue;
        }
        for (size_t cell = 0; cell < 16; ++cell) {
            const QRect area(static_cast<int>(cell % 4) * t, static_cast<int>(cell / 4) * t, t, t);
            const QImage tile = tile_for(zone_list[block + 1 + cell], t);
            if (!tile.isNull()) {
                ++tiles_drawn;
                for (int row = 0; row < t; ++row)
                    std::memcpy(pixels + size_t(area.y() + row) * stride + size_t(area.x()) * 4,
                                tile.constScanLine(row), size_t(t) * 4);
            } else if (clear) {
                for (int row = 0; row < t; ++row)
                    std::memset(pixels + size_t(area.y() + row) * stride + size_t(area.x()) * 4, 0,
                                size_t(t) * 4);
            }
            if (!go_on(block + 2 + cell))
                return count;
        }
        clear = false;
        if (tiles_drawn == 0) {
            log_error("Zone " + zone_name + ": no tile found, its images were left as they were");
            ++count.without_tile;
            go_on(i);
            continue;
        }

        // The colours are resampled as they stand, whatever their alpha: JPEG drops it.
        const QImage opaque(high.constBits(), high.width(), high.height(), high.bytesPerLine(),
                            QImage::Format_RGB32);
        const QImage small = opaque.scaled(t, t, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const std::pair<const QImage*, std::string> files[] = {
            {&high, maps_folder + "high/" + path_name(zone_name) + ".jpg"},
            {&small, maps_folder + path_name(zone_name) + ".jpg"}};
        for (const auto& [image, file] : files) {
            try {
                const int quality = image == &high ? options.quality : 100;
                SaveJPEG(*image, file, static_cast<uint8_t>(std::clamp(quality, 0, 100)), false);
                ++count.written;
            } catch (const EIJLError& e) {
                log_file_error(file, e.operation() + " image: " + ijlErrorStr(e.status()));
                ++count.failed;
            } catch (const std::exception& e) {
                log_file_error(file, e.what());
                ++count.failed;
            }
        }
        go_on(i);
    }
    if (!count.stopped && options.progress)
        options.progress(max, max);
    return count;
}

void MapGenerator::log_error(const std::string& message) {
    if (!message.empty())
        add_error_line(path_name(message));
}

void MapGenerator::log_file_error(const std::string& path, const std::string& what) {
    add_error_line(path + path_name(" Error: " + what));
}

void MapGenerator::add_error_line(const std::string& native_message) {
    if (errors.size() >= kMaxErrorLines)
        ++errors_left_out;
    else
        errors.push_back(time_stamp() + cut_middle(native_message, kMaxErrorLineLength));
}

bool MapGenerator::write_error_log(const std::string& file_name) const {
    std::string text;
    for (const std::string& line : errors)
        text += line + "\r\n";
    if (errors_left_out > 0)
        text += time_stamp() + std::to_string(errors_left_out) + " more error lines left out\r\n";
    return append_log_text(file_name, text);
}

void MapGenerator::clear_errors() {
    errors.clear();
    errors_left_out = 0;
}
