#pragma once
// The main window: toolbars, side panel with its three pages, the map view, status bar, menus,
// and the program's start-up and shutdown.

#include "database/points_tree.h"
#include "database/regions.h"
#include "database/widgets/points_tree_model.h"
#include "foundation/feedback.h"
#include "foundation/func_type.h"
#include "mainwindow/cible.h"
#include "mainwindow/map_paint.h"
#include "mainwindow/picking.h"

#include <QAction>
#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class QAction;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSlider;
class QStackedWidget;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeView;
class QPushButton;
class TData_common;
class TData_map;
class TRealm_info;
class TSearchArea;
struct TUnsavedCopy;
class TSearchForm;
class TForm3;
class TResultModel;
struct rContinent;
class TNodeDataCopy;
class TG32_ProgressBar;
class TImageMap;
class TForm_generate;
class QPainter;
class TCustomHint;
class TForm2;
class QStringListModel;
class TRegionTreeModel;

// A map menu item that opens a web page of a category: its id-link prefix + (Tag - 256).
class Tmytmenuitem : public QAction {
public:
    using QAction::QAction;
    rCateg* category = nullptr;
};

// The window's normal rectangle as stored in the preferences.
struct TWindowRect {
    int width = 800;
    int height = 600;
    int top = 50;
    int left = 50;
};

class TForm4 : public QMainWindow {
    Q_OBJECT
public:
    // app_folder: the installation folder; empty means the folder of the program file.
    explicit TForm4(const std::string& app_folder = {}, QWidget* parent = nullptr);
    ~TForm4() override;

    // ---- Start-up and shutdown ----
    void FormCreate();
    // The start-up proper; runs its body only on the first activation.
    void FormActivate();
    // False while the first activation runs; otherwise the unsaved-additions question decides.
    bool FormCloseQuery();
    void FormDestroy();
    // Unsaved additions written as the auto-save writes them, without a question; what a box
    // would say goes to error.log. When their file cannot take them they go to a fallback file
    // (named in error.log) and false says they are not where the next start reads them.
    bool save_additions_quietly();
    // A logout: what a close keeps is saved without a question (the additions quietly, then the
    // preferences), since the session may end the process before the window goes.
    void save_on_session_end();

    void lock_toolbars(bool busy);
    void show_firstinfo(uint8_t mode);
    void show_about(bool credits);
    void show_update();
    void offer_generation();
    void check_menu_db();
    void update_list_panel();
    void apply_stay_on_top();
    void set_hint_pause(int ms);
    void ensure_dir(const std::string& path);
    void load_vectors();
    // Cuts a strip (from the bytes when given, else from the file) into tiles of the list's size.
    void load_icon_strip(std::vector<QPixmap>& list, QSize tile, const std::string& file,
                         const std::string* stream);
    void Sauver1Click();
    void load_links(QAction* parent);
    // Empties site1, loads the links of the current language, enables site1 only with links.
    void reload_links();
    void add_link_item(const rLink& link, QAction* parent);
    void lienClick(QAction* sender);

    // ---- Preferences ----
    void load_prefs();
    void save_prefs();

    // ---- Database list and data ----
    void check_database(uint8_t flags);
    void build_db_menu();
    void clear_db_menu();
    // The database folder that an item of menu_db stands for.
    static std::string menu_db_folder(const QAction* item);
    void ressourceClick(QAction* item);
    // Feedback 64 (the database loaded), then a line for each folder the last scan left out.
    void feedback_database_loaded();
    void load_data();
    void unload_data();
    // Asks message 1 first when additions are unsaved: false when the answer keeps them and the
    // data loaded (nothing reloaded).
    bool reload_database(uint8_t flags);
    // A database or language chosen while a reload could not run: pref.ini takes it for the
    // next start.
    std::string next_start_db_name;
    std::string next_start_language;
    void refresh_items(bool unload);
    // Recolours the points: all of them when recolour_all is set, else the level-coloured ones.
    void update_item_colors();
    void refresh_overlays(bool rebuild_regions);
    bool recolour_all = false;
    // Loads section 9 of master_file and reads it; a damaged database, also one that exhausts
    // memory, keeps only the tree's skeleton (message 35).
    void load_database();
    void read_database(std::string_view stream);
    // Nothing of a damaged database stays: the tree keeps only its skeleton.
    void drop_points();
    void init_clipboard_node();
    void load_tips();
    // The tree node of the last zone of the continent; none for -1 or an unknown continent.
    TreeNode* continent_zone_node(int32_t continent);

    // ---- Edit mode ----
    void set_edit_mode(bool on);
    void show_edit_items(bool on);

    // ---- Feedback lines and status ----
    void feedback(int id, int seconds, const std::string& a1 = {}, const std::string& a2 = {});
    // The same with names of folders among the arguments (FeedbackLines::NameArgs).
    void feedback(int id, int seconds, const std::string& a1, const std::string& a2,
                  unsigned name_args);
    void TimerfeedbackTimer();
    void clear_feedback();
    void set_status(const std::string& text, int options = 0);
    void show_progress();

    // ---- Menus and commands ----
    void localise_menus();
    void but_toolMouseMove(QObject* sender);
    void but_editmodeClick();
    void but_prefClick();
    void but_infoClick();
    void but_autoupClick();
    void but_genClick();
    void but_liste1Click();
    void but_liste3Click();
    void but_liste4Click();
    void but_stayClick();

    void repaint_map();

    // Every dialog the start-up may open goes through these, so tests can answer them: a hook
    // that is set takes the place of its dialog.
    std::function<void(TForm4&)> on_show_update;
    std::function<void(TForm4&)> on_offer_generation;

    // ---- Main window commands: preferences, keys, display toggles, tool bar and tree hints ----
    // Wires the commands' controls (once, at creation).
    void init_commands();
    void show_prefs_dialog();
    void But_LegClick();
    void but_tipsClick();
    void refresh1Click();
    void but_overviewClick();
    void ToolBar1MouseUp();
    // The database picture: the database menu at the mouse cursor.
    void Image1MouseUp();
    void FormResize();
    // A click on a list's column header: a new column sorts ascending and becomes the stored sort
    // column, the same column again reverses the order.
    void sort_column_clicked(int column, int& sort_column, Qt::SortOrder& order);
    // The window's keys, by key code and by character; true when the key is a command.
    bool FormKeyDown(int key);
    bool FormKeyPress(char key);
    // A key pressed in any control of the window; true when it was a command.
    bool window_key(QObject* watched, QKeyEvent* event);
    // The name hint of the node under the mouse.
    void MyTreeMouseMove(int x, int y);
    // A check change: routes, links and visibility are rebuilt once the changes of the moment
    // are over (MyTreeAfterPaint).
    void MyTreeChecked();
    void MyTreeAfterPaint();

    // When set, runs in place of the preferences dialog's modal showing (tests answer it).
    std::function<void(TForm3&)> on_prefs_dialog;
    bool tree_changed = false;

    // ---- State ----
    bool first_activation = true;
    bool busy = false;
    int zoom = 100;
    QPoint view_offset;
    TWindowRect window_rect;
    bool side_panel = true;
    bool markers_shown = true;
    bool autosave_allowed = true;
    bool additions_unsaved = false;
    bool database_updated = false;
    int current_continent = -1;
    std::unique_ptr<tCible> target_marker;
    std::string grid_vectors;
    TOutline border_vectors;
    QImage splash;
    FeedbackLines feedback_lines;
    std::unique_ptr<TData_common> common_data;
    std::unique_ptr<TRealm_info> realm;
    TData_map* map_data = nullptr; // the realm's map data while loaded
    std::unique_ptr<TSearchArea> search_area;
    std::unique_ptr<TNodeDataCopy> clipboard_node;
    double database_date = 0;
    std::vector<QPixmap> listmenu;    // menu icons, 20 x 13
    std::vector<QPixmap> Listiconmap; // map icons, 11 x 11
    std::vector<std::string> tips;    // lines of the tips panel
    int tips_width = 0;
    int tips_height = 0;
    std::vector<QPixmap> ImageList1; // toolbar images
    std::vector<QPixmap> ImageList3; // their hot images
    int update_dialogs_shown = 0;

    // ---- Controls ----
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolBar* ToolBar3 = nullptr;
    QToolButton* but_stay = nullptr;
    QToolButton* but_autoup = nullptr;
    QToolButton* but_tips = nullptr;
    QToolButton* but_gen = nullptr;
    QToolButton* but_pref = nullptr;
    QToolButton* but_info = nullptr;
    QToolButton* but_editmode = nullptr;
    QToolButton* but_sav = nullptr;
    QToolButton* but_mail = nullptr;
    QToolButton* but_liste1 = nullptr;
    QToolButton* but_liste3 = nullptr;
    QToolButton* but_liste4 = nullptr;
    QToolButton* But_Leg = nullptr;
    QToolButton* but_chemin = nullptr;
    QToolButton* but_stitre = nullptr;
    QToolButton* but_overview = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QWidget* Panelredim = nullptr;
    QLabel* Image1 = nullptr;
    QWidget* PanelDock = nullptr;
    QStackedWidget* PageControl = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QSlider* ZoomBar = nullptr;
    QTreeView* RegionTree = nullptr;
    QTreeView* TreeResult = nullptr;
    QPushButton* Button3 = nullptr;
    QTreeView* MyTree = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* CheckBoxlvl = nullptr;
    QLineEdit* Edit_lvl_min = nullptr;
    QLineEdit* Edit_lvl_max = nullptr;
    QLineEdit* Editlvl = nullptr;
    TImageMap* ImageMap = nullptr;
    TG32_ProgressBar* G32_ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* status_panel0 = nullptr;
    QLabel* status_panel1 = nullptr;
    QMenu* Menu_image = nullptr;
    QMenu* Menu1 = nullptr;
    QMenu* Menu2 = nullptr;
    QMenu* menu_info = nullptr;
    QMenu* menu_db = nullptr;
    QMenu* Affichage1 = nullptr;
    QAction* site1 = nullptr;
    QAction* sauver1 = nullptr;
    QTimer Timerfeedback;
    QTimer Timer3; // auto-save of the additions

    // ---- Points tree ----
    // Builds continents, zones and hidden category nodes from the map and category data.
    void build_zone_tree();
    // Adds a point under its category node; null when its zone or category has none.
    TreeNode* addnode(const rnew_node& record);
    TreeNode* zone_node(int32_t zone_id);
    // With a source, every match gets a link line from it and the last match is returned.
    TreeNode* find_point_by_name(TreeNode* source, const std::string& name, bool current_only);
    TreeNode* find_in_zone_lists(const std::string& name);
    // Checks the node and shows it on the map; message 11 without a node.
    void goto_node(TreeNode* node, uint8_t flags);
    std::string node_text(const TreeNode* node) const;
    void MyTreeFocusChanged(TreeNode* node);
    // A press on the tree's current row shows its node again.
    void MyTreeMouseDown(int x, int y);
    // Puts the model on MyTree and gives the tree its look (once).
    void init_points_tree();

    TPointsTree points_tree;
    std::unique_ptr<TPointsTreeModel> points_model;
    std::vector<QPixmap> ImageList_c; // tree icons, 16 x 16
    TreeNode* continent_node = nullptr;
    std::vector<pMap_info*> continent_zones;
    std::array<TreeNode*, 4> selection_ancestors{};

    // ---- Additions and level filter ----
    // Reads and merges the additions file when the database's tag-201 value is not 0, then the
    // file beside it that took the saves while it could not be read; rewrites it when lines were
    // rejected or the file beside was taken in. A file it does not merge is never saved over.
    // A copy a signal left of either file, made over what that file holds now, is the file's
    // newer whole state: it is merged in the file's place.
    void reload_additions();
    // True when the file was merged or there is none.
    bool load_additions(const std::string& file_name);
    // The same for a file holding the whole state of `state_of`; its lines go to `lines` when
    // given, and `merged` tells whether any line reached the merge.
    bool load_additions(const std::string& file_name, const std::string& state_of,
                        std::unordered_set<std::string>* lines, bool* merged = nullptr);
    // Merges the newest whole state of `file`: the newest of the copies `copies` (oldest first)
    // that were made over what `file` holds now and that reads, else `file`. What the older
    // states hold that it lacks goes to the backup, and they go with the next save. A copy that
    // names no state of this installation adds its points after. The copies merged are added to
    // `recovered`. False when the state could not be read.
    bool load_newest_state(const std::string& file, const std::vector<TUnsavedCopy>& copies,
                           std::vector<std::string>& recovered);
    // Asks the nickname first when [PSEU] is empty; Timer3 follows [AUTO] afterwards.
    void save_additions(const std::string& file_name);
    // False (message 6 shown, additions still unsaved) when the file could not be written.
    bool write_additions(const std::string& file_name);
    std::string ask_pseudo();
    // Asks question `text` about unsaved additions: false when the user cancels or the save
    // behind "Yes" fails.
    bool confirm_save_additions(int text);
    void toggle_tagnew(bool unsaved);
    void Timer3Timer();

    void connect_level_filter();
    void refilter_tree();
    void hide_nodes_from(TreeNode* start);
    void HideNodes(TreeNode* node);
    int32_t nearest_level(int32_t min, int32_t max) const;
    void CheckBoxlvlClick();
    // Key handlers: `key` 0 drops the key.
    void Edit_lvl_minKeyPress(char& key);
    void Edit_lvl_maxKeyPress(char& key);
    void EditlvlKeyPress(char& key);
    void Edit_lvl_minExit();
    void Edit_lvl_maxExit();
    void EditlvlExit();

    int32_t rejected_lines = 0;
    int32_t filter_min = 0;
    int32_t filter_max = 99;

    // ---- Map image generator ----
    // When set, runs in place of the generator dialog's modal showing (tests answer it).
    std::function<void(TForm_generate&)> on_generate_dialog;

    // ---- Online exchange ----
    // The send command: checks the additions file, then opens the sending dialog.
    void but_mailClick();

    // ---- Map view: coordinates, zoom, scrolling, continents, painting and waypoints ----
    // The view of ImageMap: zoom, offset and size.
    TMapView map_view() const;
    TPoint worldtoscreen(TPoint offset, TPoint world) const;
    TPoint screentoworld(TPoint screen) const;
    TPoint worldmaptoworld(TPoint zone_position, const pMap_info& zone) const;
    TPoint worldtozone(const pMap_info& zone, TPoint world) const;
    TPoint zone_center(const pMap_info& zone) const;
    pMap_info* zone_at(TPoint world) const;
    TPoint view_center() const;
    void center_on(TPoint world);
    bool on_screen(TPoint p) const;
    bool inside_margin(TPoint p, int32_t m) const;
    bool rect_visible(const TScreenRect& r) const;
    void set_zoom(TPoint world, int32_t new_zoom);
    void zoom_by(TPoint world, double factor);
    void fit_rect(TPoint p1, TPoint p2, uint8_t flags);
    void zoom_to_zone(pMap_info* zone);
    void set_cursor_mode(uint8_t mode);
    void set_resamplers();
    void update_visibility();
    // Loads the node's continent when needed, selects the node and moves the view (kShow* flags).
    void show_on_map(TreeNode* node, int x, int y, uint8_t flags);
    void select_node(TreeNode* node);
    void set_target_node(TreeNode* node, TNodeData* data);
    void set_target_pos(pMap_info* zone, int32_t x, int32_t y);
    void load_continent();
    void unload_continent();
    void clear_paths();
    void update_path_colors();
    void clear_continent_menu();
    void add_continent_menu(rContinent* record, int index);
    void regionClick(QAction* sender);
    // Mouse handlers of ImageMap; `shift` holds the keyboard modifiers, `buttons` the buttons
    // down.
    void ImageMapMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int X, int Y);
    void ImageMapMouseMove(Qt::MouseButtons buttons, int X, int Y);
    void ImageMapMouseUp();
    void ImageMapMouseWheelUp();
    void ImageMapMouseWheelDown();
    void ImageMapDblClick();
    void ZoomBarChange();
    void create_map_layer();
    void paint_map(QImage& buffer);
    bool load_zone_image(const std::string& path, QImage& bitmap, TImageBudget& room);
    // Posts what the last paints refused: files past their limits, and (once per continent
    // load) high-detail images past their budget, with a line in error.log.
    void tell_refused_high_images();
    size_t high_image_budget = kHighImageBudget;
    void waypoint1Click();
    void erase_listWP();
    void wpdefaire1Click();
    void update_wp_menu();

    TPoint mouse_world;
    TPoint drag_start;
    bool dragging = false;
    pMap_info* mouse_zone = nullptr;
    TPoint mouse_zone_pos;
    uint8_t cursor_mode = 0;
    pMap_info* current_zone = nullptr;
    rContinent* continent_record = nullptr;
    rwpitem current_area;
    std::vector<rwpitem> path_list;
    std::vector<rMapLine> overview_lines;
    std::vector<rMapLine> comment_lines;
    TMarkerHits marker_hits;
    std::vector<rWaypoint> waypoints;
    bool waypoint_mode = false;
    bool search_area_mode = false;
    bool zoom_filtering = true;
    std::string search_bar_text;
    int zoom_bar_tag = 0; // 1 while code moves ZoomBar
    QAction* waypoint1 = nullptr;
    QAction* wpdefaire1 = nullptr;
    QAction* region1 = nullptr;

    // ---- Paths, areas, links, regions, markers, picking and the hint window ----
    // Routes of the checked, visible points of the loaded continent.
    void build_paths();
    bool decode_path(TNodeData* data, pMap_info* zone, rwpitem& path);
    // The point's area with its bounding box; false (area untouched) when it has none.
    bool build_area(TNodeData* data, rwpitem& area);
    bool decode_area(TNodeData* data, rwpitem& area);
    void area_bounds(rwpitem& area);
    // The overview lines, only while but_overview is down.
    void build_links();
    void add_comment_links(TreeNode* node, const std::string& comment);
    void add_overview_line(TreeNode* source, TreeNode* target);
    void clear_regions();
    void build_regions();
    rRegion* region_at(pMap_info* zone, TPoint zone_position);
    TPoint region_grid_pos(TPoint origin, TPoint world);
    void goto_region(rRegion* region);
    void init_region_tree();
    void sort_region_tree();
    void RegionTreeHeaderClick(int column);
    void RegionTreeFocusChanged(rRegion* region);
    void RegionTreeMouseDown(int x, int y);
    void RegionTreeMouseMove(int x, int y);
    bool register_marker(const rMarkerHit& entry);
    TreeNode* marker_at(int x, int y);
    // Mode 0 hover, 1 edit or add, 2 select; true when a marker was hit.
    bool map_click(int X, int Y, int mode);
    // Mode 0 hover, 1 go to the route's point; true when a route was hit.
    bool path_at(int X, int Y, int mode);
    bool near_segment(TPoint a, TPoint b, TPoint p);
    void hover_node(TreeNode* node, int mode);
    void follow_zone_link(const rCommand& command);
    // ImageMap's hint, shown at the cursor at once; an empty text hides it.
    void show_hint_text(const std::string& text);
    void item_levels(TNodeData* data, rItemReflvl& levels);
    void fill_hint_caption(TNodeData* data, TreeNode* node, const rItemReflvl& levels);
    void install_hint_window();
    // Shows the control's hint (its tool tip) at the position, the cursor by default, for the
    // hint pause; an empty hint hides the window.
    void activate_hint(QWidget* control, std::optional<QPoint> at = std::nullopt);
    void cancel_hint();
    // The hint machinery's part of the event filter; true when the event is consumed.
    bool hint_event(QObject* watched, QEvent* event);

    TRegionList region_list;
    std::unique_ptr<TRegionTreeModel> region_model;
    TreeNode* hovered_node = nullptr;
    TreeNode* current_point = nullptr; // the point whose hint is shown
    std::unique_ptr<TCustomHint> hint_window;
    QPointer<QWidget> hint_control;
    QTimer hint_timer;
    int region_sort_column = -1;
    Qt::SortOrder region_sort_order = Qt::AscendingOrder;

    // ---- Search: the search command, the result list and search-area mode ----
    // Wires the result list, its popup menu, the reset button and the search commands (once).
    void init_search();
    // The search command (ToolButton3, search1 Ctrl+F): the dialog, then the search.
    void search();
    // Lists the points that pass the criteria, scored; in search-area mode only they stay
    // checked, so that the map draws only them.
    void run_search(TSearchArea& area);
    void clear_results();
    // The count under the list and, in search-area mode, on the map's search bar, from the
    // rows; an emptied list shows none. Follows every change of the rows.
    void show_result_count();
    // Drops the first row of the point; called before a point node is destroyed or replaced.
    void remove_result(TreeNode* node);
    // Sorts the result list by a column, ascending; an empty list gets no sort column.
    void sort_results(int column);
    void goto_first_result();
    // 0: the reset button is disabled and the hourglass shown; 1: back to normal.
    void search_busy(bool ready);
    // Gives every top-level node of the points tree the state, which reaches all below, and
    // tells MyTreeChecked.
    void set_all_checked(TCheckState state);
    void end_search_area();
    // The first click on a column sorts by it ascending and makes it the stored sort column;
    // the next ones reverse the order.
    void TreeResultHeaderClick(int column);
    void TreeResultFocusChanged(TreeNode* node);
    // Over the two icon columns, the point's hint.
    void TreeResultMouseMove(int x, int y);
    // The hint of a list row's point (none: the hint goes), shown at the cursor.
    void show_row_hint(QWidget* viewport, TreeNode* node);
    void Button3Click();
    void Menu2Popup();
    void Modif2Click();
    void Couper2Click();

    // When set, runs in place of the search dialog's modal showing (tests answer it).
    std::function<void(TSearchForm&)> on_search_dialog;
    TResultModel* result_model = nullptr;
    QLabel* Label2 = nullptr; // count of the results
    QAction* search1 = nullptr;
    bool result_rows_changing = false; // rows change: no focus change acts
    int result_sort_column = -1;
    Qt::SortOrder result_sort_order = Qt::AscendingOrder;
    bool search_cursor = false; // search_busy(0) put up the hourglass

    // ---- Point editing: guards, point commands, the map's and the tree's menus, references ----
    // True, with feedback message 68, when the selected database may not be added to.
    bool db_readonly();
    // True when the current database is the editable one; else feedback message 66.
    bool may_edit_db();
    // Wires the editing items of the menus and puts TreeRedir under the points tree (once).
    void init_editing();
    // The point editor on a new point at the mouse position, or on a point.
    void add_point_dialog();
    void edit_point_dialog(TreeNode* node);
    void cut_point(TreeNode* node);
    // Copies the point (null empties the clipboard copy); the system clipboard gets its name.
    void copy_point(TreeNode* node);
    void paste_point();
    void add_deletion_entry(TreeNode* node);
    // Removes a point node: the clipboard copy forgets it as its source, the selection and the
    // current point are emptied.
    void destroynode(TreeNode* node);
    // The same, and the routes and overview links are rebuilt.
    void destroynode_runtime(TreeNode* node);
    void ajouter1Click();
    void Copiernode1Click();
    void coupernode1Click();
    void hyperlink1Click();
    // Rebuilds the menu's items for the point under the mouse before it opens.
    void Menu_imagePopup();
    void update_popup_items();
    void popupredir_click(QAction* item);
    void popupredir_name_click(QAction* item);
    // The focused point of MyTree; null after feedback message 8 (none) or 9 (not a point).
    TreeNode* focused_point();
    void Modif1Click();
    void Copier1Click();
    void Couper1Click();
    void Fermer1Click();
    void clear_redirects();
    // The "{" name "}" references of the point's comment: items at the top of Menu_image, or
    // TreeRedir entries with link lines. True when there was one.
    bool parse_redirects(TreeNode* node, bool to_tree);
    void add_redirect(TreeNode* source, const std::string& name);
    void add_link_line(TreeNode* source, TreeNode* target);

    // When set, runs in place of the point editor's modal showing (tests answer it).
    std::function<void(TForm2&)> on_point_editor;
    // True while the point editor is open: it never opens a second time over itself.
    bool editor_open = false;
    QAction* ajouter1 = nullptr;
    QAction* Copiernode1 = nullptr;
    QAction* coupernode1 = nullptr;
    QAction* hyperlink1 = nullptr;
    QTreeView* TreeRedir = nullptr;
    QStringListModel* redirect_model = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void create_controls();
    QToolButton* add_tool_button(QToolBar* bar, const char* name, int tag, int icon, bool toggle);
    void set_tool_button_visible(QToolButton* button, bool visible);
    void set_tool_button_enabled(QToolButton* button, bool enabled);
    QAction* tool_button_action(QToolButton* button);
    void apply_toolbar_icons();
    void update_check_by_period();
    // Window placement: the stored normal rectangle (frame included) is applied at creation and
    // kept up to date while the window lives, so that pref.ini gets the last one.
    void restore_window_rect();
    void track_window_rect();
    // The frame's size is known only once the window is on screen: the restored size is
    // corrected then.
    bool frame_pending_ = false;
    bool destroyed_ = false;
    bool activating_ = false;
    std::string links_language_; // the language the links were read for
    // Buttons the loaded database disables (a read-only one: edit mode and sending) stay disabled
    // when the tool bars are unlocked.
    QSet<QToolButton*> unavailable_;
    int hint_pause_ = 0;
    int wheel_delta_ = 0; // wheel turns not yet a whole notch
    bool high_images_past_limits_ = false;
    bool high_images_short_ = false;
    bool high_images_short_told_ = false;
    bool high_images_tell_pending_ = false;
};
