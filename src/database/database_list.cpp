#include "database/database_list.h"

#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"

TDatabaseList database_list;
rdbavailable* selected_database = nullptr;
bool quit_flag = false;
std::string additions_file_name;

void load_db_list() {
    selected_database = nullptr;
    database_list.clear();
    try {
        scan_databases(database_path, database_list);
    } catch (const std::exception& e) {
        show_box(MessageKind::Plain, std::string("[DataBase Error] ") + e.what());
    }
}

bool check_database_list(uint8_t flags) {
    selected_database = nullptr;
    if (quit_flag)
        return false;
    if (database_list.empty()) {
        show_message(0, false, "[DataBase Error][Program Quit]");
        quit_flag = true;
        return false;
    }
    bool any_edit = false;
    for (auto& r : database_list) {
        r->is_current = r->folder == db_name;
        r->is_edit_database = r->folder == edit_db_name;
        if (r->is_current) {
            if (r->version_ok)
                selected_database = r.get();
            else
                show_message(0, false, "[DataBase Error][Incorrect_version]");
        }
        if (r->is_edit_database)
            any_edit = true;
    }
    bool edit_off = false;
    if (!any_edit) {
        edit_db_name.clear();
        edit_off = true;
    }
    if ((flags & 1) && selected_database == nullptr) {
        db_name.clear();
        return edit_off;
    }
    if (selected_database == nullptr) {
        db_name.clear();
        quit_flag = true;
        show_message(0, false, "[DataBase Error][Program Quit]");
    }
    return edit_off;
}

std::vector<rdbavailable*> database_menu_entries() {
    std::vector<rdbavailable*> out;
    for (auto& r : database_list)
        if (r->version_ok)
            out.push_back(r.get());
    return out;
}
