#include "transcript/AnswerList.h"

#include "transcript/AnswerOptions.h"
#include "transcript/TranscriptTextEdit.h"

#include <QHeaderView>

#include <algorithm>

namespace {

const QString kHeader = QStringLiteral("常见回答内容，双击自动加入！");

} // namespace

AnswerList::AnswerList(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("AnswerList"));
    setColumnCount(2);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    resetRows(kInitialRows);
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) { markRow(row); });
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { insertAnswer(row); });
}

void AnswerList::attach(TranscriptTextEdit* text) {
    m_text = text;
}

void AnswerList::resetRows(int count) {
    clearContents();
    setRowCount(count);
    setSpan(0, 0, 1, 2);
    auto* header = new QTableWidgetItem(kHeader);
    header->setTextAlignment(Qt::AlignCenter);
    header->setFlags(Qt::ItemIsEnabled);
    header->setBackground(QColor(230, 238, 247));
    setItem(0, 0, header);
    for (int r = 0; r < count; ++r)
        setRowHeight(r, kRowHeight);
    fitColumns();
}

void AnswerList::showAnswerOptions(const QString& answerText) {
    fillOptions(answers::Options(answerText), int(answers::SplitPieces(answerText).size()));
}

void AnswerList::setOptions(const QStringList& options) {
    fillOptions(options, int(options.size()) + 1);
}

void AnswerList::fillOptions(const QStringList& options, int rows) {
    // Empty pieces make no option but still count for the length, so a few
    // empty rows may follow the options; they hold no cell, and
    // double-clicking one does nothing.
    resetRows(std::max({2, rows, int(options.size()) + 1}));
    for (int i = 0; i < options.size(); ++i) {
        setItem(i + 1, 1, new QTableWidgetItem(options[i]));
        setRowHeight(i + 1, answers::OptionRowHeight(options[i]));
    }
}

void AnswerList::setCommonAnswers(const QStringList& list) {
    resetRows(kInitialRows);
    for (int i = 0; i < list.size(); ++i) {
        QString answer = list[i];
        qsizetype lead = 0;
        while (lead < answer.size() && answer[lead].isSpace())
            ++lead;
        if (i + 1 >= rowCount())
            setRowCount(i + 2);
        setItem(i + 1, 1, new QTableWidgetItem(answer.mid(lead)));
        setRowHeight(i + 1, kCommonRowHeight);
    }
    setRowCount(int(list.size()) + 1);
}

QStringList AnswerList::answers() const {
    QStringList result;
    for (int r = 1; r < rowCount(); ++r) {
        const QTableWidgetItem* cell = item(r, 1);
        result << (cell ? cell->text() : QString());
    }
    return result;
}

void AnswerList::markRow(int row) {
    for (int r = 1; r < rowCount(); ++r) {
        if (r == row)
            setItem(r, 0, new QTableWidgetItem(QStringLiteral(">")));
        else if (item(r, 0))
            delete takeItem(r, 0);
    }
}

void AnswerList::insertAnswer(int row) {
    if (row < 1 || row >= rowCount())
        return;
    markRow(row);
    const QTableWidgetItem* cell = item(row, 1);
    if (!cell || !m_text)
        return;
    m_text->insertCommonAnswer(cell->text());
    emit answerInserted(cell->text());
}

void AnswerList::fitColumns() {
    setColumnWidth(0, kMarkerWidth);
    setColumnWidth(1, std::max(0, viewport()->width() - kMarkerWidth));
}

void AnswerList::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    fitColumns();
}
