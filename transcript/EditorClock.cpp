#include "transcript/EditorClock.h"

EditorClock::Change EditorClock::click(bool modifyMode) {
    if (modifyMode)
        return Change::None;
    if (m_running) {
        m_running = false;
        return Change::Paused;
    }
    return start();
}

EditorClock::Change EditorClock::doubleClick() {
    m_elapsed = 0;
    if (m_running) {
        m_running = false;
        return Change::Stopped;
    }
    return start();
}

EditorClock::Change EditorClock::start() {
    if (m_running)
        return Change::None;
    m_running = true;
    m_lit = true;
    return Change::Started;
}

void EditorClock::tick() {
    if (!m_running)
        return;
    ++m_elapsed;
    m_lit = m_elapsed % 2 == 0;
}

QString EditorClock::Format(int seconds) {
    return QStringLiteral("%1小时%2分%3秒")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60)
        .arg(seconds % 60);
}
