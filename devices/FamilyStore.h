// The family members kept with a transcript (jyx_family, GBK), keyed by the
// transcript's record id. A transcript not yet saved has the empty id.
#pragma once

#include "app/Database.h"

#include <QString>
#include <QStringList>

#include <vector>

struct FamilyMember {
    bool notify = false; // jyx_istz '1'
    QString name;        // jyx_answername and jyx_name
    QString idNumber;    // jyx_answersfz
    QString relation;
    QString age;
    QString telephone;
    QString unit;
    QString address;

    // Nothing typed in: such a row is not kept as a member.
    bool isEmpty() const;
    bool operator==(const FamilyMember&) const = default;
};

// The relationship drop-down of the family grid.
const QStringList& FamilyRelations();

class FamilyStore {
public:
    explicit FamilyStore(Database& db) : m_db(db) {}

    // The members of a transcript, in stored order.
    std::vector<FamilyMember> load(const QString& recordId);
    // Replaces the transcript's members by the non-empty ones given, all or
    // nothing: when a statement fails the stored members stay as they were.
    bool save(const QString& recordId, const std::vector<FamilyMember>& members);
    // Deletes one member of this transcript (same name and ID number); the
    // members of other transcripts are not touched.
    bool remove(const QString& recordId, const FamilyMember& member);

private:
    Database& m_db;
};
