#include "mainwindow/startup.h"

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
