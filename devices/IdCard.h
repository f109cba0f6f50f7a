// The particulars an ID card gives the editor, from either source: the text
// the card-reader library decodes (a JSON object) or the ";"-separated text
// the separate card-reader program sends.
#pragma once

#include <QDate>
#include <QMetaType>
#include <QString>

#include <optional>
#include <string_view>

// What the editor fills, in the order it fills it: name, sex, nation, ID
// number (which runs the ID-number processing), birth date, registered
// address, age.
struct IdCardFields {
    QString name;
    int sexIndex = 0; // 0 "男" when the card says "男", else 1
    QString nation;
    // Absent when the source gave no number; the ID field is then left alone.
    std::optional<QString> idNumber;
    int birthYear = 0, birthMonth = 0, birthDay = 0;
    QString address;
    int age = 0;

    QString sex() const;
    // Invalid when the card's digits are no calendar date.
    QDate birthday() const { return QDate(birthYear, birthMonth, birthDay); }
};
Q_DECLARE_METATYPE(IdCardFields)

// Card text bytes as program text: UTF-8 when they are valid UTF-8, otherwise
// GBK (the vendor library and the card-reader program may use either). Stops
// at the first zero byte.
QString CardText(std::string_view bytes);

// The decoded card text: a JSON object with the string members "name",
// "sexDesc", "nationDesc", "cardNo", "born" (YYYYMMDD) and "address".
// Nothing when it does not parse as an object; missing members read as "".
std::optional<IdCardFields> ParseCardJson(std::string_view text, const QDate& today);

// The card-reader program's text: fields 0 name, 1 sex, 2 nation, 3-5 year,
// month and day of birth, 6 registered address, 7 unused, 8 ID number.
// Nothing with five fields or fewer; six to eight fields give everything but
// the ID number.
std::optional<IdCardFields> ParseCardProgramText(const QString& text, const QDate& today);
