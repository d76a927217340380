#include "database/additions_file.h"
#include "database/database_list.h"
#include "database/points_reader.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/input_pseudo.h"
#include "mainwindow/widgets/map.h"
#include "support/additions_writer.h"
#include "support/demo_database.h"
#include "support/form4_points.h"
#include "support/points_fixture.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <sys/resource.h>

using namespace support;

namespace {

// Zones 10 and 11 of continent 1, zone 0 of continent 2; categories Mobs (1, level-coloured)
// and Shops (4).
PointsFixture world() {
    return PointsFixture({{1, 5, 10, "Kalimdor"}, {2, 6, 0, "Eastern"}},
                         {{"Tanaris", "t", 10, 1}, {"Ashenvale", "a", 11, 1}, {"Zero", "z", 0, 2}},
                         {{"Mobs", 1, 3, 1}, {"Shops", 4, 4, 2}});
}

struct Merge {
    explicit Merge(PointsFixture& f, bool strict = true)
        : realm(f.master), merger(*f.map_data, realm,
                                  {[&f](const rnew_node& r) { return f.add(r); },
                                   [&f](TreeNode* n) { f.tree.delete_node(n); }},
                                  strict) {}

    AdditionOutcome operator()(const AdditionSpec& a) {
        return merger.merge_line(addition_line(a));
    }

    TRealm_info realm;
    TAdditionsMerger merger;
};

// A database point (from the master file).
TreeNode* database_point(PointsFixture& f, const std::string& name, int32_t master, int32_t x,
                         int32_t y, bool locked = false, const std::string& link = {}) {
    rnew_node r = PointsFixture::point(name, 10, 1, x, y);
    r.master_id = master;
    r.locked = locked;
    r.link = link;
    return f.add(r);
}

std::vector<std::string> points_of(const PointsFixture& f) {
    std::vector<std::string> out;
    for (const std::string& line : display_order(f.tree))
        if (line.front() == '3')
            out.push_back(line.substr(2));
    return out;
}

} // namespace

TEST(AdditionsFormat, LinesSplitIntoSixteenFields) {
    AdditionFields f;
    EXPECT_FALSE(split_addition_line("  \t ", f));
    EXPECT_FALSE(split_addition_line("  #v1.06", f));
    ASSERT_TRUE(split_addition_line("  a|b|c\t", f));
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[2], "c");
    EXPECT_EQ(f[3], "");
    ASSERT_TRUE(split_addition_line("n|||||||||||||||line 1|line 2|x", f));
    EXPECT_EQ(f[15], "line 1|line 2|x");

    EXPECT_TRUE(is_additions_header("#v001"));
    EXPECT_FALSE(is_additions_header(" #v001-id=1"));
    EXPECT_EQ(additions_header_line("123456", ""), "#v001-id=123456-Anonymous");
    const std::string digits = random_header_digits();
    ASSERT_EQ(digits.size(), 6u);
    for (char c : digits)
        EXPECT_TRUE(c >= '1' && c <= '9') << digits;
}

TEST(AdditionsFormat, NumberFieldsFallBackToZero) {
    TFlagSet f = parse_flag_field("0000000AzzzzzzzzFFFFFFFF1234567");
    EXPECT_EQ(f.w, (std::array<uint32_t, 4>{10, 0, 0xFFFFFFFF, 0}));
    EXPECT_EQ(parse_flag_field("abcdef01").w[0], 0xABCDEF01u);

    int32_t id = 7;
    EXPECT_TRUE(parse_master_id("", id));
    EXPECT_EQ(id, 0);
    EXPECT_TRUE(parse_master_id("FFFFFFFF", id));
    EXPECT_EQ(id, -1);
    for (const char* bad : {"G1", " 12", "1FFFFFFFF", "-1", "$12"})
        EXPECT_FALSE(parse_master_id(bad, id)) << bad;

    AdditionLine a;
    ASSERT_EQ(parse_addition_line_values("n||$A|x|1 |-5|7|8||300|||||", a), AdditionParse::Point);
    EXPECT_EQ(a.zone_id, 10);
    EXPECT_EQ(a.category_id, 0);
    EXPECT_EQ(a.y, -5);
    EXPECT_EQ(a.first_field, 300 & 0xFF);
    EXPECT_EQ(parse_addition_line_values("n|||||||||||||xyz", a), AdditionParse::BadMasterId);
}

TEST(AdditionsFormat, WrittenFileReadsBackAsTheSamePoints) {
    PointsFixture first = world();
    database_point(first, "Database", 0x10, 5, 5);
    AdditionSpec a{"Ogre", 10, 1, 100, 200, 5, 12, {{1, 2, 3, 0x80000000}}, 0, "", "big|angry"};
    AdditionSpec b{"Shop", 11, 4, 65535, 0, 0, 0, {}, 0, "S_0000000100000002", ""};
    AdditionSpec c{"@Gone", 10, 1, 7, 7, 0, 0, {}, 0x40};
    for (const AdditionSpec& s : {a, b, c}) {
        rnew_node r = PointsFixture::point(s.name, s.zone_id, s.category_id, s.x, s.y);
        r.level_min = s.level_min;
        r.level_max = s.level_max;
        r.flags = s.flags;
        r.master_id = s.master_id;
        r.link = s.link;
        r.comment = s.comment;
        r.from_master = false;
        first.add(r);
    }
    const std::string text = additions_file_text(first.tree, "987654", "Moi");
    EXPECT_EQ(text, additions_file({b, a, c}, "Moi", "987654")); // Ashenvale sorts first

    PointsFixture second = world();
    database_point(second, "Gone", 0x40, 7, 7);
    Merge merge(second);
    ASSERT_TRUE(write_file_atomic(second.dir.file("a.txt"), text));
    AdditionsReadResult r = merge_additions_file(second.dir.file("a.txt"), merge.merger);
    EXPECT_EQ(r.status, AdditionsRead::Read);
    EXPECT_EQ(r.rejected, 0);
    EXPECT_EQ(merge.realm.additions_count, 3);
    EXPECT_EQ(additions_file_text(second.tree, "987654", "Moi"), text);
}

TEST(AdditionsMerge, DuplicatesMissingTargetsAndDeletionsWithoutIdAreRejected) {
    PointsFixture f = world();
    database_point(f, "Well", 0x20, 50, 50);
    Merge merge(f);
    AdditionSpec ogre{"Ogre", 10, 1, 1, 2};
    EXPECT_EQ(merge(ogre), AdditionOutcome::Added);
    EXPECT_EQ(merge(ogre), AdditionOutcome::Rejected); // identical
    EXPECT_EQ(merge({"Well", 10, 1, 51, 50, 0, 0, {}, 0x20}),
              AdditionOutcome::Rejected);                                // elsewhere
    EXPECT_EQ(merge({"@Ogre", 10, 1, 1, 2}), AdditionOutcome::Rejected); // no master id
    EXPECT_EQ(merge({"Imp", 10, 1, 50, 50}), AdditionOutcome::Rejected); // strict, occupied
    EXPECT_EQ(merge.realm.additions_count, 1);
    EXPECT_FLOAT_EQ(merge.realm.additions_score, 1.0f);
    EXPECT_EQ(points_of(f), (std::vector<std::string>{"Well", "Ogre"}));
}

TEST(AdditionsMerge, ReplacementsDeletionsAndLocks) {
    PointsFixture f = world();
    database_point(f, "Well", 0x20, 50, 50);
    database_point(f, "Tower", 0x21, 60, 60, true, "S_0000000100000002");
    database_point(f, "Master_Cancel", 0x22, 70, 70, true);
    Merge merge(f);
    EXPECT_EQ(merge({"@Well", 10, 1, 50, 50, 0, 0, {}, 0x20}), AdditionOutcome::Added);
    EXPECT_FLOAT_EQ(merge.realm.additions_score, 0.0f);
    // A locked point keeps its category and link; its replacement inherits the lock.
    EXPECT_EQ(merge({"Tower", 10, 4, 60, 60, 0, 0, {}, 0x21, "S_0000000100000002"}),
              AdditionOutcome::Rejected);
    EXPECT_EQ(merge({"Tower", 10, 1, 60, 60, 0, 0, {}, 0x21, ""}), AdditionOutcome::Rejected);
    EXPECT_EQ(merge({"@Tower", 10, 1, 60, 60, 0, 0, {}, 0x21, "S_0000000100000002"}),
              AdditionOutcome::Rejected);
    EXPECT_EQ(merge({"Master_Cancel", 10, 1, 70, 70, 0, 0, {}, 0x22}), AdditionOutcome::Rejected);
    EXPECT_EQ(merge({"Tall tower", 10, 1, 60, 60, 0, 0, {}, 0x21, "S_0000000100000002"}),
              AdditionOutcome::Added);
    EXPECT_FLOAT_EQ(merge.realm.additions_score, 0.5f);
    EXPECT_EQ(points_of(f), (std::vector<std::string>{"Master_Cancel", "-@Well", "Tall tower"}));
    TreeNode* tall = f.tree.first();
    while (node_text(tall) != "Tall tower")
        tall = TPointsTree::next(tall);
    EXPECT_TRUE(tall->item()->locked);
    EXPECT_FALSE(tall->item()->from_master);
    EXPECT_EQ(tall->item()->master_id, 0x21);
}

TEST(AdditionsMerge, ReadOnlyDatabaseLetsLinesWithoutIdReplace) {
    PointsFixture f = world();
    database_point(f, "Camp", 0, 5, 5);
    Merge merge(f, false);
    EXPECT_EQ(merge({"Camp", 10, 1, 5, 5}), AdditionOutcome::Rejected); // identical
    EXPECT_EQ(merge({"Camp", 10, 1, 5, 5, 3, 4}), AdditionOutcome::Added);
    EXPECT_EQ(merge({"Camp", 10, 1, 5, 5, 3, 5}), AdditionOutcome::Added); // same name: 0.025
    EXPECT_EQ(merge({"Hut", 10, 1, 9, 9}), AdditionOutcome::Added);
    EXPECT_EQ(merge({"Hut", 10, 1, 9, 10}), AdditionOutcome::Added); // same name: 0.3
    EXPECT_EQ(merge({"Hut", 10, 1, 9, 11, 0, 0, {}, 0, "", "x"}), AdditionOutcome::Added);
    EXPECT_EQ(merge.realm.additions_count, 5);
    EXPECT_FLOAT_EQ(merge.realm.additions_score, 0.5f + 0.025f + 1.0f + 0.3f + 0.3f);
    EXPECT_EQ(points_of(f), (std::vector<std::string>{"Camp", "Hut", "Hut", "Hut"}));
}

TEST(AdditionsMerge, BadFieldsDropOrRejectWithoutHarm) {
    PointsFixture f = world();
    database_point(f, "Bridge", 0x30, 5, 5);
    Merge merge(f);
    std::vector<std::string> fields = addition_fields({"Bad zone", 0, 1, 1, 1});
    fields[2] = "zero"; // reads as zone 0, which exists: the raising conversion drops the line
    EXPECT_EQ(merge.merger.merge_line(join_fields(fields)), AdditionOutcome::Dropped);
    fields[13] = "12Z";
    EXPECT_EQ(merge.merger.merge_line(join_fields(fields)), AdditionOutcome::Dropped);
    // A malformed route refuses the line before the database point is replaced.
    EXPECT_EQ(merge({"Bridge", 10, 1, 5, 5, 0, 0, {}, 0x30, "V_x"}), AdditionOutcome::Rejected);
    // No zone node: counted, no node.
    EXPECT_EQ(merge({"Nowhere", 99, 1, 5, 5}), AdditionOutcome::Added);
    AdditionSpec tagged{"Tagged", 11, 4, 1, 1};
    tagged.field10 = "513";
    EXPECT_EQ(merge(tagged), AdditionOutcome::Added);
    EXPECT_EQ(merge.realm.additions_count, 2);
    EXPECT_EQ(points_of(f), (std::vector<std::string>{"Tagged", "Bridge"})); // Ashenvale first
}

TEST(AdditionsFile, HostileFilesNeverBreakTheMerge) {
    PointsFixture f = world();
    const std::string good = additions_file(
        {{"Ogre", 10, 1, 1, 2, 5, 9, {{1, 2, 3, 4}}, 0, "", "a|b"}, {"Imp", 11, 4, 3, 4}});
    const std::string path = f.dir.file("a.txt");
    {
        Merge merge(f);
        EXPECT_EQ(merge_additions_file(path, merge.merger).status, AdditionsRead::Missing);
        ASSERT_TRUE(write_file_atomic(path, "#v002\r\n" + good));
        EXPECT_EQ(merge_additions_file(path, merge.merger).status, AdditionsRead::BadHeader);
        ASSERT_TRUE(write_file_atomic(path, ""));
        EXPECT_EQ(merge_additions_file(path, merge.merger).status, AdditionsRead::BadHeader);
    }
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        PointsFixture g = world();
        Merge merge(g);
        ASSERT_TRUE(write_file_atomic(path, good.substr(0, cut)));
        AdditionsReadResult r = merge_additions_file(path, merge.merger);
        EXPECT_EQ(r.status, cut >= 5 ? AdditionsRead::Read : AdditionsRead::BadHeader);
        EXPECT_LE(merge.realm.additions_count, 2);
    }

    static const char kChars[] = "|0123456789ABF$-@#xV_S\r\n\xff";
    std::mt19937 random(7);
    std::string garbage = "#v001\n";
    for (int i = 0; i < 300; ++i) {
        std::string line(random() % 120, ' ');
        for (char& c : line)
            c = kChars[random() % (sizeof kChars - 1)];
        garbage += line + "\n";
    }
    garbage += "Huge|" + std::string(1 << 20, 'x') + "|10|1|1|1\r\n";
    Merge merge(f);
    ASSERT_TRUE(write_file_atomic(path, garbage));
    EXPECT_EQ(merge_additions_file(path, merge.merger).status, AdditionsRead::Read);
}

TEST(AdditionsFile, ManyLinesOnOneZoneMergeQuickly) {
    PointsFixture f = world();
    std::vector<AdditionSpec> lines;
    for (int i = 0; i < 40000; ++i)
        lines.push_back({"P" + std::to_string(i), 10, 1, i % 300, i / 300});
    lines.push_back(lines.front()); // identical to the first: found through the index
    ASSERT_TRUE(write_file_atomic(f.dir.file("a.txt"), additions_file(lines)));
    Merge merge(f);
    AdditionsReadResult r = merge_additions_file(f.dir.file("a.txt"), merge.merger);
    EXPECT_EQ(r.rejected, 1);
    EXPECT_EQ(merge.realm.additions_count, 40000);
}

// ---- The main window's part ----

namespace {

// Answers every nickname dialog that opens with `text`; counts them.
class NicknameAnswers {
public:
    explicit NicknameAnswers(QString text) : text_(std::move(text)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<TForm6*>(w); d && d->isVisible()) {
                    titles.push_back(d->windowTitle());
                    d->Edit1->setText(text_);
                    d->Button1->click();
                }
        });
        timer_.start(10);
    }
    std::vector<QString> titles;

private:
    QString text_;
    QTimer timer_;
};

// Writes beyond `bytes` fail while the object lives, whatever the user's rights.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    struct rlimit old_ {};
    void (*old_handler_)(int) = nullptr;
};

class Form4Additions : public ::testing::Test {
protected:
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    PointsFixture f{
        {{1, 5, 10, "Kalimdor"}}, {{"Tanaris", "t", 10, 1}}, {{"Mobs", 1, 3, 1}}, {}, false};
    std::unique_ptr<TForm4> form;
    std::string path;

    void SetUp() override {
        form = form_with_points(app.path(), f);
        form->realm = std::make_unique<TRealm_info>(f.master);
        form->realm->header_value2 = 1;
        form->first_activation = false;
        res_messages.assign(80, "-");
        res_messages[1] = "save %1?";
        res_messages[4] = "%1 rejected in %2";
        res_messages[5] = "saved %2";
        res_messages[6] = "cannot write %1";
        res_messages[37] = "bad header";
        res_infos.assign(10, "-");
        res_infos[5] = "additions %1";
        res_captions.assign(100, "-");
        res_captions[77] = "Nickname";
        additions_file_name = "Vev_ajouts_Demo.txt";
        path = ajouts_path + additions_file_name;
    }
    void TearDown() override {
        form.reset();
        additions_file_name.clear();
    }

    std::string file() const {
        std::string text;
        read_file(path, text);
        return text;
    }
    std::string last_feedback() const {
        const auto& lines = form->feedback_lines.lines();
        for (auto it = lines.rbegin(); it != lines.rend(); ++it)
            if (!it->text.empty())
                return it->text;
        return {};
    }
    QStringList memo() const { return form->Memo1->toPlainText().split('\n'); }
    size_t points_of_form() const {
        size_t n = 0;
        for (TreeNode* node = form->points_tree.first(); node; node = TPointsTree::next(node))
            n += node->level == kLevelPoint;
        return n;
    }
};

const AdditionSpec ogre{"Ogre", 10, 1, 1, 2};
const AdditionSpec imp{"Imp", 10, 1, 3, 4};

} // namespace

TEST_F(Form4Additions, ReloadMergesAndRewritesAfterRejectsAskingTheNicknameOnce) {
    const std::string original = additions_file({ogre, ogre, imp}, "Old");
    ASSERT_TRUE(write_file_atomic(path, original));
    form->realm->header_value2 = 0;
    form->reload_additions();
    EXPECT_EQ(points_of_form(), 0u);
    EXPECT_EQ(form->Memo1->toPlainText(), "");

    form->realm->header_value2 = 7;
    NicknameAnswers answers("Ondine");
    form->reload_additions();
    ASSERT_EQ(answers.titles.size(), 1u);
    EXPECT_EQ(answers.titles[0], "Nickname");
    EXPECT_EQ(rPreference.PSEU, "Ondine");
    EXPECT_EQ(memo(), (QStringList{"additions 2 [2]", ""}));
    const std::string rewritten = file();
    EXPECT_EQ(rewritten, additions_file({ogre, imp}, "Ondine", rewritten.substr(9, 6)));
    EXPECT_EQ(last_feedback(), "1 rejected in Vev_ajouts_Demo.txt");
    EXPECT_EQ(form->rejected_lines, 0);
    EXPECT_FALSE(form->Timer3.isActive());

    // The auto-save tick saves only unsaved additions, and never while a node is being added.
    rPreference.AUTO = true;
    form->toggle_tagnew(true);
    form->autosave_allowed = false;
    form->Timer3Timer();
    EXPECT_TRUE(form->additions_unsaved);
    form->autosave_allowed = true;
    form->Timer3Timer();
    EXPECT_FALSE(form->additions_unsaved);
    EXPECT_FALSE(form->sauver1->isEnabled());
    EXPECT_EQ(last_feedback(), "saved Vev_ajouts_Demo.txt");
    EXPECT_TRUE(form->Timer3.isActive());
    EXPECT_EQ(form->Timer3.interval(), 300000);
    EXPECT_EQ(answers.titles.size(), 1u);
}

TEST_F(Form4Additions, MissingFileOrBadHeaderMergeNothing) {
    const size_t shown = boxes.shown().size();
    form->reload_additions();
    EXPECT_EQ(form->Memo1->toPlainText(), "");
    const std::string damaged = "#v01\r\n" + addition_line(ogre) + "\r\n";
    ASSERT_TRUE(write_file_atomic(path, damaged));
    form->reload_additions();
    ASSERT_EQ(boxes.shown().size(), shown + 1);
    EXPECT_EQ(boxes.texts().back(), "bad header");
    EXPECT_EQ(points_of_form(), 0u);
    EXPECT_EQ(file(), damaged);
}

TEST_F(Form4Additions, FailedSaveKeepsTheOldFileAndTheWindowOpen) {
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
    EXPECT_TRUE(form->additions_unsaved);
    EXPECT_EQ(file(), before);
    EXPECT_EQ(boxes.texts().back(), "cannot write Vev_ajouts_Demo.txt");
    EXPECT_TRUE(form->Timer3.isActive());
    // "No" lets other callers go on but keeps the additions unsaved; Cancel stops them.
    EXPECT_TRUE(form->confirm_save_additions(63));
    EXPECT_TRUE(form->additions_unsaved);
    EXPECT_FALSE(form->confirm_save_additions(48));
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_FALSE(form->additions_unsaved);
    const std::string after = file();
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 42);
}

TEST(AdditionsFile, DemoAdditionsMergeOverTheDemoDatabase) {
    const DemoDatabase db =
        load_demo_description(std::string(KARVELO_SOURCE_DIR) + "/demo/Demo/database.json");
    TempDir dist;
    write_demo_installation(db, dist.path());
    const std::string master = dist.file("database/Demo/master.loc");
    TRealm_info realm(master);
    TData_common common(master, dist.file("catpref.bin"));
    TPointsTree tree;
    build_zone_tree(tree, *realm.map_data, common);
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) {
        add_point(tree, *realm.map_data, r, &common.property_colors);
    };
    const PointsReadResult points = load_points_database(master, sink);
    ASSERT_NE(points.header_value2.value_or(0), 0u);
    TNameSearch search;
    search.start = tree.first();
    ASSERT_NE(find_point_by_name(search, "Vieux puits"), nullptr);

    TAdditionsMerger merger(*realm.map_data, realm,
                            {[&](const rnew_node& r) {
                                 return add_point(tree, *realm.map_data, r,
                                                  &common.property_colors);
                             },
                             [&](TreeNode* n) { tree.delete_node(n); }},
                            db.url_lines.at(7) == "0");
    const AdditionsReadResult r =
        merge_additions_file(dist.file("ajouts/Vev_ajouts_Demo.txt"), merger);
    EXPECT_EQ(r.status, AdditionsRead::Read);
    EXPECT_EQ(r.rejected, 0);
    EXPECT_EQ(realm.additions_count, int32_t(db.additions.size()));
    // The deletion entry hides the database point it names.
    EXPECT_EQ(find_point_by_name(search, "Vieux puits"), nullptr);
}
