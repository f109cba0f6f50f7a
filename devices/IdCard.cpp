#include "devices/IdCard.h"

#include "devices/IdNumberRules.h"
#include "text/TextCodec.h"

#include <QStringConverter>
#include <QStringList>

#include <json/json.h>

#include <memory>

namespace {

QString Member(const Json::Value& root, const char* name) {
    const Json::Value& v = root[name];
    return v.isString() ? CardText(v.asString()) : QString();
}

int SexIndexOf(const QString& sex) {
    return sex == QStringLiteral("男") ? 0 : 1;
}

} // namespace

QString IdCardFields::sex() const {
    return sexIndex == 0 ? QStringLiteral("男") : QStringLiteral("女");
}

QString CardText(std::string_view bytes) {
    if (const auto zero = bytes.find('\0'); zero != std::string_view::npos)
        bytes = bytes.substr(0, zero);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromStdString(AnsiToUtf8(bytes));
}

std::optional<IdCardFields> ParseCardJson(std::string_view text, const QDate& today) {
    if (const auto zero = text.find('\0'); zero != std::string_view::npos)
        text = text.substr(0, zero);
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isObject())
        return std::nullopt;
    IdCardFields card;
    card.name = Member(root, "name");
    card.sexIndex = SexIndexOf(Member(root, "sexDesc"));
    card.nation = Member(root, "nationDesc");
    card.idNumber = Member(root, "cardNo");
    const QString born = Member(root, "born");
    card.birthYear = born.mid(0, 4).toInt();
    card.birthMonth = born.mid(4, 2).toInt();
    card.birthDay = born.mid(6, 2).toInt();
    card.address = Member(root, "address");
    card.age = AgeOn(card.birthYear, card.birthMonth, card.birthDay, today);
    return card;
}

std::optional<IdCardFields> ParseCardProgramText(const QString& text, const QDate& today) {
    const QStringList f = text.split(QLatin1Char(';'));
    if (f.size() <= 5)
        return std::nullopt;
    IdCardFields card;
    card.name = f[0];
    card.sexIndex = SexIndexOf(f[1]);
    card.nation = f[2];
    if (f.size() > 8)
        card.idNumber = f[8];
    card.birthYear = f[3].trimmed().toInt();
    card.birthMonth = f[4].trimmed().toInt();
    card.birthDay = f[5].trimmed().toInt();
    card.address = f.value(6);
    card.age = AgeOn(card.birthYear, card.birthMonth, card.birthDay, today);
    return card;
}
