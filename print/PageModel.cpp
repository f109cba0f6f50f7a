#include "print/PageModel.h"

#include "print/PrintLines.h"

#include <QDateTime>

#include <algorithm>

namespace pg = page_geometry;

namespace {

// Half the width of a 12-pt full-width character, in millimetres.
constexpr double kHalfEm12 = 12.0 * 25.4 / 72.0 / 2.0;

double labelWidth(const QString& text, int points = 12) {
    return GbkBytes(text) * kHalfEm12 * points / 12.0;
}

QString orSlash(const QString& v) {
    return v.isEmpty() ? QStringLiteral("/") : v;
}

// Lays the labels and values of one heading row from left to right.
class RowBuilder {
public:
    explicit RowBuilder(int row) { m_row.row = row; }
    RowBuilder& label(const QString& text) {
        m_row.items.push_back({text, false, m_x, m_x + labelWidth(text), 12});
        m_x += labelWidth(text);
        return *this;
    }
    RowBuilder& value(const QString& text, double width, int points = 12) {
        m_row.items.push_back({orSlash(text), true, m_x, m_x + width, points});
        m_x += width;
        return *this;
    }
    // The last value of a row: its underline ends at the right margin.
    RowBuilder& valueToEnd(const QString& text, int points = 12) {
        return value(text, std::max(0.0, pg::kTextWidth - m_x), points);
    }
    RowBuilder& gap(double mm) {
        m_x += mm;
        return *this;
    }
    HeadingRow take() { return std::move(m_row); }

private:
    HeadingRow m_row;
    double m_x = 0;
};

QString num2(int v) {
    return QString::asprintf("%02d", v);
}

HeadingRow timeRow(const PrintParticulars& p) {
    const DateParts s = BreakUpDateTime(p.start), e = BreakUpDateTime(p.end);
    RowBuilder b(3);
    b.label(QStringLiteral("询问时间:"));
    auto date = [&](const DateParts& d, const QString& last) {
        b.value(QString::number(d.year), 13).label(QStringLiteral("年"));
        b.value(num2(d.month), 8).label(QStringLiteral("月"));
        b.value(num2(d.day), 8).label(QStringLiteral("日"));
        b.value(num2(d.hour), 8).label(QStringLiteral("时"));
        b.value(num2(d.minute), 8).label(last);
    };
    date(s, QStringLiteral("分至"));
    date(e, QStringLiteral("分"));
    return b.take();
}

int addressPoints(const QString& address) {
    const int bytes = GbkBytes(address);
    return bytes <= 30 ? 12 : bytes <= 36 ? 10 : 8;
}

std::vector<HeadingRow> headingRows(const PrintParticulars& p) {
    std::vector<HeadingRow> rows;
    rows.push_back(timeRow(p));
    rows.push_back(RowBuilder(4).label(QStringLiteral("询问地点:")).valueToEnd(p.place).take());
    rows.push_back(RowBuilder(5)
                       .label(QStringLiteral("询问人:"))
                       .value(p.officer1, 40)
                       .label(QStringLiteral("、"))
                       .value(p.officer2, 40)
                       .gap(4)
                       .label(QStringLiteral("记录人:"))
                       .valueToEnd(p.recorder)
                       .take());
    rows.push_back(RowBuilder(6)
                       .label(QStringLiteral("被询问人:"))
                       .value(p.name, 36)
                       .gap(2)
                       .label(QStringLiteral("性别:"))
                       .value(p.sex, 17)
                       .gap(2)
                       .label(QStringLiteral("年龄:"))
                       .value(p.age, 17)
                       .gap(2)
                       .label(QStringLiteral("民族:"))
                       .valueToEnd(p.nation)
                       .take());
    rows.push_back(RowBuilder(7)
                       .label(QStringLiteral("证件类型及号码:"))
                       .valueToEnd(QStringLiteral("居民身份证") + p.idNumber, 10)
                       .take());
    rows.push_back(RowBuilder(8)
                       .label(QStringLiteral("住址:"))
                       .valueToEnd(p.homeAddress, addressPoints(p.homeAddress))
                       .take());
    rows.push_back(RowBuilder(9)
                       .label(QStringLiteral("经营地址:"))
                       .value(p.businessAddress, 72)
                       .gap(3)
                       .label(QStringLiteral("联系电话:"))
                       .valueToEnd(p.telephone)
                       .take());
    return rows;
}

QString stripBreak(QString line) {
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

// A paragraph line whose start is (part of) the bold lead-in.
RowText paragraphRow(const QString& line, const QString& leadIn) {
    RowText t;
    const QString text = stripBreak(line);
    qsizetype at = 0;
    while (at < text.size() && text[at] == u' ')
        ++at;
    qsizetype n = 0;
    while (n < leadIn.size() && at + n < text.size() && text[at + n] == leadIn[n])
        ++n;
    t.before = text.left(at);
    t.bold = text.mid(at, n);
    t.after = text.mid(at + n);
    if (t.bold.isEmpty()) {
        t.after = text;
        t.before.clear();
    }
    return t;
}

struct FlowRow {
    BodyRow::Kind kind;
    RowText text;
};

// The notice paragraphs, the rows every first page opens with.
std::vector<FlowRow> noticeRows(const PrintDocument& doc) {
    std::vector<FlowRow> flow;
    const PrintParticulars& p = doc.particulars;
    const QString leads[2] = {QStringLiteral("执法人员表明身份、出示证件及被询问人确认的记录："),
                              QStringLiteral("告知陈述（申辩）和申请回避的权利：")};
    const QString texts[2] = {NoticeIdentity(p), NoticeRights()};
    for (int k = 0; k < 2; ++k) {
        const QStringList lines =
            BreakLines(texts[k], {QStringLiteral("宋体"), true, doc.format.indent, 12});
        for (qsizetype i = 0; i < lines.size(); ++i) {
            RowText t =
                i == 0 ? paragraphRow(lines[i], leads[k]) : RowText{{}, {}, stripBreak(lines[i])};
            flow.push_back({BodyRow::Paragraph, t});
        }
    }
    return flow;
}

// The cleaning of CleanLines, without a copy of the list.
bool printsLine(const QString& line, bool blankForm) {
    return blankForm || !(line.isEmpty() || line == u"\r");
}

// Position of a page's first row in the flow of notice rows and lines.
int flowStart(int pageNumber) {
    const int firstSlots = pg::kFirstFooterRow - pg::kFirstBodyRow;
    return pageNumber == 1 ? 0 : firstSlots + (pageNumber - 2) * pg::kOtherBodyRows;
}

std::vector<FooterRow> footerRows(int first) {
    const std::pair<int, int> year{49, 57}, month{59, 63}, day{65, 69};
    return {
        {first, QStringLiteral("以上笔录经被询问人核对无误。"), {}},
        {first + 1,
         QStringLiteral("被询问人（签名）：                                       年    月    日 "),
         {{18, 47}, year, month, day}},
        {first + 2,
         QStringLiteral("询 问 人（签名）：           执法证号:                   年    月    日 "),
         {{18, 28}, {38, 48}, year, month, day}},
        {first + 3,
         QStringLiteral("                             执法证号:                   年    月    日 "),
         {{38, 48}, year, month, day}},
    };
}

} // namespace

DateParts BreakUpDateTime(const QString& text) {
    auto part = [&](int pos, int len) { return text.mid(pos, len).toInt(); };
    DateParts d{part(0, 4), part(5, 2), part(8, 2), part(11, 2), part(14, 2), part(17, 2)};
    const QDate date(d.year, d.month, d.day);
    const QTime time(d.hour, d.minute, d.second);
    if (d.year < 1900 || !date.isValid() || !time.isValid())
        return DateParts{};
    return d;
}

QString NoticeIdentity(const PrintParticulars& p) {
    return QStringLiteral("执法人员表明身份、出示证件及被询问人确认的记录： 我们是") + p.unitName +
           QStringLiteral("的行政执法人员，这是我们的执法证件（向当事人出示证件，执法证号分别是") +
           p.officer1Cert + QStringLiteral("、") + p.officer2Cert + QStringLiteral(")。\n");
}

QString NoticeRights() {
    return QStringLiteral(
        "告知陈述（申辩）和申请回避的权利：根据《烟草专卖行政处罚程序规定》第二十三条、第三十八条第"
        "二款的规定，你应当如实回答询问，不得提供伪证或者隐匿证据，否则将承担相应的法律责任，同时你"
        "依法享有陈述权、申辩权和申请办案人员回避的权利。请问你是否清楚？是否申请回避？\n");
}

QStringList NoticeLines(const PrintParticulars& p, int indentCode) {
    LineBreakOptions o{QStringLiteral("宋体"), true, indentCode, 12};
    return BreakLines(NoticeIdentity(p), o) + BreakLines(NoticeRights(), o);
}

QString SpacedTypeName(const QString& type) {
    if (GbkBytes(type) >= 11)
        return type;
    QString out;
    for (qsizetype i = 0; i < type.size(); ++i) {
        if (i)
            out += u' ';
        out += type[i];
    }
    return out;
}

RowText SplitSpeakerLabel(const QString& line) {
    const QString text = stripBreak(line);
    // Most lines hold no label: one search decides, without allocating.
    if (!QStringView(text).contains(u"询问人"))
        return {{}, {}, text};
    struct Label {
        QStringView find;
        QStringView shown;
    };
    static constexpr Label labels[] = {{u"被询问人：", u"被询问人："},
                                       {u"被询问人:", u"被询问人："},
                                       {u"询问人：", u"询问人："},
                                       {u"询问人:", u"询问人："}};
    for (int group = 0; group < 2; ++group) {
        qsizetype best = -1;
        const Label* hit = nullptr;
        for (int k = group * 2; k < group * 2 + 2; ++k) {
            const qsizetype at = QStringView(text).indexOf(labels[k].find);
            if (at >= 0 && (best < 0 || at < best)) {
                best = at;
                hit = &labels[k];
            }
        }
        if (hit)
            return {text.left(best), hit->shown.toString(), text.mid(best + hit->find.size())};
    }
    return {{}, {}, text};
}

QStringList CleanLines(const QStringList& lines, bool blankForm) {
    QStringList out;
    out.reserve(lines.size());
    for (const QString& line : lines) {
        if (!blankForm && (line.isEmpty() || line == QStringLiteral("\r")))
            continue;
        out.push_back(stripBreak(line));
    }
    return out;
}

DocumentLayout LayOutFrame(const PrintDocument& doc) {
    DocumentLayout layout;
    const PrintParticulars& p = doc.particulars;
    layout.unitName = p.unitName;
    layout.typeTitle = SpacedTypeName(p.typeName);
    layout.heading = headingRows(p);
    layout.blankForm = doc.blankForm;
    // A form for handwriting leaves its values open: a "/" or a "-1" date
    // would leave no room to write the real value.
    if (doc.blankForm)
        for (HeadingRow& row : layout.heading)
            for (HeadingItem& item : row.items)
                if (item.value)
                    item.text.clear();

    // One counting pass finds the page count and where each page's lines
    // start, so a page's rows can be laid out on their own.
    const int notices = int(noticeRows(doc).size());
    std::vector<qsizetype> starts{0};
    qsizetype kept = 0;
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        if (!printsLine(doc.lines[i], doc.blankForm))
            continue;
        while (notices + kept >= flowStart(int(starts.size()) + 1))
            starts.push_back(i);
        ++kept;
    }
    const int firstSlots = pg::kFirstFooterRow - pg::kFirstBodyRow;
    const int rest = std::max(0, notices + int(kept) - firstSlots);
    int pageCount = 1 + (rest + pg::kOtherBodyRows - 1) / pg::kOtherBodyRows;
    if (doc.blankForm)
        pageCount = std::max(pageCount, std::max(1, doc.blankPages));

    layout.pages.resize(std::size_t(pageCount));
    for (int n = 1; n <= pageCount; ++n) {
        PageLayout& page = layout.pages[std::size_t(n - 1)];
        page.number = n;
        page.rowCount = n == 1 ? pg::kFirstPageRows : pg::kOtherPageRows;
        page.firstLine =
            std::size_t(n - 1) < starts.size() ? starts[std::size_t(n - 1)] : doc.lines.size();
        page.opensWithNotice = flowStart(n) < notices;
    }
    return layout;
}

void LayOutPage(const PrintDocument& doc, int pageCount, PageLayout& page) {
    const int n = page.number;
    const bool first = n == 1;
    if (!first)
        page.mark = n == pageCount ? QStringLiteral("（尾页）") : QStringLiteral("（续页）");
    const int from = first ? pg::kFirstBodyRow : 0;
    const int to = first ? pg::kFirstFooterRow : pg::kOtherBodyRows;
    int flow = flowStart(n);
    std::vector<FlowRow> notices;
    if (page.opensWithNotice)
        notices = noticeRows(doc);
    qsizetype line = page.firstLine;
    page.body.clear();
    page.body.reserve(std::size_t(to - from));
    for (int r = from; r < to; ++r, ++flow) {
        BodyRow row;
        row.row = r;
        if (flow < int(notices.size())) {
            row.kind = BodyRow::Paragraph;
            row.text = notices[std::size_t(flow)].text;
        } else {
            while (line < doc.lines.size() && !printsLine(doc.lines[line], doc.blankForm))
                ++line;
            if (line < doc.lines.size()) {
                row.kind = BodyRow::Text;
                row.text = SplitSpeakerLabel(doc.lines[line++]);
            }
        }
        page.body.push_back(std::move(row));
    }
    page.footer = footerRows(to);
    page.pageNumberRow = to + 4;
    page.pageNumber = first ? QStringLiteral("第 1 页 共 %1 页 ").arg(pageCount)
                            : QStringLiteral("第 %1 页 共 %2 页 ").arg(n).arg(pageCount);
}

DocumentLayout LayOutDocument(const PrintDocument& doc) {
    DocumentLayout layout = LayOutFrame(doc);
    for (PageLayout& page : layout.pages)
        LayOutPage(doc, int(layout.pages.size()), page);
    return layout;
}
