// The password of the system account in jyx_register, with which the login
// is made.
#pragma once

#include "app/Database.h"
#include "app/OfficerStore.h" // Outcome

#include <QString>

#include <string>

class AccountStore {
public:
    explicit AccountStore(Database& db) : m_db(db) {}

    // The stored password of the account `loginName` (of the last matching
    // row); empty when there is none.
    std::string password(const std::string& loginName);

    // Checks the new password (6 to 64 characters, typed twice alike) and the
    // old one, then stores the new one. `changed` is set on success.
    Outcome changePassword(const std::string& loginName, const QString& oldPassword,
                           const QString& newPassword, const QString& repeated);

    static constexpr int kMinLength = 6;
    static constexpr int kMaxLength = 64;

private:
    Database& m_db;
};
