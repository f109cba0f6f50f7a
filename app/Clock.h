// Every reading of the current time goes through one clock, so tests can fix
// and advance it (ids, start and end times, log rows, periodic saves).
#pragma once

#include <QDateTime>
#include <QString>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until it is set or advanced.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))) : m_now(t) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

// The process's clock (the system clock unless a test installed another).
Clock& CurrentClock();
// Installs a clock for the process; nullptr restores the system clock. The
// caller keeps the clock alive while it is installed.
void InstallClock(Clock* clock);

// "%4d/%02d/%02d %02d:%02d:%02d"
QString FormatDateTime(const QDateTime& t);
// "%4d/%02d/%02d %02d:%02d"
QString FormatDateTimeNoSeconds(const QDateTime& t);
// "%d/%02d/%02d"
QString FormatDate(const QDate& d);
// yyyymmddhhmmss, as used in transcript ids
QString FormatStamp(const QDateTime& t);
