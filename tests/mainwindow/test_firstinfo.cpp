#include "mainwindow/widgets/fic_firstinfo.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "support/saved_globals.h"
#include "support/temp_dir.h"

namespace {

QStringList texts_of(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

void select(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->setCurrentItem(found.first());
}

void press(QWidget* target, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
}

// Three databases: Alpha (right version), Beta (wrong version), Gamma (not editable).
class FirstRunDialog : public ::testing::Test {
protected:
    void SetUp() override {
        res_path = dir_.path() + "res/";
        data_path = dir_.path() + "data/";
        res_captions.assign(180, "-");
        for (auto [folder, display, version_ok, not_editable] :
             {std::tuple{"Alpha", "First line\rsecond r\xE9gion", true, false},
              {"Beta", "Old", false, false},
              {"Gamma", "Read only", true, true}}) {
            list_.push_back(std::make_unique<rdbavailable>());
            list_.back()->folder = folder;
            list_.back()->display_description = display;
            list_.back()->version_ok = version_ok;
            list_.back()->not_editable = not_editable;
        }
        db_name.clear();
        language.clear();
        edit_db_name.clear();
    }
    void add_language(const std::string& name, const std::string* welcome = nullptr) {
        ASSERT_TRUE(QDir().mkpath(to_path(res_path + name)));
        if (welcome != nullptr) {
            ASSERT_TRUE(write_file_atomic(res_path + name + "/welcome.txt", *welcome));
        }
    }
    std::unique_ptr<TForm1> shown(uint8_t mode) {
        auto dialog = std::make_unique<TForm1>(list_);
        dialog->mode = mode;
        dialog->show();
        return dialog;
    }

    SavedGlobals saved_;
    TempDir dir_;
    TDatabaseList list_;
};

} // namespace

TEST_F(FirstRunDialog, FirstRunListsLanguagesAndDatabasesAndKeepsTheChoice) {
    for (const char* name : {"English", "FRANCAIS", "Deutsch"})
        add_language(name);
    auto dialog = shown(1);

    EXPECT_EQ(dialog->ComboBox1->currentText() + QString::number(dialog->ComboBox1->count()),
              "FRANCAIS3"); // letter case ignored
    EXPECT_EQ(texts_of(dialog->ListBox2),
              QStringList({"Alpha", "Beta[Incorrect_version]", "Gamma"}));
    EXPECT_TRUE(dialog->ListBox2->selectedItems().isEmpty());

    select(dialog->ListBox2, "Alpha");
    EXPECT_EQ(dialog->Label4->text(), QString::fromUtf8("First line\nsecond région"));

    // A database of the wrong version can be chosen; its name comes without the mark.
    select(dialog->ListBox2, "Beta[Incorrect_version]");
    EXPECT_EQ(dialog->Label4->text(), "Old");
    dialog->ComboBox1->setCurrentIndex(dialog->ComboBox1->findText("English"));
    EXPECT_TRUE(dialog->FormCloseQuery());
    dialog->Button1Click();
    EXPECT_FALSE(dialog->isVisible() || dialog->Timer1->isActive());
    EXPECT_TRUE(db_name.empty()); // applied when the dialog goes
    dialog.reset();
    EXPECT_EQ(db_name + "|" + language + "|" + edit_db_name, "Beta|English|");
}

TEST_F(FirstRunDialog, ClosingIsRefusedWithoutAChoiceInEveryWayAndTheBuiltInWelcomeShows) {
    add_language("Francais");
    TForm1 dialog(list_);
    dialog.mode = 1;
    int attempts_refused = 0;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.Timer1Timer(); // the one built-in welcome text again
        press(&dialog, Qt::Key_Escape);
        attempts_refused += dialog.isVisible();
        dialog.Button1->click();
        attempts_refused += dialog.isVisible();
        press(dialog.ListBox2, Qt::Key_Return); // the default button
        attempts_refused += dialog.isVisible();
        dialog.close();
        attempts_refused += dialog.isVisible();
        select(dialog.ListBox2, "Gamma");
        press(&dialog, Qt::Key_Escape);
    });
    // Never leave the test waiting on a dialog that refuses to close.
    QTimer::singleShot(5000, &dialog, [&] { dialog.QDialog::done(QDialog::Rejected); });
    dialog.exec();
    EXPECT_EQ(attempts_refused, 4);
    EXPECT_TRUE(dialog.ComboBox1->currentText() == "Francais" && dialog.FormCloseQuery() &&
                dialog.Label3->text().startsWith("Welcome in Vev Karvelo!") &&
                tag_of(dialog.Timer1) == 0);
}

TEST_F(FirstRunDialog, FirstRunWithoutLanguageFolderCannotClose) {
    auto dialog = shown(1);
    select(dialog->ListBox2, "Alpha");
    EXPECT_TRUE(dialog->ComboBox1->count() == 0 && dialog->welcome_list().empty() &&
                dialog->Label3->text().isEmpty());
    dialog->Button1Click();
    EXPECT_TRUE(dialog->isVisible());
    dialog->QDialog::done(QDialog::Rejected);
    dialog.reset();
    EXPECT_EQ(db_name + "|" + language, "Alpha|");
}

TEST_F(FirstRunDialog, WelcomeTextsRotateOneLanguageAfterTheOther) {
    // Each welcome.txt gives its first line; an empty one gives nothing.
    for (auto [name, welcome] :
         {std::pair{"Francais", "Bienvenue \xE0 vous%%%%Choisissez\r\nsecond line\r\n"},
          {"Deutsch", "Willkommen\n"},
          {"English", "Welcome%%first\rignored"},
          {"Klingon", ""}}) {
        const std::string text = welcome;
        add_language(name, &text);
    }
    add_language("Elvish");
    auto dialog = shown(1);

    const std::map<QString, QString> by_language = {
        {"Francais", QString::fromUtf8("Bienvenue à vous\n\nChoisissez")},
        {"Deutsch", "Willkommen"},
        {"English", "Welcome\nfirst"}};
    QStringList expected; // in the order of the language list
    for (int i = 0; i < dialog->ComboBox1->count(); ++i) {
        auto found = by_language.find(dialog->ComboBox1->itemText(i));
        if (found != by_language.end())
            expected.append(found->second);
    }
    ASSERT_EQ(expected.size(), 3);
    ASSERT_EQ(dialog->welcome_list().size(), 3u);

    EXPECT_EQ(dialog->Label3->text(), expected[0]);
    for (int tick : {1, 2, 0, 1}) {
        dialog->Timer1Timer();
        EXPECT_EQ(dialog->Label3->text(), expected[tick]) << tick;
        EXPECT_EQ(tag_of(dialog->Timer1), tick);
    }
}

TEST_F(FirstRunDialog, EditableChoiceListsEditableDatabasesAndMakesTheChosenOneTheOnlyOne) {
    add_language("Francais");
    list_[0]->is_edit_database = true;
    list_[2]->is_edit_database = true;
    auto dialog = shown(0);

    EXPECT_EQ(texts_of(dialog->ListBox3), QStringList({"Alpha", "Beta"}));
    EXPECT_TRUE(dialog->Panel2->isVisible() && dialog->ListBox3->selectedItems().isEmpty());
    dialog->Button1Click();
    EXPECT_TRUE(dialog->isVisible());
    select(dialog->ListBox3, "Beta");
    dialog->Button1Click();
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();

    EXPECT_EQ(db_name + "|" + language + "|" + edit_db_name, "||Beta");
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(list_[i]->is_edit_database, i == 1) << i;
}
