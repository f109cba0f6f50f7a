// The signature, closing-statement signature and fingerprint images that sit
// in the program directory while a transcript is printed, and their copies in
// the record's blob columns.
#pragma once

#include <QString>
#include <QStringList>

class Database;

// "<dir>/<ID number>_sig.png", "_sig1.png", "_fig.png".
QStringList SignatureImagePaths(const QString& dir, const QString& idNumber);
// Writes each non-empty blob of the record (jyx_sig, jyx_sig1, jyx_fig) to
// its file. Answers the number of files written.
int RestoreSignatureImages(Database& db, const QString& recordId, const QString& dir,
                           const QString& idNumber);
// Stores every image file that exists into its blob column of the record.
// False when a write failed.
bool StoreSignatureImages(Database& db, const QString& recordId, const QString& dir,
                          const QString& idNumber);
// Deletes the image files that exist.
void DeleteSignatureImages(const QString& dir, const QString& idNumber);
