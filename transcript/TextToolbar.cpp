#include "transcript/TextToolbar.h"

#include "transcript/TextRules.h"
#include "transcript/TranscriptTextEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QToolBar>

using textrules::TextSizes;

TextToolbar::TextToolbar(QWidget* parent) : QWidget(parent) {
    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("textFace"));
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("textSize"));
    m_colour = new QCheckBox(QStringLiteral("颜色区分"), this);
    m_colour->setObjectName(QStringLiteral("colourBox"));
    m_ruled = new QCheckBox(QStringLiteral("下划线"), this);
    m_ruled->setObjectName(QStringLiteral("ruledBox"));
    m_bar = new QToolBar(this);
    m_bar->setObjectName(QStringLiteral("textCommands"));
    m_bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fillFaces();
    fillSizes();
    m_colour->setChecked(true);
    m_ruled->setChecked(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_face);
    layout->addWidget(m_size);
    layout->addWidget(m_colour);
    layout->addWidget(m_ruled);
    layout->addStretch();
}

void TextToolbar::fillFaces() {
    const QStringList faces = textrules::TextFaces(QFontDatabase::families());
    m_face->addItems(faces);
    m_face->setCurrentIndex(int(faces.indexOf(textrules::kDefaultFace)));
}

void TextToolbar::fillSizes() {
    for (const auto& size : TextSizes())
        m_size->addItem(size.name, size.points);
    m_size->setCurrentIndex(textrules::kDefaultSizeIndex);
}

void TextToolbar::buildCommands() {
    TranscriptTextEdit* text = m_text;
    m_bar->addAction(QStringLiteral("剪切"), text, &QTextEdit::cut);
    m_bar->addAction(QStringLiteral("复制"), text, &QTextEdit::copy);
    m_bar->addAction(QStringLiteral("粘贴"), text, &QTextEdit::paste);
    m_bar->addAction(QStringLiteral("删除"), text, &TranscriptTextEdit::deleteSelection);
    m_bar->addAction(QStringLiteral("撤销"), text, &QTextEdit::undo);
    m_bar->addAction(QStringLiteral("重做"), text, &QTextEdit::redo);
    m_bar->addAction(QStringLiteral("查找"), text, &TranscriptTextEdit::showFindDialog);
}

void TextToolbar::attach(TranscriptTextEdit* text) {
    m_text = text;
    buildCommands();
    text->setFace(m_face->currentText());
    text->setPointSize(m_size->currentData().toDouble());
    text->setColouring(m_colour->isChecked());
    text->setRuledLines(m_ruled->isChecked());
    connect(m_face, &QComboBox::currentTextChanged, this, [this](const QString& face) {
        m_text->setFace(face);
        emit faceChanged(m_text->face());
    });
    connect(m_size, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_text->setPointSize(m_size->itemData(index).toDouble());
        emit pointSizeChanged(m_text->pointSize());
    });
    connect(m_colour, &QCheckBox::toggled, text, &TranscriptTextEdit::setColouring);
    connect(m_ruled, &QCheckBox::toggled, text, &TranscriptTextEdit::setRuledLines);
}

void TextToolbar::selectFace(const QString& face) {
    const int index = m_face->findText(face);
    if (index >= 0)
        m_face->setCurrentIndex(index);
    else if (m_text)
        m_text->setFace(face);
}

void TextToolbar::selectPointSize(double points) {
    for (int i = 0; i < m_size->count(); ++i) {
        if (qFuzzyCompare(m_size->itemData(i).toDouble(), points)) {
            m_size->setCurrentIndex(i);
            return;
        }
    }
    if (m_text)
        m_text->setPointSize(points);
}
