#include "foundation/widgets/func_karvo_widgets.h"
#include "support/window_input.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QToolTip>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace support;

namespace {

using Step = std::function<bool()>;

// A dialog with a field that completes, a combo box, a field with its context menu, and a Work
// button whose long work goes on until done() asks it to stop, as a transfer does.
class Fields : public QDialog {
public:
    Fields() {
        completed = new QLineEdit(this);
        completed->setCompleter(
            new QCompleter(QStringList{"alpha", "delta", "deltoid"}, completed));
        combo = new QComboBox(this);
        combo->addItems({"one", "two", "three"});
        with_menu = new QLineEdit(QStringLiteral("some text"), this);
        work = new QPushButton(QStringLiteral("Work"), this);
        ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setToolTip(QStringLiteral("Closes"));
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{completed, combo, with_menu, work, ok})
            layout->addWidget(w);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(work, &QPushButton::clicked, this, [this] {
            const TDialogWork busy(this, {work}, completed);
            for (working = true; working; QThread::msleep(5))
                QCoreApplication::processEvents();
        });
    }
    void done(int result) override {
        if (working)
            working = false;
        else
            QDialog::done(result);
    }

    QLineEdit* completed;
    QComboBox* combo;
    QLineEdit* with_menu;
    QPushButton* work;
    QPushButton* ok;
    bool working = false;
};

// A completion list, a combo box's list and a field's context menu each take a pick, and the
// tool tip of OK comes.
std::vector<Step> use_the_lists(Fields& d) {
    QAbstractItemView* completions = d.completed->completer()->popup();
    const auto menu = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
    return {
        [&d] {
            queue_click(d.completed);
            queue_text(d.completed, "d");
            return true;
        },
        [completions] { return completions->isVisible(); },
        [&d] {
            queue_text(d.completed, "elto");
            queue_key(d.completed, Qt::Key_Down);
            queue_key(d.completed, Qt::Key_Return);
            return true;
        },
        [&d, completions] { return !completions->isVisible() && d.completed->text() == "deltoid"; },
        [&d] {
            queue_click(d.combo);
            return true;
        },
        [&d] { return d.combo->view()->isVisible(); },
        [&d] {
            QAbstractItemView* list = d.combo->view();
            queue_click(list->viewport(), list->visualRect(list->model()->index(2, 0)).center());
            return true;
        },
        [&d] { return !d.combo->view()->isVisible() && d.combo->currentIndex() == 2; },
        [&d] {
            queue_click(d.with_menu, {5, 5}, Qt::NoModifier, Qt::RightButton);
            return true;
        },
        [menu] { return menu() != nullptr; },
        [menu] {
            for (QAction* a : menu()->actions())
                if (a->text().startsWith("Select All"))
                    queue_click(menu(), menu()->actionGeometry(a).center());
            return true;
        },
        [&d, menu] { return !menu() && d.with_menu->selectedText() == d.with_menu->text(); },
        [&d] {
            queue_click(d.ok, d.ok->rect().center(), Qt::NoModifier, Qt::LeftButton, 0);
            return true;
        },
        [] { return QToolTip::isVisible() && QToolTip::text() == "Closes"; }};
}

} // namespace

// The windows Qt opens for a dialog have no parent widget, or hold the pointer: each keeps its
// input while the dialog waits for its answer and while it runs long work.
TEST(ModalInput, TheWindowsQtOpensForADialogTakeTheirInput) {
    for (const bool long_work : {false, true}) {
        SCOPED_TRACE(long_work);
        Fields d;
        std::vector<Step> steps;
        if (long_work)
            steps = {[&d] {
                         queue_click(d.work);
                         return true;
                     },
                     [&d] { return d.working; }};
        for (Step& step : use_the_lists(d))
            steps.push_back(std::move(step));
        // During the work, OK stops it; then it closes the dialog.
        steps.push_back([&d] {
            queue_click(d.ok);
            return true;
        });
        if (long_work)
            steps.insert(steps.end(), {[&d] { return !d.working && d.isVisible(); },
                                       [&d] {
                                           queue_click(d.ok);
                                           return true;
                                       }});
        const InputSteps input(steps, [&d] {
            d.working = false;
            d.reject();
        });
        EXPECT_EQ(exec_modal(d), QDialog::Accepted);
        EXPECT_EQ(input.stuck(), 0u);
    }
    // The colour dialog's screen picker holds the pointer: a click over a red window picks red.
    QWidget red;
    red.setPalette(QPalette(Qt::red));
    red.setAutoFillBackground(true);
    red.setGeometry(2, 2, 40, 40);
    red.show();
    QColorDialog colours(Qt::magenta);
    colours.setOption(QColorDialog::DontUseNativeDialog);
    QPushButton* pick = nullptr;
    for (QPushButton* b : colours.findChildren<QPushButton*>())
        if (b->text().contains("Pick Screen"))
            pick = b;
    ASSERT_TRUE(pick);
    const InputSteps input(
        {[pick] {
             queue_click(pick);
             return true;
         },
         [&colours] { return QWidget::mouseGrabber() == &colours; },
         [&] {
             queue_click(&colours, colours.mapFromGlobal(red.mapToGlobal(red.rect().center())));
             return true;
         },
         [&colours] { return !QWidget::mouseGrabber() && colours.currentColor() == Qt::red; },
         [&colours] {
             queue_click(colours.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
             return true;
         }},
        [&colours] { colours.reject(); });
    EXPECT_EQ(exec_modal(colours), QDialog::Accepted);
    EXPECT_EQ(input.stuck(), 0u);
    EXPECT_EQ(colours.selectedColor(), QColor(Qt::red));
}
