#include "transcript/CJyxAnswerDlg.h"

#include "transcript/AnswerOptions.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// 326 × 27 dialog units: a dialog unit is a quarter of the average character
// width across and an eighth of the character height down.
QSize DialogUnits(const QFontMetrics& fm, int across, int down) {
    return {across * fm.averageCharWidth() / 4, down * fm.height() / 8};
}

} // namespace

CJyxAnswerDlg::CJyxAnswerDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("CJyxAnswerDlg"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("answerOptions"));
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFixedSize(DialogUnits(fontMetrics(), 326, 27).expandedTo(QSize(320, 60)));
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose(m_list->row(item)); });
    connect(m_list, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { choose(m_list->row(item)); });
}

void CJyxAnswerDlg::setOptions(const QString& answerText) {
    setOptionList(answers::Options(answerText));
}

void CJyxAnswerDlg::setOptionList(const QStringList& options) {
    m_list->clear();
    m_list->addItems(options);
}

QStringList CJyxAnswerDlg::options() const {
    QStringList result;
    for (int i = 0; i < m_list->count(); ++i)
        result << m_list->item(i)->text();
    return result;
}

void CJyxAnswerDlg::showAt(const QPoint& globalPos) {
    move(globalPos);
    show();
    raise();
    activateWindow();
    m_list->setFocus();
}

void CJyxAnswerDlg::choose(int index) {
    if (index < 0 || index >= m_list->count())
        return;
    m_chosen = m_list->item(index)->text();
    hide();
    emit answerChosen(m_chosen);
}
