#pragma once
// Categories, named properties and property colours of the loaded database, with the user's
// category look kept in catpref.bin.

#include "foundation/func_type.h"

#include <memory>
#include <string>
#include <vector>

// A property colour: points having the flag take the colour (categories of types 3 and 4).
struct rPropertyColor {
    uint8_t flag_id = 0;
    TColor colour = 0;
};

// A category id is one byte: more records cannot all be meant.
constexpr size_t kMaxCategories = 256;

class TData_common {
public:
    static constexpr size_t category_record_size = 188;
    static constexpr size_t catpref_record_size = 56;
    // What save_catpref writes at most: a record per category and one per id of the others.
    static constexpr size_t max_catpref_size = 2 * kMaxCategories * catpref_record_size;

    // Reads categories, icons and properties of `master` (master_file when empty) and applies
    // `catpref` (app_path + "catpref.bin" when empty). A property line that is not a number
    // raises EConvertError (catpref.bin is still written back); with keep_going the properties
    // read before it stay and the error's text is kept in property_error instead.
    explicit TData_common(const std::string& master = {}, const std::string& catpref = {},
                          bool keep_going = false);
    // Writes catpref.bin back, keeping the records of categories this database does not have.
    ~TData_common();

    TData_common(const TData_common&) = delete;
    TData_common& operator=(const TData_common&) = delete;

    // Reads the first kMaxCategories category records; error.log tells of the others.
    void load_categories(const std::string& file_name);
    // Reads the first max_catpref_size bytes; error.log tells of the rest.
    void load_catpref(const std::string& file_name);
    // False when the file could not be written (message 22 was shown).
    bool save_catpref(const std::string& file_name);
    void load_flagspecs(const std::string& file_name);

    std::vector<std::unique_ptr<tboolspec>> flagspecs;
    std::vector<std::unique_ptr<rCateg>> categories;
    std::vector<rPropertyColor> property_colors;
    std::string property_error;

private:
    std::string catpref_path_;
    // The catpref.bin records of ids no loaded category has, one per id, as they were read.
    std::vector<std::string> other_catpref_;
};

// The label font styles of a category record's style byte: 1 bold, 2 italic, 3 both, anything
// else regular.
TFontStyles style_from_byte(uint8_t value);
// A label font of that name, size (0: the size of `base`) and style set, over `base`.
QFont label_font(const std::string& name, int size, TFontStyles style, QFont base = QFont());
// Applies a style set and a name and size to a category's label font; the size is kept as
// given, also 0, which the font itself cannot take.
void apply_font_look(rCateg& category, const std::string& name, int size, TFontStyles style);
// The style set of a font.
TFontStyles font_styles(const QFont& font);
