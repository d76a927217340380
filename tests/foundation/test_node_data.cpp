#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/node_data.h"
#include "support/points_writer.h"

#include <gtest/gtest.h>

namespace {

rnew_node request(const std::string& link, rCateg* category = nullptr) {
    rnew_node r;
    std::tie(r.name, r.link, r.has_item_data, r.category) =
        std::tuple("Point", link, true, category);
    return r;
}

} // namespace

TEST(LinkCommand, DecodesEachLetterWithTheColoursOfItsPointAndRefusesMalformedNumbers) {
    // Link, kind, value, colours and code.
    const std::tuple<std::string, uint8_t, uint8_t, TColor32, TColor32, std::string> cases[] = {
        {"V_1031000A000B", coIsWp, 1, 0x88000000, 0, "V_1031000A000B"},
        {"V_0091", coIsWp, 0, 0xFF000000, 0, "V_0091"},
        {"I_00000001", coIsPoly, 1, 0, 0, "I_00000001"},
        {"M_", coIsPoly, 2, 0xFE333333, 0xFE333333, "M_"},
        {"J", coUnknown, 0, 0, 0, ""},
        {"Jump to 12", coUnknown, 0, 0, 0, ""},
        {"B_10000002A00000000", coIsBridge, 1, 42, 0, "B_10000002A00000000"},
        {"B_0ffffffff0000abCD", coIsBridge, 0, 0xFFFFFFFF, 0xABCD, "B_0ffffffff0000abCD"},
        {"x", coUnknown, 0, 0, 0, "x"},
        {"RC", coUnknown, 0, 0, 0, ""},
        {"RC2", coUnknown, 0, 0, 0, "RC2"},
        {"v_1031", coUnknown, 0, 0, 0, "v_1031"}, // letters are case-sensitive
        {"s_", coUnknown, 0, 0, 0, "s_"},
        // Only the fields are read: what follows or lies between them is kept in the code.
        {"B_10000002A00000000 trailing", coIsBridge, 1, 42, 0, "B_10000002A00000000 trailing"},
        {"V_1x3y", coIsWp, 1, 0x88000000, 0, "V_1x3y"},
    };
    for (const auto& [link, kind, value, a, b, code] : cases) {
        SCOPED_TRACE(link);
        rCommand cmd = decode_link(link, 0x000000FF);
        EXPECT_EQ(std::tie(cmd.kind, cmd.value, cmd.colour_a, cmd.colour_b, cmd.code),
                  std::tie(kind, value, a, b, code));
    }
    // Area colours come from the point colour: a flag-coloured category's points take the property
    // colour, not the category's.
    rCateg flagged;
    std::tie(flagged.type, flagged.colour) = std::pair(3, 0x000000FF);
    TPropertyColors colours{{7, 0x00FF0000}};
    rnew_node r = request("S_", &flagged);
    r.flags = support::flag_set({7});
    TNodeData blue(r, &colours);
    EXPECT_EQ(blue.item->command->colour_a, 0x330000FEu);
    for (const char* link : {"V", "V_1", "V_10x", "V_10 1", "B_1", "B_10000002G00000000",
                             "B_10000002A0000000", "B_10000002A000000z0"}) {
        SCOPED_TRACE(link);
        EXPECT_THROW(decode_link(link, 0), EConvertError);
        EXPECT_THROW(TNodeData(request(link), nullptr), EConvertError);
    }
}

TEST(NodeData, LevelsColoursPositionsCommentsSkeletonsAndTheClipboardCopy) {
    const TPropertyColors colours{{4, 0x0000FF}, {9, 0xFF0000}};
    const TPropertyColors reversed{{9, 0xFF0000}, {4, 0x0000FF}};
    const TPropertyColors none{{5, 0x00FF00}, {128, 0x123456}};
    const TFlagSet set = support::flag_set({4, 9});
    for (auto [table, colour] : {std::pair{&colours, 0xFF0000},
                                 {&reversed, 0x0000FF},
                                 {&none, 0x777777},
                                 {nullptr, 0x777777}})
        EXPECT_EQ(flag_color(set, 0x777777, table), colour);
    rnew_node r = request("");
    r.flags = set;
    // Type, levels given, levels kept, colour.
    for (auto [type, min, max, kept_min, kept_max, colour] :
         {std::tuple{1, -5, 150, 0, 99, 0x00AA00},
          {2, -5, 150, 0, 99, 0x00AA00},
          {3, -5, 150, 0, 0, 0xFF0000},
          {4, -5, 150, 0, 99, 0xFF0000},
          {5, -5, 150, 0, 0, 0x00AA00},
          {1, 120, 7, 99, 7, 0x00AA00}}) {
        SCOPED_TRACE(type);
        rCateg k;
        k.type = uint8_t(type);
        k.colour = 0x00AA00;
        std::tie(r.category, r.level_min, r.level_max) = std::tuple(&k, min, max);
        TNodeData d(r, &colours);
        EXPECT_EQ(std::make_tuple(d.item->level_min, d.item->level_max, d.item->colour),
                  std::make_tuple(kept_min, kept_max, colour));
        EXPECT_FALSE(d.item->command);
    }
    // Positions wrap to sixteen bits; comments need a limit.
    rCateg k;
    k.type = 2;
    k.comment_limit = 250;
    r = request("", &k);
    std::tie(r.name, r.x, r.y, r.comment) = std::tuple("\xC9lise de#12 Port", 70000, -1, "a|b");
    TNodeData d(r, nullptr);
    EXPECT_EQ(std::tie(d.item->key, d.item->x, d.item->y, d.item->comment),
              std::tuple(normalise_text(r.name), 70000 - 65536, 65535, "a|b"));
    k.comment_limit = 0;
    EXPECT_EQ(TNodeData(r, nullptr).item->comment, "");
    // Skeleton nodes have no item.
    rnew_node skeleton;
    skeleton.name = "Zone";
    skeleton.link = "V_";
    EXPECT_FALSE(TNodeData(skeleton, nullptr).item);
    // The copy always has an empty command record to fill.
    auto copy = new_clipboard_copy();
    ASSERT_TRUE(copy && copy->item && copy->item->command);
    EXPECT_EQ(copy->item->command->kind, coUnknown);
}
