#include "support/form4_points.h"

#include "mainwindow/widgets/ImageMap.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <filesystem>

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

TreeNode* find_point(const TPointsTree& tree, const std::string& name) {
    for (TreeNode* n = tree.first(); n; n = TPointsTree::next(n))
        if (n->item() && n->item()->name == name)
            return n;
    return nullptr;
}

void Form4Test::mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                      Qt::KeyboardModifiers keys) {
    QMouseEvent e(type, at, form->ImageMap->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(form->ImageMap, &e);
}

void Form4Test::move(QPoint at, Qt::MouseButtons held) {
    mouse(QEvent::MouseMove, at, Qt::NoButton, held);
}

void Form4Test::click(QPoint at, Qt::KeyboardModifiers keys) {
    move(at);
    mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, keys);
    mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, keys);
}

void Form4Test::key(QWidget* target, int code, const QString& text) {
    QKeyEvent e(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &e);
}

void copy_program_files(const std::string& app_folder) {
    namespace fs = std::filesystem;
    for (const char* folder : {"res", "data"}) {
        fs::create_directories(fs::path(app_folder) / folder);
        fs::copy(fs::path(KARVELO_SOURCE_DIR) / folder, fs::path(app_folder) / folder,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
}

std::vector<ContinentSpec> two_continents() {
    return {{1, 0, 10, "Sylvanie"}, {2, 0, 30, "Levant"}};
}

std::vector<ZoneSpec> two_continent_zones() {
    return {
        {.name = "Val", .image_name = "val", .zone_id = 10, .continent_id = 1},
        {.name = "Mont", .image_name = "mont", .zone_id = 11, .continent_id = 1, .origin_x = 65536},
        {.name = "Ile", .image_name = "ile", .zone_id = 30, .continent_id = 2}};
}

bool write_zone_images(const std::vector<std::string>& names) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    for (const std::string& name : names)
        if (!image.save(to_path(maps_path + name + ".jpg"), "JPG"))
            return false;
    return true;
}

} // namespace support
