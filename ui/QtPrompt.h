// The Prompt seam shown with real Qt message boxes and file dialogs.
#pragma once

#include "app/Prompt.h"

class QtPrompt : public Prompt {
public:
    Answer ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
               const QString& caption) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
};
