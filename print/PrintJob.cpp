#include "print/PrintJob.h"

#include "transcript/TranscriptRecord.h"

#include <algorithm>

PrintParticulars ParticularsOf(const TranscriptRecord& r, const QString& recordId,
                               const QString& unitName, const QString& kindName) {
    PrintParticulars p;
    p.recordId = recordId;
    p.typeName = kindName.isEmpty() ? QString::fromUtf8(print_text::kFallbackKind) : kindName;
    p.unitName = unitName;
    p.start = r.startTime;
    p.end = r.endTime;
    p.place = r.place;
    p.officer1 = r.askName1;
    p.officer1Cert = r.asker1.certificate;
    p.officer2 = r.askName2;
    p.officer2Cert = r.asker2.certificate;
    p.recorder = r.recordName;
    p.name = r.name;
    p.sex = r.sex;
    p.age = r.age;
    p.nation = r.nation;
    p.idNumber = r.idNumber;
    p.homeAddress = r.nowAddress.isEmpty() ? r.birthAddress : r.nowAddress;
    p.businessAddress = r.workUnit;
    p.telephone = r.telephone;
    p.times = r.times;
    return p;
}

void PageNavigator::setPageCount(int count) {
    m_count = std::max(1, count);
    m_current = std::clamp(m_current, 1, m_count);
}

void PageNavigator::setCurrent(int page) {
    m_current = std::clamp(page, 1, m_count);
}

QString PageNavigator::first() {
    m_current = 1;
    return {};
}

QString PageNavigator::previous() {
    if (m_current <= 1) {
        m_current = 1;
        return QString::fromUtf8(print_text::kFirstPage);
    }
    --m_current;
    return {};
}

QString PageNavigator::next() {
    if (m_current >= m_count) {
        m_current = m_count;
        return QString::fromUtf8(print_text::kLastPage);
    }
    ++m_current;
    return {};
}

QString PageNavigator::last() {
    m_current = m_count;
    return {};
}

bool PageNavigator::goTo(const QString& text) {
    bool ok = false;
    const int page = text.trimmed().toInt(&ok);
    if (!ok || page < 1 || page > m_count)
        return false;
    m_current = page;
    return true;
}

QStringList ZoomChoices() {
    return {"25%", "50%", "75%", "100%", "150%", "200%"};
}

double ZoomFactor(int index) {
    static const double factors[] = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0};
    return index >= 0 && index < 6 ? factors[index] : 1.0;
}

QString ExportBaseName(const PrintParticulars& p, const QDateTime& now) {
    QStringList parts;
    for (const QString& part : {p.name, p.typeName})
        if (!part.isEmpty())
            parts << part;
    parts << now.toString(QStringLiteral("yyyyMMddHHmmss"));
    QString name = parts.join(u'_');
    // Characters a file name cannot hold on either system.
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    return name;
}

ExportKind ExportKindOf(const QString& fileName) {
    return fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? ExportKind::Pdf
                                                                          : ExportKind::Docx;
}

QString NormalisedExportName(const QString& fileName) {
    if (ExportKindOf(fileName) == ExportKind::Pdf ||
        fileName.endsWith(QStringLiteral(".docx"), Qt::CaseInsensitive))
        return fileName;
    if (fileName.endsWith(QStringLiteral(".doc"), Qt::CaseInsensitive))
        return fileName + u'x';
    return fileName + QStringLiteral(".docx");
}
