#pragma once
// Keeps the folder globals, the chosen names and the additions file's, the text sections of
// func_ressource and the preferences while a test changes them, and puts them back afterwards.

#include <string>
#include <vector>

#include "database/database_list.h"
#include "foundation/func_ressource.h"
#include "mainwindow/preferences.h"

class SavedGlobals {
public:
    SavedGlobals()
        : strings_{app_path, data_path,   database_path, maps_path,
                   res_path, ajouts_path, db_path,       master_file,
                   language, db_name,     edit_db_name,  additions_file_name},
          sections_{res_captions, res_infos, res_menus, res_messages,
                    res_hints,    res_about, res_types} {}
    ~SavedGlobals() {
        std::string* strings[] = {&app_path, &data_path,   &database_path, &maps_path,
                                  &res_path, &ajouts_path, &db_path,       &master_file,
                                  &language, &db_name,     &edit_db_name,  &additions_file_name};
        for (size_t i = 0; i < std::size(strings); ++i)
            *strings[i] = strings_[i];
        std::vector<std::string>* sections[] = {&res_captions, &res_infos, &res_menus,
                                                &res_messages, &res_hints, &res_about,
                                                &res_types};
        for (size_t i = 0; i < std::size(sections); ++i)
            *sections[i] = sections_[i];
        rPreference = preferences_;
    }
    SavedGlobals(const SavedGlobals&) = delete;
    SavedGlobals& operator=(const SavedGlobals&) = delete;

private:
    std::vector<std::string> strings_;
    std::vector<std::vector<std::string>> sections_;
    TPreference preferences_ = rPreference;
};
