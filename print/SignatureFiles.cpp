#include "print/SignatureFiles.h"

#include "app/Database.h"

#include <QFile>

namespace {
// File suffix and blob column, in the order of SignatureImagePaths.
struct Image {
    const char* suffix;
    const char* column;
};
const Image kImages[] = {
    {"_sig.png", "jyx_sig"}, {"_sig1.png", "jyx_sig1"}, {"_fig.png", "jyx_fig"}};
} // namespace

QStringList SignatureImagePaths(const QString& dir, const QString& idNumber) {
    QStringList paths;
    for (const Image& image : kImages)
        paths << dir + u'/' + idNumber + QString::fromUtf8(image.suffix);
    return paths;
}

int RestoreSignatureImages(Database& db, const QString& recordId, const QString& dir,
                           const QString& idNumber) {
    if (recordId.isEmpty() || idNumber.isEmpty())
        return 0;
    CDBRecordSet set =
        db.query("select * from jyx_content where jyx_id=?",
                 SqlArgs().col(schema::jyx_content, "jyx_id", recordId.toStdString()));
    if (set.IsEof())
        return 0;
    const QStringList paths = SignatureImagePaths(dir, idNumber);
    int written = 0;
    for (int i = 0; i < 3; ++i) {
        const std::string blob = ReadColumn(set, schema::jyx_content, kImages[i].column);
        if (!blob.empty() && WriteBlobToFile(paths[i].toStdString(), blob))
            ++written;
    }
    return written;
}

bool StoreSignatureImages(Database& db, const QString& recordId, const QString& dir,
                          const QString& idNumber) {
    if (recordId.isEmpty() || idNumber.isEmpty())
        return true;
    const QStringList paths = SignatureImagePaths(dir, idNumber);
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        if (!QFile::exists(paths[i]))
            continue;
        const std::string blob = BlobFromFile(paths[i].toStdString());
        if (blob.empty())
            continue;
        ok = db.update(schema::jyx_content, {{kImages[i].column, blob}},
                       {{"jyx_id", recordId.toStdString()}}) &&
             ok;
    }
    return ok;
}

void DeleteSignatureImages(const QString& dir, const QString& idNumber) {
    if (idNumber.isEmpty())
        return;
    for (const QString& path : SignatureImagePaths(dir, idNumber))
        QFile::remove(path);
}
