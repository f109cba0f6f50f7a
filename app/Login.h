// The rules of the login dialog without the dialog: opening the system
// database and pre-filling the form, checking a typed name and password,
// filling the session values and writing the login row of the operation log.
#pragma once

#include "app/AppContext.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

inline constexpr const char* kAdminName = "admin";
inline constexpr const char* kAdminPassword = "804271";
inline constexpr int kMinimumScreenWidth = 1000;

// What the machine reports about itself for the log and the record server.
struct MachineIdentity {
    std::string ipAddress;
    std::string macText;
};
MachineIdentity CurrentMachineIdentity();

struct LoginOpening {
    bool tooNarrow = false; // the screen is too narrow: the dialog ends after the message
    QStringList messages;   // shown in this order
    QString userName;       // the form's pre-filled values
    QString password;
    double pixelsPerMm = 0;
};

struct LoginAttempt {
    bool succeeded = false;
    QStringList messages; // shown in this order, whether or not the login succeeded
};

class Login {
public:
    using IdentitySource = std::function<MachineIdentity()>;

    Login(CDBConnection& db, std::string databasePath,
          IdentitySource identity = CurrentMachineIdentity);

    // Opening of the dialog: the screen check, the pixels per millimetre, the
    // database opened (a missing or unreadable file is reported and left
    // closed) and the form pre-filled from the first account.
    LoginOpening open(int screenWidth, double logicalDpiX);

    // The login command. On success the session values are filled and the
    // login row is appended to the operation log.
    LoginAttempt attempt(const QString& typedName, const QString& typedPassword,
                         SessionValues& session);

private:
    bool databaseFileExists() const;
    // Appends the login row; false (with a message) when an open database refused it.
    bool writeLoginRow(const SessionValues& session, QStringList& messages);

    CDBConnection& m_db;
    std::string m_path;
    IdentitySource m_identity;
};
