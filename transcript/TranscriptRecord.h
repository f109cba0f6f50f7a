// The particulars and text of one transcript as the editor holds them: one
// value per field of the editor, in program text (QString). The store maps
// it to a row of jyx_content and back; the dialog only copies it to and from
// its controls.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// How an editor was opened; the values are those the records browser passes.
enum class EditorMode : int { New = 0, Modify = 1, AskAgain = 2 };

// Details of an officer looked up by name in jyx_login; kept with the
// transcript, not shown.
struct OfficerDetails {
    QString certificate; // person_zfzh, the law-enforcement certificate number
    QString unit;        // person_unit
    QString post;        // person_job
    QString idNumber;    // person_sfz
    bool operator==(const OfficerDetails&) const = default;
};

struct TranscriptRecord {
    // Basic information of the transcript.
    QString personType;      // 人员类型 (jyx_persontype)
    QString kind;            // 笔录格式, the kind list text (jyx_format)
    QString caseNumber;      // 案件案号 (jyx_casename)
    QString times;           // 次数 (jyx_times)
    QString startTime;       // "%4d/%02d/%02d %02d:%02d" as typed (jyx_starttime)
    QString endTime;         // likewise (jyx_endtime)
    QString place;           // 询问地点 (jyx_jyxaddress)
    QString askName1;        // 询问人1 (jyx_questionname)
    QString askName2;        // 询问人2 (jyx_askname2)
    QString recordName;      // 记录人 (jyx_recordname)
    QString people;          // 到场人 (jyx_people)
    OfficerDetails asker1;   // jyx_questionsfz, jyx_questionjob
    OfficerDetails asker2;   // jyx_asksfz2, jyx_askjob2
    OfficerDetails recorder; // jyx_recordsfz

    // The interviewee.
    QString idNumber;        // 号码 (jyx_answersfz)
    QString name;            // 姓名 (jyx_answername)
    QString sex;             // 性别 (jyx_sex)
    QString age;             // 年龄 (jyx_age)
    QDate birthday;          // 出生日期 (jyx_birthday, "%d/%02d/%02d")
    QString nation;          // 民族 (jyx_station)
    QString education;       // 文化程度 (jyx_education)
    QString political;       // 政治面貌 (jyx_zzmm)
    QString nationality;     // 国籍 (jyx_country)
    QString telephone;       // 联系方式 (jyx_telphone)
    QString formerName;      // 曾用名 (jyx_prename)
    QString nickname;        // 绰号 (jyx_chuhao)
    QString birthAddress;    // 户籍地址 (jyx_birthaddress)
    QString nowAddress;      // 现住地 (jyx_nowaddress)
    QString workUnit;        // 经营地址 (jyx_workunit)
    QString job;             // 职务 (jyx_job)
    QString workYears;       // 工作年龄 (jyx_workyear)
    QString guardian;        // 监护人 (jyx_jfperson)
    QString guardianAddress; // 住址 (jyx_jfaddress)
    QString term;            // 刑期起止 (jyx_1)
    QString charge;          // 罪名 (jyx_2)
    QString relation;        // 与当事人关系 (jyx_relation, position 43)

    QString text; // the question-and-answer text (jyx_content)

    // Kept from the stored row; saves do not edit them.
    QString type;        // transcript type the row was created with (jyx_3)
    QString classicMark; // classic-case mark (jyx_4)

    bool operator==(const TranscriptRecord&) const = default;
};

// The two conditions every save and "开始问话" check first.
bool HasFullIdNumber(const TranscriptRecord& r); // at least 18 characters
bool IsComplete(const TranscriptRecord& r);      // a name and a full ID number

// The editor's fixed lists, in the order the editor shows them.
namespace editor_lists {
const QStringList& PersonTypes();   // 10 entries, entry 0 selected
const QStringList& Sexes();         // "男", "女"
const QStringList& Educations();    // nothing selected
const QStringList& Politicals();    // "普通公民" selected
const QStringList& Nationalities(); // 208 entries, "中国" selected
const QStringList& WorkYears();     // nothing selected
const QStringList& TextSizes();     // "小五" ... "初号"
} // namespace editor_lists

// The person-type entry a stored jyx_persontype selects: the first of the
// first seven entries that the text contains, or -1.
int PersonTypeIndexOf(const QString& stored);

// The picture the photo frame shows: the camera photo
// "<program dir>/视频照片/<ID number>(<name>).bmp" when it exists, else the card
// photo when its path is set, else the default picture for the sex.
QString ChoosePhotoPath(const QString& programDir, const TranscriptRecord& r,
                        const QString& cardPhotoPath);
QString DefaultPhotoPath(const QString& programDir, const QString& sex);
