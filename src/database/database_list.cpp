#include "database/database_list.h"

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <algorithm>

TDatabaseList database_list;
rdbavailable* selected_database = nullptr;
bool quit_flag = false;
std::string additions_file_native_name;
std::string additions_file_name;
TScanReport database_scan_report;

namespace {

// A stored name that matches no folder but whose Windows-1252 reading does becomes that folder.
void adopt_folder_name(std::string& name) {
    const auto named = [](const std::string& folder) {
        return std::any_of(database_list.begin(), database_list.end(),
                           [&](const auto& r) { return r->folder == folder; });
    };
    if (name.empty() || named(name))
        return;
    const std::string native = path_name(name);
    if (named(native))
        name = native;
}

} // namespace

void load_db_list() {
    selected_database = nullptr;
    database_list.clear();
    database_scan_report = TScanReport{};
    scan_databases(database_path, database_list, &database_scan_report, {db_name, edit_db_name});
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
    adopt_folder_name(db_name);
    adopt_folder_name(edit_db_name);
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

void set_additions_file(const std::string& database) {
    additions_file_native_name = "Vev_ajouts_" + database + ".txt";
    additions_file_name = path_text(additions_file_native_name);
}
