#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/widgets/translate_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(TranslateForm, SetsCaptionsAndHintsByTag) {
    auto saved = std::make_pair(res_captions, res_hints);
    res_captions = {"-", "OK", "Name", "Options", "Close %0"};
    res_hints = {"-", "Zoom in"};

    QWidget form;
    auto* button = new QPushButton("design", &form);
    auto* label = new QLabel("design", &form);
    auto* untagged = new QLabel("keep", &form);
    auto* group = new QGroupBox("design", &form);
    auto* radio = new QRadioButton("design", group); // nested below the group box
    auto* check = new QCheckBox("design", group);
    auto* tool = new QToolButton(&form);
    auto* image = new QLabel(&form);
    mark_as_image(image);
    auto* edit = new QLineEdit("design", &form);
    auto* missing = new QLabel("design", &form);
    auto* missing_hint = new QToolButton(&form);
    missing_hint->setToolTip("old");

    set_tag(button, 1);
    set_tag(label, 2);
    set_tag(group, 3);
    set_tag(radio, 1);
    set_tag(check, 4);
    set_tag(tool, 1);
    set_tag(image, 1);
    set_tag(edit, 2);
    set_tag(missing, 99);
    set_tag(missing_hint, 99);

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

    std::tie(res_captions, res_hints) = saved;
}
