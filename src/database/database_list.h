#pragma once
// The list of usable databases, the current one and the flag that ends the program when none is
// usable.

#include "foundation/func_type.h"

#include <cstdint>

extern TDatabaseList database_list;
// The current database, or nothing. Points into database_list.
extern rdbavailable* selected_database;
// No usable current database remains; never cleared.
extern bool quit_flag;
// "Vev_ajouts_" + db_name + ".txt", set by each data load.
extern std::string additions_file_name;

// Rebuilds database_list from the folders of database_path. A folder whose files raise an error
// ends the scan with a plain message naming the error; the databases found before stay listed.
void load_db_list();

// Marks the current ([DBDB], db_name) and editable ([EDIM], edit_db_name) databases and selects
// the current one. Bit 0 of flags ("soft"): an unusable current database only empties db_name.
// Returns true when the editable database is gone and the edit mode must be switched off.
bool check_database_list(uint8_t flags);

// The folder names that get an item in the database menu: every database of the right version.
std::vector<rdbavailable*> database_menu_entries();
