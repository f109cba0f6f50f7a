#include "devices/IdNumberRules.h"

#include "app/Database.h"
#include "app/Schema.h"

namespace {

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The digits at [pos, pos + n) as a number; the caller checked they are digits.
int DigitsAt(const QString& text, int pos, int n) {
    return text.mid(pos, n).toInt();
}

// The stored place is "<six-digit code> <name>": code and blank are seven
// ASCII bytes.
constexpr std::size_t kPlacePrefixBytes = 7;

} // namespace

const QStringList& DocumentTypes() {
    static const QStringList types{QStringLiteral("居民身份证")};
    return types;
}

int AgeOn(int birthYear, int birthMonth, int birthDay, const QDate& today) {
    int age = today.year() - birthYear;
    if (today.month() < birthMonth || (today.month() == birthMonth && today.day() < birthDay))
        --age;
    return age;
}

PersonFill PersonFill::FromRecord(const QStringList& fields) {
    auto f = [&](int i) { return fields.value(i); };
    PersonFill p;
    p.name = f(1);
    p.nation = f(5);
    p.education = f(8);
    p.political = f(9);
    p.nationality = f(10);
    p.telephone = f(11);
    p.nowAddress = f(13);
    p.workUnit = f(14);
    p.job = f(15);
    p.caseNumber = f(18);
    return p;
}

void IdNumberFill::applyTo(TranscriptRecord& r) const {
    if (!derived())
        return;
    r.sex = sex;
    r.age = QString::number(age);
    if (birthday().isValid())
        r.birthday = birthday();
    if (birthAddress)
        r.birthAddress = *birthAddress;
    if (person) {
        r.name = person->name;
        r.nation = person->nation;
        r.education = person->education;
        r.political = person->political;
        r.telephone = person->telephone;
        r.nationality = person->nationality;
        r.nowAddress = person->nowAddress;
        r.workUnit = person->workUnit;
        r.job = person->job;
        r.caseNumber = person->caseNumber;
    }
}

IdNumberFill InterpretIdNumber(const QString& id, const QDate& today) {
    IdNumberFill fill;
    if (id.size() != kIdNumberLength)
        return fill;
    // The last character is a check character (a digit or X) and is not examined.
    for (int i = 0; i < kIdNumberLength - 1; ++i) {
        if (!IsAsciiDigit(id[i])) {
            fill.result = IdNumberFill::Result::IllegalCharacter;
            fill.message = QStringLiteral("身份证中还有非法字符，请检查!");
            return fill;
        }
    }
    fill.result = IdNumberFill::Result::Derived;
    const bool odd = (id[16].unicode() - '0') % 2 == 1;
    fill.sexIndex = odd ? 0 : 1;
    fill.sex = odd ? QStringLiteral("男") : QStringLiteral("女");
    fill.birthYear = DigitsAt(id, 6, 4);
    fill.birthMonth = DigitsAt(id, 10, 2);
    fill.birthDay = DigitsAt(id, 12, 2);
    fill.age = AgeOn(fill.birthYear, fill.birthMonth, fill.birthDay, today);
    if (!AgeInRange(fill.age))
        fill.message =
            QStringLiteral("身份证格式错误，年龄:%1，超出范围!请重新输入!").arg(fill.age);
    return fill;
}

std::optional<QString> DivisionPlace(Database& db, const QString& code) {
    const std::string pattern = "%" + code.toStdString() + "%";
    CDBRecordSet set = db.query("select * from jyx_location where jyx_code like ?",
                                SqlArgs().text(pattern, ColumnEncoding::Utf8));
    if (set.IsEof())
        return std::nullopt;
    const std::string place = ReadColumn(set, schema::jyx_location, 0);
    if (place.size() <= kPlacePrefixBytes)
        return QString();
    return QString::fromStdString(place.substr(kPlacePrefixBytes));
}

IdNumberFill IdNumberRules(const QString& idNumber, const QDate& today, Database& db,
                           const PersonLookup& findPerson) {
    IdNumberFill fill = InterpretIdNumber(idNumber, today);
    if (!fill.derived())
        return fill;
    fill.birthAddress = DivisionPlace(db, idNumber.left(6));
    if (findPerson) {
        if (std::optional<QStringList> record = findPerson(idNumber))
            fill.person = PersonFill::FromRecord(*record);
    }
    return fill;
}
