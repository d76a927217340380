#include "support/form4_points.h"

namespace support {

std::unique_ptr<TForm4> form_with_points(const std::string& app_folder, PointsFixture& f) {
    auto form = std::make_unique<TForm4>(app_folder);
    form->map_data = std::move(f.map_data);
    form->common_data = std::move(f.common_data);
    form->build_zone_tree();
    return form;
}

} // namespace support
