// The small dialogs the main window opens.

#include "database/database_list.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/widgets/about.h"
#include "mainwindow/widgets/fic_firstinfo.h"
#include "mainwindow/widgets/map.h"

void TForm4::show_firstinfo(uint8_t mode) {
    if (database_list.empty())
        return;
    if (mode == 1 && fill_folder_combo(res_path + "*", kFallbackLanguage).names.empty()) {
        // The dialog cannot be left without a language: say why and end the start-up instead.
        show_box(MessageKind::Information,
                 early_text(EarlyText::NoLanguageFiles, path_text(res_path)));
        quit_flag = true;
        return;
    }
    TForm1 dialog(database_list, this);
    dialog.mode = mode;
    exec_modal(dialog);
}

void TForm4::show_about(bool credits) {
    TForm5 box(this);
    if (credits)
        box.show_credits_page();
    exec_modal(box);
}
