#include "mainwindow/widgets/map.h"

#include "database/database_list.h"
#include "database/widgets/region_tree_model.h"
#include "foundation/Data.h"
#include "foundation/control_tag.h"
#include "foundation/func_ressource.h"
#include "foundation/map_data.h"
#include "foundation/node_data.h"
#include "foundation/text_codec.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/hint_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Positions of the toolbar images in data/icon_a.bmp and data/icon_b.bmp.
enum ToolbarIcon {
    icoStay = 0,
    icoUpdate = 1,
    icoTips = 2,
    icoGenerate = 3,
    icoPrefs = 4,
    icoInfo = 5,
    icoSearch = 6,
    icoSave = 8,
    icoMail = 9,
    icoList1 = 10,
    icoList3 = 11,
    icoList4 = 12,
    icoLegend = 13,
    icoPaths = 14,
    icoSubtitles = 15,
    icoOverview = 16,
    icoLinks = 17,
    icoWaypoint = 20,
    icoWaypointUndo = 21,
    icoCredits = 22,
    icoEdit = 23,
    icoDatabase = 24,
    icoRegion = 25,
    icoAdd = 26,
    icoCopy = 28,
    icoCut = 29,
};

QAction* add_menu_item(QMenu* menu, const char* name, int tag, int icon = -1) {
    auto* a = menu->addAction(QString::fromLatin1(name));
    a->setObjectName(QString::fromLatin1(name));
    set_tag(a, tag);
    a->setProperty("icon_index", icon);
    return a;
}

} // namespace

TForm4::TForm4(const std::string& app_folder, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form4"));
    if (!app_folder.empty())
        app_path = app_folder.back() == '/' ? app_folder : app_folder + "/";
    create_controls();
    FormCreate();
}

TForm4::~TForm4() {
    FormDestroy();
}

QToolButton* TForm4::add_tool_button(QToolBar* bar, const char* name, int tag, int icon,
                                     bool toggle) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setCheckable(toggle);
    b->setAutoRaise(true);
    set_tag(b, tag);
    b->setProperty("icon_index", icon);
    bar->addWidget(b);
    return b;
}

void TForm4::create_controls() {
    setMinimumSize(230, 280);

    // Top row: the database picture, the main toolbar and, on the right, the page buttons.
    auto* top = new QWidget(this);
    auto* top_layout = new QHBoxLayout(top);
    top_layout->setContentsMargins(2, 2, 2, 2);
    top_layout->setSpacing(4);
    Panelredim = new QWidget(top);
    Panelredim->setObjectName(QStringLiteral("Panelredim"));
    auto* redim_layout = new QHBoxLayout(Panelredim);
    redim_layout->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel(Panelredim);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(24, 24);
    Image1->setAlignment(Qt::AlignCenter);
    set_tag(Image1, 5);
    Image1->setProperty("Image", true);
    Image1->setProperty("icon_index", icoDatabase);
    redim_layout->addWidget(Image1);
    top_layout->addWidget(Panelredim);

    ToolBar1 = new QToolBar(top);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    but_stay = add_tool_button(ToolBar1, "but_stay", 9, icoStay, true);
    but_autoup = add_tool_button(ToolBar1, "but_autoup", 11, icoUpdate, false);
    but_tips = add_tool_button(ToolBar1, "but_tips", 3, icoTips, true);
    but_gen = add_tool_button(ToolBar1, "but_gen", 14, icoGenerate, false);
    ToolBar1->addSeparator();
    but_pref = add_tool_button(ToolBar1, "but_pref", 12, icoPrefs, false);
    but_info = add_tool_button(ToolBar1, "but_info", 10, icoInfo, false);
    ToolBar1->addSeparator();
    but_editmode = add_tool_button(ToolBar1, "but_editmode", 13, icoEdit, true);
    but_sav = add_tool_button(ToolBar1, "but_sav", 7, icoSave, false);
    but_mail = add_tool_button(ToolBar1, "but_mail", 16, icoMail, false);
    // Shown in edit mode only.
    set_tool_button_visible(but_sav, false);
    set_tool_button_visible(but_mail, false);
    // The bar takes the free width: a mouse-up anywhere on it is its own.
    top_layout->addWidget(ToolBar1, 1);

    ToolBar2 = new QToolBar(top);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setIconSize(QSize(16, 16));
    but_liste1 = add_tool_button(ToolBar2, "but_liste1", 20, icoList1, true);
    but_liste3 = add_tool_button(ToolBar2, "but_liste3", 22, icoList3, true);
    but_liste4 = add_tool_button(ToolBar2, "but_liste4", 23, icoList4, true);
    top_layout->addWidget(ToolBar2);
    setMenuWidget(top);

    // Left toolbar of map display toggles.
    ToolBar3 = new QToolBar(this);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar3->setOrientation(Qt::Vertical);
    ToolBar3->setMovable(false);
    ToolBar3->setIconSize(QSize(16, 16));
    But_Leg = add_tool_button(ToolBar3, "But_Leg", 1, icoLegend, true);
    but_chemin = add_tool_button(ToolBar3, "but_chemin", 28, icoPaths, true);
    but_stitre = add_tool_button(ToolBar3, "but_stitre", 2, icoSubtitles, true);
    but_overview = add_tool_button(ToolBar3, "but_overview", 4, icoOverview, true);
    ToolButton3 = add_tool_button(ToolBar3, "ToolButton3", 6, icoSearch, false);
    for (QToolButton* b : {But_Leg, but_chemin, but_stitre, but_overview, ToolButton3})
        b->setFixedSize(25, 25);
    addToolBar(Qt::LeftToolBarArea, ToolBar3);

    // The map and the side panel.
    auto* central = new QWidget(this);
    auto* central_layout = new QHBoxLayout(central);
    central_layout->setContentsMargins(0, 0, 0, 0);
    central_layout->setSpacing(0);
    ImageMap = new TImageMap(central);
    central_layout->addWidget(ImageMap, 1);
    G32_ProgressBar1 = new TG32_ProgressBar(ImageMap);
    G32_ProgressBar1->setObjectName(QStringLiteral("G32_ProgressBar1"));
    G32_ProgressBar1->setColor(QColor(255, 251, 240)); // clCream, $F0FBFF
    G32_ProgressBar1->hide();

    PanelDock = new QWidget(central);
    PanelDock->setObjectName(QStringLiteral("PanelDock"));
    PanelDock->setFixedWidth(250);
    auto* dock_layout = new QVBoxLayout(PanelDock);
    dock_layout->setContentsMargins(2, 2, 2, 2);
    PageControl = new QStackedWidget(PanelDock);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    dock_layout->addWidget(PageControl);
    central_layout->addWidget(PanelDock);

    // Page 1: zoom and regions.
    TabSheet1 = new QWidget(PageControl);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto* page1 = new QVBoxLayout(TabSheet1);
    page1->setContentsMargins(0, 0, 0, 0);
    ZoomBar = new QSlider(Qt::Horizontal, TabSheet1);
    ZoomBar->setObjectName(QStringLiteral("ZoomBar"));
    page1->addWidget(ZoomBar);
    RegionTree = new QTreeView(TabSheet1);
    RegionTree->setObjectName(QStringLiteral("RegionTree"));
    RegionTree->setRootIsDecorated(false);
    page1->addWidget(RegionTree, 1);
    PageControl->addWidget(TabSheet1);

    // Page 2: search results.
    TabSheet2 = new QWidget(PageControl);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto* page2 = new QVBoxLayout(TabSheet2);
    page2->setContentsMargins(0, 0, 0, 0);
    auto* result_bar = new QHBoxLayout();
    Label2 = new QLabel(TabSheet2);
    Label2->setObjectName(QStringLiteral("Label2"));
    result_bar->addWidget(Label2, 1);
    Button3 = new QPushButton(QStringLiteral("&Reset"), TabSheet2);
    Button3->setObjectName(QStringLiteral("Button3"));
    result_bar->addWidget(Button3);
    page2->addLayout(result_bar);
    TreeResult = new QTreeView(TabSheet2);
    TreeResult->setObjectName(QStringLiteral("TreeResult"));
    TreeResult->setRootIsDecorated(false);
    page2->addWidget(TreeResult, 1);
    PageControl->addWidget(TabSheet2);

    // Page 3: the points tree, the level filter and the information memo.
    TabSheet3 = new QWidget(PageControl);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    auto* page3 = new QVBoxLayout(TabSheet3);
    page3->setContentsMargins(0, 0, 0, 0);
    MyTree = new TPointsTreeView(TabSheet3);
    MyTree->setObjectName(QStringLiteral("MyTree"));
    MyTree->header()->hide();
    page3->addWidget(MyTree, 3);
    auto* filter = new QHBoxLayout();
    CheckBoxlvl = new QCheckBox(TabSheet3);
    CheckBoxlvl->setObjectName(QStringLiteral("CheckBoxlvl"));
    set_tag(CheckBoxlvl, 12);
    Edit_lvl_min = new QLineEdit(QStringLiteral("0"), TabSheet3);
    Edit_lvl_min->setObjectName(QStringLiteral("Edit_lvl_min"));
    Edit_lvl_max = new QLineEdit(QStringLiteral("99"), TabSheet3);
    Edit_lvl_max->setObjectName(QStringLiteral("Edit_lvl_max"));
    Editlvl = new QLineEdit(QStringLiteral("1"), TabSheet3);
    Editlvl->setObjectName(QStringLiteral("Editlvl"));
    Editlvl->setMaxLength(2);
    for (QLineEdit* e : {Edit_lvl_min, Edit_lvl_max, Editlvl}) {
        e->setFixedWidth(30);
        e->setMaxLength(2);
    }
    Edit_lvl_min->setEnabled(false);
    Edit_lvl_max->setEnabled(false);
    filter->addWidget(CheckBoxlvl);
    filter->addWidget(Edit_lvl_min);
    filter->addWidget(Edit_lvl_max);
    filter->addStretch(1);
    page3->addLayout(filter);
    auto* player = new QHBoxLayout();
    auto* player_level = new QLabel(TabSheet3);
    set_tag(player_level, 5);
    player->addWidget(player_level);
    player->addStretch(1);
    player->addWidget(Editlvl);
    page3->addLayout(player);
    Memo1 = new QPlainTextEdit(TabSheet3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    page3->addWidget(Memo1, 1);
    PageControl->addWidget(TabSheet3);

    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    status_panel0 = new QLabel(StatusBar1);
    status_panel0->setFixedWidth(25);
    status_panel1 = new QLabel(StatusBar1);
    status_panel1->setMinimumWidth(200);
    StatusBar1->addWidget(status_panel0);
    StatusBar1->addWidget(status_panel1, 1);
    setStatusBar(StatusBar1);

    // Popup menus; their items get their texts by Tag.
    Menu_image = new QMenu(this);
    Menu_image->setObjectName(QStringLiteral("Menu_image"));
    add_menu_item(Menu_image, "ajouter1", 30, icoAdd);
    add_menu_item(Menu_image, "Copiernode1", 32, icoCopy);
    add_menu_item(Menu_image, "coupernode1", 33, icoCut);
    add_menu_item(Menu_image, "hyperlink1", 15);
    Menu_image->addSeparator()->setObjectName(QStringLiteral("N6"));
    add_menu_item(Menu_image, "waypoint1", 57, icoWaypoint);
    add_menu_item(Menu_image, "wpdefaire1", 58, icoWaypointUndo);
    add_menu_item(Menu_image, "region1", 44, icoRegion)->setMenu(new QMenu(this));
    add_menu_item(Menu_image, "BMy", 39);
    add_menu_item(Menu_image, "BOther", 40);

    Menu1 = new QMenu(this);
    Menu1->setObjectName(QStringLiteral("Menu1"));
    add_menu_item(Menu1, "Modif1", 31, icoEdit);
    add_menu_item(Menu1, "Copier1", 32, icoCopy);
    add_menu_item(Menu1, "Couper1", 33, icoCut);
    add_menu_item(Menu1, "Fermer1", 34);

    Menu2 = new QMenu(this);
    Menu2->setObjectName(QStringLiteral("Menu2"));
    add_menu_item(Menu2, "Modif2", 31, icoEdit);
    add_menu_item(Menu2, "Couper2", 33, icoCut);

    menu_info = new QMenu(this);
    menu_info->setObjectName(QStringLiteral("menu_info"));
    QAction* infos2 = add_menu_item(menu_info, "infos2", 29, icoInfo);
    QAction* credit1 = add_menu_item(menu_info, "credit1", 43, icoCredits);
    site1 = add_menu_item(menu_info, "site1", 50, icoLinks);
    site1->setMenu(new QMenu(this));
    connect(infos2, &QAction::triggered, this, [this] { show_about(false); });
    connect(credit1, &QAction::triggered, this, [this] { show_about(true); });

    menu_db = new QMenu(this);
    menu_db->setObjectName(QStringLiteral("menu_db"));
    but_pref->setMenu(menu_db);
    but_pref->setPopupMode(QToolButton::MenuButtonPopup);
    but_info->setMenu(menu_info);
    but_info->setPopupMode(QToolButton::MenuButtonPopup);

    // The hidden main menu only carries keyboard shortcuts.
    Affichage1 = new QMenu(this);
    Affichage1->setObjectName(QStringLiteral("Affichage1"));
    set_tag(Affichage1->menuAction(), 9);
    sauver1 = add_menu_item(Affichage1, "sauver1", 0);
    sauver1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* refresh1 = add_menu_item(Affichage1, "refresh1", 0);
    refresh1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    for (QAction* a : Affichage1->actions())
        addAction(a);
    connect(sauver1, &QAction::triggered, this, [this] { Sauver1Click(); });
    connect(refresh1, &QAction::triggered, this, [this] { refresh1Click(); });

    // Buttons.
    connect(but_stay, &QToolButton::clicked, this, [this] { but_stayClick(); });
    connect(but_autoup, &QToolButton::clicked, this, [this] { but_autoupClick(); });
    connect(but_tips, &QToolButton::clicked, this, [this] { but_tipsClick(); });
    connect(but_gen, &QToolButton::clicked, this, [this] { but_genClick(); });
    connect(but_pref, &QToolButton::clicked, this, [this] { but_prefClick(); });
    connect(but_info, &QToolButton::clicked, this, [this] { but_infoClick(); });
    connect(but_editmode, &QToolButton::clicked, this, [this] { but_editmodeClick(); });
    connect(but_sav, &QToolButton::clicked, this, [this] { Sauver1Click(); });
    connect(but_mail, &QToolButton::clicked, this, [this] { but_mailClick(); });
    connect(but_liste1, &QToolButton::clicked, this, [this] { but_liste1Click(); });
    connect(but_liste3, &QToolButton::clicked, this, [this] { but_liste3Click(); });
    connect(but_liste4, &QToolButton::clicked, this, [this] { but_liste4Click(); });
    connect(but_overview, &QToolButton::clicked, this, [this] { but_overviewClick(); });
    for (QToolButton* b : {But_Leg, but_chemin, but_stitre})
        connect(b, &QToolButton::clicked, this, [this] { But_LegClick(); });
    // These show their hint in the status bar while the mouse is over them.
    for (QWidget* w : std::initializer_list<QWidget*>{but_autoup, but_pref, but_info, but_editmode,
                                                      but_sav, but_mail, but_liste1, but_liste3,
                                                      but_liste4, But_Leg, but_chemin, Image1}) {
        w->setAttribute(Qt::WA_Hover);
        w->setProperty("status_hint", true);
    }
    connect(menu_db, &QMenu::triggered, this, [this](QAction* a) { ressourceClick(a); });

    Timerfeedback.setInterval(FeedbackLines::kTickMs);
    connect(&Timerfeedback, &QTimer::timeout, this, [this] { TimerfeedbackTimer(); });
    Timer3.setInterval(300000);
    connect(&Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
}

QAction* TForm4::tool_button_action(QToolButton* button) {
    auto* bar = qobject_cast<QToolBar*>(button->parentWidget());
    for (QAction* a : bar->actions())
        if (bar->widgetForAction(a) == button)
            return a;
    return nullptr;
}

void TForm4::set_tool_button_visible(QToolButton* button, bool visible) {
    // A button on a tool bar is shown and hidden through the bar's action for it.
    if (QAction* a = tool_button_action(button))
        a->setVisible(visible);
}

void TForm4::set_tool_button_enabled(QToolButton* button, bool enabled) {
    // The bar's action hands its enabled state to the button, also when it is shown again, so
    // the state is set on both (the bar's own extension button has no action).
    if (QAction* a = tool_button_action(button))
        a->setEnabled(enabled);
    button->setEnabled(enabled);
}

void TForm4::apply_toolbar_icons() {
    auto icon_for = [this](int index) {
        QIcon icon;
        if (index >= 0 && static_cast<size_t>(index) < ImageList1.size()) {
            icon.addPixmap(ImageList1[static_cast<size_t>(index)], QIcon::Normal);
            if (static_cast<size_t>(index) < ImageList3.size())
                icon.addPixmap(ImageList3[static_cast<size_t>(index)], QIcon::Active);
        }
        return icon;
    };
    for (QToolBar* bar : {ToolBar1, ToolBar2, ToolBar3})
        for (auto* b : bar->findChildren<QToolButton*>())
            if (b->property("icon_index").isValid())
                b->setIcon(icon_for(b->property("icon_index").toInt()));
    for (QMenu* m : {Menu_image, Menu1, Menu2, menu_info})
        for (QAction* a : m->actions())
            if (a->property("icon_index").toInt() >= 0)
                a->setIcon(icon_for(a->property("icon_index").toInt()));
    if (static_cast<size_t>(icoDatabase) < ImageList1.size())
        Image1->setPixmap(ImageList1[icoDatabase]);
}

void TForm4::repaint_map() {
    ImageMap->update();
}

void TForm4::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TForm4::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
    track_window_rect();
}

void TForm4::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    track_window_rect();
}

void TForm4::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    track_window_rect();
}
