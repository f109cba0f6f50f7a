// The editor's card reads: "读卡" starts a read on a worker when the reader
// is ready; the results come back on the GUI thread as signals, in the order
// the editor fills its fields. The editor's timer 3 (kRearmMs) calls rearm().
#pragma once

#include "devices/CardReader.h"
#include "devices/IdCard.h"

#include <QObject>
#include <QString>

class QWidget;

class CardReadSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kRearmMs = 4000;

    // Photos go to `photoPath` (the editor's "tmp.bmp" in the program directory).
    CardReadSession(CardDevice& device, QString photoPath, QObject* parent = nullptr);
    // The process's reader and ProgramPath("tmp.bmp").
    explicit CardReadSession(QObject* parent = nullptr);

    // The window the messages of a read are shown over; it outlives the session.
    void setMessageParent(QWidget* parent) { m_messageParent = parent; }
    bool readerReady() const { return m_ready; }
    bool reading() const { return m_reading; }
    QString photoPath() const { return m_photoPath; }

public slots:
    // Starts a read when the reader is ready; false (nothing started) otherwise.
    bool read();
    // Timer 3: the reader may be used again.
    void rearm() { m_ready = true; }

signals:
    // The card's particulars, when its text decoded into an object.
    void cardRead(const IdCardFields& card);
    // The card photo was written to this file.
    void photoRead(const QString& path);
    // A card was read: the editor disables "读卡" for good.
    void readSucceeded();
    // Every read ends with this, after the signals above.
    void readFinished();

private:
    void deliver(CardReadResult& result);

    CardDevice& m_device;
    QString m_photoPath;
    QWidget* m_messageParent = nullptr; // the editor, which owns the session
    bool m_ready = true;
    bool m_reading = false;
};
