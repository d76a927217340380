#include "support/form4_points.h"

#include "foundation/node_data.h"
#include "foundation/text_codec.h"

#include <QDir>

namespace support {

std::unique_ptr<TForm4> form_with_points(const std::string& app_folder, PointsFixture& f) {
    auto form = std::make_unique<TForm4>(app_folder);
    form->realm = std::make_unique<TRealm_info>(app_folder + "none.loc");
    form->realm->map_data = std::move(f.map_data);
    form->map_data = form->realm->map_data.get();
    form->common_data = std::move(f.common_data);
    form->build_zone_tree();
    return form;
}

namespace {

void copy_tree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& fi :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (fi.isDir())
            copy_tree(fi.filePath(), to + "/" + fi.fileName());
        else
            QFile::copy(fi.filePath(), to + "/" + fi.fileName());
    }
}

} // namespace

void copy_program_files(const std::string& app_folder) {
    for (const char* folder : {"res", "data"})
        copy_tree(QStringLiteral(KARVELO_SOURCE_DIR "/") + folder,
                  to_path(app_folder) + "/" + folder);
}

} // namespace support
