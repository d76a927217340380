#include "support/mpq_writer.h"

#include "foundation/text_codec.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

bool write_mpq(const std::string& archive_path, const std::vector<MpqEntry>& files,
               int mpq_version) {
    // smpq stores each file under the name it is given on the command line, so the files are
    // staged under their archive-internal names (backslashes are plain characters here).
    QTemporaryDir staging;
    if (!staging.isValid())
        return false;
    QStringList args{"-c", "-q", "-M", QString::number(mpq_version),
                     QDir(to_path(archive_path)).absolutePath()};
    for (const MpqEntry& f : files) {
        const std::string path = native_path(staging.path()) + "/" + f.first;
        if (!write_file_atomic(path, f.second))
            return false;
        args << to_qstring(f.first);
    }
    QProcess smpq;
    smpq.setWorkingDirectory(staging.path());
    smpq.start("smpq", args);
    if (!smpq.waitForFinished(60000))
        return false;
    return smpq.exitStatus() == QProcess::NormalExit && smpq.exitCode() == 0;
}
