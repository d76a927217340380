#include "mainwindow/startup.h"

#include <QDateTime>

double now_datetime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate epoch(1899, 12, 30);
    const double days = static_cast<double>(epoch.daysTo(now.date()));
    return days + now.time().msecsSinceStartOfDay() / 86400000.0;
}

bool update_due_by_period(int period, double age) {
    switch (period) {
    case 0:
        return true;
    case 1:
        return age >= 1.0;
    case 2:
        return age >= 2.0;
    case 3:
        return age >= 7.0;
    default:
        return false;
    }
}

std::string folder_of(const std::string& file_path) {
    size_t slash = file_path.find_last_of('/');
    if (slash == std::string::npos)
        return "./";
    return file_path.substr(0, slash + 1);
}
