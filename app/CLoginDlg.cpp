#include "app/CLoginDlg.h"

#include "app/AppContext.h"
#include "app/Prompt.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kWidth = 900;
constexpr int kHeight = 560;
constexpr int kDragBand = 82; // the login dialog is dragged by its top 82 pixels
constexpr int kPaintedBand = 42;
const QColor kTitleBrush(94, 182, 254);

QPixmap picture(const char* name) {
    return QPixmap(QString::fromStdString(ProgramPath(std::string("image/") + name)));
}

QFont face(const QString& family, int pixels, int weight) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setWeight(QFont::Weight(weight));
    return font;
}

QLabel* label(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFont(face(QStringLiteral("宋体"), 20, 400));
    l->setStyleSheet(QStringLiteral("color: rgb(100,100,100); background: white;"));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}
} // namespace

CLoginDlg::CLoginDlg(MainCommands commands, QWidget* parent)
    : FramedDialog(parent, RoundCorners | DragBand | CloseButton, kDragBand),
      m_commands(std::move(commands)), m_login(SystemDb(), ProgramPath("SysReg.db")) {
    setObjectName("CLoginDlg");
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFixedSize(kWidth, kHeight);
    body()->hide();
    m_logo = picture("logo.png");
    m_background = picture("login.jpg");
    m_panelPicture = picture("loginbk.png");
    m_runMain = [this](QWidget*) { runMainWindow(); };
    buildControls();
}

void CLoginDlg::buildControls() {
    auto* title = new QLabel(QStringLiteral("青岚市烟草专卖局专卖办案笔录软件"), this);
    title->setObjectName("title");
    title->setFont(face(QStringLiteral("黑体"), 30, 700));
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(
        QStringLiteral("color: white; background: rgb(63,167,252);"
                       " border: 6px solid rgb(94,182,254); border-radius: 12px;"));
    title->setGeometry(130, 66, kWidth - 260, 76);

    m_panel = QRect(200, 178, 500, 326);
    auto* userLabel = label(QStringLiteral("用户名："), this);
    userLabel->setGeometry(m_panel.left() + 30, m_panel.top() + 46, 110, 52);
    auto* passwordLabel = label(QStringLiteral("密码："), this);
    passwordLabel->setGeometry(m_panel.left() + 30, m_panel.top() + 122, 110, 52);

    const QString editStyle =
        QStringLiteral("QLineEdit { border: 1px solid rgb(190,205,225); border-radius: 4px;"
                       " padding: 0 8px; background: white; color: rgb(40,40,40); }"
                       "QLineEdit:focus { border: 2px solid rgb(22,130,220); }");
    m_user = new QLineEdit(this);
    m_user->setObjectName("userName");
    m_password = new QLineEdit(this);
    m_password->setObjectName("password");
    m_password->setEchoMode(QLineEdit::Password);
    for (QLineEdit* edit : {m_user, m_password}) {
        edit->setFont(face(QStringLiteral("宋体"), 28, 700));
        edit->setStyleSheet(editStyle);
    }
    m_user->setGeometry(m_panel.left() + 146, m_panel.top() + 46, 310, 52);
    m_password->setGeometry(m_panel.left() + 146, m_panel.top() + 122, 310, 52);

    m_loginButton = new QPushButton(QStringLiteral("登  录"), this);
    m_loginButton->setObjectName("loginButton");
    m_loginButton->setAutoDefault(false);
    m_loginButton->setCursor(Qt::PointingHandCursor);
    m_loginButton->setFont(face(QStringLiteral("宋体"), 28, 400));
    m_loginButton->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: rgb(22,130,220); border: none;"
                       " border-radius: 6px; }"
                       "QPushButton:hover { background: rgb(40,148,236); }"
                       "QPushButton:pressed { background: rgb(16,108,186); }"));
    m_loginButton->setGeometry(m_panel.left() + 56, m_panel.top() + 216, 400, 60);
    connect(m_loginButton, &QPushButton::clicked, this, &CLoginDlg::login);

    m_user->setFocus();
}

bool CLoginDlg::initialise() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int width = screen ? screen->geometry().width() : 0;
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return initialise(width, dpi);
}

bool CLoginDlg::initialise(int screenWidth, double logicalDpiX) {
    m_user->setFocus();
    const LoginOpening opening = m_login.open(screenWidth, logicalDpiX);
    for (const QString& message : opening.messages)
        Messages().show(this, message);
    if (opening.tooNarrow)
        return false;
    Session().pixelsPerMm = opening.pixelsPerMm;
    m_user->setText(opening.userName);
    m_password->setText(opening.password);
    return true;
}

void CLoginDlg::login() {
    const LoginAttempt attempt = m_login.attempt(m_user->text(), m_password->text(), Session());
    for (const QString& message : attempt.messages)
        Messages().show(this, message);
    if (!attempt.succeeded)
        return;
    hide();
    m_runMain(this);
    done(QDialog::Accepted);
}

void CLoginDlg::runMainWindow() {
    CMainDlg main(m_commands);
    main.exec();
}

void CLoginDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        login();
        return;
    }
    FramedDialog::keyPressEvent(event);
}

// The background picture over the whole window, the top band in frame blue
// with the logo, and the panel picture behind the form.
void CLoginDlg::paintBand(QPainter& painter) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_background.isNull())
        painter.drawPixmap(rect(), m_background);
    else
        painter.fillRect(rect(), kTitleBrush);
    painter.fillRect(QRect(0, 0, width(), kPaintedBand), kFrameBlue);
    if (!m_logo.isNull())
        painter.drawPixmap(QRect(10, 6, 30, 30), m_logo);
    if (!m_panelPicture.isNull())
        painter.drawPixmap(m_panel, m_panelPicture);
    else
        painter.fillRect(m_panel, Qt::white);
}
