#include "ui/QtPrompt.h"

#include <QFileDialog>
#include <QMessageBox>

Prompt::Answer QtPrompt::ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                             const QString& caption) {
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString QtPrompt::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                               const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString QtPrompt::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                               const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}
