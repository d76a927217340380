#include "generator/map_generator.h"

#include "foundation/func_karvo.h"
#include "foundation/pqGR32_JPEG.h"
#include "foundation/text_codec.h"
#include "platform/registry.h"

#include <QBuffer>
#include <QTime>
#include <algorithm>
#include <cstring>
#include <exception>

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

// A text on one line: the JPEG errors come with line breaks.
std::string one_line(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
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
    for (size_t i = 4; i < lines.size(); ++i) {
        if (starts_with(lines[i], "[VALI]="))
            valid_prefixes.push_back(drop(lines[i], 7));
        else if (starts_with(lines[i], "[PATH]="))
            add_path(drop(lines[i], 7), 0);
    }
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

void MapGenerator::load_translation(const std::function<void()>& process_events) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    std::string error;
    read_from_archives(archives, archive_prefix + translation_file, stream, error);
    log_error(error);
    translation_list = split_lines(stream.buffer().toStdString());
    if (process_events)
        process_events();
    std::erase_if(translation_list, [this](const std::string& line) {
        return std::none_of(valid_prefixes.begin(), valid_prefixes.end(),
                            [&](const std::string& prefix) { return starts_with(line, prefix); });
    });
}

std::string MapGenerator::translate_tile(const std::string& tile) const {
    if (tile.empty())
        return {};
    for (const std::string& line : translation_list)
        if (starts_with(line, tile))
            return copy_after_char(line, '\t');
    return {};
}

QImage MapGenerator::tile_for(const std::string& line, int size) {
    if (!starts_with(line, "[zonA]"))
        return {};
    const std::string stored = translate_tile(drop(line, 6));
    if (stored.empty())
        return {};
    QImage tile;
    std::string error;
    const bool loaded = load_blp_tile(archives, archive_prefix + stored, tile, error);
    if (!loaded && error.empty())
        error = archive_prefix + stored + " Error: not a readable BLP2 texture";
    log_error(error);
    if (!loaded)
        return {};
    if (tile.width() != size || tile.height() != size)
        tile = tile.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return tile;
}

GenerationCount MapGenerator::generate_all(const std::string& maps_folder,
                                           const GenerationOptions& options) {
    GenerationCount count;
    const int t = options.low_definition ? 128 : 256;
    QImage high(4 * t, 4 * t, QImage::Format_ARGB32);
    uchar* pixels = high.bits();
    const size_t stride = static_cast<size_t>(high.bytesPerLine());
    const int max = static_cast<int>(zone_list.size());
    if (options.progress)
        options.progress(0, max);

    // A named block clears the image; the cells that get no tile are cleared once its tiles
    // are drawn, as the others are written over whole.
    std::string zone_name;
    bool clear = true;
    for (size_t i = 0; i < zone_list.size();) {
        if (zone_list.size() - i < kBlockLines) {
            log_error("Zone list: incomplete last block of " +
                      std::to_string(zone_list.size() - i) + " lines ignored");
            break;
        }
        if (starts_with(zone_list[i], "[name]")) {
            zone_name = drop(zone_list[i], 6);
            clear = true;
        }
        const size_t block = i;
        i += kBlockLines;
        if (!is_plain_file_name(zone_name)) {
            log_error("Zone name \"" + zone_name + "\" refused: not a plain file name");
            if (options.progress)
                options.progress(static_cast<int>(i), max);
            continue;
        }
        for (size_t cell = 0; cell < 16; ++cell) {
            const QRect area(static_cast<int>(cell % 4) * t, static_cast<int>(cell / 4) * t, t, t);
            const QImage tile = tile_for(zone_list[block + 1 + cell], t);
            if (!tile.isNull())
                for (int row = 0; row < t; ++row)
                    std::memcpy(pixels + size_t(area.y() + row) * stride + size_t(area.x()) * 4,
                                tile.constScanLine(row), size_t(t) * 4);
            else if (clear)
                for (int row = 0; row < t; ++row)
                    std::memset(pixels + size_t(area.y() + row) * stride + size_t(area.x()) * 4, 0,
                                size_t(t) * 4);
        }
        clear = false;
        if (options.process_events)
            options.process_events();

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
            } catch (const std::exception& e) {
                log_error(path_text(file) + " Error: " + one_line(e.what()));
                ++count.failed;
            }
        }
        if (options.progress)
            options.progress(static_cast<int>(i), max);
    }
    if (options.progress)
        options.progress(max, max);
    return count;
}

void MapGenerator::log_error(const std::string& message) {
    if (!message.empty())
        errors.push_back(from_qstring(QTime::currentTime().toString(QStringLiteral("hh:mm:ss"))) +
                         ":       " + message);
}

bool MapGenerator::write_error_log(const std::string& file_name) const {
    std::string text;
    for (const std::string& line : errors)
        text += line + "\r\n";
    return write_file_atomic(file_name, text);
}
