// The main window's two ways into the map image generator.

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "generator/widgets/generate_fich_form.h"
#include "mainwindow/widgets/map.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

namespace {

// Shows the dialog modally with the opener's text and an empty line before its own.
void run_dialog(TForm_generate& dialog, int caption,
                const std::function<void(TForm_generate&)>& hook) {
    dialog.MemoDesc->appendPlainText(to_qstring(get_text(caption)));
    dialog.MemoDesc->appendPlainText(QString());
    if (hook)
        hook(dialog);
    else
        exec_modal(dialog);
}

} // namespace

void TForm4::offer_generation() {
    if (on_offer_generation) {
        on_offer_generation(*this);
    } else {
        TForm_generate dialog(this);
        run_dialog(dialog, 158, on_generate_dialog);
    }
    // The load goes on: the closed dialog's place is painted, no input runs inside it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm4::but_genClick() {
    if (busy)
        return;
    TForm_generate dialog(this);
    run_dialog(dialog, 159, on_generate_dialog);
    // The reload reads the additions file again: unsaved additions are offered a save first.
    if (dialog.maps_made && confirm_save_additions(1)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        reload_database(0);
    }
}
