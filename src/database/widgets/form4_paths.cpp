// The main window's routes, areas and overview link lines of the loaded continent. The geometry
// lives in database/paths.

#include "database/paths.h"
#include "mainwindow/widgets/map.h"

#include <QToolButton>

void TForm4::build_paths() {
    ::build_paths(continent_zones, path_list);
}

bool TForm4::decode_path(TNodeData* data, pMap_info* zone, rwpitem& path) {
    return data && data->item && zone && ::decode_path(*data->item, *zone, path);
}

bool TForm4::build_area(TNodeData* data, rwpitem& area) {
    return data && ::build_area(*data, area);
}

bool TForm4::decode_area(TNodeData* data, rwpitem& area) {
    return data && data->item && ::decode_area(*data->item, area);
}

void TForm4::area_bounds(rwpitem& area) {
    ::area_bounds(area);
}

void TForm4::build_links() {
    if (!but_overview->isChecked())
        return;
    overview_lines.clear();
    walk_link_sources(continent_zones, [this](TreeNode* node, const std::string& comment) {
        add_comment_links(node, comment);
    });
}

void TForm4::add_comment_links(TreeNode* node, const std::string& comment) {
    for (const std::string& name : comment_link_names(comment))
        if (TreeNode* target = find_in_zone_lists(name))
            add_overview_line(node, target);
}

void TForm4::add_overview_line(TreeNode* source, TreeNode* target) {
    overview_lines.push_back(overview_line(source, target));
}
