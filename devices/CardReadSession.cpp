#include "devices/CardReadSession.h"

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Prompt.h"
#include "net/Worker.h"

CardReadSession::CardReadSession(CardDevice& device, QString photoPath, QObject* parent)
    : QObject(parent), m_device(device), m_photoPath(std::move(photoPath)) {}

CardReadSession::CardReadSession(QObject* parent)
    : CardReadSession(SharedCardDevice(), QString::fromStdString(ProgramPath("tmp.bmp")), parent) {}

bool CardReadSession::read() {
    if (!m_ready)
        return false;
    m_ready = false;
    m_reading = true;
    CardReadRequest request{CurrentClock().now().date(), true, m_photoPath};
    CardDevice* device = &m_device;
    RunWorker<CardReadResult>(
        this, [device, request] { return device->read(request); },
        [this](CardReadResult& result) { deliver(result); });
    return true;
}

void CardReadSession::deliver(CardReadResult& result) {
    m_reading = false;
    for (const QString& text : result.messages)
        Messages().show(m_messageParent, text, Prompt::Icon::Warning);
    if (result.card)
        emit cardRead(*result.card);
    if (!result.photoPath.isEmpty())
        emit photoRead(result.photoPath);
    if (result.status == CardReadResult::Status::Read) {
        m_ready = true;
        emit readSucceeded();
    }
    emit readFinished();
}
