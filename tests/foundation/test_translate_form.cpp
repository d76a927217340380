#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/widgets/translate_form.h"
#include "support/saved_globals.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(TranslateForm, SetsCaptionsAndHintsByTag) {
    SavedGlobals saved;
    res_captions = {"-", "OK", "Name", "Options", "Close %0"};
    res_hints = {"-", "Zoom in"};

    QWidget form;
    auto tagged = [](auto* widget, int tag) {
        set_tag(widget, tag);
        return widget;
    };
    auto* button = tagged(new QPushButton("design", &form), 1);
    auto* label = tagged(new QLabel("design", &form), 2);
    auto* untagged = new QLabel("keep", &form);
    auto* group = tagged(new QGroupBox("design", &form), 3);
    auto* radio = tagged(new QRadioButton("design", group), 1); // nested below the group box
    auto* check = tagged(new QCheckBox("design", group), 4);
    auto* tool = tagged(new QToolButton(&form), 1);
    auto* image = new QLabel(&form);
    mark_as_image(tagged(image, 1));
    auto* edit = tagged(new QLineEdit("design", &form), 2);
    auto* missing = tagged(new QLabel("design", &form), 99);
    auto* missing_hint = tagged(new QToolButton(&form), 99);
    missing_hint->setToolTip("old");

    translate_form(&form);

    EXPECT_EQ(button->text(), "OK");
    EXPECT_EQ(label->text(), "Name");
    EXPECT_EQ(untagged->text(), "keep");
    EXPECT_EQ(group->title(), "Options");
    EXPECT_EQ(radio->text(), "OK");
    EXPECT_EQ(check->text(), "Close Vev Karvelo ");
    EXPECT_EQ(tool->toolTip(), "@Zoom in");
    EXPECT_EQ(image->toolTip(), "@Zoom in");
    EXPECT_EQ(image->text(), ""); // an image gets a hint, not a caption
    EXPECT_EQ(edit->text(), "design");
    // The missing text shows as it stands, not swallowed as markup.
    EXPECT_EQ(missing->text(), "<erreur de ressource>");
    EXPECT_EQ(missing->textFormat(), Qt::PlainText);
    EXPECT_EQ(missing_hint->toolTip(), "");
}
