#include "app/Clock.h"

namespace {
Clock*& installed() {
    static Clock* clock = nullptr;
    return clock;
}
} // namespace

Clock& CurrentClock() {
    static SystemClock system;
    Clock* c = installed();
    return c ? *c : system;
}

void InstallClock(Clock* clock) {
    installed() = clock;
}

QString FormatDateTime(const QDateTime& t) {
    return QString::asprintf("%4d/%02d/%02d %02d:%02d:%02d", t.date().year(), t.date().month(),
                             t.date().day(), t.time().hour(), t.time().minute(), t.time().second());
}

QString FormatDateTimeNoSeconds(const QDateTime& t) {
    return QString::asprintf("%4d/%02d/%02d %02d:%02d", t.date().year(), t.date().month(),
                             t.date().day(), t.time().hour(), t.time().minute());
}

QString FormatDate(const QDate& d) {
    return QString::asprintf("%d/%02d/%02d", d.year(), d.month(), d.day());
}

QString FormatStamp(const QDateTime& t) {
    return QString::asprintf("%4d%02d%02d%02d%02d%02d", t.date().year(), t.date().month(),
                             t.date().day(), t.time().hour(), t.time().minute(), t.time().second());
}
