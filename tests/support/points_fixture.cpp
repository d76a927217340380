#include "support/points_fixture.h"

#include "support/section_writer.h"

namespace support {

PointsFixture::PointsFixture(const std::vector<ContinentSpec>& continents,
                             const std::vector<ZoneSpec>& zones,
                             const std::vector<CategorySpec>& categories,
                             const std::vector<PropertySpec>& properties, bool build,
                             const std::vector<ZoneClassSpec>& classes) {
    master = dir.file("master.loc");
    ContainerWriter()
        .section(2, property_section(properties))
        .section(3, map_section(classes, continents, zones))
        .section(4, category_section(categories))
        .write(master);
    map_data = std::make_unique<TData_map>(master);
    common_data = std::make_unique<TData_common>(master, dir.file("catpref.bin"));
    if (build)
        build_zone_tree(tree, *map_data, *common_data);
}

rnew_node PointsFixture::point(const std::string& name, int32_t zone_id, int32_t category_id,
                               int32_t x, int32_t y) {
    rnew_node r;
    std::tie(r.name, r.zone_id, r.category_id, r.x, r.y) =
        std::tie(name, zone_id, category_id, x, y);
    r.from_master = r.has_item_data = true;
    return r;
}

TreeNode* PointsFixture::add(const rnew_node& request) {
    return add_point(tree, *map_data, request, &common_data->property_colors);
}

TreeNode* PointsFixture::add(const std::string& name, int32_t zone_id, int32_t category_id) {
    return add(point(name, zone_id, category_id));
}

std::vector<std::string> display_order(const TPointsTree& tree) {
    std::vector<std::string> out;
    for (TreeNode* n = tree.first(); n; n = TPointsTree::next(n))
        out.push_back(std::to_string(n->level) + (n->visible ? " " : " -") + node_text(n));
    return out;
}

std::vector<std::string> point_names(const TPointsTree& tree, bool hidden) {
    std::vector<std::string> out;
    for (TreeNode* n = tree.first(); n; n = TPointsTree::next(n))
        if (n->level == kLevelPoint && (hidden || n->visible))
            out.push_back((n->visible ? "" : "-") + node_text(n));
    return out;
}

} // namespace support
