#include "foundation/binary_io.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/section_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

TEST(Texts, NormaliseExtractIdCleanNameMarkersAndPipeLists) {
    EXPECT_EQ(normalise_text("For\xEAt-d'\xC9t\xE9"), "FORET D'\xC9TE");
    EXPECT_EQ(normalise_text("\"*+-/=[]{}|~"), std::string(12, ' '));
    EXPECT_EQ(normalise_text("\xE0\xE2\xE4\xE7\xE8\xE9\xEA\xEB\xEE\xEF\xF4\xF6\xF9\xFB\xFC"),
              "AAACEEEEIIOOUUU");
    // Letters outside the table stay: á, ñ, capitals, digits, other punctuation, control bytes.
    const std::string kept = "\xE1\xF1\xC0\xFF"
                             "09,.'!\t\x80";
    EXPECT_EQ(normalise_text(kept), kept);
    // Extracting the id removes the marks and their digits: name, first mark only, text and id.
    const std::tuple<const char*, bool, const char*, int32_t> cases[] = {
        {"a#12b#34", false, "ab", 12},
        {"a#12b#34", true, "ab34", 12},
        {"a#b#12", false, "ab", 0},
        {"end#", false, "end", 0},
        {"#2147483647", true, "", 2147483647},
        {"#0000000000042", true, "", 42}};
    for (auto [name, first_only, text, id] : cases) {
        rIdReturn r = extract_id(name, first_only);
        EXPECT_EQ(std::tie(r.text, r.id), std::tuple(text, id)) << name << " " << first_only;
    }
    EXPECT_THROW(extract_id("x #2147483648", false), EConvertError);
    EXPECT_EQ(clean_name("North|Line 2||", true), "North\rLine 2");
    EXPECT_EQ(clean_name("North|Line 2||", false), "North|Line 2");
    EXPECT_EQ(clean_name("{Camp} #12|", false), "Camp ");
    // The id is not needed for display: a huge one does not stop it.
    EXPECT_EQ(clean_name("Big #99999999999 x", false), "Big  x");
    EXPECT_TRUE(is_comment("#x") && !is_comment(" #x") && !is_comment("") && !is_hidden_name(""));
    // Pipe lists.
    using Lines = std::vector<std::string>;
    Lines memo = {"old"};
    for (auto [list, lines] :
         {std::pair<const char*, Lines>{"a||b|", {"a", "", "b"}}, {"", {}}, {"|x", {"", "x"}}}) {
        fill_from_pipe_list(memo, list);
        EXPECT_EQ(memo, lines) << list;
    }
    EXPECT_EQ(join_to_pipe_list({"a", "", "b"}) + " " + join_to_pipe_list({"", "b", ""}), "a|b |b");
}

TEST(Numbers, StrToIntDef0FormsFlagSetBitsAndDistances) {
    const std::pair<const char*, int32_t> good[] = {
        {"  1062", 1062},           {"$426", 1062},   {"0x426", 1062}, {"x1f", 31}, {"-$10", -16},
        {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1}};
    for (auto [text, value] : good)
        EXPECT_EQ(str_to_int_def0(text), value) << text;
    for (const char* bad : {"1062 ", "", "-", "0x", "12a", "2147483648", "$100000000"})
        EXPECT_EQ(str_to_int_def0(bad), 0) << bad;
    EXPECT_THROW(str_to_int("abc"), EConvertError);
    EXPECT_EQ(int_to_hex4(10), "000A");
    // Flag n is bit n mod 32 of word (n - 1) div 32: flag 32 is bit 0 of word 0.
    std::array<bool, 128> bools{};
    bools[31] = bools[32] = bools[126] = bools[127] = true; // flags 32, 33, 127, 128
    const TFlagSet set = bools_to_flagset(bools);
    EXPECT_EQ(set.w, (std::array<uint32_t, 4>{1, 2, 0, 1u | 1u << 31}));
    EXPECT_TRUE(test_flag(set, 32) && test_flag(set, 33) && test_flag(set, 128));
    EXPECT_FALSE(test_flag(set, 1) || test_flag(set, 0) || test_flag(set, 129));
    EXPECT_EQ(flagset_to_bools(set), bools);
    // Two positions on the x axis and their distance: 46340^2 still fits.
    const int cases[][3] = {
        {1999, 1000, 0}, {2000, 999, 2}, {-1999, 0, 1}, {46340000, 0, 46340}, {46341000, 0, -1}};
    for (auto [x1, x2, d] : cases)
        EXPECT_EQ(distance({x1, 0}, {x2, 0}), d) << x1 << " " << x2;
    EXPECT_EQ(distance({3000, 4000}, {0, 0}), 5);
    EXPECT_EQ(distance({INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}), -1);
}

TEST(Colours, LevelColourBandsAndTheGreyLimit) {
    init_level_colors();
    // Each colour band at both of its ends; 47 is the grey limit of level 60.
    const std::pair<int, std::uint32_t> cases[] = {
        {68, 0x1525AA}, {67, 0x1525F8}, {65, 0x1525F8}, {64, 0x14B2FB}, {63, 0x14B2FB},
        {62, 0x1DFCFF}, {58, 0x1DFCFF}, {57, 0x3CE36B}, {48, 0x3CE36B}, {47, 0xE1D8C9}};
    for (auto [target, colour] : cases)
        EXPECT_EQ(level_color(60, target, 0x123456, true), colour) << target;
    EXPECT_EQ(level_color(35, 0, 0xFFFFFF, true), 0xFFFFFFu); // no level
    EXPECT_EQ(level_color(60, 99, 0xABCDEF, false), 0xABCDEFu);
    // A low player never sees grey; extreme levels do not overflow.
    for (int target = 1; target <= 99; ++target)
        EXPECT_NE(level_color(1, target, 0, true), level_grey) << target;
    EXPECT_EQ(level_color(INT32_MIN, INT32_MAX, 0, true), level_dark_red);
    EXPECT_EQ(level_color(INT32_MAX, INT32_MIN, 0, true), level_grey);
    // The grey limit rounds halves to even: 47.4, 0.1, 34.5, 77.5, -8.5 and 56.0.
    for (auto [level, grey] : {std::pair{60, 47}, {5, 0}, {45, 34}, {95, 78}, {-5, -8}, {70, 56}})
        EXPECT_EQ(grey_level(level), grey) << level;
}

TEST(Colours, Color32AndIconsCutFromAStripAsTheToolbarStripsAreCut) {
    EXPECT_EQ(color_to_color32(0x00FFFFFF, 0xFF000000u), 0xFFFEFEFEu);
    EXPECT_EQ(color_to_color32(0, 0x33000000u), 0x33000000u);
    // 0x00BBGGRR: red 0x10, green 0x01, blue 0x80.
    EXPECT_EQ(color_to_color32(0x00800110, 0xDD000000u), 0xDD0F007Fu);
    // An icon cut from a strip: white becomes transparent, its columns are copied.
    QImage strip(33, 11, QImage::Format_RGB32);
    strip.fill(0xFFFFFFFFu);
    strip.setPixel(11, 0, 0xFF102030u);  // icon 1, top left
    strip.setPixel(21, 10, 0xFF405060u); // icon 1, bottom right
    strip.setPixel(22, 0, 0xFFFFFFFEu);  // icon 2, nearly white
    QImage icon = cut_icon(strip, 11, 1);
    ASSERT_EQ(icon.size(), QSize(11, 11));
    EXPECT_EQ(icon.format(), QImage::Format_ARGB32);
    // Its corners; white: alpha 0, RGB kept; the next icon; past the strip, and of no strip:
    // transparent, never out of bounds.
    EXPECT_EQ((std::vector{icon.pixel(0, 0), icon.pixel(10, 10), icon.pixel(5, 5),
                           cut_icon(strip, 11, 2).pixel(0, 0), cut_icon(strip, 11, 3).pixel(0, 0),
                           cut_icon(strip, 11, -1).pixel(0, 0), cut_icon({}, 11, 0).pixel(3, 3)}),
              (std::vector<QRgb>{0xFF102030u, 0xFF405060u, 0x00FFFFFFu, 0xFFFFFFFEu, 0, 0, 0}));
    // The installation's toolbar strips are rows of whole tiles up to the highest fixed index,
    // image 27 of the search dialog.
    const QImage normal(to_path(KARVELO_SOURCE_DIR "/data/icon_a.bmp"), "BMP");
    const QImage hot(to_path(KARVELO_SOURCE_DIR "/data/icon_b.bmp"), "BMP");
    EXPECT_TRUE(normal.height() == 16 && normal.width() % 16 == 0 && normal.width() / 16 >= 28);
    EXPECT_TRUE(hot.size() == normal.size() && hot != normal);
}

TEST(Files, PolylinesSizesAndLineCounts) {
    TempDir dir;
    std::string out = "untouched";
    convert_polyline_file(dir.file("none.vec"), out);
    EXPECT_EQ(out, "untouched");
    // Two points, an empty polyline, then a polyline of 3 points cut short after 1.5 points.
    ByteWriter vec;
    for (uint16_t v : {2, 0, 0, 65535, 65535, 0, 3, 100, 200, 300})
        vec.u16(v);
    support::write_raw(dir.file("a.vec"), vec.data());
    convert_polyline_file(dir.file("a.vec"), out);
    ByteWriter want; // y grows upwards in the file
    want.u16(2);
    for (float v : {0.0f, 1.0f, 1.0f, 0.0f})
        want.f32(v);
    want.u16(0);
    EXPECT_EQ(out, want.data());
    // Empty, and a count of 65535 points with one byte behind it.
    for (const std::string& bad : {std::string(), std::string("\xFF\xFF\x01", 3)}) {
        support::write_raw(dir.file("b.vec"), bad);
        convert_polyline_file(dir.file("b.vec"), out);
        EXPECT_TRUE(out.empty());
    }
    EXPECT_THROW(file_size(dir.file("none")), EInOutError);
    support::write_raw(dir.file("f"), std::string(1234, 'a'));
    EXPECT_EQ(file_size(dir.file("f")), 1234);
    EXPECT_EQ(count_lines(dir.file("none")), 0);
    auto lines = [&](const std::string& text) {
        support::write_raw(dir.file("t.txt"), text);
        return count_lines(dir.file("t.txt"));
    };
    EXPECT_EQ(lines(""), 1);
    EXPECT_EQ(lines("one\r\n"), 1);
    EXPECT_EQ(lines("a\r\nb\nc\rd"), 4);
    EXPECT_EQ(lines("a\r\n\r\nb"), 3);
    EXPECT_EQ(lines(std::string(100000, '\n')), 8); // counting stops at 8
}

// A bitmap file is read from its header on, up to what a bitmap of its size takes, bytes past
// it left unread. One larger than its limit is refused: the caller is told, or error.log.
TEST(Files, BitmapFilesAreReadWithinTheSizeTheirHeaderGives) {
    SavedGlobals saved;
    TempDir dir;
    app_path = dir.path();
    take_outside_limits();
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(0xFF336699);
    ASSERT_TRUE(image.save(to_path(dir.file("a.bmp")), "BMP"));
    const std::string bmp = file_text(dir.file("a.bmp"));
    ASSERT_TRUE(support::write_raw(dir.file("padded.bmp"), bmp + std::string(1 << 20, 'x')));
    for (const char* name : {"a.bmp", "padded.bmp"}) {
        const QImage read = read_bitmap_file(dir.file(name), {3, 2});
        EXPECT_EQ(std::pair(read.size(), read.pixel(2, 1)), std::pair(QSize(3, 2), 0xFF336699u));
    }
    bool past = false;
    EXPECT_TRUE(read_bitmap_file(dir.file("a.bmp"), {2, 2}, &past).isNull() && past);
    EXPECT_TRUE(read_bitmap_file(dir.file("a.bmp"), {3, 1}).isNull());
    EXPECT_EQ(file_text(dir.file("error.log")).substr(21),
              dir.file("a.bmp") + ": larger than its limit (3 x 1 pixels); it is not read.\r\n");
    EXPECT_EQ(take_outside_limits(), 1);
    EXPECT_TRUE(read_bitmap_file(dir.file("none.bmp"), {3, 2}, &past).isNull() && !past);
    for (QSize size : {max_splash_size, max_splash_size + QSize(1, 0)}) {
        ASSERT_TRUE(QImage(size, QImage::Format_RGB32).save(to_path(dir.file("s.bmp")), "BMP"));
        EXPECT_EQ(read_bitmap_file(dir.file("s.bmp"), max_splash_size).isNull(),
                  size != max_splash_size);
    }
}

TEST(EditBoxes, ClampEditTextAndLineTextRefusesControlsAndForeignCharacters) {
    TClampedEdit r = clamp_edit_text("150", 1, 99);
    EXPECT_EQ(std::tie(r.text, r.sel_start, r.sel_length), std::tuple("99", 0, 2));
    r = clamp_edit_text("0", 1, 99);
    EXPECT_EQ(std::tie(r.text, r.sel_length), std::tuple("1", 1));
    EXPECT_EQ(clamp_edit_text("-5", -10, 10).text, "-5");
    EXPECT_EQ(clamp_edit_text("", 1, 99).text, "");
    EXPECT_THROW(clamp_edit_text("1a", 1, 99), EConvertError);
    SavedGlobals saved;
    res_messages.assign(74, "");
    res_messages[72] = "foreign %1";
    res_messages[73] = "control %1";
    // As typed: printable Windows-1252 passes, those of the bytes 0x80 to 0x9F included; a C0 or
    // C1 control is a control whatever byte Windows-1252 gives it; the first fault is named.
    for (auto [typed, shown] : {std::pair{u"Caf\u00E9 \u20AC\u201A\u0192\u201E\u2122\u0178", ""},
                                {u"a\u0085b", "control U+0085"},
                                {u"\u0080\u4E2D", "control U+0080"},
                                {u"\u009F", "control U+009F"},
                                {u"a\tb", "control U+0009"},
                                {u"\u4E2D\u0090", "foreign U+4E2D"},
                                {u"\U0001F600", "foreign U+1F600"}}) {
        ScriptedMessages boxes;
        EXPECT_EQ(line_text_fits(QString::fromUtf16(typed), nullptr), !*shown) << shown;
        EXPECT_EQ(boxes.texts(),
                  *shown ? std::vector<std::string>{shown} : std::vector<std::string>{});
    }
}
