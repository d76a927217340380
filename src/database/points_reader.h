#pragma once
// The points database reader: turns the tagged stream of section 9 of master.loc into one node
// request per point record, takes the three header values out of it and reports its progress and
// results as lines for the information memo. TForm4::load_database inflates the section and
// TForm4::read_database hands it to read_database below.

#include "foundation/func_type.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Where the reader's results go. Every member may be empty.
struct PointsReaderSink {
    // Called once per completed point record. The request is the reader's own scratch record:
    // the callee may move its texts out; the reader resets every field after the call. An
    // EConvertError thrown here loses this point only.
    std::function<void(rnew_node&)> add_node;
    // One line for the information memo (Windows-1252).
    std::function<void(const std::string&)> memo_line;
    // The bar's range, given once before reading: Min 0, Max = stream size div 1024.
    std::function<void(int max)> progress_range;
    // The bar's position (stream offset div 1024), given every 1024 tags.
    std::function<void(int position)> progress_position;
};

struct PointsReadResult {
    bool signature_ok = false; // the stream starts with "WOWKV101"
    bool damaged = false;      // more points than any database holds: nothing read counts
    std::optional<uint32_t> header_value1; // tag 200
    std::optional<uint32_t> header_value2; // tag 201; absent or 0: no additions file
    std::optional<double> date;            // tag 202, days since 1899-12-30
    size_t points = 0;                     // records handed to add_node
    size_t points_lost = 0;                // of those, the ones whose add_node raised EConvertError
};

// The signature the inflated section starts with.
inline constexpr std::string_view points_signature = "WOWKV101";

// More point records than this make a database damaged (the 100,000-point benchmark database is
// five times smaller), so that a small hostile file cannot make a load take all memory.
inline constexpr size_t max_database_points = 500000;

// Reads an inflated points database. A wrong signature shows message 35 and reads nothing. The
// data may end anywhere: the record under way is then dropped. A record beyond
// max_database_points shows message 35 and ends the read as damaged, without header values.
PointsReadResult read_database(std::string_view stream, const PointsReaderSink& sink);

// A date-time (days since 1899-12-30) as shown in the memo: "dd/mm/yyyy hh:nn:ss", the time left
// out at exactly midnight. A value outside the years 1 to 9999 is shown as a number.
std::string database_date_text(double value);
