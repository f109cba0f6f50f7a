#include "app/CMainDlg.h"

#include "app/AppContext.h"

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

namespace {
const QColor kBackground(240, 240, 255);
const QColor kUnitColour(251, 45, 69);
const QColor kSupportColour(100, 45, 69);
constexpr int kWidth = 1000;
constexpr int kHeight = 620;
constexpr int kBand = 42;
constexpr int kButtonWidth = 200;
constexpr int kButtonHeight = 240;
constexpr int kButtonTop = 240; // midway between the unit panel and the support line

QPixmap picture(const char* name) {
    return QPixmap(QString::fromStdString(ProgramPath(std::string("image/") + name)));
}

int screenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

// A button drawn as its picture stretched over the button; lighter under the
// mouse, shifted while pressed, faded when disabled. No picture: no painting.
class PictureButton : public QAbstractButton {
public:
    PictureButton(const QPixmap& pixmap, QWidget* parent) : QAbstractButton(parent), m_pix(pixmap) {
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_pix.isNull())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!isEnabled())
            p.setOpacity(0.4);
        const QRect target = isDown() ? rect().translated(1, 2) : rect();
        p.drawPixmap(target, m_pix);
        if (isEnabled() && underMouse() && !isDown()) {
            p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            p.fillRect(rect(), QColor(255, 255, 255, 40));
        }
    }

private:
    QPixmap m_pix;
};
} // namespace

CMainDlg::CMainDlg(MainCommands commands, QWidget* parent)
    : FramedDialog(parent, RoundCorners | DragBand | CloseButton, kBand),
      m_commands(std::move(commands)) {
    setObjectName("CMainDlg");
    setWindowTitle(QStringLiteral("烟草专卖办案笔录V2.0"));
    setFixedSize(kWidth, kHeight);
    body()->hide();
    m_unitPanel = QRect(40, 66, kWidth - 80, 116);
    m_logo = picture("logo.png");
    m_unitPicture = picture("unitinfo.png");

    const int gap = (kWidth - 80 - 4 * kButtonWidth) / 3;
    const int step = kButtonWidth + gap;
    addPictureButton("newTranscript", QStringLiteral("新建笔录"), "btn_new.png",
                     m_commands.newTranscript, 40);
    addPictureButton("myTranscripts", QStringLiteral("我的笔录"), "btn_mine.png",
                     m_commands.myTranscripts, 40 + step);
    addPictureButton("blankTranscript", QStringLiteral("空白笔录"), "btn_blank.png",
                     m_commands.blankTranscript, 40 + 2 * step);
    addPictureButton("templates", QStringLiteral("笔录模板"), "btn_template.png",
                     m_commands.templates, 40 + 3 * step);

    auto* menu = new PictureButton(picture("menu.png"), this);
    menu->setObjectName("menuButton");
    menu->setText(QStringLiteral("菜单"));
    menu->setToolTip(QStringLiteral("菜单"));
    menu->setGeometry(kWidth - 36 - 6 - 88, 6, 84, 30);
    connect(menu, &QAbstractButton::clicked, this, &CMainDlg::showMenu);

    const int screen = screenWidth();
    QLabel* title = addText("title", QStringLiteral("烟草专卖办案笔录V2.0"), Qt::white,
                            QStringLiteral("宋体"), 18, 600);
    title->setGeometry(48, 0, 400, kBand);
    QLabel* unit = addText("unitName", QString::fromStdString(Session().unitName), kUnitColour,
                           QStringLiteral("仿宋"), unitNamePixels(screen), 700);
    unit->setGeometry(m_unitPanel.adjusted(150, 0, -20, 0));
    QLabel* support =
        addText("supportLine", QStringLiteral("客服：13100000000(微信同号)"), kSupportColour,
                QStringLiteral("仿宋"), supportLinePixels(screen), 700);
    support->setAlignment(Qt::AlignCenter);
    support->setGeometry(0, kHeight - 70, kWidth, 40);
}

CMainDlg::~CMainDlg() = default;

int CMainDlg::unitNamePixels(int screenWidth) {
    return screenWidth >= 1900 ? 32 : 24;
}
int CMainDlg::supportLinePixels(int screenWidth) {
    return screenWidth >= 1900 ? 22 : 18;
}

QAbstractButton* CMainDlg::addPictureButton(const char* objectName, const QString& words,
                                            const char* pictureName,
                                            const MainCommands::Opener& opener, int x) {
    auto* button = new PictureButton(picture(pictureName), this);
    button->setObjectName(objectName);
    button->setText(words);
    button->setAccessibleName(words);
    button->setGeometry(x, kButtonTop, kButtonWidth, kButtonHeight);
    button->setEnabled(bool(opener));
    const bool isNew = QLatin1String(objectName) == QLatin1String("newTranscript");
    connect(button, &QAbstractButton::clicked, this, [this, opener, isNew] {
        if (isNew) {
            Session().transcriptType = "烟草局笔录";
            Session().transcriptKind = "询问笔录";
        }
        runHidden(opener);
    });
    return button;
}

QLabel* CMainDlg::addText(const char* objectName, const QString& text, const QColor& colour,
                          const QString& face, int pixels, int weight) {
    auto* label = new QLabel(text, this);
    label->setObjectName(objectName);
    QFont font(face);
    font.setPixelSize(pixels);
    font.setWeight(QFont::Weight(weight));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return label;
}

std::unique_ptr<QMenu> CMainDlg::createMenu() {
    auto menu = std::make_unique<QMenu>(this);
    const std::pair<QString, MainCommands::Opener*> items[] = {
        {QStringLiteral("法规查询"), &m_commands.lawLookup},
        {QStringLiteral("笔录地址管理"), &m_commands.addressManager},
        {QStringLiteral("询问人管理"), &m_commands.userManager},
        {QStringLiteral("打印设置"), &m_commands.printSettings},
    };
    for (const auto& [text, opener] : items) {
        QAction* action = menu->addAction(text);
        action->setEnabled(bool(*opener));
        MainCommands::Opener run = *opener;
        connect(action, &QAction::triggered, this, [this, run] { runVisible(run); });
    }
    return menu;
}

void CMainDlg::showMenu() {
    std::unique_ptr<QMenu> menu = createMenu();
    menu->exec(QCursor::pos());
}

void CMainDlg::runHidden(const MainCommands::Opener& opener) {
    if (!opener)
        return;
    hideDuringChild();
    opener(this);
    show();
    activateWindow();
}

void CMainDlg::runVisible(const MainCommands::Opener& opener) {
    if (opener)
        opener(this);
}

void CMainDlg::showEvent(QShowEvent* event) {
    FramedDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    if (m_commands.serverCheck)
        m_commands.serverCheck(this);
}

// The whole window in its light background, the band in frame blue, the logo
// at the top left and the unit picture over the unit panel.
void CMainDlg::paintBand(QPainter& painter) {
    painter.fillRect(rect(), kBackground);
    painter.fillRect(QRect(0, 0, width(), kBand), kFrameBlue);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_logo.isNull())
        painter.drawPixmap(QRect(10, 6, 30, 30), m_logo);
    if (!m_unitPicture.isNull())
        painter.drawPixmap(m_unitPanel, m_unitPicture);
}
