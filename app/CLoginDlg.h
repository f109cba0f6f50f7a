// The login dialog: the first window of the program and the frame of the
// whole session. It opens the system database, checks the account, and runs
// the main window hidden behind it; when the main window ends, it ends too.
#pragma once

#include "app/CMainDlg.h"
#include "app/Login.h"
#include "text/FramedDialog.h"

#include <QPixmap>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class CLoginDlg : public FramedDialog {
    Q_OBJECT
public:
    // Runs the main window modally; the default builds a CMainDlg with the commands.
    using MainRunner = std::function<void(QWidget* login)>;

    explicit CLoginDlg(MainCommands commands, QWidget* parent = nullptr);

    // The opening of the dialog on the primary screen. False when the dialog
    // must end at once (screen too narrow); messages have been shown.
    bool initialise();
    bool initialise(int screenWidth, double logicalDpiX);

    void setMainRunner(MainRunner runner) { m_runMain = std::move(runner); }

    QLineEdit* userEdit() const { return m_user; }
    QLineEdit* passwordEdit() const { return m_password; }
    QPushButton* loginButton() const { return m_loginButton; }

public slots:
    // The login command: the "登  录" button or Enter anywhere in the dialog.
    void login();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintBand(QPainter& painter) override;

private:
    void buildControls();
    void runMainWindow();

    MainCommands m_commands;
    Login m_login;
    MainRunner m_runMain;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_loginButton = nullptr;
    QRect m_panel;
    QPixmap m_logo;
    QPixmap m_background;
    QPixmap m_panelPicture;
};
