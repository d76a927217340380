// Writes the demo installation's database from its description, and beside it the demo game
// that the map image generator reads (<dist folder>/demo-game):
//   make_demo [--force] <description.json> <dist folder>
// --force also replaces an existing additions file, existing zone images and the demo game.

#include "demo/demo_database.h"
#include "demo/demo_game.h"
#include "foundation/text_codec.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the zone names

    support::DemoWriteOptions options;
    std::vector<std::string> args;
    for (const QString& arg : QGuiApplication::arguments().mid(1)) {
        if (arg == "--force")
            options.overwrite = true;
        else
            args.push_back(native_path(arg));
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_demo [--force] <description.json> <dist folder>\n");
        return 2;
    }
    try {
        const support::DemoDatabase db = support::load_demo_description(args[0]);
        std::vector<std::string> written = support::write_demo_installation(db, args[1], options);
        const std::string game = args[1] + "/demo-game/";
        if (options.overwrite || !file_exists(game + "VeV.exe")) {
            const std::vector<std::string> files = support::write_demo_game(db, game);
            written.insert(written.end(), files.begin(), files.end());
        }
        std::printf("Demo database \"%s\": %zu points, %zu files written\n",
                    to_qstring(db.name).toLocal8Bit().constData(), db.points.size(),
                    written.size());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_demo: %s\n", to_qstring(error.what()).toLocal8Bit().constData());
        return 1;
    }
}
