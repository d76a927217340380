// The main window's update and send commands.

#include "database/additions_file.h"
#include "database/database_list.h"
#include "exchange/sending.h"
#include "exchange/widgets/send_fic.h"
#include "exchange/widgets/update_fich.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/widgets/map.h"

#include <QCoreApplication>
#include <QFileInfo>

void TForm4::show_update() {
    ++update_dialogs_shown;
    database_updated = false;
    if (on_show_update) {
        on_show_update(*this);
    } else {
        TForm_update dialog(this);
        exec_modal(dialog);
        database_updated = dialog.check.database_updated;
    }
    // The window is painted again where the dialog was; input waits for the caller's reload.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm4::but_mailClick() {
    if (busy || db_readonly() || !confirm_save_additions(29))
        return;
    const std::string file = current_additions_path();
    if (!file_exists(file)) {
        feedback(28, 3, file, {}, FeedbackLines::kNameArg1);
        return;
    }
    const qint64 size = QFileInfo(to_path(file)).size();
    const int32_t lines = count_lines(file);
    if (size == 0 || lines < 3) {
        feedback(31, 3, file, {}, FeedbackLines::kNameArg1);
        return;
    }
    if (lines < 6 && show_message(61, true, path_text(file)) != kAnswerYes)
        return;
    Tmail_fic dialog(this);
    dialog.upload_allowed = size <= kUploadMaxBytes;
    if (!listmenu.empty())
        dialog.picture = listmenu.front();
    exec_modal(dialog);
}
