// The interview clock of the editor: elapsed seconds, running or paused, and
// the lit state of its button. The dialog drives it from a one-second timer
// and from the button's clicks; it writes the start time when the clock says
// it started.
#pragma once

#include <QString>

class EditorClock {
public:
    enum class Change { None, Started, Paused, Stopped };

    // A single click: start when stopped, pause (keeping the count) when
    // running; nothing in Modify mode.
    Change click(bool modifyMode);
    // A double click: reset the count to 0, then start when stopped or stop
    // when running.
    Change doubleClick();
    // "开始问话": start when stopped.
    Change start();
    // One timer tick while running.
    void tick();

    int elapsed() const { return m_elapsed; }
    bool running() const { return m_running; }
    bool lit() const { return m_lit; }
    QString text() const { return Format(m_elapsed); }

    // "%d小时%d分%d秒": hours, minutes modulo 60, seconds modulo 60.
    static QString Format(int seconds);

private:
    int m_elapsed = 0;
    bool m_running = false;
    bool m_lit = false;
};
