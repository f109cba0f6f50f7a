#include "print/PrintFormat.h"

#include "app/Database.h"

namespace {

const char* const kFallbackType = "社区矫正笔录";

// Columns 2..14 of jyx_format in stored order.
const char* const kColumns[] = {"jyx_font",    "jyx_fontsize",        "jyx_distance",
                                "jyx_isblank", "jyx_pagenumposition", "jyx_pagenumformat",
                                "jyx_sj",      "jyx_asktimes",        "jyx_asktimesformat",
                                "jyx_endname", "jyx_unlinestyle",     "jyx_nametime",
                                "jyx_1"};

int* intField(PrintFormat& f, int column) {
    switch (column) {
    case 3:
        return &f.fontSize;
    case 4:
        return &f.distance;
    case 5:
        return &f.isBlank;
    case 6:
        return &f.pageNumPosition;
    case 7:
        return &f.pageNumFormat;
    case 8:
        return &f.indent;
    case 9:
        return &f.askTimes;
    case 10:
        return &f.askTimesFormat;
    case 11:
        return &f.endName;
    case 12:
        return &f.lineStyle;
    case 13:
        return &f.nameTime;
    case 14:
        return &f.qr;
    default:
        return nullptr;
    }
}

void readRow(CDBRecordSet& set, PrintFormat& f, int firstColumn) {
    const TableDef& t = schema::jyx_format;
    for (int c = firstColumn; c <= 14; ++c) {
        QString v = QString::fromStdString(ReadColumn(set, t, c));
        if (c == 2)
            f.font = v;
        else
            *intField(f, c) = StoredInt(v);
    }
}

// Reads every row of a set into `f`; answers whether there was one.
bool readAll(CDBRecordSet set, PrintFormat& f, int firstColumn) {
    bool any = false;
    for (; !set.IsEof(); set.MoveNext()) {
        readRow(set, f, firstColumn);
        any = true;
    }
    return any;
}

CDBRecordSet rowOfType(Database& db, const QString& type) {
    return db.query("select * from jyx_format where  jyx_type=?",
                    SqlArgs().col(schema::jyx_format, "jyx_type", type.toStdString()));
}

} // namespace

PrintFormat PrintFormat::viewDefaults() {
    PrintFormat f;
    f.font.clear();
    f.fontSize = 16;
    f.distance = 10;
    f.isBlank = 0;
    return f;
}

QStringList StoredFormatValues(const PrintFormat& f) {
    QStringList out{f.font};
    for (int c = 3; c <= 14; ++c)
        out << QString::number(*intField(const_cast<PrintFormat&>(f), c));
    return out;
}

int StoredInt(const QString& text) {
    // atoi: optional blanks and sign, then the leading digits.
    QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    long long v = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128 && v < 100000000; ++i)
        v = v * 10 + (t[i].unicode() - '0');
    return int(negative ? -v : v);
}

PrintFormat LoadPrintFormat(Database& db, const PrintFormat& start) {
    PrintFormat f = start;
    if (!readAll(db.query("select * from jyx_format"), f, 2))
        readAll(rowOfType(db, QString::fromUtf8(kFallbackType)), f, 2);
    return f;
}

PrintFormat LoadPrintFormatForType(Database& db, const QString& type, const PrintFormat& start) {
    PrintFormat f = start;
    if (!readAll(rowOfType(db, type), f, 3))
        readAll(rowOfType(db, QString::fromUtf8(kFallbackType)), f, 3);
    return f;
}

bool SavePrintFormat(Database& db, const PrintFormat& f) {
    const QStringList values = StoredFormatValues(f);
    std::vector<ColumnValue> set;
    for (int i = 0; i < values.size(); ++i)
        set.push_back({kColumns[i], values[i].toStdString()});
    return db.update(schema::jyx_format, set, {});
}

CurrentFormatValues& CurrentPrintFormat() {
    static CurrentFormatValues values;
    return values;
}

namespace format_lists {

QStringList sizes() {
    return {"12 (小四)", "14 (四号)", "15 (小三)", "16 (三号)"};
}
QStringList distances() {
    return {"8 mm", "10 mm", "12 mm"};
}
QStringList printOrNot() {
    return {"打印", "不打印"};
}
QStringList pageNumPositions() {
    return {"页码右上角", "页码右下角", "页码左下角", "无"};
}
QStringList numerals() {
    return {"阿拉伯数字", "中文数字", "中文数字大写"};
}
QStringList indents() {
    return {"无缩进", "缩进一格", "缩进两格", "缩进四格"};
}
QStringList endNames() {
    return {"手工签名", "电子签名"};
}
QStringList lineStyles() {
    return {"实线", "虚线", "无"};
}
QStringList qrChoices() {
    return {"显示", "不显示"};
}
QStringList tabTypes() {
    return {"谈话笔录",
            "违规调查笔录",
            "违规询问笔录",
            "训诫笔录",
            "奖励调查笔录(矫正对象)",
            "奖励询问笔录(旁证)",
            "调查评估笔录",
            "解矫宣告笔录",
            "入矫宣告笔录",
            "合议笔录",
            "社区矫正笔录"};
}

int sizeFromIndex(int index) {
    static const int v[] = {12, 14, 15, 16};
    return index >= 0 && index < 4 ? v[index] : 12;
}

int sizeIndex(int size) {
    switch (size) {
    case 14:
        return 1;
    case 15:
        return 2;
    case 16:
        return 3;
    default:
        return 0;
    }
}

int sizeFromText(const QString& entry) {
    // "小四" before "四号"? They do not contain each other; "小三" must be
    // tested before "三号" is irrelevant for the same reason.
    if (entry.contains(QStringLiteral("小四")))
        return 12;
    if (entry.contains(QStringLiteral("四号")))
        return 14;
    if (entry.contains(QStringLiteral("小三")))
        return 15;
    if (entry.contains(QStringLiteral("三号")))
        return 16;
    return 12;
}

int distanceFromIndex(int index) {
    static const int v[] = {8, 10, 12};
    return index >= 0 && index < 3 ? v[index] : 10;
}

int distanceIndex(int distance) {
    switch (distance) {
    case 8:
        return 0;
    case 12:
        return 2;
    default:
        return 1;
    }
}

int yesNoFromIndex(int index) {
    return index == 0 ? 1 : 0;
}
int yesNoIndex(int stored) {
    return stored == 1 ? 0 : 1;
}

int tabForType(const QString& typeName) {
    if (typeName == QStringLiteral("谈话笔录"))
        return 0;
    static const char* const full[] = {
        "违规调查笔录(矫正对象)", "违规询问笔录(旁证)", "训诫笔录",
        "奖励调查笔录(矫正对象)", "奖励询问笔录(旁证)", "调查评估笔录",
        "解矫宣告笔录",           "入矫宣告笔录",       "合议笔录"};
    for (int i = 0; i < 9; ++i)
        if (typeName.contains(QString::fromUtf8(full[i])))
            return i + 1;
    return 10;
}

} // namespace format_lists
