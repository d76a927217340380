#include "foundation/text_codec.h"
#include "foundation/widgets/message_box.h"
#include "mainwindow/startup.h"
#include "mainwindow/termination_signals.h"
#include "mainwindow/widgets/map.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vev karvelo"));
    install_message_box_handler();
    // One copy per installation: a second one would lose the additions of the first.
    const std::string folder = native_path(QCoreApplication::applicationDirPath()) + "/";
    std::unique_ptr<QLockFile> lock;
    if (!lock_installation(folder, lock)) {
        language = stored_language(folder);
        show_box(MessageKind::Information,
                 early_text(EarlyText::AlreadyRunning, path_text(folder)));
        return 1;
    }
    TForm4 form;
    // A logout, a shutdown or a kill ends the program as a close does, without questions; the
    // window's destruction then writes the preferences.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.save_on_session_end(); });
    // Additions that could not be saved where the next start reads them end it with a failure.
    TTerminationSignals termination(
        [&form](int) { QCoreApplication::exit(form.save_additions_quietly() ? 0 : 1); });
    form.show();
    // The start-up proper runs once, when the window is first on screen.
    QTimer::singleShot(0, &form, [&form] { form.FormActivate(); });
    return QApplication::exec();
}
