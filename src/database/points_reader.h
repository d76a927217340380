#pragma once
// The points database reader: turns the tagged stream of section 9 of master.loc into one node
// request per point record, takes the three header values out of it and reports its progress and
// results as lines for the information memo.
//
// Wiring in the main window (TForm4::load_database), in this order:
//
//     show_progress();                                 // bar centred over the map, position 0
//     PointsReaderSink sink;
//     sink.add_node = [this](rnew_node& r) { addnode(r); };
//     sink.memo_line = [this](const std::string& line) {
//         Memo1->appendPlainText(to_qstring(line)); };
//     sink.progress_range = [this](int max) {
//         G32_ProgressBar1->setMin(0); G32_ProgressBar1->setMax(max);
//         G32_ProgressBar1->repaint(); };
//     sink.progress_position = [this](int pos) { G32_ProgressBar1->setPosition(pos); };
//     PointsReadResult r = load_points_database(master_file, sink);
//     G32_ProgressBar1->hide();
//     if (r.header_value1) realm->header_value1 = int32_t(*r.header_value1);
//     if (r.header_value2) realm->header_value2 = int32_t(*r.header_value2);
//     if (r.date) database_date = *r.date;
//     QCoreApplication::processEvents();               // one pass of the message loop
//
// load_points_database shows message 38 when the section cannot be loaded and message 35 when
// the signature is wrong, and always ends with the timing line (information text 4) and an empty
// line, so the wrapper only adds the bar, the header fields and the message-loop pass. addnode
// may let the EConvertError of a bad link string out: the reader drops that point alone.

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
    bool section_loaded = false; // section 9 could be inflated (load_points_database only)
    bool signature_ok = false;   // the stream starts with "WOWKV101"
    std::optional<uint32_t> header_value1; // tag 200
    std::optional<uint32_t> header_value2; // tag 201; absent or 0: no additions file
    std::optional<double> date;            // tag 202, days since 1899-12-30
    size_t points = 0;                     // records handed to add_node
    size_t points_lost = 0;                // of those, the ones whose add_node raised EConvertError
};

// The signature the inflated section starts with.
inline constexpr std::string_view points_signature = "WOWKV101";

// Reads an inflated points database. A wrong signature shows message 35 and reads nothing. The
// data may end anywhere: the record under way is then dropped.
PointsReadResult read_database(std::string_view stream, const PointsReaderSink& sink);

// Inflates section 9 of `master` and reads it. When the section cannot be loaded, message 38
// names the file and nothing is read. In both cases information text 4 with the elapsed seconds
// and an empty line go to the memo.
PointsReadResult load_points_database(const std::string& master, const PointsReaderSink& sink);

// A date-time (days since 1899-12-30) as shown in the memo: "dd/mm/yyyy hh:nn:ss", the time left
// out at exactly midnight. A value outside the years 1 to 9999 is shown as a number.
std::string database_date_text(double value);
