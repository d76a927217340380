#pragma once
// The data object of every points-tree node, the decoding of a point's link string into its link
// command, point colours from property flags, and the realm object of a loaded database.

#include "foundation/Data.h"
#include "foundation/func_type.h"
#include "foundation/map_data.h"

#include <memory>
#include <string>
#include <vector>

using TPropertyColors = std::vector<rPropertyColor>;

// Data of one tree node: continent and zone nodes carry only their owner record; category and
// point nodes also their category; point nodes own their item data.
class TNodeData {
public:
    // Builds the data of a node request. Property colours may be null. Throws EConvertError
    // when a "V" or "B" link string has a malformed number field.
    TNodeData(const rnew_node& request, const TPropertyColors* property_colors);
    virtual ~TNodeData() = default;

    TNodeData(const TNodeData&) = delete;
    TNodeData& operator=(const TNodeData&) = delete;

    rContinent* owner_continent = nullptr; // continent nodes; not owned
    pMap_info* owner_zone = nullptr;       // zone, category and point nodes; not owned
    rCateg* category = nullptr;            // category and point nodes; not owned
    std::unique_ptr<rItemdata> item;       // point nodes only
};

// The clipboard copy: a point's data with the node it was taken from.
class TNodeDataCopy : public TNodeData {
public:
    using TNodeData::TNodeData;

    TreeNode* source_node = nullptr;
};

// The empty clipboard copy of a data load: its link string "RC" gives it an empty command
// record to fill.
std::unique_ptr<TNodeDataCopy> new_clipboard_copy();

// Kind 0, value 0, both colours 0, empty code.
void reset_command(rCommand& command);

// Decodes a link string into kind, value, colours and code; `colour` is the point's colour, used
// by areas. Throws EConvertError when a "V" or "B" string has a malformed number field.
rCommand decode_link(const std::string& link, TColor colour);

// The colour of the last property colour whose flag is set in the set; the default otherwise.
TColor flag_color(const TFlagSet& flags, TColor default_color, const TPropertyColors* colors);

// The realm of a loaded database: its map data and the header values and additions statistics
// of the data load.
class TRealm_info {
public:
    // Reads the map data of `master` (master_file when empty).
    explicit TRealm_info(const std::string& master = {});

    TRealm_info(const TRealm_info&) = delete;
    TRealm_info& operator=(const TRealm_info&) = delete;

    std::unique_ptr<TData_map> map_data;
    int32_t header_value1 = 0; // tag 200
    int32_t header_value2 = 0; // tag 201
    float additions_score = 0;
    int32_t additions_count = 0;
    std::string last_added_name;
};
