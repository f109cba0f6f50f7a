// Transcript texts and documents for the printing tests.
#pragma once

#include "print/PageModel.h"
#include "print/PrintLines.h"

#include <QString>
#include <QStringList>

// `pairs` question-and-answer pairs, each two lines ending in "\r\n".
inline QString QuestionsAndAnswers(int pairs) {
    QString text;
    for (int i = 1; i <= pairs; ++i)
        text += QStringLiteral("问：第%1个问题是什么？\r\n答：这是第%1个回答。\r\n").arg(i);
    return text;
}

inline PrintParticulars SampleParticulars() {
    PrintParticulars p;
    p.recordId = QStringLiteral("110101199001011234_20260102030405");
    p.typeName = QStringLiteral("询问笔录");
    p.unitName = QStringLiteral("青岚市烟草专卖局");
    p.start = QStringLiteral("2026/01/02 09:05");
    p.end = QStringLiteral("2026/01/02 10:30");
    p.place = QStringLiteral("青岚市烟草专卖局询问室");
    p.officer1 = QStringLiteral("王强");
    p.officer1Cert = QStringLiteral("A1001");
    p.officer2 = QStringLiteral("李明");
    p.officer2Cert = QStringLiteral("A1002");
    p.recorder = QStringLiteral("赵敏");
    p.name = QStringLiteral("张三");
    p.sex = QStringLiteral("男");
    p.age = QStringLiteral("36");
    p.nation = QStringLiteral("汉族");
    p.idNumber = QStringLiteral("110101199001011234");
    p.homeAddress = QStringLiteral("青岚市东城区和平路1号");
    p.businessAddress = QStringLiteral("青岚市东城区和平路2号");
    p.telephone = QStringLiteral("13800000000");
    p.times = QStringLiteral("1");
    return p;
}

// A document of the sample particulars whose lines are the layout of `text`
// in 宋体 12 pt without indentation.
inline PrintDocument SampleDocument(const QString& text) {
    PrintDocument doc;
    doc.particulars = SampleParticulars();
    doc.lines = LayOutPrintLines(text, {QStringLiteral("宋体"), true, 0, 12});
    return doc;
}

// The text rows of a layout, page by page, without line breaks.
inline std::vector<QStringList> TextRowsByPage(const DocumentLayout& layout) {
    std::vector<QStringList> pages;
    for (const PageLayout& page : layout.pages) {
        QStringList rows;
        for (const BodyRow& row : page.body)
            if (row.kind == BodyRow::Text)
                rows << row.text.plain();
        pages.push_back(rows);
    }
    return pages;
}
