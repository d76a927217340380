#include "mainwindow/widgets/about.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/translate_form.h"
#include "mainwindow/widgets/dialog_frame.h"

namespace {

QPlainTextEdit* make_memo(QWidget* page, const char* name) {
    auto* memo = new QPlainTextEdit(page);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo);
    return memo;
}

// A text cut at its limits ends with a line that says so, and error.log names its file.
void mark_cut(std::vector<std::string>& lines, bool cut, const std::string& file) {
    if (!cut)
        return;
    lines.push_back(get_info_text(27));
    log_outside_limit(path_text(file), limits_text(kAboutTextLimits), true);
    take_outside_limits(); // told here, not by the next load's feedback line
}

void set_lines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines)
        texts.append(to_qstring(line));
    memo->setPlainText(texts.join(QLatin1Char('\n')));
}

} // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form5"));
    set_fixed_dialog_frame(this, 442, 419);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    Memo1 = make_memo(TabSheet1, "Memo1");
    PageControl1->addTab(TabSheet1, QStringLiteral("Infos"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    Memo2 = make_memo(TabSheet2, "Memo2");
    PageControl1->addTab(TabSheet2, to_qstring("Cr\xE9"
                                               "dits"));
    PageControl1->setCurrentWidget(TabSheet1);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Button1 = new QPushButton(Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(75, 25);
    Button1->setDefault(true);
    set_tag(Button1, 30);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(8, 8, 8, 8);
    buttons->addStretch();
    buttons->addWidget(Button1, 0, Qt::AlignRight | Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PageControl1);
    layout->addWidget(Panel1);

    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);

    // FormCreate
    setWindowTitle(to_qstring("Vev Karvelo v1.06 | " + get_text(29)));
    load_readme();
    translate_form(this);
    load_credits();
}

void TForm5::load_readme() {
    std::vector<std::string> lines;
    std::string file = app_path + "readme.txt";
    bool cut = false;
    if (file_exists(file) && read_text_lines(file, kAboutTextLimits, lines, &cut)) {
        // The readme's title and its underline are not shown.
        lines.erase(lines.begin(), lines.begin() + std::min<size_t>(2, lines.size()));
        mark_cut(lines, cut, file);
    } else {
        lines.push_back(get_text(41));
    }
    // The program's header: product line and credit line, then an empty line.
    lines.insert(lines.begin(), {get_about_text(1), get_about_text(3), std::string()});
    set_lines(Memo1, lines);
}

void TForm5::load_credits() {
    std::string file = db_path + "creditlist.inf";
    if (!file_exists(file))
        return;
    // A damaged stream still shows what was inflated before the damage, a larger one its
    // first part.
    std::string text;
    bool cut = read_section(text, file, 0, kAboutTextLimits.bytes) == SectionRead::too_large;
    std::vector<std::string> lines = limited_lines(text, kAboutTextLimits, cut);
    mark_cut(lines, cut, file);
    lines.insert(lines.begin(), {get_text(80), std::string()});
    set_lines(Memo2, lines);
}

void TForm5::show_credits_page() {
    PageControl1->setCurrentWidget(TabSheet2);
}

void TForm5::Button1Click() {
    accept();
}

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centre_on_screen(this);
    Button1->setFocus();
}
