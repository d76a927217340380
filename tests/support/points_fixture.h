#pragma once
// A loaded database for points-tree tests: map data and categories read from a master.loc written
// in a temporary folder, and the tree skeleton built over them.

#include "database/points_tree.h"
#include "foundation/Data.h"
#include "foundation/map_data.h"
#include "support/section_records.h"
#include "support/temp_dir.h"

#include <memory>
#include <string>
#include <vector>

namespace support {

class PointsFixture {
public:
    PointsFixture(const std::vector<ContinentSpec>& continents, const std::vector<ZoneSpec>& zones,
                  const std::vector<CategorySpec>& categories,
                  const std::vector<PropertySpec>& properties = {}, bool build = true,
                  const std::vector<ZoneClassSpec>& classes = {});

    // A point request for a zone and category.
    static rnew_node point(const std::string& name, int32_t zone_id, int32_t category_id,
                           int32_t x = 0, int32_t y = 0);

    // Adds a point through the core path with the property colours.
    TreeNode* add(const rnew_node& request);
    TreeNode* add(const std::string& name, int32_t zone_id, int32_t category_id);

    TempDir dir;
    std::string master;
    std::unique_ptr<TData_map> map_data;
    std::unique_ptr<TData_common> common_data;
    TPointsTree tree;
};

// The texts of the nodes in display order, hidden ones included, each prefixed by its level.
std::vector<std::string> display_order(const TPointsTree& tree);
// The point names in display order, hidden ones marked "-" (or left out).
std::vector<std::string> point_names(const TPointsTree& tree, bool hidden = true);

} // namespace support
