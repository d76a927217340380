// The update dialog with large replies. A reply of 30,000 file entries, none of whose files is
// present: the reply read, the local files compared and selected (a third of the entries concern
// a database that is not installed and stay hidden), and the list shown in the dialog's tree.
// Then whole runs of "Check and update" against a local server with replies at and past their
// limits: long and many message lines, a reply of 300 MB, and entries whose folder cannot be
// made. Each reports the longest time the dialog went without handling its events and how much
// the runs raised the resident memory at their peak.

#include "database/database_list.h"
#include "exchange/widgets/update_fich.h"
#include "foundation/func_ressource.h"
#include "offscreen_main.h"
#include "process_memory.h"
#include "support/http_test_server.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTreeView>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

void BM_UpdateListOfThirtyThousandEntries(benchmark::State& state) {
    ScriptedMessages boxes;
    TempDir dir;
    app_path = dir.path();
    std::vector<std::string> reply{"VERS=v1.06"};
    for (int i = 0; i < 30000; ++i)
        reply.push_back("FILE=file" + std::to_string(i) + ".txt|" + (i % 2 ? "sub\\" : "") + "|" +
                        md5_hex(std::to_string(i)) + "|http://127.0.0.1:1/" + std::to_string(i) +
                        "|File number " + std::to_string(i) + "|0|0|" +
                        (i % 3 == 2 ? "bas other" : "all"));
    reply.push_back("EOF");
    int shown = 0;
    for (auto _ : state) {
        TForm_update dialog;
        dialog.show();
        dialog.check.reply = reply;
        dialog.check.parse_reply();
        dialog.check.select_updates();
        QCoreApplication::processEvents();
        shown = dialog.UpdateTree->model()->rowCount();
    }
    state.counters["entries"] = double(reply.size() - 2);
    state.counters["shown"] = shown;
}
BENCHMARK(BM_UpdateListOfThirtyThousandEntries)->Unit(benchmark::kMillisecond);

// Whole runs of the check against a server that gives this reply.
void run_checks(benchmark::State& state, const support::HttpRoute& route) {
    ScriptedMessages boxes;
    TempDir dir;
    app_path = dir.path();
    res_path = KARVELO_SOURCE_DIR "/res/";
    language = "English";
    load_ressource();
    db_name = "Demo";
    support::HttpTestServer server({{"/update.php", route}});
    database_list.clear();
    database_list.push_back(std::make_unique<rdbavailable>());
    selected_database = database_list[0].get();
    selected_database->folder = "Demo";
    selected_database->update_address1 = server.url("/update.php");
    double longest_gap = 0;
    int lines = 0;
    int rows = 0;
    const double before = reset_peak();
    for (auto _ : state) {
        TForm_update dialog;
        dialog.show();
        auto last = Clock::now();
        auto gap = [&] {
            const auto now = Clock::now();
            longest_gap = std::max(longest_gap,
                                   std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        };
        dialog.check.events.process_events = [&gap] {
            gap();
            QCoreApplication::processEvents();
        };
        dialog.Button3Click();
        QCoreApplication::processEvents();
        gap();
        lines = dialog.Memo1->document()->blockCount();
        rows = dialog.UpdateTree->model()->rowCount();
    }
    state.counters["longest_gap_ms"] = longest_gap;
    state.counters["memo_lines"] = lines;
    state.counters["rows"] = rows;
    // What the runs added to the resident size at their peak, the server's set-up left out.
    state.counters["peak_growth_MB"] = status_mb("VmHWM:") - before;
    database_list.clear();
    selected_database = nullptr;
}

std::string repeated(const std::string& line, size_t bytes) {
    std::string out;
    while (out.size() + line.size() <= bytes)
        out += line;
    return out;
}

void BM_CheckWithOneMessageLineOfTwoMillion(benchmark::State& state) {
    run_checks(state,
               support::reply("VERS=v1.06\r\nMESE=" + std::string(2000000, 'm') + "\r\nEOF"));
}
BENCHMARK(BM_CheckWithOneMessageLineOfTwoMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckWithAMillionMessageLines(benchmark::State& state) {
    run_checks(state, support::reply("VERS=v1.06\r\n" + repeated("MESE=x\r\n", 8000000) + "EOF"));
}
BENCHMARK(BM_CheckWithAMillionMessageLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckWithMessageLinesUpToTheLimit(benchmark::State& state) {
    run_checks(state, support::reply("VERS=v1.06\r\n" +
                                     repeated("MESE=x\r\n", kUpdateReplyMaxBytes - 20) + "EOF"));
}
BENCHMARK(BM_CheckWithMessageLinesUpToTheLimit)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckWithAReplyOf300MB(benchmark::State& state) {
    run_checks(state, {200, std::string(1 << 20, 'x'), false, {}, 0, {}, -1, 300});
}
BENCHMARK(BM_CheckWithAReplyOf300MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Entries whose folder cannot be made (its parent is missing): each one fails.
std::string failing_entries(size_t count, size_t bytes) {
    std::string out = "VERS=v1.06\r\n";
    for (size_t i = 0; i < count && out.size() < bytes; ++i)
        out += "FILE=f" + std::to_string(i) + "|none\\deeper\\|0|u|d|0|0|all\r\n";
    return out + "EOF";
}

void BM_CheckWithThirtyThousandFailingEntries(benchmark::State& state) {
    run_checks(state, support::reply(failing_entries(30000, kUpdateReplyMaxBytes)));
}
BENCHMARK(BM_CheckWithThirtyThousandFailingEntries)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckWithFailingEntriesUpToTheLimit(benchmark::State& state) {
    run_checks(state, support::reply(failing_entries(SIZE_MAX, kUpdateReplyMaxBytes - 60)));
}
BENCHMARK(BM_CheckWithFailingEntriesUpToTheLimit)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
