// The small dialogs the main window opens.

#include "database/database_list.h"
#include "mainwindow/widgets/about.h"
#include "mainwindow/widgets/fic_firstinfo.h"
#include "mainwindow/widgets/map.h"

void TForm4::show_firstinfo(uint8_t mode) {
    if (database_list.empty())
        return;
    TForm1 dialog(database_list, this);
    dialog.mode = mode;
    dialog.exec();
}

void TForm4::show_about(bool credits) {
    TForm5 box(this);
    if (credits)
        box.show_credits_page();
    box.exec();
}
