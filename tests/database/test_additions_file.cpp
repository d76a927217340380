#include "database/additions_file.h"
#include "database/database_list.h"
#include "editing/widgets/point_editor.h"
#include "mainwindow/widgets/input_pseudo.h"
#include "support/additions_writer.h"
#include "support/dialog_answer.h"
#include "support/form4_points.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>

#include <map>
#include <random>
#include <sys/stat.h>

using namespace support;
using enum AdditionOutcome;

namespace {

// Zones 10 (Tanaris) and 11 (Ashenvale, shown first), zone 0; categories 1 (type 1) and 4.
PointsFixture world(bool build = true) {
    return PointsFixture({{1, 5, 10, "Kalimdor"}, {2, 6, 0, "Eastern"}},
                         {{"Tanaris", "t", 10, 1}, {"Ashenvale", "a", 11, 1}, {"Zero", "z", 0, 2}},
                         {{"Mobs", 1, 3, 1}, {"Shops", 4, 4, 2}}, {{1, 0, 0, "Elite"}}, build);
}

struct Merge {
    explicit Merge(PointsFixture& f, bool strict = true)
        : realm(f.master), merger(*f.map_data, realm,
                                  {[&f](const rnew_node& r) { return f.add(r); },
                                   [&f](TreeNode* n) { f.tree.delete_node(n); }},
                                  strict) {}
    AdditionOutcome operator()(const AdditionSpec& a) {
        return merger.parse_addition_line(addition_line(a));
    }
    TRealm_info realm;
    TAdditionsMerger merger;
};

// A database point of zone 10, category 1.
void database_point(PointsFixture& f, const std::string& name, int32_t master, int32_t x,
                    bool locked = false, const std::string& link = {}) {
    rnew_node r = PointsFixture::point(name, 10, 1, x, 0);
    std::tie(r.master_id, r.locked, r.link) = std::tuple(master, locked, link);
    f.add(r);
}

const std::string area = "S_0000000100000002";

class Form4Additions : public Form4Test {
protected:
    PointsFixture f = world(false);
    std::string path;
    const QByteArray home = qgetenv("HOME");
    void SetUp() override {
        // The home folder takes the copies that the installation's folder cannot.
        QDir().mkpath(to_path(app.file("home")));
        qputenv("HOME", app.file("home").c_str());
        form = form_with_points(app.path(), f);
        form->first_activation = false;
        res_messages.assign(90, "-");
        for (auto [n, text] : {std::pair{1, "save %1?"},
                               {4, "%1 rejected in %2"},
                               {5, "saved %2"},
                               {6, "cannot write %1"},
                               {37, "bad header"},
                               {38, "cannot read %1"},
                               {74, "%1 kept, saved in %2"},
                               {76, "%1 changed, kept in %2"},
                               {78, "%1 kept in %2"},
                               {84, "recovered %1"},
                               {85, "waits in %1"}})
            res_messages[size_t(n)] = text;
        res_infos.assign(10, "-");
        res_infos[5] = "additions %1";
        res_captions.assign(100, "-");
        res_captions[77] = "Nickname";
        set_additions_file("Demo");
        path = ajouts_path + additions_file_name;
    }
    void TearDown() override {
        Form4Test::TearDown();
        qputenv("HOME", home);
    }
    std::string file() const { return file_text(path); }
    // The points of a new load of the same database.
    void restart() {
        form->drop_points();
        form->reload_additions();
    }
    void add_point(const std::string& name, int32_t x) {
        rnew_node r = PointsFixture::point(name, 10, 1, x, 9);
        r.from_master = false;
        form->addnode(r);
        form->toggle_tagnew(true);
    }
    std::string last_feedback() const {
        const auto& lines = form->feedback_lines.lines();
        return lines.size() < 2 ? std::string() : lines[lines.size() - 2].text;
    }
    // The feedback lines of a new load, in order; `point` is the database's.
    std::vector<std::string> restart_feedback(const rnew_node& point) {
        form->clear_feedback();
        form->drop_points();
        form->addnode(point);
        form->reload_additions();
        std::vector<std::string> texts;
        for (const auto& line : form->feedback_lines.lines())
            if (!line.text.empty())
                texts.push_back(line.text);
        return texts;
    }
};

const AdditionSpec ogre{"Ogre", 10, 1, 1, 2};
const AdditionSpec imp{"Imp", 10, 1, 3, 4};

} // namespace

TEST(AdditionsFormat, FieldsNumbersAndAWrittenFileReadBackAsTheSamePoints) {
    AdditionLine a;
    ASSERT_EQ(parse_addition_line_values(" n||$A|x|1 |-5|7|8||300|||0000000Azz|||c|d|e\t", a),
              AdditionParse::Point);
    EXPECT_EQ(std::make_tuple(a.zone_id, a.category_id, a.x, a.y, a.first_field),
              std::make_tuple(10, 0, 0, -5, 44));
    EXPECT_EQ(a.flags.w, (std::array<uint32_t, 4>{10, 0, 0, 0}));
    EXPECT_EQ(a.comment, "c|d|e");
    EXPECT_EQ(parse_flag_field("zzzzzzzzFFFFFFFF1234567").w, (std::array<uint32_t, 4>{0, ~0u}));
    for (const char* bad : {"G1", " 12", "1FFFFFFFF", "-1"})
        EXPECT_EQ(parse_addition_line_values(std::string("n|||||||||||||") + bad, a),
                  AdditionParse::BadMasterId);
    EXPECT_EQ(parse_addition_line_values("  #v1.06", a), AdditionParse::Ignored);
    const std::string digits = random_header_digits();
    EXPECT_EQ(digits.find_first_not_of("123456789"), std::string::npos);
    EXPECT_EQ(additions_header_line(digits, ""), "#v001-id=" + digits + "-Anonymous");
    const std::vector<AdditionSpec> lines = {
        {"Shop", 11, 4, 65535, 0, 0, 0, {}, 0, area, ""},
        {"Ogre", 10, 1, 100, 200, 5, 12, {{1, 2, 3, 0x80000000}}, 0, "", "b\xEAte|angry"},
        {"@Gone", 10, 1, 7, 0, 0, 0, {}, 0x40}};
    const std::string text = additions_file(lines, "Moi", "987654");
    // As written, and as an editor saves it in UTF-8 with its byte order mark.
    for (const std::string& file : {text, "\xEF\xBB\xBF" + to_qstring(text).toStdString()}) {
        PointsFixture f = world();
        database_point(f, "Gone", 0x40, 7);
        Merge merge(f);
        ASSERT_TRUE(write_file_atomic(f.dir.file("a.txt"), file));
        const AdditionsReadResult r = merge_additions_file(f.dir.file("a.txt"), merge.merger);
        EXPECT_EQ(std::pair(r.rejected, merge.realm.additions_count), std::pair(0, 3));
        EXPECT_EQ(additions_file_text(f.tree, "987654", "Moi"), text);
    }
}

TEST(AdditionsMerge, RulesCountersAndScore) {
    PointsFixture f = world();
    database_point(f, "Well", 0x20, 50);
    database_point(f, "Tower", 0x21, 60, true, area);
    database_point(f, "Master_Cancel", 0x22, 70, true);
    Merge merge(f);
    const AdditionSpec ogre{"Ogre", 10, 1, 1};
    const std::vector<std::pair<AdditionSpec, AdditionOutcome>> steps = {
        {ogre, Added},                                             // 1
        {ogre, Present},                                           // identical
        {{"Ogre", 10, 1, 2}, Added},                               // same name: 0.3
        {{"Well", 10, 1, 51, 0, 0, 0, {}, 0x20}, Rejected},        // its point is elsewhere
        {{"@Ogre", 10, 1, 1}, Rejected},                           // deletion without master id
        {{"Imp", 10, 1, 50}, Rejected},                            // editable: the place is taken
        {{"@Well", 10, 1, 50, 0, 0, 0, {}, 0x20}, Added},          // deletion: 0
        {{"Tower", 10, 4, 60, 0, 0, 0, {}, 0x21, area}, Rejected}, // locked: other category
        {{"Tower", 10, 1, 60, 0, 0, 0, {}, 0x21}, Rejected},       // locked: other link
        {{"@Tower", 10, 1, 60, 0, 0, 0, {}, 0x21, area}, Rejected},
        {{"Master_Cancel", 10, 1, 70, 0, 0, 1, {}, 0x22}, Rejected},
        {{"Tall", 10, 1, 60, 0, 0, 0, {}, 0x21, area}, Added}, // replacement: 0.5
        {{"Tall", 10, 1, 60, 0, 1, 2, {}, 0x21, area}, Added}, // same name: 0.025
        {{"Far", 99, 1, 5}, Added},                            // no zone node: counted only
    };
    for (const auto& [line, outcome] : steps)
        EXPECT_EQ(merge(line), outcome) << line.name;
    EXPECT_EQ(merge.realm.additions_count, 6);
    EXPECT_FLOAT_EQ(merge.realm.additions_score, 1 + 0.3f + 0 + 0.5f + 0.025f + 1);
    EXPECT_EQ(point_names(f.tree),
              (std::vector<std::string>{"Master_Cancel", "Ogre", "Ogre", "-@Well", "Tall"}));
    const TreeNode* tall = find_point(f.tree, "Tall");
    EXPECT_TRUE(tall->item()->locked && tall->item()->master_id == 0x21); // lock inherited
}

TEST(AdditionsMerge, ReadOnlyDatabaseAndBadFields) {
    PointsFixture f = world();
    database_point(f, "Camp", 0, 5);
    database_point(f, "Bridge", 0x30, 6);
    database_point(f, "Spring", 0, 8);
    Merge merge(f, false);
    EXPECT_EQ(merge({"Camp", 10, 1, 5}), Present); // identical
    EXPECT_EQ(merge({"Camp", 10, 1, 5, 0, 3, 4}), Added);
    EXPECT_FLOAT_EQ(merge.realm.additions_score, 0.5f);
    // A deletion entry without master id takes its point away, then is rejected itself.
    EXPECT_EQ(merge({"@Spring", 10, 1, 8}), Rejected);
    // A malformed route refuses the line before the database point goes.
    EXPECT_EQ(merge({"Bridge", 10, 1, 6, 0, 0, 0, {}, 0x30, "V_x"}), Rejected);
    EXPECT_EQ(point_names(f.tree), (std::vector<std::string>{"Bridge", "Camp"}));
}

TEST(AdditionsFile, HostileFilesNeverBreakTheMergeAndDroppedLinesGoToABoundedBackup) {
    const std::string good = additions_file({{"Ogre", 10, 1, 1, 2, 5, 9, {{1}}, 0, "", "a|b"}});
    TempDir dir;
    const std::string path = dir.file("a.txt");
    // Every cut of a file: once its point line holds a zone id, that point (its fields cut short)
    // and nothing else. (Zone 0 has a node: an empty zone field drops the line uncounted.)
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        PointsFixture f = world();
        Merge merge(f);
        ASSERT_TRUE(write_file_atomic(path, good.substr(0, cut)));
        EXPECT_EQ(merge_additions_file(path, merge.merger).status,
                  cut >= 5 ? AdditionsRead::Read : AdditionsRead::BadHeader);
        const bool point = cut > good.find("||") + 2;
        EXPECT_EQ(merge.realm.additions_count, point ? 1 : 0) << cut;
        // A node once the line names zone 10 and category 1.
        EXPECT_EQ(point_names(f.tree), cut > good.find("|1|") + 1 ? std::vector<std::string>{"Ogre"}
                                                                  : std::vector<std::string>{})
            << cut;
    }
    // Random lines, a huge field, many lines on one zone (a linear merge), and line ends on both
    // sides of the reader's 64 KB pieces.
    static const char chars[] = "|0123456789ABF$-@#xV_S\r\n\xff";
    std::mt19937 random(7);
    std::string text = "#v001\n";
    for (int i = 0; i < 300; ++i)
        for (int n = int(random() % 120); n >= 0; --n)
            text += n ? chars[random() % (sizeof chars - 1)] : '\n';
    text += "Huge|" + std::string(1 << 20, 'x') + "|10|1|1|1\r\n";
    // A line end split by a piece's end, one ending it, one starting the next.
    for (const auto& [eol, before, x] :
         {std::tuple{"\r\n", 1, 400}, {"\r", 1, 401}, {"\n", 0, 402}}) {
        const std::string line = addition_line({"Edge" + std::to_string(x), 10, 1, x, 1});
        size_t end = (text.size() / 65536 + 2) * 65536;
        text += std::string(end - size_t(before) - text.size() - line.size(), ' ') + line + eol;
    }
    for (int i = 0; i < 40000; ++i)
        text += addition_line({"P" + std::to_string(i), 10, 1, i % 300, i / 300 + 10}) +
                (i % 3 == 0   ? "\n"
                 : i % 3 == 1 ? "\r"
                              : "\r\n");
    PointsFixture f = world();
    Merge merge(f);
    ASSERT_TRUE(write_file_atomic(path, text));
    std::vector<std::string> unplaced;
    AdditionsMergeOptions options;
    options.unplaced = [&unplaced](std::string_view line) { unplaced.emplace_back(line); };
    const AdditionsReadResult read = merge_additions_file(path, merge.merger, options);
    EXPECT_EQ(read.status, AdditionsRead::Read);
    EXPECT_EQ(read.size, int64_t(text.size()));
    // The same lines, split whole and merged one by one over the same database.
    PointsFixture g = world();
    Merge one_by_one(g);
    std::vector<std::string> rejected;
    const std::vector<std::string> lines = split_lines(text);
    for (size_t i = 1; i < lines.size(); ++i) {
        const AdditionOutcome outcome = one_by_one.merger.parse_addition_line(lines[i]);
        if (outcome != Ignored && (outcome != Added || !one_by_one.merger.made()))
            rejected.emplace_back(trim_blanks(lines[i]));
    }
    EXPECT_EQ(merge.realm.additions_count, one_by_one.realm.additions_count);
    EXPECT_EQ(point_names(f.tree), point_names(g.tree));
    EXPECT_EQ(unplaced, rejected);
    EXPECT_EQ(read.rejected, int32_t(rejected.size()));
    const std::vector<std::string> names = point_names(f.tree);
    for (const char* name : {"P0", "P39999", "Edge400", "Edge401", "Edge402", "Huge"})
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name;
    // The lines kept for the backup: the newest within the limit, the last one always whole.
    TNewestLines newest(14);
    for (const char* line : {"aaaa", "bb", "cc", "d"})
        newest.add(line);
    EXPECT_EQ(newest.lines(), (std::vector<std::string>{"bb", "cc", "d"}));
    newest.add(std::string(16, 'e'));
    EXPECT_EQ(newest.lines(), std::vector<std::string>{std::string(16, 'e')});
    // Dropped lines go to a bounded backup.
    std::string backup = backup_with_lines("#v001 old file", "# 1", {"x", "y"}, 100);
    EXPECT_EQ(backup, "#v001 old file\r\n# 1\r\nx\r\ny\r\n");
    // Over the limit the oldest go from a comment line on; the newest block always stays.
    backup = backup_with_lines(backup, "# 2", {"z"}, 25);
    EXPECT_EQ(backup, "# 1\r\nx\r\ny\r\n# 2\r\nz\r\n");
    EXPECT_EQ(backup_with_lines("1\r\n2\r\n3\r\n", "# 3", {"w"}, 12), "3\r\n# 3\r\nw\r\n");
    EXPECT_EQ(backup_with_lines(backup, "# 4", {std::string(30, 'v')}, 25),
              "# 4\r\n" + std::string(30, 'v') + "\r\n");
    // An old backup without a line break keeps its newest bytes; a block past the limit keeps
    // its heading and its newest lines.
    EXPECT_EQ(backup_with_lines("0123456789abcdefghij", "# 5", {"z"}, 16),
              "efghij\r\n# 5\r\nz\r\n");
    EXPECT_EQ(backup_with_lines("old\r\n", "# 6", {"1111", "2222", "3333", "4444"}, 17),
              "# 6\r\n3333\r\n4444\r\n");
    // Cut where a line starts: after a line end split by the cut, or right at the cut.
    EXPECT_EQ(backup_with_lines("aa\r\nbb\r\ncc\r\n", "#", {"z"}, 14), "bb\r\ncc\r\n#\r\nz\r\n");
    EXPECT_EQ(backup_with_lines("aa\r\nbb\r\ncc\r\n", "#", {"z"}, 12), "cc\r\n#\r\nz\r\n");
}

TEST_F(Form4Additions, ReloadMergesAndRewritesAfterRejectsAskingTheNicknameOnce) {
    rnew_node well = PointsFixture::point("Well", 10, 1, 50, 0);
    well.master_id = 0x20;
    form->addnode(well);
    // Dropped: lines without zone or category node, a duplicate, a bad link, a line replaced by
    // a later one, a zone "1O" (zone 0 exists) and a master id "XYZ".
    std::vector<std::string> zone_o = addition_fields(imp), master_x = addition_fields(imp);
    zone_o[2] = "1O";
    master_x[13] = "XYZ";
    AdditionSpec far{"Far", 99, 1, 5}, odd{"Odd", 10, 9, 5}, replaced{"W", 10, 1, 50},
        road{"Road", 10, 1, 6, 0, 0, 0, {}, 0, "V_x"}, kept{"Well3", 10, 1, 50};
    replaced.master_id = kept.master_id = 0x20;
    const std::string original = additions_file({ogre, far, odd, ogre, road, imp, replaced, kept}) +
                                 join_fields(zone_o) + "\r\n" + join_fields(master_x) + "\r\n";
    ASSERT_TRUE(write_file_atomic(path, original));
    form->realm->header_value2 = 7;
    std::vector<QString> titles;
    DialogAnswer answers([&titles](QWidget* w) {
        auto* d = qobject_cast<TForm6*>(w);
        titles.push_back(d->windowTitle());
        d->Edit1->setText("Ondine");
        d->Button1->click();
    });
    form->reload_additions();
    EXPECT_EQ(titles, std::vector<QString>{"Nickname"});
    EXPECT_TRUE(rPreference.PSEU == "Ondine" &&
                form->Memo1->toPlainText().endsWith("additions 6 [5]\n"));
    const std::string rewritten = file();
    EXPECT_EQ(rewritten, additions_file({ogre, imp, kept}, "Ondine", rewritten.substr(9, 6)));
    EXPECT_EQ(last_feedback(), "7 rejected in Vev_ajouts_Demo.txt");
    EXPECT_TRUE(form->rejected_lines == 0 && !form->Timer3.isActive());
    // A second load that drops another line: the backup keeps both, each under its date.
    const AdditionSpec lost{"Lost", 98, 1, 1};
    ASSERT_TRUE(write_file_atomic(path, rewritten + addition_line(lost) + "\r\n"));
    form->drop_points();
    form->addnode(well);
    form->reload_additions();
    std::vector<std::string> backup = split_lines(file_text(ajouts_path + "Vev_ajouts_Demo.bak"));
    ASSERT_EQ(backup.size(), 10u);
    for (size_t heading : {0, 8})
        EXPECT_TRUE(backup[heading].starts_with("# 20") &&
                    backup[heading].ends_with(" Vev_ajouts_Demo.txt"));
    EXPECT_EQ(std::vector(backup.begin() + 1, backup.begin() + 8),
              (std::vector{addition_line(far), addition_line(odd), addition_line(ogre),
                           addition_line(road), addition_line(replaced), join_fields(zone_o),
                           join_fields(master_x)}));
    EXPECT_EQ(backup[9], addition_line(lost));
    // The auto-save tick saves unsaved additions, never while a node is being added.
    rPreference.AUTO = true;
    form->toggle_tagnew(true);
    form->autosave_allowed = false;
    form->Timer3Timer();
    EXPECT_TRUE(form->additions_unsaved);
    form->autosave_allowed = true;
    form->Timer3Timer();
    EXPECT_FALSE(form->additions_unsaved || form->sauver1->isEnabled());
    EXPECT_EQ(last_feedback(), "saved Vev_ajouts_Demo.txt");
    EXPECT_TRUE(form->Timer3.isActive() && answers.seen() == 1);
}

TEST_F(Form4Additions, FailedSavesKeepTheOldFileAndTheWindowOpenOrLeaveAFallbackAndFail) {
    rPreference.PSEU = "Moi";
    rPreference.AUTO = true;
    ASSERT_TRUE(write_file_atomic(path, additions_file({imp})));
    const std::string before = file();
    for (int i = 0; i < 40; ++i) {
        rnew_node r = PointsFixture::point("Ogre", 10, 1, i, 2);
        r.from_master = false;
        r.comment = std::string(50, 'c');
        form->addnode(r);
    }
    form->toggle_tagnew(true);
    boxes.answer({kAnswerYes, kAnswerNo, kAnswerCancel, kAnswerYes});
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(form->FormCloseQuery());
    }
    EXPECT_TRUE(form->additions_unsaved && form->Timer3.isActive());
    EXPECT_EQ(file(), before);
    EXPECT_EQ(boxes.texts().back(), "cannot write Vev_ajouts_Demo.txt");
    // "No" lets other callers go on with the additions still unsaved; Cancel stops them.
    EXPECT_TRUE(form->confirm_save_additions(63) && form->additions_unsaved);
    EXPECT_FALSE(form->confirm_save_additions(48));
    EXPECT_TRUE(form->FormCloseQuery() && !form->additions_unsaved);
    EXPECT_EQ(point_names(form->points_tree).size(), 40u);
    EXPECT_NE(file(), before);
    // A signal's save that cannot be written leaves a fallback and fails.
    add_point("Troll", 5);
    const QByteArray home = qgetenv("HOME");
    // The save first, then the fallback beside it and in the home folder, all fail.
    ajouts_path = app.file("gone/");
    qputenv("HOME", app.file("nowhere").c_str());
    EXPECT_FALSE(form->save_additions_quietly());
    ASSERT_TRUE(QDir().mkpath(to_path(app.file("home"))));
    qputenv("HOME", app.file("home").c_str());
    EXPECT_FALSE(form->save_additions_quietly());
    qputenv("HOME", home);
    const std::string fallback = app.file("home/Vev_ajouts_Demo.txt.unsaved");
    EXPECT_NE(file_text(fallback).find("Troll|"), std::string::npos);
    const std::vector<std::string> log = split_lines(file_text(app.file("error.log")));
    ASSERT_EQ(log.size(), 3u);
    for (size_t i : {0, 1})
        EXPECT_TRUE(log[i].ends_with(": cannot write Vev_ajouts_Demo.txt")) << log[i];
    EXPECT_TRUE(
        log[2].ends_with(": " + app.file("gone/Vev_ajouts_Demo.txt") + " kept in " + fallback));
    EXPECT_TRUE(form->additions_unsaved);
    ajouts_path = app.file("ajouts/");
    EXPECT_TRUE(form->save_additions_quietly() && !form->additions_unsaved);
}

TEST_F(Form4Additions, ARestartAfterASaveASignalCouldNotWriteWritesWhatTheSaveWouldHave) {
    rPreference.PSEU = "Moi";
    form->init_clipboard_node();
    edit_db_name = db_name;
    // Two database points; the additions change Well (W) and add Imp and Ogre.
    rnew_node well = PointsFixture::point("Well", 10, 1, 50, 0),
              gate = PointsFixture::point("Gate", 10, 1, 60, 0);
    well.master_id = 0x20;
    gate.master_id = 0x21;
    AdditionSpec w{"W", 10, 1, 50};
    w.master_id = 0x20;
    const std::string base = additions_file({imp, ogre, w}, "Moi");
    const auto start = [&] {
        form->drop_points();
        form->addnode(well);
        form->addnode(gate);
        form->realm->header_value2 = 7;
        form->reload_additions();
    };
    const auto find = [&](const std::string& name) { return find_point(form->points_tree, name); };
    const auto edit = [&](const std::string& name, const std::function<void(TForm2&)>& act) {
        form->on_point_editor = act;
        name.empty() ? form->add_point_dialog() : form->edit_point_dialog(find(name));
    };
    // The file without its random id.
    const auto saved = [&] {
        const std::string text = file();
        return text.substr(0, 9) + "000000" + text.substr(15);
    };
    AdditionSpec renamed = imp, commented = ogre, levels = imp, flagged = imp, moved = imp,
                 troll{"Troll", 10, 1, 5, 5}, gate2{"Gate2", 10, 1, 60}, deleted{"@W", 10, 1, 50};
    renamed.name = "Imp renamed";
    commented.comment = "Deux|lignes";
    std::tie(levels.level_min, levels.level_max) = std::pair(10, 20);
    flagged.flags.w[0] = 2; // flag 1
    std::tie(moved.x, moved.y) = std::pair(30, 40);
    gate2.master_id = 0x21;
    deleted.master_id = 0x20;
    struct Case {
        const char* kind;
        std::function<void()> change;
        std::vector<AdditionSpec> file;
    };
    const std::vector<Case> cases = {
        {"rename",
         [&] {
             edit("Imp", [](TForm2& d) {
                 d.Edit1->setText("Imp renamed");
                 d.Button2Click();
             });
         },
         {ogre, w, renamed}},
        {"comment",
         [&] {
             edit("Ogre", [](TForm2& d) {
                 d.set_comment("Deux|lignes");
                 d.Button2Click();
             });
         },
         {imp, w, commented}},
        {"levels",
         [&] {
             edit("Imp", [](TForm2& d) {
                 d.UpDown_max->setValue(20);
                 d.UpDown_min->setValue(10);
                 d.Button2Click();
             });
         },
         {ogre, w, levels}},
        {"flags",
         [&] {
             edit("Imp", [](TForm2& d) {
                 d.treebool->model()->setData(d.treebool->model()->index(0, 0), Qt::Checked,
                                              Qt::CheckStateRole);
                 d.Button2Click();
             });
         },
         {ogre, w, flagged}},
        {"move",
         [&] {
             form->cut_point(find("Imp"));
             std::tie(form->mouse_zone, form->mouse_zone_pos) =
                 std::pair(node_zone(find("Gate")), TPoint{30, 40});
             form->paste_point();
         },
         {ogre, w, moved}},
        {"delete", [&] { edit("Ogre", [](TForm2& d) { d.Button4Click(); }); }, {imp, w}},
        {"new point",
         [&] {
             std::tie(form->mouse_zone, form->mouse_zone_pos) =
                 std::pair(node_zone(find("Gate")), TPoint{5, 5});
             edit("", [](TForm2& d) {
                 const QAbstractItemModel* model = d.Treecateg->model();
                 d.Treecateg->setCurrentIndex(model->index(0, 0));
                 d.Edit1->setText("Troll");
                 d.Button2Click();
             });
         },
         {imp, ogre, w, troll}},
        {"database point changed",
         [&] {
             edit("Gate", [](TForm2& d) {
                 d.Edit1->setText("Gate2");
                 d.Button2Click();
             });
         },
         {imp, ogre, w, gate2}},
        {"database point deleted",
         [&] { edit("W", [](TForm2& d) { d.Button4Click(); }); },
         {imp, ogre, deleted}},
    };
    const std::string copy = ajouts_path + "Vev_ajouts_Demo.txt.unsaved";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        // A good save.
        ASSERT_TRUE(write_file_atomic(path, base));
        start();
        c.change();
        ASSERT_TRUE(form->additions_unsaved);
        form->Sauver1Click();
        const std::string good = saved();
        EXPECT_EQ(good, additions_file(c.file, "Moi", "000000"));
        // The same change, ended by a signal while the file cannot be written (a folder stands
        // in its place), then a restart.
        ASSERT_TRUE(write_file_atomic(path, base));
        start();
        c.change();
        ASSERT_TRUE(QFile::remove(to_path(path)) && QDir().mkpath(to_path(path + "/x")));
        EXPECT_FALSE(form->save_additions_quietly());
        ASSERT_TRUE(QDir(to_path(path)).removeRecursively() && write_file_atomic(path, base));
        ASSERT_TRUE(file_exists(copy));
        form->clear_feedback();
        start();
        EXPECT_EQ(saved(), good);
        EXPECT_FALSE(file_exists(copy) || form->additions_unsaved);
        EXPECT_EQ(last_feedback(), "recovered Vev_ajouts_Demo.txt.unsaved");
        // The file's old lines that the copy changed are kept in the backup.
        const std::string backup = file_text(ajouts_path + "Vev_ajouts_Demo.bak");
        for (const AdditionSpec& old : {imp, ogre, w})
            EXPECT_EQ(backup.find(addition_line(old)) != std::string::npos,
                      std::none_of(c.file.begin(), c.file.end(),
                                   [&](const AdditionSpec& now) {
                                       return addition_line(now) == addition_line(old);
                                   }))
                << old.name;
        QFile::remove(to_path(ajouts_path + "Vev_ajouts_Demo.bak"));
    }
    // Two signals in a row, the file still unwritable at the second start: the last session's
    // state.
    ASSERT_TRUE(write_file_atomic(path, base));
    start();
    cases[0].change();
    ASSERT_TRUE(QFile::remove(to_path(path)) && QDir().mkpath(to_path(path + "/x")));
    EXPECT_FALSE(form->save_additions_quietly());
    ASSERT_TRUE(QDir(to_path(path)).removeRecursively() && write_file_atomic(path, base));
    {
        FileSizeLimit limit(100);
        start();
    }
    EXPECT_EQ(file(), base);
    EXPECT_EQ(point_names(form->points_tree),
              (std::vector<std::string>{"Gate", "Ogre", "W", "Imp renamed"}));
    cases[5].change();
    ASSERT_TRUE(QFile::remove(to_path(path)) && QDir().mkpath(to_path(path + "/x")));
    EXPECT_FALSE(form->save_additions_quietly());
    ASSERT_TRUE(QDir(to_path(path)).removeRecursively() && write_file_atomic(path, base));
    ASSERT_TRUE(file_exists(copy) && file_exists(copy + "2"));
    start();
    EXPECT_EQ(saved(), additions_file({w, renamed}, "Moi", "000000"));
    EXPECT_FALSE(file_exists(copy) || file_exists(copy + "2"));
    // While the additions file cannot be read the saves go to the file beside it: a copy of
    // that file stands for it.
    const std::string beside = ajouts_path + "Vev_ajouts_Demo.txt.new";
    const AdditionSpec troll2{"Troll2", 10, 1, 5, 5};
    ASSERT_TRUE(QFile::remove(to_path(path)) && QDir().mkpath(to_path(path + "/x")));
    ASSERT_TRUE(write_file_atomic(beside, additions_file({troll}, "Moi")));
    start();
    edit("Troll", [](TForm2& d) {
        d.Edit1->setText("Troll2");
        d.Button2Click();
    });
    ASSERT_TRUE(QFile::remove(to_path(beside)) && QDir().mkpath(to_path(beside + "/x")));
    EXPECT_FALSE(form->save_additions_quietly());
    ASSERT_TRUE(QDir(to_path(beside)).removeRecursively() &&
                write_file_atomic(beside, additions_file({troll}, "Moi")));
    ASSERT_TRUE(file_exists(beside + ".unsaved"));
    start();
    const std::string kept_beside = file_text(beside);
    EXPECT_EQ(kept_beside.substr(15), additions_file({troll2}, "Moi").substr(15));
    EXPECT_FALSE(file_exists(beside + ".unsaved"));
    // Once the additions file reads again it takes the file beside in, which goes.
    ASSERT_TRUE(QDir(to_path(path)).removeRecursively() && write_file_atomic(path, base));
    start();
    EXPECT_EQ(saved(), additions_file({imp, ogre, w, troll2}, "Moi", "000000"));
    EXPECT_FALSE(file_exists(beside));
}

TEST_F(Form4Additions, FilesTheLoadDidNotMergeOrAnotherProgramChangedAreNotSavedOver) {
    rPreference.PSEU = "Moi";
    master_file = f.master; // no points section
    const std::string lines = addition_line(ogre) + "\r\n" + addition_line(imp) + "\r\n";
    const std::string old = additions_header("Old") + "\r\n" + lines;
    const std::string beside = ajouts_path + "Vev_ajouts_Demo.txt.new";
    const std::tuple<std::string, int32_t, std::string> cases[] = {
        {old, 0, ""},                       // tag-201 value 0
        {old, 0, "cannot read master.loc"}, // damaged database: no tag-201 value
        {"#v002\r\n" + lines, 7, "bad header"},
    };
    for (int n = 0; n < 3; ++n) {
        const auto& [text, header, box] = cases[n];
        QFile::remove(to_path(beside));
        const size_t before = boxes.texts().size();
        ASSERT_TRUE(write_file_atomic(path, text));
        form->realm->header_value2 = header;
        if (n == 1)
            form->load_database();
        restart();
        add_point("Troll", n);
        form->save_additions(path);
        form->save_additions(path);
        EXPECT_EQ(file(), text);
        std::vector<std::string> expected{box, "Vev_ajouts_Demo.txt kept, saved in "
                                               "Vev_ajouts_Demo.txt.new"};
        std::erase(expected, "");
        const std::vector<std::string> shown = boxes.texts();
        EXPECT_EQ(std::vector(shown.begin() + long(before), shown.end()), expected);
        EXPECT_EQ(file_text(beside).find("Ogre|"), std::string::npos);
        EXPECT_NE(file_text(beside).find("Troll|"), std::string::npos) << n;
    }
    // The next start reads the file beside, the saves and the sending go on to it.
    restart();
    EXPECT_NE(find_point(form->points_tree, "Troll"), nullptr);
    add_point("Gnome", 20);
    form->Sauver1Click();
    EXPECT_EQ(current_additions_path(), beside);
    EXPECT_NE(file_text(beside).find("Troll|"), std::string::npos);
    EXPECT_NE(file_text(beside).find("Gnome|"), std::string::npos);
    EXPECT_EQ(QDir(to_path(ajouts_path)).entryList(QDir::Files).size(), 2);
    // Once the additions file reads again it takes the file beside in, which goes.
    ASSERT_TRUE(write_file_atomic(path, old));
    restart();
    EXPECT_EQ(point_names(form->points_tree),
              (std::vector<std::string>{"Ogre", "Imp", "Troll", "Gnome"}));
    EXPECT_FALSE(file_exists(beside) || form->additions_unsaved);
    EXPECT_EQ(current_additions_path(), path);
    restart();
    EXPECT_EQ(point_names(form->points_tree).size(), 4u);
    // Another program's version of the file is kept aside by the next save, once.
    const std::string outside = file() + addition_line({"Elf", 10, 1, 30}) + "\r\n";
    ASSERT_TRUE(write_file_atomic(path, outside));
    add_point("Orc", 40);
    form->Sauver1Click();
    form->Sauver1Click();
    EXPECT_EQ(file_text(ajouts_path + "Vev_ajouts_Demo.txt.other"), outside);
    EXPECT_EQ(boxes.texts().back(),
              "Vev_ajouts_Demo.txt changed, kept in Vev_ajouts_Demo.txt.other");
    EXPECT_TRUE(file().find("Orc|") != std::string::npos &&
                file().find("Elf|") == std::string::npos);
    EXPECT_EQ(QDir(to_path(ajouts_path)).entryList(QDir::Files).size(), 2);
}

TEST_F(Form4Additions, ASaveNeverWritesMoreThanTheNextStartReads) {
    rPreference.PSEU = "Moi";
    res_messages[86] = "%1 not saved past %2";
    form->realm->header_value2 = 7;
    // Points with long comments, the last one padded for the file to take `size` bytes.
    const auto file_of = [](size_t size) {
        std::vector<AdditionSpec> points;
        for (int i = 0; i < 31; ++i)
            points.push_back({"Big" + std::to_string(i),
                              10,
                              1,
                              i,
                              1,
                              0,
                              0,
                              {},
                              0,
                              {},
                              std::string(1 << 20, 'c')});
        const size_t base = additions_file(points, "Moi").size();
        EXPECT_LT(base - points.back().comment.size(), size);
        points.back().comment.resize(points.back().comment.size() + size - base, 'c');
        return additions_file(points, "Moi");
    };
    const AdditionSpec ogre_line{"Ogre", 10, 1, 100, 9};
    const size_t ogre_size = addition_line(ogre_line).size() + 2;
    // One point more brings a file to the save limit exactly: it is written and read back.
    ASSERT_TRUE(write_file_atomic(path, file_of(additions_save_limit - ogre_size)));
    restart();
    add_point("Ogre", 100);
    form->Sauver1Click();
    EXPECT_EQ(file().size(), additions_save_limit);
    restart();
    EXPECT_EQ(point_names(form->points_tree).size(), 32u);
    EXPECT_EQ(file().size(), additions_save_limit);
    // A file 5 bytes under the limit that a save would take past it: the save is refused, the
    // file and the unsaved additions are kept.
    const std::string under = file_of(additions_save_limit - 5);
    ASSERT_TRUE(write_file_atomic(path, under));
    restart();
    add_point("Troll", 200);
    const size_t shown = boxes.texts().size();
    form->Sauver1Click();
    const std::vector<std::string> texts = boxes.texts();
    EXPECT_EQ(std::vector(texts.begin() + long(shown), texts.end()),
              std::vector<std::string>{"Vev_ajouts_Demo.txt not saved past 32704 KB"});
    EXPECT_TRUE(file() == under && form->additions_unsaved && form->sauver1->isEnabled());
    // A signal's copy of the largest file a save writes reads back whole.
    ASSERT_TRUE(write_file_atomic(path, file_of(additions_save_limit)));
    restart();
    add_point("Gnome", 300);
    form->busy = true; // the save cannot write: only the copy takes the additions
    EXPECT_FALSE(form->save_additions_quietly());
    form->busy = false;
    const std::string copy = ajouts_path + "Vev_ajouts_Demo.txt.unsaved";
    EXPECT_GT(QFileInfo(to_path(copy)).size(), qint64(additions_save_limit));
    EXPECT_LE(QFileInfo(to_path(copy)).size(), qint64(additions_file_limit));
    const size_t before = boxes.texts().size();
    restart();
    EXPECT_NE(find_point(form->points_tree, "Gnome"), nullptr);
    // Its state passes what a save writes: the save says so and the copy stays.
    EXPECT_EQ(boxes.texts().size(), before + 1);
    EXPECT_TRUE(file_exists(copy));
}

TEST_F(Form4Additions, AFileThatCannotBeReadOrIsTooLargeIsKeptAsItIsAndTheSavesGoBeside) {
    rPreference.PSEU = "Moi";
    form->realm->header_value2 = 7;
    const std::string beside = ajouts_path + "Vev_ajouts_Demo.txt.new";
    // A folder and a FIFO at the file's place, and a file one byte past the limit (sparse).
    const std::function<bool()> makers[] = {
        [&] { return QDir().mkdir(to_path(path)); },
        [&] { return mkfifo(path.c_str(), 0600) == 0; },
        [&] {
            QFile big(to_path(path));
            return big.open(QIODevice::WriteOnly) && big.write("#v001\r\n") == 7 &&
                   big.resize(qint64(additions_file_limit) + 1);
        },
    };
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        QFile::remove(to_path(beside));
        ASSERT_TRUE(makers[n]());
        const QFileInfo before(to_path(path));
        take_outside_limits();
        const size_t shown = boxes.texts().size();
        restart();
        add_point("Troll", n);
        form->save_additions(path);
        const std::vector<std::string> texts = boxes.texts();
        EXPECT_EQ(std::vector(texts.begin() + long(shown), texts.end()),
                  (std::vector<std::string>{"cannot read Vev_ajouts_Demo.txt",
                                            "Vev_ajouts_Demo.txt kept, saved in "
                                            "Vev_ajouts_Demo.txt.new"}));
        const QFileInfo after(to_path(path));
        EXPECT_TRUE(after.isDir() == before.isDir() && after.isFile() == before.isFile() &&
                    after.size() == before.size() && after.lastModified() == before.lastModified());
        EXPECT_NE(file_text(beside).find("Troll|"), std::string::npos);
        EXPECT_EQ(take_outside_limits(), n == 2 ? 1 : 0);
        if (n == 2) {
            const std::string log = file_text(app.file("error.log"));
            EXPECT_NE(log.find(path + ": larger than its limit (32 MB); it is not read."),
                      std::string::npos)
                << log;
        }
        QDir(to_path(path)).removeRecursively();
        QFile::remove(to_path(path));
    }
    // A file at the limit is read.
    {
        QFile big(to_path(path));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.write("#v001\r\n") == 7 &&
                    big.resize(qint64(additions_file_limit)));
    }
    const size_t shown = boxes.texts().size();
    restart();
    EXPECT_EQ(boxes.texts().size(), shown);
    EXPECT_EQ(current_additions_path(), path);
}

TEST_F(Form4Additions, TheNewestCopyLeftBySignalsStandsForTheFileOnceWhileUnknownOnesAreNamed) {
    rPreference.PSEU = "Moi";
    form->realm->header_value2 = 7;
    rnew_node well = PointsFixture::point("Well", 10, 1, 50, 0);
    well.master_id = 0x20;
    form->addnode(well);
    AdditionSpec w{"W", 10, 1, 50}, well2{"Well2", 10, 1, 50}, troll{"Troll", 10, 1, 5},
        gnome{"Gnome", 10, 1, 6};
    w.master_id = well2.master_id = 0x20;
    ASSERT_TRUE(write_file_atomic(path, additions_file({imp, w})));
    restart_feedback(well);
    // Copies written as a signal's save writes them, over the file as loaded: one in the home
    // folder while the additions folder was away (a gnome added), then a newer one beside the
    // additions file (W renamed, a troll added, the gnome deleted).
    const std::string mine = ajouts_path + "Vev_ajouts_Demo.txt.unsaved";
    const std::string home_copy = app.file("home/Vev_ajouts_Demo.txt.unsaved");
    const std::string away = app.file("away");
    ASSERT_TRUE(QDir().rename(to_path(ajouts_path), to_path(away)));
    ASSERT_EQ(write_additions_fallback(path, additions_file({imp, w, gnome})), home_copy);
    ASSERT_TRUE(QDir().rename(to_path(away), to_path(ajouts_path)));
    QFile touched(to_path(home_copy));
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite) &&
                touched.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                    QFileDevice::FileModificationTime));
    touched.close();
    ASSERT_EQ(write_additions_fallback(path, additions_file({imp, well2, troll})), mine);
    EXPECT_NE(file_text(home_copy).find("\r\n" + installation_line() + "\r\n"), std::string::npos);
    // Home copies no installation takes in: without the line, or naming a folder that is gone;
    // one naming another installation's folder is left to it.
    const std::string untied = app.file("home/Vev_ajouts_Other.txt.unsaved2");
    const std::string lost = app.file("home/Vev_ajouts_Demo.txt.new.unsaved");
    const std::string other = app.file("home/Vev_ajouts_Demo.txt.unsaved3");
    ASSERT_TRUE(QDir().mkpath(to_path(app.file("other"))));
    ASSERT_TRUE(write_file_atomic(untied, additions_file({troll})));
    ASSERT_TRUE(write_file_atomic(lost, "#v001\r\n#installation " + app.file("gone") + "\r\n"));
    ASSERT_TRUE(write_file_atomic(other, "#v001\r\n#installation " + app.file("other") + "\r\n" +
                                             addition_line(troll) + "\r\n"));
    const std::vector<std::string> named = {"waits in " + lost, "waits in " + untied};
    std::vector<std::string> expected = named;
    expected.insert(expected.end(),
                    {"saved Vev_ajouts_Demo.txt", "recovered Vev_ajouts_Demo.txt.unsaved"});
    EXPECT_EQ(restart_feedback(well), expected);
    // The newest copy's points, as it has them; what the file and the older copy held that it
    // lacks is kept in the backup, once.
    const std::vector<std::string> points = {"Imp", "Well2", "Troll"};
    EXPECT_EQ(point_names(form->points_tree), points);
    EXPECT_EQ(file(), additions_file({imp, well2, troll}, "Moi", file().substr(9, 6)));
    std::vector<std::string> backup = split_lines(file_text(ajouts_path + "Vev_ajouts_Demo.bak"));
    ASSERT_EQ(backup.size(), 3u);
    std::sort(backup.begin() + 1, backup.end());
    EXPECT_EQ(std::vector(backup.begin() + 1, backup.end()),
              (std::vector{addition_line(gnome), addition_line(w)}));
    EXPECT_FALSE(file_exists(mine) || file_exists(home_copy) || form->additions_unsaved);
    EXPECT_TRUE(file_exists(untied) && file_exists(lost) && file_exists(other));
    // A new start takes nothing in twice and names the unknown copies again.
    EXPECT_EQ(restart_feedback(well), named);
    EXPECT_EQ(point_names(form->points_tree), points);
    // A copy that cannot be read stays; so does one whose state cannot be saved.
    ASSERT_TRUE(write_file_atomic(mine, "#v002\r\n" + addition_line(troll) + "\r\n"));
    const size_t shown = boxes.texts().size();
    EXPECT_EQ(restart_feedback(well), named);
    EXPECT_EQ(boxes.texts().size(), shown + 1);
    EXPECT_EQ(boxes.texts().back(), "bad header");
    EXPECT_TRUE(file_exists(mine));
    QFile::remove(to_path(mine));
    const AdditionSpec orc{"Orc", 10, 1, 7};
    ASSERT_EQ(write_additions_fallback(path, additions_file({imp, well2, troll, orc})), mine);
    {
        FileSizeLimit limit(100);
        restart_feedback(well);
    }
    EXPECT_EQ(boxes.texts().back(), "cannot write Vev_ajouts_Demo.txt");
    EXPECT_TRUE(file_exists(mine));
    restart_feedback(well);
    EXPECT_EQ(point_names(form->points_tree),
              (std::vector<std::string>{"Imp", "Well2", "Troll", "Orc"}));
    EXPECT_FALSE(file_exists(mine));
    // A copy made over a state of the file that is no longer there (the file was written
    // since) is older than the file: only what it adds goes to the backup, and it goes.
    const auto marked = [](const std::vector<AdditionSpec>& points, const std::string& marks) {
        std::string text = additions_file(points);
        return text.insert(text.find("#v1.06\r\n") + 8, marks);
    };
    const std::string base = "#base " + std::string(32, '0') + "\r\n";
    ASSERT_TRUE(
        write_file_atomic(mine, marked({imp, orc, gnome}, installation_line() + "\r\n" + base)));
    EXPECT_EQ(restart_feedback(well),
              (std::vector{named[0], named[1], std::string("saved Vev_ajouts_Demo.txt")}));
    EXPECT_EQ(point_names(form->points_tree),
              (std::vector<std::string>{"Imp", "Well2", "Troll", "Orc"}));
    EXPECT_EQ(split_lines(file_text(ajouts_path + "Vev_ajouts_Demo.bak")).back(),
              addition_line(gnome));
    EXPECT_FALSE(file_exists(mine));
    // A copy that names no state of this installation (moved in from another) adds its points.
    ASSERT_TRUE(write_file_atomic(mine, marked({imp, gnome}, base)));
    EXPECT_EQ(restart_feedback(well),
              (std::vector<std::string>{named[0], named[1], "saved Vev_ajouts_Demo.txt",
                                        "recovered Vev_ajouts_Demo.txt.unsaved"}));
    EXPECT_EQ(point_names(form->points_tree),
              (std::vector<std::string>{"Imp", "Well2", "Troll", "Orc", "Gnome"}));
    EXPECT_FALSE(file_exists(mine));
}

TEST_F(Form4Additions, NoFileOfAnotherDatabaseIsTakenMergedOrRemoved) {
    rPreference.PSEU = "Moi";
    form->realm->header_value2 = 7;
    const AdditionSpec troll{"Troll", 10, 1, 5}, gnome{"Gnome", 10, 1, 6};
    ASSERT_TRUE(write_file_atomic(path, additions_file({imp})));
    // The additions files, and their own companions, of databases named like Demo's companions.
    std::map<std::string, std::string> others;
    for (const char* name :
         {"Vev_ajouts_Demo.new.txt", "Vev_ajouts_Demo.unsaved.txt", "Vev_ajouts_Demo.unsaved2.txt",
          "Vev_ajouts_Demo.other.txt", "Vev_ajouts_Demo.new.unsaved.txt", "Vev_ajouts_Demo.txt.txt",
          "Vev_ajouts_Demo.txt.txt.unsaved", "Vev_ajouts_Demo.txt.new.txt",
          "Vev_ajouts_Demo.txt.unsaved.txt", "Vev_ajouts_Demo.new.txt.unsaved"}) {
        others[ajouts_path + name] = additions_file({troll}) + "#installation x\r\n";
        ASSERT_TRUE(write_file_atomic(ajouts_path + name, others[ajouts_path + name]));
    }
    // Copies of a database no longer installed do not hide Demo's own.
    for (int n = 1; n <= 40; ++n) {
        const std::string name = ajouts_path + "Vev_ajouts_Ancien.txt.unsaved" +
                                 (n == 1 ? std::string() : std::to_string(n));
        others[name] = additions_file({troll});
        ASSERT_TRUE(write_file_atomic(name, others[name]));
    }
    const std::string mine = ajouts_path + "Vev_ajouts_Demo.txt.unsaved";
    ASSERT_EQ(write_additions_fallback(path, additions_file({imp, gnome})), mine);
    restart();
    EXPECT_EQ(point_names(form->points_tree), (std::vector<std::string>{"Imp", "Gnome"}));
    EXPECT_FALSE(file_exists(mine));
    for (const auto& [name, text] : others)
        EXPECT_EQ(file_text(name), text) << name;
    // Saving beside the additions file, and keeping another program's version aside, use names
    // of Demo's own.
    add_point("Orc", 7);
    ASSERT_TRUE(write_file_atomic(path, additions_file({imp, gnome, troll})));
    form->Sauver1Click();
    EXPECT_EQ(file_text(ajouts_path + "Vev_ajouts_Demo.txt.other"),
              additions_file({imp, gnome, troll}));
    for (const auto& [name, text] : others)
        EXPECT_EQ(file_text(name), text) << name;
}

TEST_F(Form4Additions, TheBackupKeepsTheNewestDroppedLinesWithinItsLimit) {
    rPreference.PSEU = "Moi";
    form->realm->header_value2 = 7;
    const std::string backup = ajouts_path + "Vev_ajouts_Demo.bak";
    // An old backup past the limit without a line break keeps its newest bytes.
    ASSERT_TRUE(write_file_atomic(backup, std::string(additions_backup_limit, 'o') + "new"));
    const AdditionSpec lost{"Lost", 98, 1, 1};
    ASSERT_TRUE(write_file_atomic(path, additions_file({ogre, lost})));
    restart();
    std::string kept = file_text(backup);
    const std::string block = "\r\n" + addition_line(lost) + "\r\n";
    EXPECT_EQ(kept.size(), additions_backup_limit);
    EXPECT_TRUE(kept.starts_with("ooo") && kept.ends_with(block));
    EXPECT_NE(kept.find("new\r\n# 20"), std::string::npos);
    // A load that drops more than the limit keeps the dated line and the newest lines.
    std::string text = additions_file({ogre});
    std::vector<std::string> dropped;
    for (int i = 0; text.size() < additions_backup_limit + (1 << 20); ++i) {
        dropped.push_back(addition_line({"Lost " + std::to_string(i), 98, 1, i}));
        text += dropped.back() + "\r\n";
    }
    ASSERT_TRUE(write_file_atomic(path, text));
    restart();
    kept = file_text(backup);
    EXPECT_LE(kept.size(), additions_backup_limit);
    EXPECT_GT(kept.size(), additions_backup_limit - 100);
    const std::vector<std::string> lines = split_lines(kept);
    EXPECT_TRUE(lines[0].starts_with("# 20")) << lines[0];
    EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()),
              std::vector(dropped.end() - long(lines.size() - 1), dropped.end()));
    EXPECT_EQ(file(), additions_file({ogre}, "Moi", file().substr(9, 6)));
}
