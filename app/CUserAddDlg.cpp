#include "app/CUserAddDlg.h"

#include "app/AppContext.h"
#include "app/Prompt.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kCertificateMaxLength = 18;
const QSize kSignatureSize(220, 80);
} // namespace

CUserAddDlg::CUserAddDlg(QWidget* parent, OfficerStore& store, Mode mode,
                         const OfficerRow& original)
    : FramedDialog(parent, RoundCorners | DragBand | CloseButton | BandPaint), m_store(store),
      m_mode(mode), m_original(original) {
    setObjectName("CUserAddDlg");
    setWindowTitle(QString::fromUtf8(mode == AddMode ? "添加用户" : "修改用户"));
    const bool editing = mode == EditMode;

    m_fields = new QWidget(body());
    auto* grid = new QFormLayout(m_fields);
    grid->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);

    auto* types = new QWidget(m_fields);
    auto* typeRow = new QHBoxLayout(types);
    typeRow->setContentsMargins(0, 0, 0, 0);
    m_questioner = new QCheckBox(QString::fromUtf8(kQuestionerType), types);
    m_questioner->setObjectName("questionerBox");
    m_recorder = new QCheckBox(QString::fromUtf8(kRecorderType), types);
    m_recorder->setObjectName("recorderBox");
    typeRow->addWidget(m_questioner);
    typeRow->addWidget(m_recorder);
    typeRow->addStretch();
    grid->addRow(QStringLiteral("用户类型："), types);

    // The account fields of an officer row are kept hidden: nothing reads them,
    // and only the system account (jyx_register) logs in.
    m_userName = addField("userNameEdit", "用户名：", false);
    m_password = addField("passwordEdit", "密码：", false);
    m_repeatPassword = addField("repeatPasswordEdit", "重复密码：", false);
    m_password->setEchoMode(QLineEdit::Password);
    m_repeatPassword->setEchoMode(QLineEdit::Password);
    m_name = addField("nameEdit", "姓名：", true);
    m_certificate = addField("certificateEdit", "执法证号：", true);
    m_certificate->setMaxLength(kCertificateMaxLength);
    m_job = addField("jobEdit", "职务：", true);
    m_telephone = addField("telephoneEdit", "电话：", false);
    m_unit = addField("unitEdit", "单位：", false);

    // The signature picture is offered when editing: the edit is the statement
    // that stores it.
    auto* signatureBox = new QWidget(m_fields);
    signatureBox->setObjectName("signatureBox");
    auto* signatureRow = new QHBoxLayout(signatureBox);
    signatureRow->setContentsMargins(0, 0, 0, 0);
    m_signatureView = new QLabel(signatureBox);
    m_signatureView->setObjectName("signatureView");
    m_signatureView->setFixedSize(kSignatureSize);
    m_signatureView->setAlignment(Qt::AlignCenter);
    m_signatureView->setStyleSheet("background: white; border: 1px solid rgb(180,180,180);");
    auto* upload = new QPushButton(QStringLiteral("上传图片"), signatureBox);
    upload->setObjectName("uploadButton");
    upload->setAutoDefault(false);
    signatureRow->addWidget(m_signatureView);
    signatureRow->addWidget(upload, 0, Qt::AlignBottom);
    signatureRow->addStretch();
    grid->addRow(QStringLiteral("个人签名（背景白色 ）："), signatureBox);
    grid->setRowVisible(signatureBox, editing);
    connect(upload, &QPushButton::clicked, this, &CUserAddDlg::onUpload);

    QWidget* buttons = okCancelRow([this] { onOk(); });

    QVBoxLayout* layout = bodyLayout();
    layout->setContentsMargins(30, 20, 30, 16);
    layout->setSpacing(16);
    layout->addWidget(m_fields);
    layout->addStretch();
    layout->addWidget(buttons);

    if (editing) {
        m_questioner->setChecked(original.type == kQuestionerType);
        m_recorder->setChecked(original.type == kRecorderType);
        m_userName->setText(QString::fromStdString(original.loginId));
        m_name->setText(QString::fromStdString(original.name));
        m_certificate->setText(QString::fromStdString(original.certificate));
        m_job->setText(QString::fromStdString(original.job));
        std::string stored = m_store.signature(original.name, original.type);
        if (stored.size() > 1)
            m_signature = stored;
        showSignature();
    }
    m_name->setFocus();
    resize(editing ? 480 : 400, editing ? 360 : 300);
}

QLineEdit* CUserAddDlg::addField(const char* objectName, const char* label, bool visible) {
    auto* edit = new QLineEdit(m_fields);
    edit->setObjectName(objectName);
    edit->setMinimumWidth(220);
    auto* grid = static_cast<QFormLayout*>(m_fields->layout());
    grid->addRow(QString::fromUtf8(label), edit);
    grid->setRowVisible(edit, visible);
    return edit;
}

OfficerForm CUserAddDlg::form() const {
    OfficerForm f;
    f.questioner = m_questioner->isChecked();
    f.recorder = m_recorder->isChecked();
    f.name = m_name->text().toStdString();
    f.certificate = m_certificate->text().toStdString();
    f.job = m_job->text().toStdString();
    f.loginId = m_userName->text().toStdString();
    f.unit = m_unit->text().toStdString();
    f.telephone = m_telephone->text().toStdString();
    return f;
}

void CUserAddDlg::paintBand(QPainter& painter) {
    FramedDialog::paintBand(painter);
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(48, 0, width() - 96, bandHeight()), Qt::AlignVCenter | Qt::AlignLeft,
                     windowTitle());
}

void CUserAddDlg::onOk() {
    m_last =
        m_mode == AddMode ? m_store.add(form()) : m_store.edit(m_original, form(), m_signature);
    for (const QString& text : m_last.messages)
        Messages().show(this, text,
                        m_last.failed ? Prompt::Icon::Warning : Prompt::Icon::Information);
    // Further edits of this form apply to the row as it is now stored.
    if (m_mode == EditMode && m_last.changed && !m_last.failed) {
        m_original.name = form().name;
        if (!(form().questioner && form().recorder))
            m_original.type = form().questioner ? kQuestionerType : kRecorderType;
    }
}

void CUserAddDlg::onUpload() {
    QString path = Messages().openFileName(this, QStringLiteral("上传图片"),
                                           QString::fromStdString(ProgramDir()),
                                           QStringLiteral("文件 (*.png)"));
    if (path.isEmpty())
        return;
    std::string blob = BlobFromFile(path.toStdString());
    if (blob.empty()) {
        Messages().show(this, QStringLiteral("无法读取图片文件：") + path, Prompt::Icon::Warning);
        return;
    }
    m_signature = blob;
    showSignature();
}

// The picture is drawn straight from the stored bytes: nothing is written to
// disk, so no file in the working directory is overwritten or left behind.
void CUserAddDlg::showSignature() {
    QImage image;
    if (m_signature)
        image.loadFromData(reinterpret_cast<const uchar*>(m_signature->data()),
                           int(m_signature->size()));
    if (image.isNull()) {
        m_signatureView->clear();
        return;
    }
    m_signatureView->setPixmap(QPixmap::fromImage(image).scaled(
        m_signatureView->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
