// The main window: four picture buttons that each run one working dialog
// (hiding the main window meanwhile), the menu button with the four
// management commands, the unit panel and the support line.
#pragma once

#include "text/FramedDialog.h"

#include <QPixmap>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QMenu;

// How the main window opens each dialog. A command without an opener is
// shown disabled. Each opener runs its dialog modally and returns when it ends.
struct MainCommands {
    using Opener = std::function<void(QWidget* parent)>;
    Opener newTranscript;   // 新建笔录: the transcript editor
    Opener myTranscripts;   // 我的笔录: the records browser
    Opener blankTranscript; // 空白笔录: the transcript type selection
    Opener templates;       // 笔录模板: the template manager, full management mode
    Opener lawLookup;       // 法规查询: the law lookup
    Opener addressManager;  // 笔录地址管理: the place-of-interview manager
    Opener userManager;     // 询问人管理: the user manager
    Opener printSettings;   // 打印设置: the print format dialog
    // Started once when the main window opens (the server command check).
    std::function<void(QWidget* mainWindow)> serverCheck;
};

class CMainDlg : public FramedDialog {
    Q_OBJECT
public:
    explicit CMainDlg(MainCommands commands, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The pop-up menu of the menu button, with one action per command.
    std::unique_ptr<QMenu> createMenu();

    // Font heights of the unit name and the support line for a screen width.
    static int unitNamePixels(int screenWidth);
    static int supportLinePixels(int screenWidth);

public slots:
    void showMenu();

protected:
    void paintBand(QPainter& painter) override;
    void showEvent(QShowEvent* event) override;

private:
    QAbstractButton* addPictureButton(const char* objectName, const QString& words,
                                      const char* picture, const MainCommands::Opener& opener,
                                      int x);
    QLabel* addText(const char* objectName, const QString& text, const QColor& colour,
                    const QString& face, int pixels, int weight);
    // Hides the main window while the dialog runs, then shows it again.
    void runHidden(const MainCommands::Opener& opener);
    void runVisible(const MainCommands::Opener& opener);

    MainCommands m_commands;
    bool m_opened = false;
    QRect m_unitPanel;
    QPixmap m_logo;
    QPixmap m_unitPicture;
};
