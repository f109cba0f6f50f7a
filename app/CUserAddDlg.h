// The officer form: adds an officer (one row per checked type) or edits the
// officer selected in the manager. Stays open after a save; closes with
// "取消" or the close button.
#pragma once

#include "app/OfficerStore.h"
#include "text/FramedDialog.h"

#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CUserAddDlg : public FramedDialog {
    Q_OBJECT
public:
    enum Mode { AddMode, EditMode };

    // In edit mode `original` is the selected row; the form starts with its values.
    CUserAddDlg(QWidget* parent, OfficerStore& store, Mode mode,
                const OfficerRow& original = OfficerRow());

    Mode mode() const { return m_mode; }
    // What the form holds now.
    OfficerForm form() const;
    // The signature picture the edit writes (stored blob bytes), if any.
    const std::optional<std::string>& signature() const { return m_signature; }
    // The last save's outcome (for callers that look after the form).
    const Outcome& lastOutcome() const { return m_last; }

public slots:
    void onOk();
    void onUpload();

protected:
    void paintBand(QPainter& painter) override;

private:
    QLineEdit* addField(const char* objectName, const char* label, bool visible);
    void showSignature();

    OfficerStore& m_store;
    Mode m_mode;
    OfficerRow m_original;
    std::optional<std::string> m_signature;
    Outcome m_last;

    QWidget* m_fields = nullptr;
    QCheckBox* m_questioner = nullptr;
    QCheckBox* m_recorder = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_certificate = nullptr;
    QLineEdit* m_job = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_repeatPassword = nullptr;
    QLineEdit* m_telephone = nullptr;
    QLineEdit* m_unit = nullptr;
    QLabel* m_signatureView = nullptr;
};
