#include "support/form4_points.h"

#include "foundation/node_data.h"

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

} // namespace support
