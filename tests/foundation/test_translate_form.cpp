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
    // An edit box keeps its text and an image gets a hint, not a caption.
    EXPECT_EQ(
        (QStringList{button->text(), label->text(), untagged->text(), group->title(), radio->text(),
                     check->text(), image->text(), edit->text()}),
        (QStringList{"OK", "Name", "keep", "Options", "OK", "Close Vev Karvelo ", "", "design"}));
    EXPECT_EQ((QStringList{tool->toolTip(), image->toolTip(), missing_hint->toolTip()}),
              (QStringList{"@Zoom in", "@Zoom in", ""}));
    // The missing text shows as it stands, not swallowed as markup.
    EXPECT_TRUE(missing->text() == "<erreur de ressource>" &&
                missing->textFormat() == Qt::PlainText);
}
