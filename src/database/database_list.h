#pragma once
// The list of usable databases, the current one and the flag that ends the program when none is
// usable.

#include "foundation/func_karvo.h"
#include "foundation/func_type.h"

#include <cstdint>

extern TDatabaseList database_list;
// The current database, or nothing. Points into database_list.
extern rdbavailable* selected_database;
// No usable current database remains; never cleared.
extern bool quit_flag;
// The current database's additions file name as the file system holds it, and as a
// Windows-1252 text for messages; both set by each data load with set_additions_file.
extern std::string additions_file_native_name;
extern std::string additions_file_name;
// What the last load_db_list left out, for the main window to tell once its texts are read.
extern TScanReport database_scan_report;

// Rebuilds database_list from the folders of database_path.
void load_db_list();

// Marks the current ([DBDB], db_name) and editable ([EDIM], edit_db_name) databases and selects
// the current one. Bit 0 of flags ("soft"): an unusable current database only empties db_name.
// Both names are folder names in the file system's bytes; a name that matches no folder but is
// the Windows-1252 form of one (as older versions stored it) becomes that folder's name.
// Returns true when the editable database is gone and the edit mode must be switched off.
bool check_database_list(uint8_t flags);

// The folder names that get an item in the database menu: every database of the right version.
std::vector<rdbavailable*> database_menu_entries();

// Names the additions file of the database (a folder name in the file system's bytes):
// "Vev_ajouts_" + database + ".txt".
void set_additions_file(const std::string& database);
