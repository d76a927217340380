// The main window's two ways into the map image generator.

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "generator/widgets/generate_fich_form.h"
#include "mainwindow/widgets/map.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

namespace {

void add_description(TForm_generate& dialog, int caption) {
    dialog.MemoDesc->appendPlainText(to_qstring(get_text(caption)));
    dialog.MemoDesc->appendPlainText(QString());
}

} // namespace

void TForm4::offer_generation() {
    if (on_offer_generation) {
        on_offer_generation(*this);
    } else {
        TForm_generate dialog(this);
        add_description(dialog, 158);
        dialog.exec();
    }
    QCoreApplication::processEvents();
}

void TForm4::but_genClick() {
    if (busy)
        return;
    TForm_generate dialog(this);
    add_description(dialog, 159);
    dialog.exec();
    // The reload reads the additions file again: unsaved additions are offered a save first.
    if (dialog.maps_made && confirm_save_additions(1)) {
        QCoreApplication::processEvents();
        reload_database(0);
    }
}
