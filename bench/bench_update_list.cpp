// The update dialog with a reply of 30,000 file entries, none of whose files is present: the
// reply read, the local files compared and selected (a third of the entries concern a database
// that is not installed and stay hidden), and the list shown in the dialog's tree.

#include "exchange/widgets/update_fich.h"
#include "foundation/func_ressource.h"
#include "offscreen_main.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QTreeView>
#include <benchmark/benchmark.h>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    return run_offscreen_benchmarks(argc, argv);
}
